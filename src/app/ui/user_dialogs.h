#pragma once

#include <QFont>

class QWidget;

namespace mp {

// The dialogs of a user record: thin screens over the users layer. Both act
// on the current record of USERLIST, which must be open, selected and
// positioned on the user to change (the user list and the user editor see to
// it).

// PASSUSER: old password, new password and the new one again, each hidden
// and none left blank; the save button hands them to changePassword(), which
// says how it went. Cancel stores nothing.
void runPasswordDialog(QWidget* parent, const QFont& font);

// TRUSTEE: one level digit for each of the fourteen areas; leaving an entry
// that holds no level shows the legend and keeps the focus there. The save
// button stores the rights (the logged-in user's own apply at once).
void runRightsDialog(QWidget* parent, const QFont& font);

// The level legend of TRUSCHK, with its OK button.
void runLevelLegend(QWidget* parent, const QFont& font);

// The users of the site in a list, with the password and rights buttons for
// the highlighted user when the logged-in user has full rights over the user
// codes (area 6, level 6). Opens and closes USERLIST itself.
void runUserList(QWidget* parent, const QFont& font);

namespace usertext {
extern const char* const kSaveTip;      // "บันทึกข้อมูลนี้"
extern const char* const kCancelTip;    // "ยกเลิกการทำงาน"
extern const char* const kListTitle;
extern const char* const kPasswordButton;
extern const char* const kRightsButton;
}  // namespace usertext

}  // namespace mp
