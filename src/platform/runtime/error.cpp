#include "platform/runtime/error.h"

namespace mp {

namespace {

ErrorHandler* g_handler = nullptr;
bool g_busy = false;
thread_local std::vector<CallLevel> t_levels;

}  // namespace

ErrorAnswer raiseError(const ErrorRecord& e) {
    if (g_handler) return g_handler->handle(e);
    if (e.genCode == gen::kZeroDivide) return ErrorAnswer::substitute(Value(0));
    return ErrorAnswer::giveUp();
}

ErrorHandler* installErrorHandler(ErrorHandler* handler) {
    ErrorHandler* prev = g_handler;
    g_handler = handler;
    return prev;
}

ErrorHandler* currentErrorHandler() { return g_handler; }

void resetBusy() { g_busy = false; }
void setBusy() { g_busy = true; }
bool isBusy() { return g_busy; }

ErrorAnswer RecordingErrorHandler::handle(const ErrorRecord& e) {
    errors.push_back(e);
    if (answers.empty()) return fallback;
    ErrorAnswer a = answers.front();
    answers.erase(answers.begin());
    return a;
}

CallLevelGuard::CallLevelGuard(const char* file, const char* function, int line) {
    t_levels.push_back({file, function, line});
}

CallLevelGuard::~CallLevelGuard() {
    if (!t_levels.empty()) t_levels.pop_back();
}

std::vector<CallLevel> callLevels() { return {t_levels.rbegin(), t_levels.rend()}; }

}  // namespace mp
