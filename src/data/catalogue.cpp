#include "data/catalogue.h"

#include <cctype>

#include "app/settings.h"
#include "platform/runtime/cp874.h"

namespace mp {
namespace {

using xbase::FieldDef;
using xbase::FieldList;

// Widths the site decides (doc/tables.md gives the reasons).
constexpr int kNameWidth = 50;     // a line of Thai text with its marks
constexpr int kLineWidth = 60;     // address, delivery place, remark lines
constexpr int kCodeWidth = 10;

FieldDef C(const char* name, int width) { return {name, 'C', width, 0}; }
FieldDef N(const char* name, int width, int decimals) { return {name, 'N', width, decimals}; }
FieldDef D(const char* name) { return {name, 'D', 8, 0}; }

// NAME1..NAME8 of one kind.
void slots(FieldList& f, const char* name, char type, int width, int decimals) {
    for (int n = 1; n <= kSlots; ++n) f.push_back({name + std::to_string(n), type, width, decimals});
}

FieldList companyFields() {
    return {C("CODE", kCodeWidth), C("NAME", kNameWidth),   C("ADDR1", kLineWidth),  C("ADDR2", kLineWidth),
            C("PLACE1", kLineWidth), C("PLACE2", kLineWidth), C("REMARKS", kLineWidth)};
}

FieldList rawmatFields() {
    return {C("CODE", kCodeWidth), C("NAME", kNameWidth), N("COST", 10, 2), C("REMARKS", kLineWidth)};
}

FieldList formulaFields() {
    FieldList f = {C("CODE", kCodeWidth), C("NAME", kNameWidth), N("CAPACITY", 9, 2),
                   N("TIME", 5, 0),       N("DISCHARGE", 5, 0),  C("REMARKS", kLineWidth)};
    slots(f, "AGG", 'C', kCodeWidth, 0);
    slots(f, "QTY", 'N', 9, 2);      // "999999.99"
    slots(f, "BIG", 'N', 9, 2);
    slots(f, "FAST", 'N', 9, 2);
    slots(f, "SLOW", 'N', 9, 2);
    slots(f, "ADJUST", 'N', 10, 2);  // room for the sign of a negative correction
    slots(f, "FEED", 'N', 5, 1);     // "999.9"
    return f;
}

FieldList unitFields() { return {C("CODE", kCodeWidth), C("NAME", kNameWidth), N("QTY", 10, 2)}; }

FieldList userFields() {
    return {C("CODE", kUserCodeWidth), C("NAME", kNameWidth), C("PASS_W", kPasswordWidth),
            C("TRUSTEE", kRightsWidth)};
}

FieldList replistFields() { return {C("CODE", kCodeWidth), C("NAME", kLineWidth)}; }

FieldList consecFields() { return {N("CSNO", 12, 0)}; }

FieldList wdataFields() {
    return {C("NUMBER", kNumberWidth), D("DATE"),          C("TIME", 8),
            C("COMPANY", kCodeWidth),  C("REMARK1", kLineWidth), C("REMARK2", kLineWidth),
            C("REMARK3", kLineWidth),  C("STAFF", kUserCodeWidth), C("INDENT", kIndentWidth),
            N("PRINT", 2, 0)};
}

FieldList detailFields() {
    FieldList f = {C("INDENT", kIndentWidth), C("INDENT2", kIndentWidth), D("DATE"),
                   C("TIME", 8),              C("STAFF", kUserCodeWidth),  D("DOC_DATE"),
                   C("FORMULA", kCodeWidth),  N("QTY", 10, 2),            C("UNIT", kCodeWidth),
                   N("QUANTITY", 10, 2)};
    slots(f, "AGG", 'C', kCodeWidth, 0);
    slots(f, "TARGET", 'N', 10, 2);
    slots(f, "ACTUAL", 'N', 10, 2);
    slots(f, "COST", 'N', 10, 2);
    f.push_back(C("STAT", 1));
    return f;
}

FieldList batchingFields() {
    FieldList f = {C("INDENT", kIndentWidth), C("INDENT2", kIndentWidth), C("ITEM", kItemWidth),
                   D("DOC_DATE"),             D("DATE"),                  C("TIME", 8),
                   C("STAFF", kUserCodeWidth), C("STAT", 1)};
    slots(f, "TARGET", 'N', 10, 2);
    slots(f, "ACTUAL", 'N', 10, 2);
    return f;
}

TableDef code(const char* alias, const char* file, int number, const char* description, FieldList fields) {
    return {alias, file, Folder::Tables, "code", file, T(description), number, std::move(fields)};
}

std::vector<TableDef> buildCatalogue() {
    return {
        code("COMPANY", "COMPANY", 1, "ตารางรหัสบริษัท", companyFields()),
        code("RAWMAT", "RAWMAT", 2, "ตารางรหัสวัตถุดิบ", rawmatFields()),
        code("FORMULA", "FORMULA", 3, "ตารางรหัสสูตรผสม", formulaFields()),
        code("USERLIST", "Userlist", 4, "ตารางรหัสผู้ใช้โปรแกรม", userFields()),
        code("REPLIST", "Replist", 5, "ตารางรหัสรายงาน", replistFields()),
        code("UNIT", "UNIT", 6, "ตารางรหัสหน่วยนับ", unitFields()),
        {"CONSEC", "consec", Folder::Tables, "", "", T("ตารางเลขที่เอกสาร"), 0, consecFields()},
        {"WDATA", "WDATA", Folder::Production, "DTOS(DATE)+TIME+NUMBER", "WDATA", T("ข้อมูลใบสั่งผลิต"), 0,
         wdataFields()},
        {"DETAIL", "DETAIL", Folder::Production, "INDENT+INDENT2", "DETAIL", T("ข้อมูลรายการผลิต"), 0,
         detailFields()},
        {"BATCHING", "BATCHING", Folder::Production, "INDENT+INDENT2+ITEM", "BATCHING",
         T("ข้อมูลการชั่งผสม"), 0, batchingFields()},
    };
}

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const std::string& folderSetting(Folder folder) {
    const Settings& s = settings();
    switch (folder) {
        case Folder::Tables: return s.CDRV1;
        case Folder::Production: return s.CDRV2;
        case Folder::Backup: return s.CDRV3;
        case Folder::Work: break;
    }
    return s.CDRV4;
}

const char* folderSettingName(Folder folder) {
    static const char* const names[] = {"CDRV1", "CDRV2", "CDRV3", "CDRV4"};
    return names[static_cast<int>(folder)];
}

const std::vector<TableDef>& permanentTables() {
    static const std::vector<TableDef> tables = buildCatalogue();
    return tables;
}

const TableDef* findTable(std::string_view alias) {
    for (const TableDef& t : permanentTables())
        if (sameName(t.alias, alias)) return &t;
    return nullptr;
}

const TableDef* codeTable(int number) {
    for (const TableDef& t : permanentTables())
        if (t.codeTable != 0 && t.codeTable == number) return &t;
    return nullptr;
}

std::string codeTableTitle(int number) {
    static const char* const titles[] = {
        "  ส่วนจัดการตารางรหัสบริษัท",  "  ส่วนจัดการตารางรหัสวัตถุดิบ",      "  ส่วนจัดการตารางรหัสสูตรผสม",
        "  ส่วนจัดการตารางรหัสผู้ใช้โปรแกรม", "  ส่วนจัดการตารางรหัสรายงาน", "  ส่วนจัดการตารางรหัสหน่วยนับ"};
    if (number < 1 || number > 6) return "";
    return T(titles[number - 1]);
}

std::string tableBase(const TableDef& t) { return folderSetting(t.folder) + t.fileName; }

std::string rebuildKeyExpression(const TableDef& t) { return t.codeTable ? "CODE" : t.keyExpression; }

std::string lineStatusText(std::string_view stat) {
    if (stat == "2") return T("เสร็จเรียบร้อย");
    if (stat == "1") return T("ผสมบางส่วน");
    return T("รอการผสม");
}

const WorkTableDef& docketFormTable() {
    static const WorkTableDef t{"DOCPRN", "DocPrn", "P_"};
    return t;
}

const WorkTableDef& reportFormTable() {
    static const WorkTableDef t{"REPPRN", "RepPrn", "R_"};
    return t;
}

const WorkTableDef& reportDataTable() {
    static const WorkTableDef t{"DETAIL", "detail", "D_"};
    return t;
}

std::string workTableFile(const WorkTableDef& t, std::string_view user) {
    size_t end = user.find_last_not_of(' ');
    size_t begin = user.find_first_not_of(' ');
    std::string trimmed = end == std::string_view::npos ? "" : std::string(user.substr(begin, end - begin + 1));
    return t.prefix + trimmed;
}

xbase::FieldList formTableFields() { return {C("CODE", kFormLineWidth)}; }

}  // namespace mp
