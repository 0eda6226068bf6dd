#include "platform/runtime/error.h"

#include <gtest/gtest.h>

#include "platform/runtime/field_resolver.h"
#include "platform/runtime/operator.h"

namespace mp {
namespace {

TEST(RaiseError, WithoutHandlerDivisionByZeroGivesZero) {
    ErrorHandler* prev = installErrorHandler(nullptr);
    ErrorRecord zero;
    zero.genCode = gen::kZeroDivide;
    ErrorAnswer a = raiseError(zero);
    EXPECT_EQ(a.kind, ErrorAnswer::Kind::Substitute);
    EXPECT_EQ(a.value, Value(0));
    ErrorRecord open;
    open.genCode = gen::kOpen;
    EXPECT_EQ(raiseError(open).kind, ErrorAnswer::Kind::Default);
    installErrorHandler(prev);
}

TEST(RaiseError, InstalledHandlerAnswersInTurn) {
    RecordingErrorHandler rec;
    rec.answers = {ErrorAnswer::retry(), ErrorAnswer::substitute(Value("x"))};
    rec.fallback = ErrorAnswer::quit();
    {
        ScopedErrorHandler scope(&rec);
        EXPECT_EQ(currentErrorHandler(), &rec);
        ErrorRecord e;
        e.genCode = gen::kZeroDivide;  // the handler decides, even for this one
        e.operation = "/";
        EXPECT_EQ(raiseError(e).kind, ErrorAnswer::Kind::Retry);
        ErrorAnswer s = raiseError(e);
        EXPECT_EQ(s.kind, ErrorAnswer::Kind::Substitute);
        EXPECT_EQ(s.value, Value("x"));
        EXPECT_EQ(raiseError(e).kind, ErrorAnswer::Kind::Quit);
    }
    EXPECT_NE(currentErrorHandler(), &rec);
    ASSERT_EQ(rec.errors.size(), 3u);
    EXPECT_EQ(rec.errors[0].operation, "/");
}

TEST(Busy, SetResetTest) {
    resetBusy();
    EXPECT_FALSE(isBusy());
    setBusy();
    EXPECT_TRUE(isBusy());
    resetBusy();
    EXPECT_FALSE(isBusy());
}

void innerRoutine(std::vector<CallLevel>& seen) {
    MP_CALL_LEVEL("INNER");
    seen = callLevels();
}

TEST(CallLevels, InnermostFirstAndClosedOnExit) {
    std::vector<CallLevel> seen;
    {
        MP_CALL_LEVEL("OUTER");
        MP_CALL_LEVEL("MIDDLE");  // two levels in one block compile side by side
        innerRoutine(seen);
        EXPECT_EQ(callLevels().size(), 2u);
    }
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_STREQ(seen[0].function, "INNER");
    EXPECT_STREQ(seen[1].function, "MIDDLE");
    EXPECT_STREQ(seen[2].function, "OUTER");
    EXPECT_GT(seen[0].line, 0);
    EXPECT_TRUE(callLevels().empty());
}

TEST(Operator, DefaultIsSilentAndAnswersNo) {
    Operator* prev = setOperator(nullptr);
    bool ran = false;
    operatorUi().message("m", "t");
    EXPECT_FALSE(operatorUi().yesNo("q", "t"));
    operatorUi().wait("w", [&] { ran = true; });
    EXPECT_TRUE(ran);
    setOperator(prev);
}

TEST(Operator, ScriptedRecordsCallsAndPopsAnswers) {
    ScriptedOperator op;
    op.answers = {true};
    ScopedOperator scope(&op);
    bool ran = false;
    EXPECT_TRUE(operatorUi().yesNo("Save?", "Q"));
    EXPECT_FALSE(operatorUi().yesNo("Again?", "Q"));  // answers used up: No
    operatorUi().alert("Careful", "A");
    operatorUi().wait("Please wait", [&] { ran = true; });
    operatorUi().beep(440, 200);
    operatorUi().progress("Copy", 3, 10);
    EXPECT_TRUE(ran);
    ASSERT_EQ(op.calls.size(), 6u);
    EXPECT_EQ(op.calls[0].kind, "yesNo");
    EXPECT_EQ(op.calls[0].text, "Save?");
    EXPECT_EQ(op.calls[2].kind, "alert");
    EXPECT_EQ(op.calls[2].title, "A");
    EXPECT_EQ(op.calls[3].kind, "wait");
    EXPECT_EQ(op.calls[4].text, "440,200");
    EXPECT_EQ(op.calls[5].title, "3/10");
}

class OneField : public FieldResolver {
public:
    std::optional<Value> field(std::string_view alias, std::string_view name) const override {
        if (name == "CODE") return Value("A1");
        return std::nullopt;
    }
    bool hasAlias(std::string_view alias) const override { return alias == "WDATA"; }
};

TEST(FieldResolver, InstallAndRestore) {
    OneField f;
    FieldResolver* prev = setFieldResolver(&f);
    ASSERT_EQ(fieldResolver(), &f);
    EXPECT_EQ(fieldResolver()->field("", "CODE"), Value("A1"));
    EXPECT_FALSE(fieldResolver()->assignField("", "CODE", Value("B")));
    EXPECT_EQ(setFieldResolver(prev), &f);
}

}  // namespace
}  // namespace mp
