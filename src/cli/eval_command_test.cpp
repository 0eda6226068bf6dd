// mixplant-cli eval, run as a script would run it, in a fresh folder.

#include <algorithm>
#include <fstream>

#include "cli/cli_test_support.h"

namespace {

class EvalCommand : public mp::clitest::CliFixture {
protected:
    // Runs `mixplant-cli eval EXPR`; the expression is passed in double quotes (none of the cases holds a dollar sign).
    int eval(const std::string& expression, std::string& out, std::string& err) const {
        const mp::clitest::Outcome r = run("eval \"" + expression + "\"");
        out = r.out;
        err = r.err;
        return r.status;
    }
};

TEST_F(EvalCommand, PrintsTheTypeLetterAndTheTextForm) {
    const struct { const char* expression; const char* line; } cases[] = {
        {"STR(1234.567,8,2)", "C: 1234.57\n"},
        {"10/4", "N:2.5\n"},
        {"2*3", "N:6\n"},
        {"10/0", "N:0\n"},  // division by zero: 0, and nothing said
        {"CTOD('17/09/2016')", "D:17/09/2016\n"},
        {"'ABC'='AB'", "L:.T.\n"},
        {"UPPER('ไทย abc')", "C:ไทย ABC\n"},  // code page 874 inside, UTF-8 on the terminal
    };
    for (const auto& c : cases) {
        std::string out, err;
        EXPECT_EQ(eval(c.expression, out, err), 0) << c.expression << ": " << err;
        EXPECT_EQ(out, c.line) << c.expression;
        EXPECT_EQ(err, "") << c.expression;
    }
}

TEST_F(EvalCommand, AFailingExpressionShowsTheHandlersMessageAndExitsWith3) {
    const struct { const char* expression; const char* message; } cases[] = {
        {"NOSUCH + 1", "Error BASE/1003  Variable does not exist: NOSUCH"},
        {"1 +", "Error BASE/1449  Syntax error at 4"},
        {"NOFUNCTION(1)", "Error BASE/1001  Undefined function: NOFUNCTION"},
        {"1 + 'A'", "Error BASE/1081  Argument error: +"},
    };
    for (const auto& c : cases) {
        std::string out, err;
        EXPECT_EQ(eval(c.expression, out, err), 3) << c.expression;
        EXPECT_EQ(out, "") << c.expression;
        EXPECT_NE(err.find(c.message), std::string::npos) << c.expression << ": " << err;
    }
}

// Start-up runs first, so the settings are process-wide values by any case of
// their names: the defaults on a first start (which writes MAIN.INI), the
// values of the file named by --ini otherwise. No one has logged in yet.
TEST_F(EvalCommand, SeesTheSettingsOfStartUp) {
    const struct { const char* args; const char* line; } firstStart[] = {
        {"eval \"chbranch + '/' + CHLINE\"", "C:000/บริษัท ทาริโน จำกัด\n"},
        {"eval \"NFONTRATIO + CWLIMIT\"", "N:21\n"},
        {"eval \"'[' + CUSER + ']'\"", "C:[]\n"},
    };
    for (const auto& c : firstStart) {
        const mp::clitest::Outcome r = run(c.args);
        EXPECT_EQ(r.status, 0) << c.args << ": " << r.err;
        EXPECT_EQ(r.out, c.line) << c.args;
    }
    EXPECT_NE(mp::clitest::slurp(path("MAIN.INI")).find("Branch=000"), std::string::npos);

    std::ofstream(path("PLANT.INI"), std::ios::binary)
        << "[Data]\r\nName=Tarino Mix\r\nBranch=007\r\n[Font]\r\nRatio=-3\r\n[Misc]\r\nW.Limit=  15.5\r\n";
    const mp::clitest::Outcome r = run("--ini PLANT.INI eval \"CHLINE + '/' + CHBRANCH + STR(NFONTRATIO + CWLIMIT, 5, 1)\"");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "C:Tarino Mix/007 18.5\n");
}

// The error log's "Stack Calls" lists the open levels from the innermost
// outwards: the functions being called, then the command word.
TEST_F(EvalCommand, TheErrorLogListsTheCallLevels) {
    std::string out, err;
    ASSERT_EQ(eval("LEN(UPPER(NOSUCH))", out, err), 3) << err;
    std::string log = mp::clitest::slurp(path("Error.log"));
    log.erase(std::remove(log.begin(), log.end(), '\r'), log.end());  // the log's lines end in CR LF
    const size_t section = log.find("Stack Calls\n===========\n");
    ASSERT_NE(section, std::string::npos) << log;
    const std::vector<std::string> levels =
        mp::clitest::split(log.substr(section, log.find("\n\n", section) - section));
    ASSERT_EQ(levels.size(), 5u) << log;
    const char* expected[] = {"evaluator.cpp => UPPER(", "evaluator.cpp => LEN(", "main.cpp => eval("};
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(levels[i + 2].rfind(std::string("   Called from: ") + expected[i], 0), 0u) << levels[i + 2];
}

}  // namespace
