// Inputs that once hurt, or could hurt, the evaluator: each must come back
// with a value or with error records to the handler, never a crash, a hang or
// a read out of bounds. Inputs the fuzzer (bench/run-fuzz-expr) finds are kept
// as files in src/expr/fuzz_cases/, first byte the handler's answer as in the
// fuzz target, the rest the expression.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "expr/evaluator.h"
#include "platform/runtime/error.h"
#include "platform/runtime/publics.h"

namespace mp::expr {
namespace {

const ErrorAnswer kAnswers[] = {ErrorAnswer::giveUp(), ErrorAnswer::substitute(0.0), ErrorAnswer::substitute("x"),
                                ErrorAnswer::retry(), ErrorAnswer::quit()};

// Every record the handler saw is one of ours, complete.
void runUnderEveryAnswer(const std::string& source) {
    for (const ErrorAnswer& answer : kAnswers) {
        RecordingErrorHandler handler;
        handler.fallback = answer;
        ScopedErrorHandler scoped(&handler);
        Compiled c = compile(source);
        c.evaluate();
        c.evaluate();
        for (const ErrorRecord& e : handler.errors) {
            EXPECT_EQ(e.subsystem, std::string("BASE")) << source;
            EXPECT_TRUE(e.description && !e.description->empty()) << source;
            EXPECT_TRUE(e.canDefault) << source;
        }
    }
}

TEST(FuzzRegression, HostileExpressionsEndInAValueOrAnError) {
    std::vector<double> psum{1, 2, 3};
    std::string cuser = "ADMIN";
    PublicsScope names;
    names.bind("PSUM", psum);
    names.bind("CUSER", cuser);
    const std::string big(30, '9');         // beyond every count and position
    const std::string huge(400, '9');       // beyond the largest number
    const std::string tiny = "0." + std::string(400, '0') + "1";
    const std::string cases[] = {
        "", " ", "'", "\"", "'abc", "(", ")", "[", "]", ",", ".", "..", ".T", ".t.", ".and.", "->", ":=", "a->",
        "->b", "a->->b", "1..2", "1.2.3", "f(", "f(,", "f(,,,,)", "iif(", "iif(.t.,", "iif(.t.,1,2,3)",
        "psum[", "psum[]", "psum[1", "psum[0]", "psum[-1]", "psum[" + big + "]", "psum[0/0]", "psum['a']",
        "psum[1][1]", "psum := 1", "cuser[1]", "cuser := 1", "psum[1] := 'x'", "1/0/0", "0/0", "-(1/0)",
        "1e308", "1E3", huge, tiny, huge + "*" + huge,
        "STR(1/0*0)", "STR(-" + huge + "*" + huge + ",10,2)", "TRANSFORM(-" + huge + "*2,'999.99')", "STR(1,10,-5)",
        "STR(1,10," + big + ")", "ROUND(" + big + "," + big + ")", "SUBSTR('abc',-" + big + "," + big + ")", "CHR(-1)", "CHR(" + big + ")",
        "REPLICATE(''," + big + ")", "SPACE(0/0)", "CTOD(1)", "DTOC('x')", "YEAR(CTOD('01/01/0001'))",
        "CTOD('01/01/2026')+" + big, "CTOD('01/01/2026')-" + big, "CTOD('')+1", "MAX('a','b')",
        "STRTRAN('aaaa','a',REPLICATE('b',30000))", "TRANSFORM(1,'@')", "TRANSFORM(1,'@Z 999')", "TRANSFORM(1,'.')",
        "TRANSFORM(1,',,,')", "TRANSFORM('ab',REPLICATE('!',100))", "PADC(CTOD(''),3)", "LEN(1)", "EMPTY()",
        std::string("'a\0b' + 1", 9), std::string(1, '\0'), "\xff\xfe", "x := y := z := 1", "nosuch(nosuch)",
        "IIF(nosuch, nosuch, nosuch)",
    };
    for (const std::string& source : cases) runUnderEveryAnswer(source);
}

TEST(FuzzRegression, InputsTheFuzzerFound) {
    const std::filesystem::path folder = std::filesystem::path(MIXPLANT_SOURCE_DIR) / "src/expr/fuzz_cases";
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (bytes.size() > 1) runUnderEveryAnswer(bytes.substr(1));
    }
}

}  // namespace
}  // namespace mp::expr
