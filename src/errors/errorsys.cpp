#include "errors/errorsys.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "platform/runtime/cp874.h"
#include "platform/runtime/operator.h"

namespace mp {

namespace {

bool g_mainLoopRunning = false;

TerminateHook& terminateHook() {
    static TerminateHook hook;
    return hook;
}

void defaultTerminate(int code, bool atOnce) {
    std::fflush(nullptr);
    if (atOnce) std::_Exit(code);
    std::exit(code);
}

// The line at which an error arose: the innermost open call level.
int errorLine() {
    const auto levels = callLevels();
    return levels.empty() ? 0 : levels.front().line;
}

// Marks the handler active for one error and lets go however it leaves.
class ActiveGuard {
public:
    explicit ActiveGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~ActiveGuard() { m_flag = false; }
    ActiveGuard(const ActiveGuard&) = delete;
    ActiveGuard& operator=(const ActiveGuard&) = delete;

private:
    bool& m_flag;
};

}  // namespace

ErrorButtonRow errorDialogButtons(bool canRetry, bool canDefault) {
    if (canRetry && canDefault) return {{"&Retry", "&Quit", "&Default"}, 1};
    if (canRetry) return {{"&Quit", "&Retry", ""}, -1};
    if (canDefault) return {{"&Quit", "", "&Default"}, -1};
    return {{"", "&Quit", ""}, 1};
}

std::string errorDialogCaption() { return T("  ส่วนแจ้งข้อผิดพลาดของโปรแกรม"); }

void setMainEventLoopRunning(bool running) { g_mainLoopRunning = running; }
bool mainEventLoopRunning() { return g_mainLoopRunning; }

TerminateHook setTerminateHook(TerminateHook hook) {
    TerminateHook prev = std::move(terminateHook());
    terminateHook() = std::move(hook);
    return prev;
}

void terminateProgram(int code, bool atOnce) {
    if (terminateHook())
        terminateHook()(code, atOnce);
    else
        defaultTerminate(code, atOnce);
}

std::string lastResortText(const ErrorRecord& e, int line) {
    return ERRORMESSAGE(e) + " from Errorsys, line:" + padLeft(std::to_string(line), 3);
}

ErrorAnswer ErrorSystem::LastResort::handle(const ErrorRecord& e) {
    m_owner.m_lastResortFired = true;
    operatorUi().stop(lastResortText(e, errorLine()), errorDialogCaption());
    terminateProgram(1, false);
    return ErrorAnswer::quit();
}

ErrorSystem::ErrorSystem() : m_lastResort(*this) {}

std::optional<ErrorAnswer> ErrorSystem::quietAnswer(const ErrorRecord& e) {
    if (e.genCode == gen::kZeroDivide) return ErrorAnswer::substitute(Value(0.0));
    const bool heldElsewhere = e.osCode == oscode::kSharingViolation || e.osCode == oscode::kAccessDenied;
    if ((e.genCode == gen::kOpen && heldElsewhere && e.canDefault) ||
        (e.genCode == gen::kAppendLock && e.canDefault)) {
        setBusy();
        return ErrorAnswer::giveUp();
    }
    return std::nullopt;
}

ErrorAnswer ErrorSystem::handle(const ErrorRecord& e) {
    if (auto quiet = quietAnswer(e)) return *quiet;
    if (m_active) {  // an error inside the handler itself
        terminateProgram(1, true);
        return ErrorAnswer::quit();
    }
    ErrorChoice choice;
    {
        ActiveGuard active(m_active);
        m_lastResortFired = false;
        ScopedErrorHandler lastResort(&m_lastResort);
        choice = logAndShow(e);
        if (m_lastResortFired) return ErrorAnswer::quit();  // the program has been ended
    }
    return answer(choice, e);
}

// Steps 6 and 7. A C++ exception escaping the log or the dialog is handled
// like any other error raised there: by the last-resort handling.
ErrorChoice ErrorSystem::logAndShow(const ErrorRecord& e) {
    try {
        const LogFacts facts = m_facts ? m_facts() : gatherLogFacts();
        const std::string text = errorLogText(e, facts);
        if (m_lastResortFired) return ErrorChoice::Quit;
        writeErrorLog(m_logPath, text);  // a failure to write is ignored
        if (!m_dialog) return ErrorChoice::Quit;
        ErrorDialogContent content{e, errorDialogCaption(), "   Error description: " + ERRORMESSAGE(e),
                                   stackLines(facts.callLevels), e.canRetry, e.canDefault, m_logPath};
        return m_dialog->show(content);
    } catch (const std::exception& ex) {
        ErrorRecord inner;
        inner.subsystem = "ERRORSYS";
        inner.description = ex.what();
        m_lastResort.handle(inner);
    } catch (...) {
        ErrorRecord inner;
        inner.subsystem = "ERRORSYS";
        inner.description = "unknown exception";
        m_lastResort.handle(inner);
    }
    return ErrorChoice::Quit;
}

// Step 8.
ErrorAnswer ErrorSystem::answer(ErrorChoice choice, const ErrorRecord& e) {
    if (choice == ErrorChoice::Retry && e.canRetry && mainEventLoopRunning()) return ErrorAnswer::retry();
    if (choice == ErrorChoice::Default && e.canDefault) return ErrorAnswer::giveUp();
    terminateProgram(1, false);
    return ErrorAnswer::quit();
}

ErrorSystem& errorSystem() {
    static ErrorSystem handler;
    return handler;
}

void ERRORSYS() { installErrorHandler(&errorSystem()); }

}  // namespace mp
