#include "platform/runtime/publics.h"

#include <gtest/gtest.h>

namespace mp {
namespace {

using R = Publics::Result;

TEST(Publics, NamesMatchWithoutRegardToCase) {
    std::string cdrv1 = ".\\";
    auto reg = Publics::instance().bind("cDrv1", cdrv1);
    Publics& p = Publics::instance();
    EXPECT_TRUE(p.exists("CDRV1"));
    EXPECT_TRUE(p.exists("cdrv1"));
    EXPECT_EQ(p.get("Cdrv1"), Value(".\\"));
    EXPECT_EQ(p.assign("CDRV1", Value("D:\\")), R::Ok);
    EXPECT_EQ(cdrv1, "D:\\");
    auto names = p.names();
    EXPECT_NE(std::find(names.begin(), names.end(), "CDRV1"), names.end());
}

TEST(Publics, TypedBindingsTakeOnlyTheirKind) {
    std::string text = "a";
    double number = 1;
    bool logical = false;
    Date date;
    Value any;
    PublicsScope scope;
    scope.bind("T_TEXT", text);
    scope.bind("T_NUM", number);
    scope.bind("T_LOG", logical);
    scope.bind("T_DATE", date);
    scope.bind("T_ANY", any);
    Publics& p = Publics::instance();
    Date d = Date::fromYmd(2026, 1, 5);
    struct Case {
        const char* name;
        Value v;
        R expected;
    } cases[] = {
        {"T_TEXT", Value("b"), R::Ok},      {"T_TEXT", Value(1), R::WrongKind},
        {"T_NUM", Value(2.5), R::Ok},       {"T_NUM", Value("2.5"), R::WrongKind},
        {"T_LOG", Value(true), R::Ok},      {"T_LOG", Value(1), R::WrongKind},
        {"T_DATE", Value(d), R::Ok},        {"T_DATE", Value("05/01/2026"), R::WrongKind},
        {"T_ANY", Value("x"), R::Ok},       {"T_ANY", Value(3), R::Ok},
        {"T_NONE", Value(1), R::NoSuchName},
    };
    for (const Case& c : cases) EXPECT_EQ(p.assign(c.name, c.v), c.expected) << c.name;
    EXPECT_EQ(text, "b");
    EXPECT_EQ(number, 2.5);
    EXPECT_TRUE(logical);
    EXPECT_EQ(date, d);
    EXPECT_EQ(any, Value(3));
    EXPECT_EQ(p.get("T_NUM"), Value(2.5));
    scope.clear();
    EXPECT_FALSE(p.exists("T_TEXT"));
    EXPECT_FALSE(p.get("T_TEXT").has_value());
}

TEST(Publics, ArraysUseSubscriptsFromOne) {
    std::vector<std::string> texts = {"a", "b"};
    std::vector<double> numbers = {1, 2, 3};
    std::vector<bool> flags = {false, true};
    Value any = Value::array({Value(1), Value("x")});
    PublicsScope scope;
    scope.bind("A_TEXT", texts);
    scope.bind("A_NUM", numbers);
    scope.bind("A_FLAG", flags);
    scope.bind("A_ANY", any);
    Publics& p = Publics::instance();
    struct Case {
        const char* name;
        size_t sub;
        Value v;
        R expected;
    } cases[] = {
        {"A_TEXT", 2, Value("z"), R::Ok},       {"A_TEXT", 0, Value("z"), R::BadSubscript},
        {"A_TEXT", 3, Value("z"), R::BadSubscript}, {"A_TEXT", 1, Value(1), R::WrongKind},
        {"A_NUM", 3, Value(9), R::Ok},          {"A_NUM", 1, Value(true), R::WrongKind},
        {"A_FLAG", 1, Value(true), R::Ok},      {"A_FLAG", 2, Value("T"), R::WrongKind},
        {"A_ANY", 2, Value(Date()), R::Ok},     {"A_ANY", 3, Value(1), R::BadSubscript},
        {"A_NONE", 1, Value(1), R::NoSuchName},
    };
    for (const Case& c : cases) EXPECT_EQ(p.assignElement(c.name, c.sub, c.v), c.expected) << c.name << c.sub;
    EXPECT_EQ(texts, (std::vector<std::string>{"a", "z"}));
    EXPECT_EQ(numbers, (std::vector<double>{1, 2, 9}));
    EXPECT_EQ(flags, (std::vector<bool>{true, true}));
    EXPECT_EQ(any.elements()[1], Value(Date()));
    EXPECT_EQ(p.getElement("a_num", 3), Value(9));
    EXPECT_FALSE(p.getElement("A_NUM", 0).has_value());
    EXPECT_FALSE(p.getElement("A_NUM", 4).has_value());
    EXPECT_EQ(p.get("A_FLAG"), Value::array({Value(true), Value(true)}));

    // A whole array is taken only when every element is of the vector's kind.
    EXPECT_EQ(p.assign("A_NUM", Value::array({Value(4), Value("5")})), R::WrongKind);
    EXPECT_EQ(numbers.size(), 3u);
    EXPECT_EQ(p.assign("A_NUM", Value::array({Value(4), Value(5)})), R::Ok);
    EXPECT_EQ(numbers, (std::vector<double>{4, 5}));
    EXPECT_EQ(p.assign("A_NUM", Value(4)), R::WrongKind);

    // A scalar is not subscripted.
    double scalar = 1;
    scope.bind("A_SCALAR", scalar);
    EXPECT_EQ(p.assignElement("A_SCALAR", 1, Value(2)), R::WrongKind);
    EXPECT_FALSE(p.getElement("A_SCALAR", 1).has_value());
}

TEST(Publics, NewerRegistrationHidesOlderUntilItEnds) {
    std::string outer = "outer", middle = "middle", inner = "inner";
    Publics& p = Publics::instance();
    auto r1 = p.bind("SHADOW", outer);
    {
        auto r2 = p.bind("shadow", middle);
        auto r3 = p.bind("Shadow", inner);
        EXPECT_EQ(p.get("SHADOW"), Value("inner"));
        r2.release();  // out of order: the middle one ends first
        EXPECT_EQ(p.get("SHADOW"), Value("inner"));
        EXPECT_EQ(p.assign("SHADOW", Value("x")), R::Ok);
        EXPECT_EQ(inner, "x");
        EXPECT_EQ(middle, "middle");
    }
    EXPECT_EQ(p.get("SHADOW"), Value("outer"));
    r1.release();
    r1.release();  // twice is harmless
    EXPECT_FALSE(p.exists("SHADOW"));
}

TEST(Publics, MovedRegistrationEndsOnce) {
    std::string a = "a", b = "b";
    Publics& p = Publics::instance();
    Publics::Registration keep;
    {
        auto r = p.bind("MOVED", a);
        keep = std::move(r);
    }  // the moved-from registration ends nothing
    EXPECT_EQ(p.get("MOVED"), Value("a"));
    keep = p.bind("MOVED", b);  // assigning ends the old binding
    EXPECT_EQ(p.get("MOVED"), Value("b"));
    std::vector<Publics::Registration> regs;
    for (int i = 0; i < 20; ++i) regs.push_back(p.bind("MOVED", a));  // vector growth moves them
    regs.clear();
    EXPECT_EQ(p.get("MOVED"), Value("b"));
    keep.release();
    EXPECT_FALSE(p.exists("MOVED"));
}

TEST(Publics, FunctionBindings) {
    double stored = 5;
    Publics& p = Publics::instance();
    auto ro = p.bindFunctions("RO_NAME", [] { return Value(42); });
    auto rw = p.bindFunctions("RW_NAME", [&] { return Value(stored); },
                              [&](const Value& v) { return v.isNumber() ? (stored = v.number(), true) : false; });
    EXPECT_EQ(p.get("ro_name"), Value(42));
    EXPECT_EQ(p.assign("RO_NAME", Value(1)), R::WrongKind);
    EXPECT_EQ(p.assign("RW_NAME", Value(7)), R::Ok);
    EXPECT_EQ(stored, 7);
    EXPECT_EQ(p.assign("RW_NAME", Value("7")), R::WrongKind);

    Value list = Value::array({Value(1), Value(2)});
    auto arr = p.bindFunctions("FN_ARR", [&] { return Value::array(list.elements()); },
                               [&](const Value& v) { list = v; return true; });
    EXPECT_EQ(p.getElement("FN_ARR", 2), Value(2));
    EXPECT_EQ(p.assignElement("FN_ARR", 2, Value(8)), R::Ok);
    EXPECT_EQ(list.elements()[1], Value(8));
    EXPECT_EQ(p.assignElement("FN_ARR", 3, Value(8)), R::BadSubscript);
}

TEST(Publics, RefusesEmptyNameAndMissingBinding) {
    std::string s;
    Publics& p = Publics::instance();
    auto r1 = p.bind("", s);
    auto r2 = p.add("NOBINDING", nullptr);
    EXPECT_FALSE(p.exists(""));
    EXPECT_FALSE(p.exists("NOBINDING"));
}

}  // namespace
}  // namespace mp
