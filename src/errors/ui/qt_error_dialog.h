#pragma once

#include <QFont>
#include <string>
#include <vector>

#include "errors/error_log.h"
#include "errors/errorsys.h"

class QWidget;

namespace mp {

// The error dialog of the operator program: the error's description across
// the top, "&Stack List" with the call levels below it, "See Error.log file"
// beside the label, and the bottom row of "&Quit", "&Retry" and "&Default"
// as far as the failing operation allows them. Its close box and Escape are
// "&Quit".
class QtErrorDialog : public ErrorDialog {
public:
    explicit QtErrorDialog(QWidget* parent = nullptr);
    void setParent(QWidget* parent) { m_parent = parent; }
    ErrorChoice show(const ErrorDialogContent& content) override;

    static constexpr int kWidth = 300;
    static constexpr int kHeight = 250;

private:
    QWidget* m_parent;
};

// Opens the log in the desktop's text editor; tells the operator when there
// is none.
void openErrorLog(QWidget* parent, const std::string& logPath);

// The titles of the program's top-level windows, for the error log.
class QtWindowTitles : public WindowTitlesProvider {
public:
    std::vector<std::string> titles() const override;
};

}  // namespace mp
