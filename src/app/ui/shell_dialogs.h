#pragma once

#include <QFont>
#include <functional>
#include <string>

class QWidget;

namespace mp {

// PASSWORD: the login dialog, until USERCHK finds the user in USERLIST or
// the operator cancels. `welcome` runs when the picture is clicked (WELMESS).
// True when a user has logged in (CUSER is set); otherwise all tables have
// been closed.
bool runLogin(QWidget* parent, const QFont& font, std::function<void()> welcome);

// FINISH: the exit confirmation. True when the operator confirms; then all
// tables are closed. Cancel changes nothing.
bool runFinish(QWidget* parent, const QFont& font);

// WELMESS: the welcome text "DocFile.TXT" of the table folder, when there is
// one, in a dialog that can be scrolled. Returns false, as the login's
// picture expects.
bool runWelcomeText(QWidget* parent, const QFont& font);

// Dialog titles and texts the tests look for.
namespace shelltext {
extern const char* const kLoginTitle;
extern const char* const kLoginRefused;
extern const char* const kLoginRefusedTitle;
extern const char* const kFinishTitle;
extern const char* const kFinishQuestion;
extern const char* const kOk;
extern const char* const kCancel;
}  // namespace shelltext

}  // namespace mp
