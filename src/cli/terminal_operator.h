#pragma once

#include "platform/runtime/operator.h"

namespace mp::cli {

// The operator on the terminal: every message goes to standard error in
// UTF-8 with its title; a yes/no question is answered by --yes (Yes) or
// else by its default, No, and the answer is printed. Standard input is never
// read, so a command never hangs on a closed or absent terminal.
class TerminalOperator : public Operator {
public:
    explicit TerminalOperator(bool answerYes) : m_yes(answerYes) {}
    void message(const std::string& text, const std::string& title) override;
    void alert(const std::string& text, const std::string& title) override;
    void stop(const std::string& text, const std::string& title) override;
    bool yesNo(const std::string& text, const std::string& title) override;
    void wait(const std::string& text, const std::function<void()>& step) override;
    void beep(int hertz, int milliseconds) override;
    void progress(const std::string& text, long done, long total) override;

private:
    bool m_yes;
};

}  // namespace mp::cli
