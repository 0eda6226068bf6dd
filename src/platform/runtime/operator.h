#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace mp {

// Everything the core says to or asks of the operator. Texts are code page
// 874. The screens implement it with dialogs, mixplant-cli on the terminal,
// tests with ScriptedOperator.
class Operator {
public:
    virtual ~Operator() = default;
    virtual void message(const std::string& text, const std::string& title) = 0;  // information
    virtual void alert(const std::string& text, const std::string& title) = 0;    // warning
    virtual void stop(const std::string& text, const std::string& title) = 0;     // stop sign
    // Yes/No question; No is the default answer.
    virtual bool yesNo(const std::string& text, const std::string& title) = 0;
    // A small please-wait box that stands while `step` runs and closes by itself.
    virtual void wait(const std::string& text, const std::function<void()>& step) = 0;
    virtual void beep(int hertz, int milliseconds) = 0;
    virtual void progress(const std::string& text, long done, long total) = 0;
};

// The process's operator interface: a silent one (answers No) until the
// program installs its own.
Operator& operatorUi();
Operator* setOperator(Operator* op);  // not owned; returns the previous one

// For tests: records every call; yes/no answers come from `answers`, then No.
class ScriptedOperator : public Operator {
public:
    struct Call {
        std::string kind;  // "message", "alert", "stop", "yesNo", "wait", "beep", "progress"
        std::string text;
        std::string title;
    };
    void message(const std::string& text, const std::string& title) override;
    void alert(const std::string& text, const std::string& title) override;
    void stop(const std::string& text, const std::string& title) override;
    bool yesNo(const std::string& text, const std::string& title) override;
    void wait(const std::string& text, const std::function<void()>& step) override;
    void beep(int hertz, int milliseconds) override;
    void progress(const std::string& text, long done, long total) override;

    std::vector<Call> calls;
    std::deque<bool> answers;
};

// Installs an operator for the lifetime of the guard.
class ScopedOperator {
public:
    explicit ScopedOperator(Operator* op) : m_prev(setOperator(op)) {}
    ~ScopedOperator() { setOperator(m_prev); }
    ScopedOperator(const ScopedOperator&) = delete;
    ScopedOperator& operator=(const ScopedOperator&) = delete;

private:
    Operator* m_prev;
};

}  // namespace mp
