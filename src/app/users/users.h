#pragma once

// Users, login and access rights without the screens: the credential check
// of the login, the rights check of every guarded function, the rights
// string rules, and what the password change and the rights editor store.
// The dialogs gather the entries and call these; every message goes through
// the operator interface.

#include <string>
#include <string_view>
#include <vector>

namespace mp {

constexpr int kRightsAreas = 14;  // positions of the rights string in use

// ---- the rights string ----------------------------------------------------

// TRUSCHK without its dialog: true for one character "0" to "6".
bool isLevelDigit(std::string_view c);
// The level of `area` (from 1) in a rights string: 0 for a missing position
// and for any character that is not "0" to "6".
int rightsLevel(std::string_view rights, int area);
// The 42 characters the rights editor starts from: the stored text filled
// with blanks to 42, every character that is not "0" to "6" made "0".
std::string editableRights(std::string_view stored);
// Caption of area 1..14 in the rights editor ("" otherwise).
std::string areaCaption(int area);
// The seven legend texts of the levels, "0 = ไม่มีอำนาจ" to "6 = อำนาจเต็มที่".
std::vector<std::string> levelLegend();
std::string levelLegendTitle();  // "  การกำหนดระดับอำนาจ"

// TRUSCHK: true for a level digit; otherwise the legend is shown (one
// message, a line per level) and the answer is false.
bool TRUSCHK(std::string_view c);

// ---- login and rights checks ----------------------------------------------

// USERCHK: opens USERLIST (OPEN; its message when that fails), seeks the
// upper-cased code as far as the index key reaches and compares the cipher of
// the upper-cased password (six characters, blank-filled) with PASS_W. On a
// match sets CUSER (trimmed code) and CTRUSTEE and answers true. USERLIST is
// closed afterwards either way.
bool USERCHK(const std::string& code, const std::string& password);

// The logged-in user's level of `area` (from CTRUSTEE).
int userLevel(int area);
// AUTHCHK: true when the logged-in user's level of `area` is at least
// `level`; otherwise "คุณไม่มีอำนาจที่จะใช้คำสั่งนี้" (title "  ส่วนการกำหนดอำนาจ")
// is shown and the answer is false. Level 0 always passes.
bool AUTHCHK(int area, int level);

// ---- the user record: password and rights ----------------------------------
// These act on the current record of USERLIST, which must be open and
// selected (openUsers() and findUser() do that for callers without a screen).

bool openUsers();                       // OPEN of USERLIST, shared
bool findUser(const std::string& code); // seeks the upper-cased code; true when found

enum class PasswordChange {
    Changed,         // "การเปลี่ยนรหัสใหม่เรียบร้อย"
    RepeatMismatch,  // the two new entries differ: "การทวนรหัสใหม่ไม่ถูกต้อง"
    OldWrong,        // "ระบุรหัสเดิมไม่ถูกต้อง"
    BlankEntry,      // an entry left blank: refused, nothing shown
    NoRecord,        // no current user record: nothing stored, nothing shown
};
// PASSUSER's saving step for the current user record. Entries are upper-cased
// and taken as six characters. The old entry must match the stored password
// unless none is set (six blanks). Changed: the record is locked (waiting
// until granted), the cipher of the new entry stored and committed. Each
// outcome but BlankEntry and NoRecord beeps and shows its alert (title
// "  ส่วนการกำหนดรหัสผ่าน").
PasswordChange changePassword(const std::string& oldEntry, const std::string& newEntry,
                              const std::string& repeatEntry);

// The rights editor's 42 characters of the current user record.
std::string currentUserRights();
// TRUSTEE's saving step for the current user record: positions 1.. of
// `rights` replace those of the stored string (as editableRights() gives
// it; characters that are not levels become "0"), the 42 characters are
// stored under a lock (waiting until granted) and committed. When the user
// is the logged-in one, CTRUSTEE takes the new string at once. False when
// there is no current user record.
bool setRights(const std::string& rights);

}  // namespace mp
