#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "errors/error_log.h"
#include "platform/runtime/error.h"

namespace mp {

// The buttons that close the error dialog. Its close box counts as Quit.
enum class ErrorChoice { Quit, Retry, Default };

// What the error dialog shows.
struct ErrorDialogContent {
    ErrorRecord error;
    std::string caption;                  // errorDialogCaption()
    std::string descriptionLine;          // the log's "   Error description: ..." line
    std::vector<std::string> stackLines;  // the log's "   Called from: ..." lines; the first is selected
    bool canRetry = false;
    bool canDefault = false;
    std::string logPath;                  // the Error.log just written ("See Error.log file" opens it)
};

// The error dialog: modal; returns the button that closed it. Its
// "See Error.log file" button opens content.logPath in a text viewer and
// leaves the dialog open. The screens implement it with Qt, mixplant-cli on
// the terminal (TerminalErrorDialog).
class ErrorDialog {
public:
    virtual ~ErrorDialog() = default;
    virtual ErrorChoice show(const ErrorDialogContent& content) = 0;
};

// The bottom row of the dialog, left to right in three places ("" is an empty
// place): Retry, Quit, Default when all three are offered; Quit, Retry;
// Quit, gap, Default; Quit alone in the middle. `defaultPlace` is the place
// of the default button (Quit when alone or one of three), -1 for none.
struct ErrorButtonRow {
    std::array<std::string, 3> places;
    int defaultPlace = -1;
};
ErrorButtonRow errorDialogButtons(bool canRetry, bool canDefault);

// The dialog's fixed caption (code page 874).
std::string errorDialogCaption();

// Whether the main window's event loop is running: "&Retry" before it runs
// (or after it has ended) ends the program like "&Quit". The main window sets it.
void setMainEventLoopRunning(bool running);
bool mainEventLoopRunning();

// How the program ends (exit code; `atOnce` skips the orderly release of
// resources). The default flushes the standard streams and exits. Tests
// install a hook that records and returns; the handler then answers Quit and
// the raiser gives the operation up.
using TerminateHook = std::function<void(int code, bool atOnce)>;
TerminateHook setTerminateHook(TerminateHook hook);  // empty restores the default; returns the previous
void terminateProgram(int code, bool atOnce);

// The program's handler of run-time errors:
//  1. division by zero: the value 0, quietly;
//  2. an open refused because another process holds the file (os code 32 or
//     5), when it can default: busy indication, default, quietly;
//  3. an append that cannot get its lock, when it can default: likewise;
//  4. entered again while it is active: the program ends at once, exit code 1;
//  5-7. otherwise, under last-resort handling, the log is written to Error.log
//     and the dialog is shown;
//  8. Quit (or Retry without a running main loop) ends the program with exit
//     code 1; Retry and Default are answered.
class ErrorSystem : public ErrorHandler {
public:
    ErrorSystem();
    ErrorAnswer handle(const ErrorRecord& e) override;

    void setDialog(ErrorDialog* dialog) { m_dialog = dialog; }  // not owned
    void setLogPath(std::string path) { m_logPath = std::move(path); }
    // Where the log's system facts come from (gatherLogFacts by default).
    void setFactsSource(std::function<LogFacts()> source) { m_facts = std::move(source); }
    bool active() const { return m_active; }

private:
    class LastResort : public ErrorHandler {
    public:
        explicit LastResort(ErrorSystem& owner) : m_owner(owner) {}
        ErrorAnswer handle(const ErrorRecord& e) override;

    private:
        ErrorSystem& m_owner;
    };

    static std::optional<ErrorAnswer> quietAnswer(const ErrorRecord& e);
    ErrorChoice logAndShow(const ErrorRecord& e);
    ErrorAnswer answer(ErrorChoice choice, const ErrorRecord& e);

    ErrorDialog* m_dialog = nullptr;
    std::string m_logPath = "Error.log";
    std::function<LogFacts()> m_facts;
    LastResort m_lastResort;
    bool m_active = false;
    bool m_lastResortFired = false;
};

// The process's handler.
ErrorSystem& errorSystem();

// ERRORSYS: installs the process's handler. Called once at start-up, before
// anything else.
void ERRORSYS();

// The last-resort text: the message, " from Errorsys, line:" and the line in 3.
std::string lastResortText(const ErrorRecord& e, int line);

}  // namespace mp
