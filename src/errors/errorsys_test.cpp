#include "errors/errorsys.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "errors/terminal_dialog.h"
#include "platform/runtime/operator.h"

namespace mp {
namespace {

namespace fs = std::filesystem;

// The screen side of the dialog, scripted: records what it was shown and
// closes with the given choice, or runs `during` while it is open.
class ScriptedDialog : public ErrorDialog {
public:
    ErrorChoice show(const ErrorDialogContent& content) override {
        shown.push_back(content);
        if (during) during();
        return choice;
    }
    std::vector<ErrorDialogContent> shown;
    ErrorChoice choice = ErrorChoice::Default;
    std::function<void()> during;
};

class ErrorSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_logPath = (fs::temp_directory_path() / ("mp_errorsys_" + std::to_string(::getpid()) + ".log")).string();
        m_handler.setDialog(&m_dialog);
        m_handler.setLogPath(m_logPath);
        m_handler.setFactsSource([this] {
            ++m_factsBuilt;
            if (m_duringFacts) m_duringFacts();
            return LogFacts{};
        });
        m_prevHook = setTerminateHook([this](int code, bool atOnce) { m_ended.push_back({code, atOnce}); });
        resetBusy();
    }
    void TearDown() override {
        setTerminateHook(m_prevHook);
        setMainEventLoopRunning(false);
        fs::remove(m_logPath);
    }
    static ErrorRecord record(int gen, int os, bool canRetry, bool canDefault) {
        ErrorRecord e;
        e.genCode = gen;
        e.osCode = os;
        e.subsystem = "DBFNTX";
        e.subCode = 1001;
        e.description = "Open error";
        e.fileName = "WDATA.DBF";
        e.canRetry = canRetry;
        e.canDefault = canDefault;
        return e;
    }

    struct Ending {
        int code;
        bool atOnce;
    };
    ErrorSystem m_handler;
    ScriptedDialog m_dialog;
    ScriptedOperator m_operator;
    ScopedOperator m_scopedOperator{&m_operator};
    ScopedErrorHandler m_installed{&m_handler};
    std::string m_logPath;
    int m_factsBuilt = 0;
    std::function<void()> m_duringFacts;
    std::vector<Ending> m_ended;
    TerminateHook m_prevHook;
};

TEST_F(ErrorSystemTest, QuietCases) {
    using K = ErrorAnswer::Kind;
    struct Case {
        const char* what;
        ErrorRecord e;
        bool quiet;
        K kind;
        bool busy;
    };
    const Case cases[] = {
        {"division by zero", record(gen::kZeroDivide, 0, false, false), true, K::Substitute, false},
        {"open, file in use", record(gen::kOpen, oscode::kSharingViolation, true, true), true, K::Default, true},
        {"open, access denied", record(gen::kOpen, oscode::kAccessDenied, false, true), true, K::Default, true},
        {"append lock", record(gen::kAppendLock, 0, false, true), true, K::Default, true},
        {"open in use, cannot default", record(gen::kOpen, oscode::kSharingViolation, true, false), false,
         K::Retry, false},
        {"open, file not found", record(gen::kOpen, oscode::kFileNotFound, true, true), false, K::Default, false},
        {"append lock, cannot default", record(gen::kAppendLock, 0, true, false), false, K::Retry, false},
    };
    setMainEventLoopRunning(true);
    m_dialog.choice = ErrorChoice::Default;
    for (const auto& c : cases) {
        resetBusy();
        m_dialog.shown.clear();
        m_dialog.choice = c.e.canDefault ? ErrorChoice::Default : ErrorChoice::Retry;
        const ErrorAnswer a = raiseError(c.e);
        EXPECT_EQ(a.kind, c.kind) << c.what;
        EXPECT_EQ(isBusy(), c.busy) << c.what;
        EXPECT_EQ(m_dialog.shown.empty(), c.quiet) << c.what;
        if (c.kind == K::Substitute) {
            EXPECT_EQ(a.value, Value(0.0)) << c.what;
        }
    }
    EXPECT_TRUE(m_ended.empty());
}

