#include "masterdata/codes.h"

#include <gtest/gtest.h>

#include "data/site_setup.h"
#include "data/table_access.h"
#include "data/test_site.h"
#include "platform/runtime/cp874.h"

namespace mp {
namespace {

class CodesTest : public testing::SiteTest {
protected:
    void SetUp() override {
        SiteTest::SetUp();
        for (int t = 1; t <= 6; ++t) ASSERT_TRUE(openCodeTable(t));
    }
    // A record of table `t` with code and name, saved through the editor.
    void add(int t, const std::string& code, const std::string& name = "Name") {
        CodeEditor e(t, true);
        ASSERT_TRUE(e.start());
        ASSERT_TRUE(e.set("code", Value(code)));
        ASSERT_TRUE(e.set("name", Value(name)));
        ASSERT_TRUE(e.save()) << code;
    }
    xbase::Table* tableOf(int t) { return workAreas().table(codeTable(t)->alias); }
    void markCurrent(int t) {
        workAreas().select(codeTable(t)->alias);
        m_operator.answers = {true};
        ASSERT_TRUE(CDELETE());
    }
};

TEST_F(CodesTest, CodeAndNameRulesOfEveryEditor) {
    for (int t = 1; t <= 6; ++t) {
        SCOPED_TRACE("table " + std::to_string(t));
        add(t, "AAA");
        add(t, "MRK");
        std::string code = "MRK";
        ASSERT_EQ(pickCode(t, code), PickResult::Taken);
        markCurrent(t);
        struct Case {
            bool isNew;
            const char* code;
            const char* name;
            bool codeOk, nameOk;
        };
        const Case cases[] = {
            {true, "AAA", "x", false, true},   // another record's code
            {true, "mrk", "x", false, true},   // a marked record's code, typed in lower case
            {true, "", "x", false, true},      // empty code
            {true, "NEW", "", true, false},    // empty name
            {true, "NEW", "x", true, true},
        };
        for (const Case& c : cases) {
            CodeEditor e(t, c.isNew);
            ASSERT_TRUE(e.start());
            e.set("CODE", Value(std::string(c.code)));
            e.set("NAME", Value(std::string(c.name)));
            EXPECT_EQ(e.codeAccepted(), c.codeOk) << c.code;
            EXPECT_EQ(e.nameAccepted(), c.nameOk) << c.code;
        }
        // Nothing refused was written.
        EXPECT_EQ(tableOf(t)->recordCount(), 2u);
        // Its own code is accepted on change; another's is not, and save refuses it.
        code = "AAA";
        ASSERT_EQ(pickCode(t, code), PickResult::Taken);
        CodeEditor own(t, false);
        ASSERT_TRUE(own.start());
        EXPECT_TRUE(own.codeAccepted());
        own.set("NAME", Value(std::string("Renamed")));
        EXPECT_TRUE(own.save());
        own.set("CODE", Value(std::string("MRK")));
        EXPECT_FALSE(own.save());
        code = "aaa";
        EXPECT_EQ(pickCode(t, code), PickResult::Taken);
        EXPECT_EQ(tableOf(t)->value("NAME").text().substr(0, 7), "Renamed");
    }
}

TEST_F(CodesTest, MarkedRecordIsNeitherPickedNorEdited) {
    add(1, "C1");
    std::string code = "c1";
    ASSERT_EQ(pickCode(1, code), PickResult::Taken);
    EXPECT_EQ(code, "C1        ");  // the stored code replaces the typed one
    markCurrent(1);
    code = "C1";
    EXPECT_EQ(pickCode(1, code), PickResult::Marked);
    EXPECT_EQ(m_operator.calls.back().text, T("ข้อมูลถูกทำเครื่องหมายลบ !"));
    EXPECT_EQ(m_operator.calls.back().title, T("  ส่วนตารางรหัส"));
    CodeEditor e(1, false);
    EXPECT_FALSE(e.start());
    EXPECT_EQ(m_operator.calls.back().text, T("ไม่สามารถแก้ไขข้อมูลนี้ได้"));
    EXPECT_EQ(m_operator.calls.back().title, T("ส่วนทำการแก้ไขรหัสข้อมูล"));
    // A new record may not take the marked record's code: the duplicate warning.
    CodeEditor fresh(1, true);
    ASSERT_TRUE(fresh.start());
    fresh.set("CODE", Value(std::string("c1")));
    m_operator.calls.clear();
    EXPECT_FALSE(fresh.codeAccepted());
    ASSERT_EQ(m_operator.calls.size(), 1u);
    EXPECT_EQ(m_operator.calls[0].kind, "alert");
    EXPECT_EQ(m_operator.calls[0].text, T("รหัสนี้มีในตารางข้อมูลแล้ว !"));
    EXPECT_EQ(m_operator.calls[0].title, T("คำเตือน"));
    code = "C9";
    EXPECT_EQ(pickCode(1, code), PickResult::NotFound);
    // Restoring makes it pickable again; the question names the restore.
    code = "C1";
    pickCode(1, code);
    m_operator.calls.clear();
    markCurrent(1);
    ASSERT_EQ(m_operator.calls.size(), 1u);
    EXPECT_EQ(m_operator.calls[0].text, T("ยกเลิกเครื่องหมายลบ"));
    EXPECT_EQ(m_operator.calls[0].title, T("กรุณายืนยันการทำงาน"));
    code = "C1";
    EXPECT_EQ(pickCode(1, code), PickResult::Taken);
}

TEST_F(CodesTest, FormulaSavesAllSixtyTwoValues) {
    ASSERT_EQ(editedFields(3).size(), 62u);
    CodeEditor e(3, true);
    ASSERT_TRUE(e.start());
    e.set("CODE", Value(std::string("F1")));
    e.set("NAME", Value(std::string("Concrete")));
    e.set("CAPACITY", Value(500.0));
    ASSERT_TRUE(e.save());
    xbase::Table* f = tableOf(3);
    for (int n = 1; n <= kSlots; ++n) {  // only code, name and capacity given
        EXPECT_EQ(f->value("AGG" + std::to_string(n)).text(), std::string(10, ' '));
        EXPECT_EQ(f->value("QTY" + std::to_string(n)).number(), 0);
    }
    // A change writes every value shown, the adjustments included.
    CodeEditor edit(3, false);
    ASSERT_TRUE(edit.start());
    ASSERT_TRUE(edit.set("AGG3", Value(std::string("sand"))));
    ASSERT_TRUE(edit.set("ADJUST3", Value(-1.5)));
    ASSERT_TRUE(edit.set("FEED3", Value(2.5)));
    EXPECT_FALSE(edit.set("FEED3", Value(12345.0)));  // wider than "999.9"
    EXPECT_FALSE(edit.set("STAT", Value(std::string("x"))));
    // Meanwhile the mixing run rewrites an adjustment: the save replaces it.
    ASSERT_TRUE(REC_LOCK(0));
    f->setValue("ADJUST1", Value(9.0));
    f->commit();
    f->unlockAll();
    ASSERT_TRUE(edit.save());
    EXPECT_EQ(f->value("AGG3").text().substr(0, 4), "sand");
    EXPECT_EQ(f->value("ADJUST3").number(), -1.5);
    EXPECT_EQ(f->value("ADJUST1").number(), 0);
    EXPECT_EQ(f->value("CAPACITY").number(), 500);
}

TEST_F(CodesTest, NewUserHasNoPasswordAndNoRights) {
    add(4, "op1", "Operator");
    xbase::Table* u = tableOf(4);
    EXPECT_EQ(u->value("CODE").text(), "OP1   ");
    EXPECT_EQ(u->value("PASS_W").text(), std::string(6, ' '));
    EXPECT_EQ(u->value("TRUSTEE").text(), std::string(42, ' '));
}

TEST(CodeButtons, ByRightsLevel) {
    struct Case {
        int level;
        bool add, edit, del;
    };
    const Case cases[] = {{2, false, false, false}, {3, true, false, false}, {4, true, true, false},
                          {5, true, true, true},    {9, true, true, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(codeButtonEnabled(CodeButton::Add, c.level), c.add) << c.level;
        EXPECT_EQ(codeButtonEnabled(CodeButton::Edit, c.level), c.edit) << c.level;
        EXPECT_EQ(codeButtonEnabled(CodeButton::Delete, c.level), c.del) << c.level;
        EXPECT_FALSE(codeButtonEnabled(CodeButton::Add, c.level, false));
    }
}

}  // namespace
}  // namespace mp
