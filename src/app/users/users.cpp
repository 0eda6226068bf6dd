#include "app/users/users.h"

#include "app/settings.h"
#include "app/users/password_cipher.h"
#include "data/catalogue.h"
#include "data/table_access.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/error.h"
#include "platform/runtime/operator.h"

namespace mp {
namespace {

constexpr int kChangedTone = 1000;
constexpr int kRefusedTone = 900;
constexpr int kBeepMs = 150;

const char* const kPasswordTitle = "  ส่วนการกำหนดรหัสผ่าน";

std::string upperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string trimRight(std::string s) {
    size_t end = s.find_last_not_of(' ');
    s.erase(end == std::string::npos ? 0 : end + 1);
    return s;
}

// An entry as the six-character masked field holds it: upper case, blank-filled.
std::string passwordEntry(const std::string& typed) {
    std::string e = upperAscii(typed);
    e.resize(kPasswordWidth, ' ');
    return e;
}

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

xbase::Table* userRecord() {
    xbase::Table* t = workAreas().table("USERLIST");
    return t && !t->eof() ? t : nullptr;
}

// Writes `value` into `field` of the current user record under its lock.
bool storeField(xbase::Table& t, const char* field, const std::string& value) {
    workAreas().select("USERLIST");
    if (!REC_LOCK(0)) return false;
    bool ok = t.setValue(field, Value(value)) && t.commit();
    unlockAll();
    return ok;
}

PasswordChange told(PasswordChange outcome, int tone, const char* text) {
    operatorUi().beep(tone, kBeepMs);
    operatorUi().alert(T(text), T(kPasswordTitle));
    return outcome;
}

}  // namespace

bool isLevelDigit(std::string_view c) { return c.size() == 1 && c[0] >= '0' && c[0] <= '6'; }

int rightsLevel(std::string_view rights, int area) {
    if (area < 1 || static_cast<size_t>(area) > rights.size()) return 0;
    char c = rights[static_cast<size_t>(area) - 1];
    return c >= '0' && c <= '6' ? c - '0' : 0;
}

std::string editableRights(std::string_view stored) {
    std::string r(stored.substr(0, kRightsWidth));
    r.resize(kRightsWidth, ' ');
    for (char& c : r)
        if (c < '0' || c > '6') c = '0';
    return r;
}

std::string areaCaption(int area) {
    static const char* const captions[kRightsAreas] = {
        "บันทึกข้อมูลการทำงาน", "การทำรายงานต่างๆ",       "ตารางรหัสบริษัท",      "ตารางรหัสวัตถุดิบ",
        "ตารางรหัสสูตรผสม",     "ตารางรหัสผู้ใช้งาน",      "ตารางรหัสรายงาน",     "ตารางรหัสหน่วยนับ",
        "การบำรุงรักษาแฟ้มข้อมูล", "การทำสำเนาแฟ้มข้อมูล", "การสั่งลบข้อมูลการทำงาน", "การอ่านข้อมูลจากสำเนา",
        "ตั้งค่าวันที่และเวลา",    "กำหนดค่าตัวแปรของระบบ"};
    if (area < 1 || area > kRightsAreas) return "";
    return T(captions[area - 1]);
}

std::vector<std::string> levelLegend() {
    static const char* const texts[] = {"0 = ไม่มีอำนาจ",
                                        "1 = ดู/ค้นหา",
                                        "2 = ดู/ค้นหา/พิมพ์",
                                        "3 = ดู/ค้นหา/พิมพ์/บันทึก",
                                        "4 = ดู/ค้นหา/พิมพ์/บันทึก/แก้ไข",
                                        "5 = ดู/ค้นหา/พิมพ์/บันทึก/แก้ไข/ลบ",
                                        "6 = อำนาจเต็มที่"};
    std::vector<std::string> out;
    for (const char* t : texts) out.push_back(T(t));
    return out;
}

std::string levelLegendTitle() { return T("  การกำหนดระดับอำนาจ"); }

bool TRUSCHK(std::string_view c) {
    if (isLevelDigit(c)) return true;
    std::string text;
    for (const std::string& line : levelLegend()) text += line + "\n";
    text.pop_back();
    operatorUi().message(text, levelLegendTitle());
    return false;
}

bool openUsers() { return openTable(*findTable("USERLIST")); }

bool findUser(const std::string& code) {
    xbase::Table* t = workAreas().table("USERLIST");
    if (!t) return false;
    workAreas().select("USERLIST");
    // The code takes part only as far as the index key reaches, so trailing
    // blanks (and anything beyond) do not matter; a shorter code is blank-
    // filled as the entry holds it, so "AD" never finds "ADMIN".
    std::string key = upperAscii(code);
    key.resize(kUserCodeWidth, ' ');
    return t->seek(key);
}

bool USERCHK(const std::string& code, const std::string& password) {
    MP_CALL_LEVEL("USERCHK");
    if (!openUsers()) return false;
    bool match = false;
    if (password.size() <= kPasswordWidth && findUser(code)) {
        xbase::Table* t = workAreas().table("USERLIST");
        // A user the supervisor has deleted stays in the table until the next
        // re-index, but may no longer log in.
        if (!t->deleted() && encipherPassword(passwordEntry(password)) == t->value("PASS_W").text()) {
            settings().CUSER = trimRight(t->value("CODE").text());
            settings().CTRUSTEE = t->value("TRUSTEE").text();
            match = true;
        }
    }
    workAreas().close("USERLIST");
    return match;
}

int userLevel(int area) { return rightsLevel(settings().CTRUSTEE, area); }

bool AUTHCHK(int area, int level) {
    MP_CALL_LEVEL("AUTHCHK");
    if (level <= userLevel(area)) return true;
    operatorUi().alert(T("คุณไม่มีอำนาจที่จะใช้คำสั่งนี้"), T("  ส่วนการกำหนดอำนาจ"));
    return false;
}

PasswordChange changePassword(const std::string& oldEntry, const std::string& newEntry,
                              const std::string& repeatEntry) {
    const std::string oldPw = passwordEntry(oldEntry), newPw = passwordEntry(newEntry),
                      repeat = passwordEntry(repeatEntry);
    if (blank(oldPw) || blank(newPw) || blank(repeat)) return PasswordChange::BlankEntry;
    xbase::Table* t = userRecord();
    if (!t) return PasswordChange::NoRecord;
    if (newPw != repeat)
        return told(PasswordChange::RepeatMismatch, kRefusedTone, "การทวนรหัสใหม่ไม่ถูกต้อง");
    std::string stored = t->value("PASS_W").text();
    stored.resize(kPasswordWidth, ' ');
    if (!blank(stored) && decipherPassword(stored) != oldPw)
        return told(PasswordChange::OldWrong, kRefusedTone, "ระบุรหัสเดิมไม่ถูกต้อง");
    if (!storeField(*t, "PASS_W", encipherPassword(newPw))) return PasswordChange::NoRecord;
    return told(PasswordChange::Changed, kChangedTone, "การเปลี่ยนรหัสใหม่เรียบร้อย");
}

std::string currentUserRights() {
    xbase::Table* t = userRecord();
    return editableRights(t ? t->value("TRUSTEE").text() : "");
}

bool setRights(const std::string& rights) {
    xbase::Table* t = userRecord();
    if (!t) return false;
    std::string joined = editableRights(t->value("TRUSTEE").text());
    for (size_t i = 0; i < rights.size() && i < joined.size(); ++i)
        joined[i] = isLevelDigit(rights.substr(i, 1)) ? rights[i] : '0';
    if (!storeField(*t, "TRUSTEE", joined)) return false;
    if (trimRight(t->value("CODE").text()) == settings().CUSER) settings().CTRUSTEE = joined;
    return true;
}

}  // namespace mp