TEST_F(ErrorSystemTest, LoggedErrorWritesLogAndShowsDialog) {
    ErrorRecord e = record(gen::kOpen, oscode::kFileNotFound, true, true);
    e.args = std::vector<Value>{Value("WDATA")};
    m_dialog.choice = ErrorChoice::Default;
    EXPECT_EQ(raiseError(e).kind, ErrorAnswer::Kind::Default);
    ASSERT_EQ(m_dialog.shown.size(), 1u);
    const auto& c = m_dialog.shown[0];
    EXPECT_EQ(c.descriptionLine, "   Error description: (DOS Error 2) DBFNTX/1001  Open error: WDATA.DBF");
    EXPECT_TRUE(c.canRetry);
    EXPECT_TRUE(c.canDefault);
    EXPECT_EQ(c.logPath, m_logPath);
    EXPECT_EQ(c.caption, errorDialogCaption());

    std::ifstream in(m_logPath, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), errorLogText(e, LogFacts{}) + "\x1A");
    EXPECT_FALSE(m_handler.active());
}

TEST_F(ErrorSystemTest, DialogChoices) {
    using K = ErrorAnswer::Kind;
    struct Case {
        const char* what;
        ErrorChoice choice;
        bool loopRunning;
        K kind;
        bool ends;
    };
    const Case cases[] = {
        {"quit", ErrorChoice::Quit, true, K::Quit, true},
        {"retry in the main loop", ErrorChoice::Retry, true, K::Retry, false},
        {"retry before the main loop", ErrorChoice::Retry, false, K::Quit, true},
        {"default", ErrorChoice::Default, false, K::Default, false},
    };
    for (const auto& c : cases) {
        m_ended.clear();
        setMainEventLoopRunning(c.loopRunning);
        m_dialog.choice = c.choice;
        EXPECT_EQ(raiseError(record(gen::kRead, 0, true, true)).kind, c.kind) << c.what;
        ASSERT_EQ(m_ended.size(), c.ends ? 1u : 0u) << c.what;
        if (c.ends) {
            EXPECT_EQ(m_ended[0].code, 1) << c.what;
            EXPECT_FALSE(m_ended[0].atOnce) << c.what;
        }
    }
}

TEST_F(ErrorSystemTest, OnlyQuitEndsWithExitCodeOne) {
    m_dialog.choice = ErrorChoice::Quit;
    raiseError(record(gen::kCorruption, 0, false, false));
    ASSERT_EQ(m_ended.size(), 1u);
    EXPECT_EQ(m_ended[0].code, 1);
}

TEST_F(ErrorSystemTest, AfterDefaultTheHandlerIsInForceAgain) {
    m_dialog.choice = ErrorChoice::Default;
    raiseError(record(gen::kRead, 0, false, true));
    EXPECT_EQ(raiseError(record(gen::kZeroDivide, 0, false, false)).kind, ErrorAnswer::Kind::Substitute);
    raiseError(record(gen::kWrite, 0, false, true));
    EXPECT_EQ(m_dialog.shown.size(), 2u);
    EXPECT_EQ(m_factsBuilt, 2);
}

TEST_F(ErrorSystemTest, ReentryEndsAtOnce) {
    m_dialog.during = [this] { m_handler.handle(record(gen::kRead, 0, false, true)); };
    m_dialog.choice = ErrorChoice::Default;
    raiseError(record(gen::kWrite, 0, false, true));
    ASSERT_EQ(m_ended.size(), 1u);
    EXPECT_EQ(m_ended[0].code, 1);
    EXPECT_TRUE(m_ended[0].atOnce);
    EXPECT_EQ(m_factsBuilt, 1);  // no second log
}

