#include "data/keys.h"

#include <gtest/gtest.h>

#include <deque>

#include "data/test_site.h"
#include "expr/evaluator.h"
#include "platform/runtime/cp874.h"

namespace mp {
namespace {

class Keys : public testing::SiteTest {
protected:
    void SetUp() override {
        SiteTest::SetUp();
        m_previous = setRandomSource([this] {
            if (m_draws.empty()) return uint16_t{1};
            uint16_t d = m_draws.front();
            m_draws.pop_front();
            return d;
        });
        m_clock.set(13 * 3600 + 5 * 60 + 9, Date::fromYmd(2026, 3, 14));
        for (const char* alias : {"BATCHING", "DETAIL", "WDATA"}) ASSERT_TRUE(openTable(*findTable(alias)));
    }
    void TearDown() override {
        setRandomSource(m_previous);
        SiteTest::TearDown();
    }
    void addLine(const std::string& indent, const std::string& indent2) {
        ASSERT_TRUE(appendRecord("DETAIL", {{"INDENT", Value(indent)}, {"INDENT2", Value(indent2)}}));
    }
    void addBatch(const std::string& indent, const std::string& indent2) {
        ASSERT_TRUE(appendRecord("BATCHING", {{"INDENT", Value(indent)}, {"INDENT2", Value(indent2)},
                                              {"ITEM", Value("0001")}}));
    }
    std::deque<uint16_t> m_draws;
    RandomSource m_previous;
};

TEST_F(Keys, CandidateIsDateTimeAndTheProductOfThreeDraws) {
    struct Case {
        uint16_t a, b, c;
        const char* tail;
    };
    const Case cases[] = {{0, 5, 7, "0         "},
                          {2, 3, 7, "42        "},
                          {65535, 65535, 65535, "2814620920"},  // 281462092005375 cut to ten
                          {1000, 1000, 100, "100000000 "}};
    for (const Case& c : cases) {
        m_draws = {c.a, c.b, c.c};
        std::string k = keyCandidate();
        EXPECT_EQ(std::string("20260314130509") + c.tail, k);
        EXPECT_EQ(24u, k.size());
    }
}

TEST_F(Keys, IndentSkipsKeysThatLinesAlreadyUseAndKeepsDetailsPosition) {
    addLine("20260314130509" "42        ", "X");
    addLine("20260314130509" "6         ", "Y");
    workAreas().select("DETAIL");
    currentTable()->goTo(2);
    m_draws = {2, 3, 7, 1, 2, 3, 1, 1, 5};  // 42 taken, 6 taken, 5 free
    EXPECT_EQ("20260314130509" "5         ", INDENT());
    EXPECT_EQ("WDATA", workAreas().aliasOf(workAreas().selected()));
    EXPECT_EQ(2u, workAreas().table("DETAIL")->recNo());
    EXPECT_TRUE(m_draws.empty());
}

TEST_F(Keys, IndentIgnoresOrdersWithoutLines) {
    ASSERT_TRUE(appendRecord("WDATA", {{"INDENT", Value("20260314130509" "42        ")}}));
    m_draws = {2, 3, 7};
    EXPECT_EQ("20260314130509" "42        ", INDENT());
}

TEST_F(Keys, Indent2IsUniqueAmongTheBatchesOfItsOrderOnly) {
    const std::string order = "20260314120000" "77        ";
    addBatch(order, "20260314130509" "42        ");
    addBatch("20260314120000" "88        ", "20260314130509" "6         ");
    workAreas().select("BATCHING");
    currentTable()->goBottom();
    currentTable()->skip(1);  // at the end: stays there
    m_draws = {2, 3, 7, 1, 2, 3};
    EXPECT_EQ("20260314130509" "6         ", INDENT2(order));
    EXPECT_EQ("DETAIL", workAreas().aliasOf(workAreas().selected()));
    EXPECT_TRUE(workAreas().table("BATCHING")->eof());
}

TEST_F(Keys, KeyFunctionReadsTheRecordItIsGiven) {
    ASSERT_TRUE(appendRecord("WDATA", {{"NUMBER", Value("0000000042")},
                                       {"DATE", Value(Date::fromYmd(2026, 3, 1))},
                                       {"TIME", Value("07:30:00")}}));
    xbase::KeyFunction key = keyFunction("DTOS(DATE)+TIME+NUMBER", "WDATA");
    workAreas().select("DETAIL");  // another table is current: the record still counts
    EXPECT_EQ("2026030107:30:000000000042", key(workAreas().table("WDATA")->record()));
    EXPECT_TRUE(workAreas().table("WDATA")->seek("2026030107:30"));
    m_handler.errors.clear();
    EXPECT_FALSE(keyFunction("DTOS(DATE", "WDATA"));
    EXPECT_EQ(1u, m_handler.errors.size());
}

class Search : public testing::SiteTest {
protected:
    void SetUp() override {
        SiteTest::SetUp();
        ASSERT_TRUE(openTable(*findTable("COMPANY")));
        for (const char* name : {"Alpha", "Beta", "Gamma", "Alpine"})
            ASSERT_TRUE(appendRecord("COMPANY", {{"CODE", Value(name)}, {"NAME", Value(name)}}));
        workAreas().select("COMPANY");
        currentTable()->goTop();
        m_operator.calls.clear();
    }
    std::string here() { return currentTable()->value("CODE").text().substr(0, 6); }
};

TEST_F(Search, WalksForwardFromTheRecordAfterTheCurrentOne) {
    struct Case {
        const char* start;
        const char* text;
        bool found;
        const char* stopsAt;
    };
    const Case cases[] = {
        {"Alpha", "alp", true, "Alpine"},  // never the record it starts on
        {"Alpha", " eta ", true, "Beta  "},
        {"Beta", "ALPHA", false, "Beta  "},  // only forward; back where it started
        {"Alpha", "   ", false, "Alpha "},   // blanks find nothing
        {"Gamma", "gam", false, "Gamma "},
    };
    for (const Case& c : cases) {
        m_operator.calls.clear();
        ASSERT_TRUE(currentTable()->seek(c.start));
        EXPECT_EQ(c.found, searchTable(3, c.text, "code+name")) << c.text;
        EXPECT_EQ(c.stopsAt, here()) << c.text;
        EXPECT_EQ(c.found ? 0u : 1u, m_operator.calls.size()) << c.text;
        if (!c.found) {
            EXPECT_EQ(T("ไม่พบข้อความที่ระบุ"), m_operator.calls[0].text);
            EXPECT_EQ(T("  ส่วนค้นหาข้อมูล"), m_operator.calls[0].title);
        }
    }
    EXPECT_TRUE(searchTable(2, "", ""));
    EXPECT_EQ("Gamma ", here());
    EXPECT_TRUE(searchTable(1, "", ""));
    EXPECT_EQ("Alpha ", here());
}

}  // namespace
}  // namespace mp

namespace mp {
namespace {

TEST_F(Keys, FormsCallTheHelpersAndKeyBuildersByName) {
    m_draws = {2, 3, 7};
    struct Case {
        const char* source;
        Value expected;
    };
    const Case cases[] = {
        {"ZERO(7, 4) + DEC2BIN(5)", Value("000700000101")},
        {"BIN2DEC('101') + HEX2DEC('1F')", Value(36)},
        {"SPLIT('A, 12 kg ,7', 2)", Value(12)},
        {"INDENT()", Value("20260314130509" "42        ")},
        {"LEN(INDENT2('X'))", Value(24)},
        {"CONSEC('R')", Value("0000000001")},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, expr::evaluate(c.source)) << c.source;
    EXPECT_TRUE(m_handler.errors.empty());
}

}  // namespace
}  // namespace mp
