#include "expr/evaluator.h"

#include <gtest/gtest.h>

#include "expr/functions.h"
#include "expr/test_support.h"
#include "platform/runtime/dayclock.h"
#include "platform/runtime/publics.h"

namespace mp::expr {
namespace {

// A plant's print in miniature: process-wide values, an order with its
// lines and a company table, a recording error handler and a fixed clock.
class Evaluator : public ::testing::Test {
protected:
    void SetUp() override {
        setDayClock(&clock);
        names.bind("CUSER", cuser);
        names.bind("NBATTOT", nbattot);
        names.bind("CEJECT", ceject);
        names.bind("LEXIT", lexit);
        names.bind("PSUM", psum);
        names.bind("CSUB", csub);
        tables["WDATA"].fields = {{"NUMBER", Value("0000000042")}, {"DATE", Value(Date::fromYmd(2026, 1, 5))},
                                  {"COMPANY", Value("C001")}};
        tables["DETAIL"].fields = {{"QTY", Value(12.5)}, {"FORMULA", Value("F1  ")}};
        tables["COMPANY"].fields = {{"NAME", Value("Plant Co")}, {"CREDIT", Value(30.0)},
                                    {"SINCE", Value(Date::fromYmd(2020, 2, 1))}, {"ACTIVE", Value(true)}};
        tables.current = "DETAIL";
    }
    void TearDown() override { setDayClock(nullptr); }

