#include "app/settings.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/runtime/cp874.h"
#include "platform/runtime/files.h"
#include "platform/runtime/ini.h"
#include "platform/runtime/numtext.h"

namespace mp {

namespace {

// How a setting's text becomes the value the program holds.
enum class Conversion {
    Text,    // kept as read
    Number,  // number(t)
    Ratio,   // max(1, |number(t)|)
};

// One setting of MAIN.INI: its process-wide name, where it lives in the file,
// its default and where the program keeps it.
struct SettingDef {
    std::string name;
    const char* section;
    std::string key;
    std::string defaultText;  // code page 874
    Conversion conversion;
    std::function<std::string*(Settings&)> text;  // Text settings
    std::function<double*(Settings&)> number;     // Number and Ratio settings
};

#define MP_TEXT(member) [](Settings& s) { return &s.member; }, nullptr
#define MP_NUMBER(member) nullptr, [](Settings& s) { return &s.member; }

// Font n: face, width and height, as texts.
void addFontDefs(std::vector<SettingDef>& defs) {
    struct FontDefault {
        const char* face;
        const char* width;
        const char* height;
    };
    static const FontDefault kFonts[7] = {
        {"MS Sans Serif", "0", "-25"}, {"EucrosiaUPC", "0", "-10"}, {"EucrosiaUPC", "0", "-10"},
        {"EucrosiaUPC", "0", "-10"},   {"EucrosiaUPC", "8", "30"},  {"EucrosiaUPC", "16", "50"},
        {"EucrosiaUPC", "24", "80"},
    };
    for (int n = 0; n < 7; ++n) {
        const std::string d = std::to_string(n);
        defs.push_back({"CFONT" + d, "Font", "Font" + d, kFonts[n].face, Conversion::Text,
                        [n](Settings& s) { return &s.CFONT[n]; }, nullptr});
        defs.push_back({"CWIDTH" + d, "Font", "Width" + d, kFonts[n].width, Conversion::Text,
                        [n](Settings& s) { return &s.CWIDTH[n]; }, nullptr});
        defs.push_back({"CHEIGHT" + d, "Font", "Height" + d, kFonts[n].height, Conversion::Text,
                        [n](Settings& s) { return &s.CHEIGHT[n]; }, nullptr});
    }
}

// Every setting in the order start-up reads them (sections Data, Path, Font,
// Comm, Misc, Name).
const std::vector<SettingDef>& settingDefs() {
    static const std::vector<SettingDef> defs = [] {
        std::vector<SettingDef> d = {
            {"CHLINE", "Data", "Name", T("บริษัท ทาริโน จำกัด"), Conversion::Text, MP_TEXT(CHLINE)},
            {"CHADDR1", "Data", "Address1", defaultAddress1(), Conversion::Text, MP_TEXT(CHADDR1)},
            {"CHADDR2", "Data", "Address2", defaultAddress2(), Conversion::Text, MP_TEXT(CHADDR2)},
            {"CHADDR3", "Data", "Address3", defaultAddress3(), Conversion::Text, MP_TEXT(CHADDR3)},
            {"CHTAXID", "Data", "Tax ID", defaultTaxId(), Conversion::Text, MP_TEXT(CHTAXID)},
            {"CHBRANCH", "Data", "Branch", "000", Conversion::Text, MP_TEXT(CHBRANCH)},
            {"CDRV1", "Path", "Table", ".\\", Conversion::Text, MP_TEXT(CDRV1)},
            {"CDRV2", "Path", "Exe", ".\\", Conversion::Text, MP_TEXT(CDRV2)},
            {"CDRV3", "Path", "BackUp", "A:\\", Conversion::Text, MP_TEXT(CDRV3)},
            {"CDRV4", "Path", "Work", ".\\WORK\\", Conversion::Text, MP_TEXT(CDRV4)},
        };
        addFontDefs(d);
        const std::vector<SettingDef> rest = {
            {"CPEN1", "Font", "Pen1", "1", Conversion::Text, MP_TEXT(CPEN1)},
            {"CPEN2", "Font", "Pen2", "3", Conversion::Text, MP_TEXT(CPEN2)},
            {"CPEN3", "Font", "Pen3", "6", Conversion::Text, MP_TEXT(CPEN3)},
            {"NFONTRATIO", "Font", "Ratio", "1", Conversion::Ratio, MP_NUMBER(NFONTRATIO)},
            {"CCPORT", "Comm", "Scale", "1:9600,N,8,1", Conversion::Text, MP_TEXT(CCPORT)},
            {"CMPORT", "Comm", "I/O", "01234578", Conversion::Text, MP_TEXT(CMPORT)},
            {"CTIMER", "Comm", "Timer", "100", Conversion::Text, MP_TEXT(CTIMER)},
            {"CINDIC", "Misc", "Indicator", "HP04", Conversion::Text, MP_TEXT(CINDIC)},
            {"CMIXTYPE", "Misc", "MixType", "1", Conversion::Text, MP_TEXT(CMIXTYPE)},
            {"CPAGEL", "Misc", "PageL", "60", Conversion::Text, MP_TEXT(CPAGEL)},
            {"CPLENGHT", "Misc", "Feed", "5", Conversion::Text, MP_TEXT(CPLENGHT)},
            {"CPREVIEW", "Misc", "Preview", "Y", Conversion::Text, MP_TEXT(CPREVIEW)},
            {"CAUTOC", "Misc", "AutoComp", "N", Conversion::Text, MP_TEXT(CAUTOC)},
            {"CWLIMIT", "Misc", "W.Limit", "20", Conversion::Number, MP_NUMBER(CWLIMIT)},
            {"CSTILLW", "Misc", "W.Still", "0", Conversion::Number, MP_NUMBER(CSTILLW)},
            {"CDISTIME", "Misc", "Discharge", "0", Conversion::Number, MP_NUMBER(CDISTIME)},
            {"CBACKLOOP", "Misc", "BackLoop", "0", Conversion::Number, MP_NUMBER(CBACKLOOP)},
            {"COUTFILE", "Misc", "OutFile", "OutFile.txt", Conversion::Text, MP_TEXT(COUTFILE)},
            {"CDEC", "Misc", "Decimal", "1", Conversion::Number, MP_NUMBER(CDEC)},
            {"CDFIX", "Misc", "IndDec", "10", Conversion::Text, MP_TEXT(CDFIX)},
            {"CRECALL", "Misc", "Recall", "0", Conversion::Text, MP_TEXT(CRECALL)},
            {"CFORMAT", "Misc", "Format", "999999.9", Conversion::Text, MP_TEXT(CFORMAT)},
            {"CMIXALONE", "Misc", "Alone", "1", Conversion::Text, MP_TEXT(CMIXALONE)},
            {"CENDBAT", "Misc", "EndBatch", "1", Conversion::Text, MP_TEXT(CENDBAT)},
            {"CBAG", "Misc", "Bag", "0", Conversion::Text, MP_TEXT(CBAG)},
            {"CCOLORR", "Misc", "Color_R", "250", Conversion::Text, MP_TEXT(CCOLORR)},
            {"CCOLORG", "Misc", "Color_G", "250", Conversion::Text, MP_TEXT(CCOLORG)},
            {"CCOLORB", "Misc", "Color_B", "255", Conversion::Text, MP_TEXT(CCOLORB)},
            {"CRNAME1", "Name", "Remark1", T("หมายเหตุ"), Conversion::Text, MP_TEXT(CRNAME1)},
            {"CRNAME2", "Name", "Remark2", "", Conversion::Text, MP_TEXT(CRNAME2)},
            {"CRNAME3", "Name", "Remark3", "", Conversion::Text, MP_TEXT(CRNAME3)},
        };
        d.insert(d.end(), rest.begin(), rest.end());
        return d;
    }();
    return defs;
}

#undef MP_TEXT
#undef MP_NUMBER

const SettingDef& defByName(std::string_view name) {
    for (const auto& d : settingDefs())
        if (name == d.name) return d;
    static const SettingDef none{};
    return none;  // unreachable for the names of this file
}

// The keys SAVEINI writes, in its order, by process-wide name.
std::vector<std::string> saveOrder() {
    std::vector<std::string> names = {"CHLINE", "CHADDR1", "CHADDR2", "CHADDR3", "CHTAXID", "CHBRANCH"};
    for (int n = 0; n < 7; ++n) {
        const std::string d = std::to_string(n);
        names.insert(names.end(), {"CFONT" + d, "CWIDTH" + d, "CHEIGHT" + d});
    }
    names.insert(names.end(), {"CPEN1", "CPEN2", "CPEN3", "NFONTRATIO", "CDRV1", "CDRV2", "CDRV3",
                               "CDRV4", "CCPORT", "CMPORT", "CMIXTYPE", "CPAGEL", "CPLENGHT",
                               "CPREVIEW", "CAUTOC", "CWLIMIT", "CSTILLW", "CDISTIME", "CBACKLOOP",
                               "COUTFILE"});
    return names;
}

double convert(Conversion c, const std::string& text) {
    const double n = numberOf(text);
    return c == Conversion::Ratio ? std::max(1.0, std::fabs(n)) : n;
}

void assign(const SettingDef& d, Settings& s, const std::string& text) {
    if (d.conversion == Conversion::Text)
        *d.text(s) = text;
    else
        *d.number(s) = convert(d.conversion, text);
}

std::string storedText(const SettingDef& d, const Settings& s) {
    Settings& m = const_cast<Settings&>(s);  // accessors only read here
    return d.conversion == Conversion::Text ? *d.text(m) : plainNumber(*d.number(m));
}

void computeColor(Settings& s) {
    s.CCOLOR = numberOf(s.CCOLORR) + 256 * numberOf(s.CCOLORG) + 65536 * numberOf(s.CCOLORB);
}

}  // namespace

std::string defaultAddress1() { return T("เลขที่ 88/8 หมู่ 5 ถนนพหลโยธิน"); }
std::string defaultAddress2() { return T("ตำบลคลองหนึ่ง อำเภอคลองหลวง"); }
std::string defaultAddress3() { return T("จังหวัดปทุมธานี 12120"); }
std::string defaultTaxId() { return "0135545001234"; }

Settings& settings() {
    static Settings s;
    return s;
}

void defaultSettings(Settings& s) {
    for (const auto& d : settingDefs()) assign(d, s, d.defaultText);
    computeColor(s);
}

void readSettings(Settings& s, const std::string& iniPath) {
    const IniFile ini(iniPath);
    for (const auto& d : settingDefs()) assign(d, s, ini.get(d.section, d.key, d.defaultText));
    computeColor(s);
}

void saveIni(const Settings& s, const std::string& iniPath) {
    IniFile ini(iniPath);
    for (const auto& name : saveOrder()) {
        const SettingDef& d = defByName(name);
        ini.set(d.section, d.key, storedText(d, s));
    }
    ini.save();  // no failure is reported to the operator
}

void SAVEINI() { saveIni(settings(), settings().VARFILE); }

std::vector<std::pair<std::string, Value>> settingValues(const Settings& s) {
    std::vector<std::pair<std::string, Value>> out;
    Settings& m = const_cast<Settings&>(s);
    for (const auto& d : settingDefs()) {
        if (d.conversion == Conversion::Text)
            out.emplace_back(d.name, Value(*d.text(m)));
        else
            out.emplace_back(d.name, Value(*d.number(m)));
    }
    out.emplace_back("VARFILE", Value(s.VARFILE));
    out.emplace_back("CCOLOR", Value(s.CCOLOR));
    out.emplace_back("CUSER", Value(s.CUSER));
    out.emplace_back("CTRUSTEE", Value(s.CTRUSTEE));
    return out;
}

std::vector<SettingKey> storedSettingKeys() {
    std::vector<SettingKey> keys;
    for (const auto& name : saveOrder()) {
        const SettingDef& d = defByName(name);
        keys.push_back({d.name, d.section, d.key});
    }
    return keys;
}

std::vector<SettingKey> allSettingKeys() {
    std::vector<SettingKey> keys;
    for (const auto& d : settingDefs()) keys.push_back({d.name, d.section, d.key});
    return keys;
}

void registerSettings(Settings& s, PublicsScope& scope) {
    for (const auto& d : settingDefs()) {
        if (d.conversion == Conversion::Text)
            scope.bind(d.name, *d.text(s));
        else
            scope.bind(d.name, *d.number(s));
    }
    scope.bind("VARFILE", s.VARFILE);
    scope.bind("CCOLOR", s.CCOLOR);
    scope.bind("CUSER", s.CUSER);
    scope.bind("CTRUSTEE", s.CTRUSTEE);
}

std::string sitePath(const std::string& folderSetting, const std::string& fileName) {
    return findFile(folderSetting + fileName);
}

}  // namespace mp
