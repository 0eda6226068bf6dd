#pragma once

#include <QString>
#include <functional>
#include <string>

class QAbstractButton;
class QApplication;
class QWidget;

namespace mp::testing {

// The one application object of a test program (offscreen platform).
QApplication& testApp();

// Runs `answer` on the next modal window that opens after this call (a
// message box, a dialog). Polls the event loop; a window that never opens
// leaves `answer` unrun, and a modal window left standing for 5 seconds is
// rejected so a test fails instead of hanging.
void whenModal(std::function<void(QWidget*)> answer);

// The button of `window` whose caption (shortcut "&" removed) is `text`, or
// nullptr. `text` is UTF-8 and compared with the caption as shown.
QAbstractButton* findButton(QWidget* window, const QString& text);
// Clicks that button; false when there is none.
bool clickButton(QWidget* window, const QString& text);
// All visible text of a window's labels, joined by newlines.
QString labelsOf(QWidget* window);

}  // namespace mp::testing