    RecordingErrorHandler handler;
    ScopedErrorHandler scopedHandler{&handler};
    test::ScopedTables tables;
    VirtualDayClock clock{8 * 3600 + 5 * 60 + 9.5, Date::fromYmd(2026, 1, 5)};
    std::string cuser = "ADMIN";
    double nbattot = 3;
    std::string ceject = "N";
    bool lexit = false;
    std::vector<double> psum{10, 20, 30};
    std::vector<std::string> csub{"a", "b"};
    PublicsScope names;
};

Date d(int y, int m, int day) { return Date::fromYmd(y, m, day); }

TEST_F(Evaluator, OperatorsFollowTheirTable) {
    const struct { const char* source; Value expected; } cases[] = {
        {"1+2*3", 7.0}, {"(1+2)*3", 9.0}, {"10-4-3", 3.0}, {"2*-3", -6.0}, {"- -2", 2.0}, {"+5", 5.0},
        {"7/2", 3.5}, {"8/4/2", 1.0}, {".5+1.25", 1.75},
        {"'AB'+\"CD\"", "ABCD"}, {"'' + ''", ""},
        // dates move by days and differ in days
        {"CTOD('30/12/2025')+3", d(2026, 1, 2)}, {"3+CTOD('30/12/2025')", d(2026, 1, 2)},
        {"CTOD('02/01/2026')-CTOD('30/12/2025')", 3.0}, {"CTOD('02/01/2026')-3", d(2025, 12, 30)},
        {"CTOD('02/01/2026')+1.9", d(2026, 1, 3)},
        // "=" is a prefix test, "==" exact
        {"'ABC'='AB'", true}, {"'AB'='ABC'", false}, {"'ABC'=='AB'", false}, {"'AB'=='AB'", true},
        {"'ABC'=''", true}, {"''=''", true}, {"'ABC'==''", false}, {"'' = 'A'", false},
        {"'ABC'!='AB'", false}, {"'AB'<>'ABC'", true}, {"'AB'#'ABC'", true},
        // orderings of texts by the same rule
        {"'AB'<'ABC'", true}, {"'ABC'<'AB'", false}, {"'ABC'>'AB'", false}, {"'ABC'>='AB'", true},
        {"'AB'<='ABC'", true}, {"'ABD'>'ABC'", true}, {"'a'>'B'", true}, {"CHR(161)>'z'", true},
        {"'AB '>'AB'", false}, {"'AB'<'AB '", true},
        // numbers, dates, logicals
        {"1<2", true}, {"2<=2", true}, {"3>2", true}, {"2>=3", false}, {"1=1.0", true}, {"1==1", true},
        {"1<>2", true}, {"CTOD('01/01/2026')<CTOD('02/01/2026')", true}, {"CTOD('')<CTOD('01/01/1970')", true},
        {".F.<.T.", true}, {".T.>.F.", true}, {".T.=.t.", true}, {".F.>=.T.", false},
        // containment
        {"'B'$'ABC'", true}, {"'D'$'ABC'", false}, {"''$'ABC'", false}, {"'ABC'$'AB'", false},
        // logic, with .NOT. below the comparisons
        {".T. .AND. .F.", false}, {".F. .OR. .T.", true}, {".NOT. .F.", true}, {"!.T.", false},
        {"!1=2", true}, {"1=1 .AND. 2=2 .OR. .F.", true}, {".F. .AND. .T. .OR. .T.", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(evaluate(c.source), c.expected) << c.source << " gave " << evaluate(c.source).toDisplay();
    }
    EXPECT_TRUE(handler.errors.empty());
}

TEST_F(Evaluator, NamesReachValuesFieldsAndArraysWithoutRegardToCase) {
    tables["COMPANY"].atEnd = true;  // the relation found no company
    const struct { const char* source; Value expected; } cases[] = {
        {"CUSER", "ADMIN"}, {"cuser", "ADMIN"}, {"CuSeR + '!'", "ADMIN!"}, {"m->cuser", "ADMIN"},
        {"NBATTOT * 2", 6.0}, {"PSUM[3]", 30.0}, {"psum[1]+psum[1+1]", 30.0}, {"CSUB[2]", "b"},
        {"WDATA->NUMBER", "0000000042"}, {"wdata->Date + 1", d(2026, 1, 6)},
        {"QTY * 2", 25.0}, {"field->formula", "F1  "},
        {"COMPANY->NAME", "        "}, {"COMPANY->CREDIT", 0.0}, {"COMPANY->SINCE", Date()},
        {"COMPANY->ACTIVE", false}, {"EMPTY(COMPANY->SINCE)", true},
    };
    for (const auto& c : cases) EXPECT_EQ(evaluate(c.source), c.expected) << c.source;
    EXPECT_TRUE(handler.errors.empty());
}

TEST_F(Evaluator, AssignmentSetsAnExistingValueAndYieldsIt) {
    EXPECT_EQ(evaluate("CEJECT := 'Y'"), Value("Y"));
    EXPECT_EQ(ceject, "Y");
    EXPECT_EQ(evaluate("psum[2] := psum[2] + 1"), Value(21.0));
    EXPECT_EQ(psum[1], 21.0);
    EXPECT_EQ(evaluate("NBATTOT := LEXIT := .T."), Value());  // NBATTOT takes no logical
    EXPECT_TRUE(lexit);
    ASSERT_EQ(handler.errors.size(), 1u);
    EXPECT_EQ(handler.errors[0].genCode, gen::kArgument);
    EXPECT_EQ(handler.errors[0].operation, ":=");
    EXPECT_EQ(evaluate("DETAIL->QTY := 9"), Value(9.0));
    EXPECT_EQ(evaluate("QTY"), Value(9.0));
}

TEST_F(Evaluator, IifAndLogicOperatorsEvaluateOnlyWhatTheyNeed) {
    int calls = 0;
    registerFunction("COUNTED", 0, 0, [&calls](const Arguments&) -> Value { return static_cast<double>(++calls); });
    const struct { const char* source; Value expected; } cases[] = {
        {"IIF(.T., 1, NOSUCH)", 1.0}, {"IIF(1>2, NOSUCH, 'no')", "no"}, {"IF(.F., 1/0, 2)", 2.0},
        {".F. .AND. NOSUCH", false}, {".T. .OR. 1/0", true}, {"IIF(CUSER='ADM', COUNTED(), COUNTED())", 1.0},
    };
    for (const auto& c : cases) EXPECT_EQ(evaluate(c.source), c.expected) << c.source;
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(handler.errors.empty());
}

TEST_F(Evaluator, EveryFaultReachesTheHandlerOnceWithItsKind) {
    const struct {
        const char* source;
        int genCode;
        int subCode;
        const char* description;
        const char* operation;
        std::vector<Value> args;
    } cases[] = {
        {"NOSUCH", gen::kNoVariable, 1003, "Variable does not exist", "NOSUCH", {}},
        {"nosuch := 1", gen::kNoVariable, 1003, "Variable does not exist", "NOSUCH", {}},
        {"NOFUNC(1)", gen::kNoFunction, 1001, "Undefined function", "NOFUNC", {}},
        {"NOALIAS->X", gen::kNoAlias, 1002, "Alias does not exist", "NOALIAS", {}},
        {"WDATA->NOFIELD", gen::kNoVariable, 1003, "Variable does not exist", "WDATA->NOFIELD", {}},
        {"1 + 'A'", gen::kArgument, 1081, "Argument error", "+", {1.0, "A"}},
        {"CTOD('')-'A'", gen::kArgument, 1082, "Argument error", "-", {Date(), "A"}},
        {"'A' * 2", gen::kArgument, 1083, "Argument error", "*", {"A", 2.0}},
        {"'A' / 2", gen::kArgument, 1084, "Argument error", "/", {"A", 2.0}},
        {"-'A'", gen::kArgument, 1080, "Argument error", "-", {"A"}},
        {"'A' < 1", gen::kArgument, 1073, "Argument error", "<", {"A", 1.0}},
        {"'A' = .T.", gen::kArgument, 1071, "Argument error", "=", {"A", true}},
        {"1 == 'A'", gen::kArgument, 1070, "Argument error", "==", {1.0, "A"}},
        {"1 $ 'A'", gen::kArgument, 1109, "Argument error", "$", {1.0, "A"}},
        {".T. .AND. 1", gen::kArgument, 1078, "Argument error", ".AND.", {1.0}},
        {"1 .OR. .T.", gen::kArgument, 1079, "Argument error", ".OR.", {1.0}},
        {"!1", gen::kArgument, 1077, "Argument error", ".NOT.", {1.0}},
        {"IIF(1, 2, 3)", gen::kArgument, 0, "Argument error", "IIF", {1.0}},
        {"STR('x')", gen::kArgument, 1099, "Argument error", "STR", {"x"}},
        {"SUBSTR('abc')", gen::kArgument, 1110, "Argument error", "SUBSTR", {"abc"}},
        {"PSUM[4]", gen::kBound, 1132, "Bound error", "array access", {4.0}},
        {"PSUM[0] := 1", gen::kBound, 1133, "Bound error", "array assign", {0.0}},
    };
    for (const auto& c : cases) {
        handler.errors.clear();
        EXPECT_EQ(evaluate(c.source), Value()) << c.source;  // given up: the blank value
        ASSERT_EQ(handler.errors.size(), 1u) << c.source;
        const ErrorRecord& e = handler.errors[0];
        EXPECT_EQ(e.genCode, c.genCode) << c.source;
        EXPECT_EQ(e.subsystem, std::string("BASE")) << c.source;
        EXPECT_EQ(e.subCode.value_or(0), c.subCode) << c.source;
        EXPECT_EQ(e.description, std::string(c.description)) << c.source;
        EXPECT_EQ(e.operation, c.operation) << c.source;
        if (!c.args.empty()) {
            EXPECT_EQ(e.args.value_or(std::vector<Value>{}), c.args) << c.source;
        }
        EXPECT_TRUE(e.canDefault) << c.source;
    }
}

TEST_F(Evaluator, SyntaxErrorIsRaisedOnceAtCompileWithItsPosition) {
    Compiled c = compile("QTY * (2 + ");
    EXPECT_FALSE(c.valid());
    ASSERT_EQ(handler.errors.size(), 1u);
    const ErrorRecord& e = handler.errors[0];
    EXPECT_EQ(e.genCode, gen::kSyntax);
    EXPECT_EQ(e.subCode, subcode::kSyntax);
    EXPECT_EQ(e.description, std::string("Syntax error at 12: expression expected"));
    EXPECT_EQ(e.operation, "QTY * (2 + ");
    EXPECT_EQ(c.evaluate(), Value());
    EXPECT_EQ(handler.errors.size(), 1u);  // evaluating the invalid expression raises nothing more

    handler.answers = {ErrorAnswer::substitute("?")};
    EXPECT_EQ(evaluate("1 +"), Value("?"));

    handler.errors.clear();
    EXPECT_FALSE(compile("1 +", false).valid());
    EXPECT_TRUE(handler.errors.empty());
}

TEST_F(Evaluator, DivisionByZeroTakesTheHandlersSubstitute) {
    handler.answers = {ErrorAnswer::substitute(0.0)};
    EXPECT_EQ(evaluate("10/0 + 5"), Value(5.0));
    ASSERT_EQ(handler.errors.size(), 1u);
    EXPECT_EQ(handler.errors[0].genCode, gen::kZeroDivide);
    EXPECT_EQ(handler.errors[0].operation, "/");
    EXPECT_EQ(handler.errors[0].args, (std::vector<Value>{10.0, 0.0}));
    EXPECT_TRUE(handler.errors[0].canDefault);

    ScopedErrorHandler none(nullptr);  // no handler: 0 as well
    EXPECT_EQ(evaluate("STR(1/0 + 7, 3)"), Value("  7"));
}

TEST_F(Evaluator, HandlersAnswerDecidesTheOutcome) {
    handler.answers = {ErrorAnswer::substitute(41.0)};
    EXPECT_EQ(evaluate("NOSUCH + 1"), Value(42.0));

    handler.answers = {ErrorAnswer::quit()};  // a handler that cannot end the program: given up
    EXPECT_EQ(evaluate("'x' + NOSUCH"), Value());

    handler.errors.clear();
    handler.fallback = ErrorAnswer::retry();  // a handler that always retries cannot hang the print
    EXPECT_EQ(evaluate("NOSUCH"), Value());
    EXPECT_GT(handler.errors.size(), 1u);
    EXPECT_LE(handler.errors.size(), 101u);

    handler.errors.clear();
    EXPECT_EQ(evaluate("1/0"), Value());  // a division cannot be retried: given up
    EXPECT_EQ(handler.errors.size(), 1u);
}

// A handler that lets the operator create the missing value, then retries.
class CreatingHandler : public ErrorHandler {
public:
    ErrorAnswer handle(const ErrorRecord& e) override {
        ++count;
        if (e.genCode == gen::kNoVariable) names.bind(e.operation, value);
        return ErrorAnswer::retry();
    }
    int count = 0;
    double value = 21;
    PublicsScope names;
};

TEST_F(Evaluator, RetryEvaluatesTheFailingOperationAgain) {
    CreatingHandler creating;
    ScopedErrorHandler scoped(&creating);
    EXPECT_EQ(evaluate("LATE * 2"), Value(42.0));
    EXPECT_EQ(creating.count, 1);
}

TEST_F(Evaluator, CompiledOnceEvaluatesAgainstTheCurrentRecord) {
    Compiled key = compile("DTOS(WDATA->DATE) + FORMULA + STR(QTY, 6, 1)");
    ASSERT_TRUE(key.valid());
    EXPECT_EQ(key.evaluate(), Value("20260105F1    12.5"));
    tables["DETAIL"].fields["QTY"] = 100.0;
    tables["WDATA"].fields["DATE"] = Date::fromYmd(2026, 2, 1);
    EXPECT_EQ(key.evaluate(), Value("20260201F1   100.0"));
    Compiled copy = key;
    EXPECT_EQ(copy.evaluate(), key.evaluate());

    Compiled later = compile("LATERFN(2)");
    EXPECT_EQ(later.evaluate(), Value());
    ASSERT_EQ(handler.errors.size(), 1u);
    registerFunction("laterfn", 1, 1, [](const Arguments& a) -> Value { return numberArg(a, 0) * 10; });
    EXPECT_EQ(later.evaluate(), Value(20.0));
}

TEST_F(Evaluator, FunctionsThatEvaluateExpressionsCannotRecurseForever) {
    registerFunction("EVALTEXT", 1, 1, [](const Arguments& a) { return evaluate(textArg(a, 0)); });
    std::string again = "EVALTEXT(CAGAIN)";
    PublicsScope scope;
    scope.bind("CAGAIN", again);
    EXPECT_EQ(evaluate(again), Value());
    ASSERT_EQ(handler.errors.size(), 1u);
    EXPECT_EQ(handler.errors[0].genCode, gen::kComplexity);
}

}  // namespace
}  // namespace mp::expr