TEST_F(ErrorSystemTest, ErrorWhileBuildingTheLogGetsTheLastResort) {
    MP_CALL_LEVEL("BUILDLOG");
    const int line = __LINE__ - 1;
    ErrorRecord inner;
    inner.subsystem = "BASE";
    inner.subCode = 1234;
    inner.description = "Cannot convert value";
    m_duringFacts = [&inner] { raiseError(inner); };
    EXPECT_EQ(raiseError(record(gen::kRead, 0, true, true)).kind, ErrorAnswer::Kind::Quit);

    ASSERT_EQ(m_operator.calls.size(), 1u);
    EXPECT_EQ(m_operator.calls[0].kind, "stop");
    char lineText[8];
    std::snprintf(lineText, sizeof lineText, "%3d", line);
    EXPECT_EQ(m_operator.calls[0].text,
              std::string("Error BASE/1234  Cannot convert value from Errorsys, line:") + lineText);
    EXPECT_TRUE(m_dialog.shown.empty());
    ASSERT_EQ(m_ended.size(), 1u);
    EXPECT_EQ(m_ended[0].code, 1);

    // Had the program gone on, the handler is the program's again.
    m_duringFacts = nullptr;
    raiseError(record(gen::kRead, 0, false, true));
    EXPECT_EQ(m_dialog.shown.size(), 1u);
}

TEST_F(ErrorSystemTest, ExceptionInTheDialogGetsTheLastResort) {
    m_dialog.during = [] { throw std::runtime_error("dialog broke"); };
    raiseError(record(gen::kRead, 0, false, true));
    ASSERT_EQ(m_operator.calls.size(), 1u);
    EXPECT_EQ(m_operator.calls[0].text.rfind("Error ERRORSYS/???  dialog broke from Errorsys, line:", 0), 0u)
        << m_operator.calls[0].text;
    ASSERT_EQ(m_ended.size(), 1u);
    EXPECT_FALSE(m_handler.active());
}

TEST_F(ErrorSystemTest, LastResortTextRightAlignsTheLine) {
    ErrorRecord e;
    e.severity = 1;
    EXPECT_EQ(lastResortText(e, 7), "Warning ???/??? from Errorsys, line:  7");
    EXPECT_EQ(lastResortText(e, 1234), "Warning ???/??? from Errorsys, line:1234");
}

TEST(ErrorDialogButtons, RowsAndDefaultButton) {
    struct Case {
        bool retry, dflt;
        std::array<std::string, 3> places;
        int defaultPlace;
    };
    const Case cases[] = {
        {true, true, {"&Retry", "&Quit", "&Default"}, 1},
        {true, false, {"&Quit", "&Retry", ""}, -1},
        {false, true, {"&Quit", "", "&Default"}, -1},
        {false, false, {"", "&Quit", ""}, 1},
    };
    for (const auto& c : cases) {
        const ErrorButtonRow row = errorDialogButtons(c.retry, c.dflt);
        EXPECT_EQ(row.places, c.places);
        EXPECT_EQ(row.defaultPlace, c.defaultPlace);
    }
}

TEST(TerminalErrorDialog, DefaultsWhenItCanElseQuits) {
    std::ostringstream out;
    TerminalErrorDialog dialog(out);
    ErrorDialogContent c;
    c.error.subsystem = "BASE";
    c.error.subCode = 1003;
    c.error.description = "Variable does not exist";
    c.stackLines = {"   Called from: x.cpp => MAIN(1)"};
    c.logPath = "Error.log";
    c.canDefault = true;
    c.canRetry = true;
    EXPECT_EQ(dialog.show(c), ErrorChoice::Default);
    c.canDefault = false;
    EXPECT_EQ(dialog.show(c), ErrorChoice::Quit);
    EXPECT_NE(out.str().find("Error BASE/1003  Variable does not exist\n   Called from: x.cpp => MAIN(1)\n"),
              std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("Error.log"), std::string::npos);
}

TEST(ErrorSysDeath, QuitEndsTheProcessWithExitCodeOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ErrorSystem h;
            h.setLogPath("/dev/null");
            h.setFactsSource([] { return LogFacts{}; });
            ScriptedDialog d;
            d.choice = ErrorChoice::Quit;
            h.setDialog(&d);
            ErrorRecord e;
            e.genCode = gen::kRead;
            h.handle(e);
        },
        ::testing::ExitedWithCode(1), "");
}

}  // namespace
}  // namespace mp
