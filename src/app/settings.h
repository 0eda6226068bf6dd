#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/publics.h"

namespace mp {

// The process-wide settings read from MAIN.INI at start-up, under the names
// the forms and the rest of the program know them by. Texts are code page
// 874 as the file holds them; the few numbers are converted once at start-up.
// Values marked "text" that hold numbers (CDFIX, CTIMER, CENDBAT, fonts) are
// converted with numberOf() at each use.
struct Settings {
    // [Data]
    std::string CHLINE, CHADDR1, CHADDR2, CHADDR3, CHTAXID, CHBRANCH;
    // [Path]: folders, each ending in "\" or "/", used by plain concatenation.
    std::string CDRV1, CDRV2, CDRV3, CDRV4;
    // [Font]
    std::string CFONT[7], CWIDTH[7], CHEIGHT[7];
    std::string CPEN1, CPEN2, CPEN3;
    double NFONTRATIO = 1;
    // [Comm]
    std::string CCPORT, CMPORT, CTIMER;
    // [Misc]
    std::string CINDIC, CMIXTYPE, CPAGEL, CPLENGHT, CPREVIEW, CAUTOC;
    double CWLIMIT = 20, CSTILLW = 0, CDISTIME = 0, CBACKLOOP = 0;
    std::string COUTFILE;
    double CDEC = 1;
    std::string CDFIX, CRECALL, CFORMAT, CMIXALONE, CENDBAT, CBAG;
    std::string CCOLORR, CCOLORG, CCOLORB;
    // [Name]
    std::string CRNAME1, CRNAME2, CRNAME3;

    // Further values made at start-up.
    std::string VARFILE;
    double CCOLOR = 0;
    std::string CUSER;
    std::string CTRUSTEE;
};

// The settings of this process.
Settings& settings();

// Reads every setting from `iniPath` with its default, in the order of the
// sections, converts the numeric ones and computes CCOLOR.
void readSettings(Settings& s, const std::string& iniPath);
// Sets every setting to its default (as readSettings does for a missing file).
void defaultSettings(Settings& s);

// SAVEINI: writes the stored keys back to the file named by VARFILE.
void SAVEINI();
void saveIni(const Settings& s, const std::string& iniPath);

// Registers every setting and further value as process-wide names
// (CFONT0..CFONT6, CWIDTH0.., CHEIGHT0..) for the lifetime of `scope`.
void registerSettings(Settings& s, PublicsScope& scope);

// Every setting and further value by its process-wide name, in the order
// start-up reads them (then VARFILE, CCOLOR, CUSER, CTRUSTEE): what
// `mixplant-cli settings` prints.
std::vector<std::pair<std::string, Value>> settingValues(const Settings& s);

// Where a setting lives in MAIN.INI.
struct SettingKey {
    std::string name;     // process-wide name, e.g. "CWLIMIT"
    std::string section;  // e.g. "Misc"
    std::string key;      // e.g. "W.Limit"
};
std::vector<SettingKey> allSettingKeys();     // every setting, in reading order
std::vector<SettingKey> storedSettingKeys();  // the 47 keys SAVEINI writes, in its order

// The supplier's address and tax number the plant starts with (code page 874).
std::string defaultAddress1();
std::string defaultAddress2();
std::string defaultAddress3();
std::string defaultTaxId();

// Windows "\" path separators etc. resolved: the full native path of a file
// in one of the configured folders ("CDRV1" + name), case-insensitively found.
// `folderSetting` is the folder's text as the setting holds it (for example
// settings().CDRV1, ".\\"); the result is findFile(folder + name).
std::string sitePath(const std::string& folderSetting, const std::string& fileName);

}  // namespace mp
