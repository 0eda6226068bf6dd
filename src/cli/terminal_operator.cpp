#include "cli/terminal_operator.h"

#include "cli/command.h"

namespace mp::cli {

namespace {

// Titles are led by blanks on screen ("  ส่วน..."); on the terminal they lead the line.
std::string titled(const std::string& kind, const std::string& title, const std::string& text) {
    const auto start = title.find_first_not_of(' ');
    const std::string head = start == std::string::npos ? kind : kind + " " + title.substr(start);
    return head + ": " + text + "\n";
}

}  // namespace

void TerminalOperator::message(const std::string& text, const std::string& title) {
    err(titled("[message]", title, text));
}

void TerminalOperator::alert(const std::string& text, const std::string& title) {
    err(titled("[alert]", title, text));
}

void TerminalOperator::stop(const std::string& text, const std::string& title) {
    err(titled("[stop]", title, text));
}

bool TerminalOperator::yesNo(const std::string& text, const std::string& title) {
    err(titled("[question]", title, text) + (m_yes ? "  -> Yes (--yes)\n" : "  -> No\n"));
    return m_yes;
}

void TerminalOperator::wait(const std::string& text, const std::function<void()>& step) {
    err("[wait] " + text + "\n");
    step();
}

void TerminalOperator::beep(int, int) {}

void TerminalOperator::progress(const std::string& text, long done, long total) {
    if (done == 0 || done >= total) err("[progress] " + text + " " + std::to_string(done) + "/" + std::to_string(total) + "\n");
}

}  // namespace mp::cli
