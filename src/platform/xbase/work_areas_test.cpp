#include "platform/xbase/work_areas.h"

#include <gtest/gtest.h>

#include "platform/xbase/test_support.h"

namespace mp::xbase {
namespace {

using testing::BusyHandler;
using testing::ScratchDir;

class WorkAreasTest : public ::testing::Test {
protected:
    ScratchDir dir;
    BusyHandler handler;
    ScopedErrorHandler guard{&handler};
    WorkAreas areas;

    void SetUp() override {
        ASSERT_TRUE(Table::create(dir.path("COMPANY.DBF"), {{"CODE", 'C', 10, 0}, {"NAME", 'C', 20, 0}}));
        ASSERT_TRUE(Table::create(dir.path("wdata.dbf"), {{"NUMBER", 'C', 10, 0}, {"COMPANY", 'C', 10, 0},
                                                          {"PRINT", 'N', 2, 0}, {"DATE", 'D', 8, 0}}));
        auto c = Table::open(dir.path("company"));
        for (auto [code, name] : {std::pair{"C1", "First"}, {"C2", "Second"}}) {
            ASSERT_TRUE(c->append());
            c->setValue("CODE", Value(code));
            c->setValue("NAME", Value(name));
        }
        c->commit();
        c->unlockAll();
        auto w = Table::open(dir.path("WDATA"));
        for (auto code : {"C2", "C9", "C1"}) {
            ASSERT_TRUE(w->append());
            w->setValue("COMPANY", Value(code));
        }
        w->unlockAll();
    }
};

TEST_F(WorkAreasTest, AliasesSelectAndClose) {
    EXPECT_EQ(areas.open(dir.path("Company")), 1);
    EXPECT_EQ(areas.open(dir.path("wdata"), "Orders"), 2);
    EXPECT_EQ(areas.aliasOf(2), "ORDERS");
    EXPECT_TRUE(areas.select("company"));
    EXPECT_EQ(areas.selected(), 1);
    EXPECT_FALSE(areas.select("nosuch"));
    EXPECT_EQ(areas.selected(), 1);
    EXPECT_EQ(areas.open(dir.path("COMPANY"), "orders"), 2);  // reopening an alias closes it first
    EXPECT_EQ(areas.current()->path(), dir.path("COMPANY.DBF"));
    areas.close("COMPANY");
    EXPECT_EQ(areas.freeArea(), 1);
    areas.closeAll();
    EXPECT_EQ(areas.current(), nullptr);
    EXPECT_EQ(areas.open(dir.path("missing")), 0);
}

TEST_F(WorkAreasTest, RelationFollowsTheParent) {
    ASSERT_TRUE(areas.open(dir.path("company")));
    ASSERT_TRUE(areas.current()->createIndex(dir.path("company"), "code",
                                             [](const Record& r) { return r.value("CODE").text(); }));
    ASSERT_TRUE(areas.open(dir.path("wdata")));
    ASSERT_TRUE(areas.setRelation("WDATA", "company", [](const Record& r) { return r.value("COMPANY").text(); }));
    Table* w = areas.table("wdata");
    Table* c = areas.table("COMPANY");
    const char* expected[] = {"Second", nullptr, "First"};
    int i = 0;
    for (w->goTop(); !w->eof(); w->skip(), ++i) {
        if (expected[i]) {
            EXPECT_EQ(c->value("NAME").text().substr(0, strlen(expected[i])), expected[i]);
        } else {
            EXPECT_TRUE(c->eof());
        }
    }
    EXPECT_TRUE(c->eof());  // parent at its end
}

TEST_F(WorkAreasTest, ResolvesFieldsForTheEvaluator) {
    ASSERT_TRUE(areas.open(dir.path("company")));
    ASSERT_TRUE(areas.open(dir.path("wdata")));
    areas.table("company")->goTo(2);
    areas.table("wdata")->goTo(1);
    EXPECT_EQ(areas.field("", "company")->text().substr(0, 2), "C2");  // bare field of the current table
    EXPECT_EQ(areas.field("Company", "name")->text().substr(0, 6), "Second");
    EXPECT_FALSE(areas.field("company", "nosuch"));
    EXPECT_FALSE(areas.field("nosuch", "name"));
    EXPECT_TRUE(areas.hasAlias("WData"));
    areas.table("wdata")->goTo(99);
    EXPECT_EQ(*areas.field("", "PRINT"), Value(0.0));  // past the end: blank of its kind
    EXPECT_EQ(*areas.field("", "DATE"), Value(Date()));
    EXPECT_FALSE(areas.assignField("", "PRINT", Value(1)));  // no record, no lock
    areas.table("wdata")->goTo(1);
    areas.current()->lockRecord();
    EXPECT_TRUE(areas.assignField("", "PRINT", Value(3)));
    EXPECT_EQ(*areas.field("wdata", "print"), Value(3.0));
}

}  // namespace
}  // namespace mp::xbase
