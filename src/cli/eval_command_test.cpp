// mixplant-cli eval, run as a script would run it, in a fresh folder.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class EvalCommand : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/mp_eval_XXXXXX";
        m_dir = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    static std::string slurp(const fs::path& p) {
        std::ifstream f(p, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    // Runs `mixplant-cli eval EXPR`; the expression is passed in double quotes (none of the cases holds a dollar sign).
    int eval(const std::string& expression, std::string& out, std::string& err) const {
        const std::string cmd = "cd '" + m_dir + "' && '" MIXPLANT_CLI "' eval \"" + expression +
                                "\" >stdout.txt 2>stderr.txt <&-";
        const int raw = std::system(cmd.c_str());
        out = slurp(fs::path(m_dir) / "stdout.txt");
        err = slurp(fs::path(m_dir) / "stderr.txt");
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    std::string m_dir;
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

}  // namespace
