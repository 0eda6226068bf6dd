#include "errors/terminal_dialog.h"

#include "platform/runtime/cp874.h"

namespace mp {

TerminalErrorDialog::TerminalErrorDialog(std::ostream& out) : m_out(out) {}

ErrorChoice TerminalErrorDialog::show(const ErrorDialogContent& content) {
    m_out << cp874ToUtf8(ERRORMESSAGE(content.error)) << "\n";
    for (const auto& line : content.stackLines) m_out << cp874ToUtf8(line) << "\n";
    const ErrorChoice choice = content.canDefault ? ErrorChoice::Default : ErrorChoice::Quit;
    m_out << "   (details in " << content.logPath << "; "
          << (choice == ErrorChoice::Default ? "the operation is given up" : "the program ends") << ")\n";
    m_out.flush();
    return choice;
}

}  // namespace mp
