#pragma once

#include <ostream>

#include "errors/errorsys.h"

namespace mp {

// The error dialog of mixplant-cli. Nobody sits at the terminal to answer,
// so it reports the error on `out` (UTF-8): the message line, the call levels
// and where the log was written, and then answers by itself: "&Default" when
// the failing operation can carry on without it, otherwise "&Quit", which
// ends the program with exit code 1. It never offers "&Retry", which would
// repeat the same failure without anyone to change its cause.
class TerminalErrorDialog : public ErrorDialog {
public:
    explicit TerminalErrorDialog(std::ostream& out);
    ErrorChoice show(const ErrorDialogContent& content) override;

private:
    std::ostream& m_out;
};

}  // namespace mp
