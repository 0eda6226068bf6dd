#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/value.h"

namespace mp {

// General codes of run-time errors (the classic xBase numbering).
namespace gen {
constexpr int kArgument = 1;
constexpr int kBound = 2;
constexpr int kStringOverflow = 3;
constexpr int kNumericOverflow = 4;
constexpr int kZeroDivide = 5;
constexpr int kNumericError = 6;
constexpr int kSyntax = 7;
constexpr int kComplexity = 8;
constexpr int kMemory = 11;
constexpr int kNoFunction = 12;
constexpr int kNoVariable = 14;
constexpr int kNoAlias = 15;
constexpr int kDuplicateAlias = 18;
constexpr int kCreate = 20;
constexpr int kOpen = 21;
constexpr int kClose = 22;
constexpr int kRead = 23;
constexpr int kWrite = 24;
constexpr int kPrint = 25;
constexpr int kUnsupported = 30;
constexpr int kLimit = 31;
constexpr int kCorruption = 32;
constexpr int kDataType = 33;
constexpr int kDataWidth = 34;
constexpr int kNoTable = 35;
constexpr int kNoOrder = 36;
constexpr int kShared = 37;
constexpr int kUnlocked = 38;
constexpr int kReadOnly = 39;
constexpr int kAppendLock = 40;
constexpr int kLock = 41;
}  // namespace gen

// Operating-system codes the handler reads.
namespace oscode {
constexpr int kAccessDenied = 5;
constexpr int kSharingViolation = 32;
constexpr int kFileNotFound = 2;
}  // namespace oscode

// A run-time error, handed by the raiser to the one installed handler.
struct ErrorRecord {
    int genCode = 0;
    int osCode = 0;
    int severity = 2;                       // above 1 an error, else a warning
    std::optional<std::string> subsystem;   // "BASE", "DBFNTX", "TERM", ...
    std::optional<int> subCode;
    std::optional<std::string> description;
    std::string fileName;
    std::string operation;
    std::optional<std::vector<Value>> args;  // the operation's arguments, when it has any
    bool canRetry = false;
    bool canDefault = false;
};

struct ErrorAnswer {
    enum class Kind { Retry, Default, Substitute, Quit };
    Kind kind = Kind::Default;
    Value value;  // the substitute value (0 for a division by zero)

    static ErrorAnswer retry() { return {Kind::Retry, {}}; }
    static ErrorAnswer giveUp() { return {Kind::Default, {}}; }
    static ErrorAnswer substitute(Value v) { return {Kind::Substitute, std::move(v)}; }
    static ErrorAnswer quit() { return {Kind::Quit, {}}; }
};

// The handler decides what becomes of an error. The program's handler ends
// the process for Quit; handlers that cannot (tests, a command that reports
// and exits later) may return Quit, and the raiser then gives the operation up
// as for Default.
class ErrorHandler {
public:
    virtual ~ErrorHandler() = default;
    virtual ErrorAnswer handle(const ErrorRecord& e) = 0;
};

// Hands `e` to the installed handler. With none installed the error is given
// up (Default), or 0 is substituted for a division by zero.
ErrorAnswer raiseError(const ErrorRecord& e);
// Installs `handler` (not owned); returns the previous one. nullptr removes it.
ErrorHandler* installErrorHandler(ErrorHandler* handler);
ErrorHandler* currentErrorHandler();

// The busy indication: the table layer resets it before an open or an append,
// the handler sets it when the open or the append lock is refused, and the
// shared table routines test it to retry.
void resetBusy();
void setBusy();
bool isBusy();

// A handler for tests and tools: records every error and answers from a
// queue of answers (then `fallback`).
class RecordingErrorHandler : public ErrorHandler {
public:
    ErrorAnswer handle(const ErrorRecord& e) override;
    std::vector<ErrorRecord> errors;
    std::vector<ErrorAnswer> answers;  // consumed from the front
    ErrorAnswer fallback = ErrorAnswer::giveUp();
};

// Installs a handler for the lifetime of the guard, restoring the previous one.
class ScopedErrorHandler {
public:
    explicit ScopedErrorHandler(ErrorHandler* h) : m_prev(installErrorHandler(h)) {}
    ~ScopedErrorHandler() { installErrorHandler(m_prev); }
    ScopedErrorHandler(const ScopedErrorHandler&) = delete;
    ScopedErrorHandler& operator=(const ScopedErrorHandler&) = delete;

private:
    ErrorHandler* m_prev;
};

// Call levels for the error log's "Stack Calls" section: routines that matter
// to the plant open a level with MP_CALL_LEVEL("NAME"); the log lists the
// open levels from the innermost outwards.
struct CallLevel {
    const char* file;
    const char* function;
    int line;
};
class CallLevelGuard {
public:
    CallLevelGuard(const char* file, const char* function, int line);
    ~CallLevelGuard();
    CallLevelGuard(const CallLevelGuard&) = delete;
    CallLevelGuard& operator=(const CallLevelGuard&) = delete;
};
std::vector<CallLevel> callLevels();  // innermost first
#define MP_CALL_LEVEL_CAT2(a, b) a##b
#define MP_CALL_LEVEL_CAT(a, b) MP_CALL_LEVEL_CAT2(a, b)
#define MP_CALL_LEVEL(name) \
    ::mp::CallLevelGuard MP_CALL_LEVEL_CAT(mpCallLevel_, __LINE__)(__FILE__, name, __LINE__)

}  // namespace mp
