#include "platform/runtime/operator.h"

namespace mp {

namespace {

// Until the program installs its own: says nothing, answers No, runs waits.
class SilentOperator : public Operator {
public:
    void message(const std::string&, const std::string&) override {}
    void alert(const std::string&, const std::string&) override {}
    void stop(const std::string&, const std::string&) override {}
    bool yesNo(const std::string&, const std::string&) override { return false; }
    void wait(const std::string&, const std::function<void()>& step) override {
        if (step) step();
    }
    void beep(int, int) override {}
    void progress(const std::string&, long, long) override {}
};

Operator* g_operator = nullptr;

}  // namespace

Operator& operatorUi() {
    static SilentOperator silent;
    return g_operator ? *g_operator : silent;
}

Operator* setOperator(Operator* op) {
    Operator* prev = g_operator;
    g_operator = op;
    return prev;
}

void ScriptedOperator::message(const std::string& text, const std::string& title) {
    calls.push_back({"message", text, title});
}

void ScriptedOperator::alert(const std::string& text, const std::string& title) {
    calls.push_back({"alert", text, title});
}

void ScriptedOperator::stop(const std::string& text, const std::string& title) {
    calls.push_back({"stop", text, title});
}

bool ScriptedOperator::yesNo(const std::string& text, const std::string& title) {
    calls.push_back({"yesNo", text, title});
    if (answers.empty()) return false;
    bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedOperator::wait(const std::string& text, const std::function<void()>& step) {
    calls.push_back({"wait", text, ""});
    if (step) step();
}

// A beep is recorded with text "hertz,milliseconds".
void ScriptedOperator::beep(int hertz, int milliseconds) {
    calls.push_back({"beep", std::to_string(hertz) + "," + std::to_string(milliseconds), ""});
}

// Progress is recorded with its text and a title "done/total".
void ScriptedOperator::progress(const std::string& text, long done, long total) {
    calls.push_back({"progress", text, std::to_string(done) + "/" + std::to_string(total)});
}

}  // namespace mp
