#include "batching/orders.h"

#include <gtest/gtest.h>

#include <functional>

#include "batching/batch_plan.h"
#include "batching/order_screen_model.h"
#include "batching/production_fixture.h"
#include "platform/runtime/cp874.h"

namespace mp {
namespace {

using production::number;
using production::table;
using production::text;
using B = OrderButton;

class OrdersTest : public testing::ProductionTest {
protected:
    double counter() {
        xbase::Table* t = xbase::Table::open(pathOf("CONSEC")).release();
        std::unique_ptr<xbase::Table> own(t);
        t->goTo(1);
        return t->value("CSNO").number();
    }
    // A planned line of 1000 kg (two batches of 500) on the current order.
    std::string plannedLine() {
        const std::string line = addLine("F1", 1000);
        planBatches(true);
        return line;
    }
    void setBatchActual(const std::string& line, const char* item, double kg) {
        table("BATCHING")->seek(line + item);
        ASSERT_TRUE(production::writeCurrent(table("BATCHING"), {{"ACTUAL1", kg}}));
    }
};

TEST_F(OrdersTest, ButtonsByStateAndRightsLevel) {
    struct Case {
        int level;
        bool orderExists, marked;
        std::vector<B> on;  // of New, Edit, Delete, Mix, Print
    };
    const Case cases[] = {
        {3, false, false, {B::New}},
        {6, false, false, {B::New}},
        {0, true, false, {}},
        {1, true, false, {}},
        {2, true, false, {B::Mix, B::Print}},
        {3, true, false, {B::New, B::Mix, B::Print}},
        {4, true, false, {B::New, B::Edit, B::Mix, B::Print}},
        {5, true, false, {B::New, B::Edit, B::Delete, B::Mix, B::Print}},
        {5, true, true, {B::New, B::Delete}},
        {4, true, true, {B::New}},
    };
    addFormula("F1", 500, 200);
    for (const Case& c : cases) {
        SCOPED_TRACE("level " + std::to_string(c.level) + (c.orderExists ? " order" : " empty") +
                     (c.marked ? " marked" : ""));
        ASSERT_TRUE(openProductionTables());
        if (c.orderExists && table("WDATA")->recordCount() == 0) addOrder();
        if (c.orderExists) {
            moveOrder(3);
            markOrder(c.marked);
        }
        OrderScreenModel model(c.level);
        ASSERT_TRUE(model.open());
        for (B b : {B::New, B::Edit, B::Delete, B::Mix, B::Print}) {
            const bool expected = std::find(c.on.begin(), c.on.end(), b) != c.on.end();
            EXPECT_EQ(model.enabled(b), expected) << "button " << static_cast<int>(b);
        }
        for (B b : {B::First, B::Previous, B::Next, B::Last, B::Search, B::Exit, B::AddLine, B::DeleteLine, B::Zero})
            EXPECT_TRUE(model.enabled(b));
        EXPECT_FALSE(model.enabled(B::Save));
        EXPECT_FALSE(model.enabled(B::Cancel));
        if (!c.orderExists) {
            EXPECT_EQ(model.positionText(), T("เพิ่มข้อมูลใหม่"));
            EXPECT_EQ(model.statusText(), T("0 รายการ"));
        } else if (c.marked) {
            EXPECT_EQ(model.statusText(), T("สั่งลบ"));
        }
    }
}

TEST_F(OrdersTest, NewOrderAdvancesTheCounterCancelDoesNot) {
    OrderScreenModel model(6);
    ASSERT_TRUE(model.open());
    model.beginNew();
    EXPECT_EQ(model.step(), 1);
    EXPECT_EQ(model.entry().number, "0000000001");
    EXPECT_TRUE(model.enabled(OrderField::Company));
    EXPECT_FALSE(model.enabled(OrderField::Number));
    EXPECT_TRUE(model.enabled(B::Save));
    EXPECT_FALSE(model.enabled(B::New));
    EXPECT_FALSE(model.canClose());
    model.cancel();
    EXPECT_EQ(model.step(), 0);
    EXPECT_EQ(counter(), 1);
    EXPECT_EQ(table("WDATA")->recordCount(), 0u);

    model.beginNew();
    EXPECT_FALSE(model.save());  // no company: incomplete, nothing written, still entering
    EXPECT_EQ(model.step(), 1);
    EXPECT_EQ(calls("message"), 1);
    EXPECT_EQ(table("WDATA")->recordCount(), 0u);
    model.entry().company = "c1";
    model.entry().number = "0000000041";  // typed over the proposal
    ASSERT_TRUE(model.save());
    EXPECT_EQ(counter(), 42);
    EXPECT_EQ(model.step(), 0);
    EXPECT_EQ(text(table("WDATA"), "COMPANY"), "C1        ");
    EXPECT_EQ(text(table("WDATA"), "STAFF"), "ADMIN ");
    EXPECT_EQ(model.positionText(), "1 / 1");
    // Editing keeps the counter and the key.
    const std::string key = currentOrderKey();
    ASSERT_TRUE(model.beginEdit());
    EXPECT_TRUE(model.enabled(OrderField::Number));
    model.entry().remark1 = "R";
    ASSERT_TRUE(model.save());
    EXPECT_EQ(counter(), 42);
    EXPECT_EQ(currentOrderKey(), key);
}

TEST_F(OrdersTest, CancellingANewOrderReturnsToTheOrderShownBefore) {
    addOrder("0000000001", Date::fromYmd(2026, 3, 1));
    addOrder("0000000002", Date::fromYmd(2026, 3, 2));
    OrderScreenModel model(6);
    ASSERT_TRUE(model.open());
    model.move(4);
    ASSERT_EQ(model.entry().number, "0000000001");
    model.beginNew();
    EXPECT_EQ(model.positionText(), T("เพิ่มข้อมูลใหม่"));
    EXPECT_EQ(model.entry().number, "0000000003");
    model.cancel();
    EXPECT_EQ(model.entry().number, "0000000001");
    EXPECT_EQ(model.positionText(), "1 / 2");
    EXPECT_EQ(counter(), 3);  // read when entry began, never advanced
}

// Each refusal and each question of the orders and their lines, in the
// system's own words and titles. The operator answers every question no, so
// nothing changes.
TEST_F(OrdersTest, TheOperatorIsToldInTheSystemsOwnWords) {
    addFormula("F1", 500, 200);
    addOrder();
    addLine("F1", 1000);
    OrderScreenModel model(6);
    ASSERT_TRUE(model.open());
    const std::string confirm = T("  กรุณายืนยันการทำงาน");
    const std::string orderTitle = T("  ส่วนบันทึกข้อมูลการทำงาน");
    const std::string lineIncomplete = T("ข้อมูลไม่ครบถ้วน") + "\r\n" + T("ไม่สามารถบันทึกได้ !");
    const std::string lineTitle = T("  ส่วนบันทึกรายการสั่งผสม");
    auto incompleteLine = [](void (*spoil)(LineEntry&)) {
        LineEntry e = loadLine(true);
        e.formula = "F1";
        e.qty = 2;
        e.unit = "KG";
        e.quantity = 2;
        spoil(e);
        EXPECT_FALSE(FORSAVE(true, e));
    };
    struct Case {
        const char* what;
        std::function<void()> act;
        const char* kind;
        std::string text, title;
    };
    const Case cases[] = {
        {"new order without a company",
         [&] {
             model.beginNew();
             EXPECT_FALSE(model.save());
             model.cancel();
         },
         "message", T("บันทึกข้อมูลไม่ครบถ้วน"), orderTitle},
        {"marking the order", [&] { EXPECT_FALSE(model.deleteOrRestore()); }, "yesNo",
         T("สั่งทำเครื่องหมายลบข้อมูลนี้"), confirm},
        {"restoring a marked order",
         [&] {
             ASSERT_TRUE(markOrder(true));
             model.display();
             m_operator.calls.clear();
             EXPECT_FALSE(model.deleteOrRestore());
         },
         "yesNo", T("ยกเลิกการสั่งลบข้อมูลนี้"), confirm},
        {"editing a marked order", [&] { EXPECT_FALSE(model.beginEdit()); }, "message", T("ข้อมูลนี้ถูกสั่งลบ"), ""},
        {"restoring a marked line",
         [&] {
             ASSERT_TRUE(findLine("1"));
             EXPECT_FALSE(DETDEL());
         },
         "yesNo", T("คุณต้องการยกเลิกการลบรายการนี้ ?"), orderTitle},
        {"marking a line",
         [&] {
             ASSERT_TRUE(markOrder(false));
             ASSERT_TRUE(findLine("1"));
             m_operator.calls.clear();
             EXPECT_FALSE(DETDEL());
         },
         "yesNo", T("คุณต้องการสั่งลบรายการนี้ ?"), orderTitle},
        {"line without a formula", [&] { incompleteLine([](LineEntry& e) { e.formula = "  "; }); }, "message",
         lineIncomplete, lineTitle},
        {"line without an amount", [&] { incompleteLine([](LineEntry& e) { e.qty = 0; }); }, "message",
         lineIncomplete, lineTitle},
        {"line without a unit", [&] { incompleteLine([](LineEntry& e) { e.unit.clear(); }); }, "message",
         lineIncomplete, lineTitle},
        {"line without a weight", [&] { incompleteLine([](LineEntry& e) { e.quantity = 0; }); }, "message",
         lineIncomplete, lineTitle},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_operator.calls.clear();
        m_operator.answers.clear();
        c.act();
        ASSERT_EQ(m_operator.calls.size(), 1u);
        EXPECT_EQ(m_operator.calls[0].kind, c.kind);
        EXPECT_EQ(m_operator.calls[0].text, c.text) << cp874ToUtf8(m_operator.calls[0].text);
        EXPECT_EQ(m_operator.calls[0].title, c.title) << cp874ToUtf8(m_operator.calls[0].title);
    }
    EXPECT_EQ(table("WDATA")->recordCount(), 1u);
    EXPECT_EQ(table("DETAIL")->recordCount(), 1u);
}

TEST_F(OrdersTest, NavigationStopsAtBothEnds) {
    addOrder("0000000001", Date::fromYmd(2026, 3, 1));
    addOrder("0000000002", Date::fromYmd(2026, 3, 2));
    OrderScreenModel model(6);
    ASSERT_TRUE(model.open());
    EXPECT_EQ(model.entry().number, "0000000002");  // opens on the latest
    model.move(1);
    EXPECT_EQ(model.entry().number, "0000000002");
    model.move(4);
    model.move(2);
    EXPECT_EQ(model.entry().number, "0000000001");
    EXPECT_EQ(model.positionText(), "1 / 2");
    EXPECT_TRUE(model.search("0000000002"));
    EXPECT_EQ(model.entry().number, "0000000002");
    EXPECT_FALSE(model.search("no such text"));
    EXPECT_EQ(model.entry().number, "0000000002");
}

TEST_F(OrdersTest, UpkeepOfDatesAndActualSums) {
    addFormula("F1", 500, 200);
    addOrder();
    const std::string planned = plannedLine();
    const std::string bare = addLine("F1", 300);
    setBatchActual(planned, "0001", 199.5);
    setBatchActual(planned, "0002", 201.25);
    // A stored actual on a line without batches is replaced by 0.
    ASSERT_TRUE(findLine("2"));
    ASSERT_TRUE(production::writeCurrent(table("DETAIL"), {{"ACTUAL1", 55.0}}));
    // A marked batch no longer counts.
    table("BATCHING")->seek(planned + "0002");
    production::setMark(table("BATCHING"), true);
    // The order's date changes.
    moveOrder(3);
    OrderHeader h = readOrderHeader();
    h.date = Date::fromYmd(2026, 4, 1);
    ASSERT_EQ(saveOrderHeader(false, h), SaveOrderResult::Saved);

    EXPECT_EQ(upkeepOrderLines(), 2);
    struct Expect {
        const char* place;
        double actual1;
    };
    for (const Expect& e : {Expect{"1", 199.5}, Expect{"2", 0}}) {
        ASSERT_TRUE(findLine(e.place));
        EXPECT_DOUBLE_EQ(number(table("DETAIL"), "ACTUAL1"), e.actual1) << "line " << e.place;
        EXPECT_EQ(production::date(table("DETAIL"), "DOC_DATE"), h.date);
    }
    for (uint32_t rec : lineBatches(planned)) {
        table("BATCHING")->goTo(rec);
        EXPECT_EQ(production::date(table("BATCHING"), "DOC_DATE"), h.date);
    }
    (void)bare;
}

TEST_F(OrdersTest, MarkAndRestoreAnOrderWithLinesMarkedOneByOne) {
    addFormula("F1", 500, 200);
    addOrder();
    const std::string first = plannedLine();
    const std::string second = plannedLine();
    ASSERT_TRUE(findLine("1"));
    m_operator.answers = {true};
    ASSERT_TRUE(DETDEL());  // the first line alone, with its batches
    ASSERT_TRUE(findLine("1"));
    EXPECT_TRUE(table("DETAIL")->deleted());
    moveOrder(3);
    m_operator.answers = {true, true};
    ASSERT_TRUE(PDELETE());
    EXPECT_TRUE(table("WDATA")->deleted());
    ASSERT_TRUE(PDELETE());  // restore
    EXPECT_FALSE(table("WDATA")->deleted());
    for (const std::string& line : {first, second}) {
        table("DETAIL")->seek(line);
        EXPECT_FALSE(table("DETAIL")->deleted());
        for (uint32_t rec : lineBatches(line)) {
            table("BATCHING")->goTo(rec);
            EXPECT_FALSE(table("BATCHING")->deleted());
        }
    }
    m_operator.answers = {false};
    EXPECT_FALSE(PDELETE());
    EXPECT_FALSE(table("WDATA")->deleted());
}

TEST_F(OrdersTest, FindsOrdersByNumberOrKey) {
    const std::string a = addOrder("0000000007");
    addOrder("0000000008");
    addOrder("0000000008");
    struct Case {
        std::string arg;
        OrderLookup expected;
    };
    const Case cases[] = {{"7", OrderLookup::Found},          {"0000000007", OrderLookup::Found},
                          {"8", OrderLookup::Ambiguous},      {"9", OrderLookup::NotFound},
                          {production::trim(a), OrderLookup::Found}, {a, OrderLookup::Found}};
    for (const Case& c : cases) {
        EXPECT_EQ(findOrder(c.arg), c.expected) << c.arg;
        if (c.expected == OrderLookup::Found) {
            EXPECT_EQ(currentOrderKey(), a) << c.arg;
        }
    }
}

TEST_F(OrdersTest, LineTargetsFromFormulaAmountAndUnit) {
    struct Case {
        double capacity, qty1, amount;
        const char* unit;
        double quantity, target1;
    };
    const Case cases[] = {
        {500, 200, 3, "HALF", 1500, 600},
        {0, 200, 3, "HALF", 1500, 0},
        {500, 200, 3, "NONE", 0, 0},
    };
    addUnit("HALF", 500);
    int n = 0;
    for (const Case& c : cases) {
        const std::string code = "X" + std::to_string(++n);
        addFormula(code, c.capacity, c.qty1);
        ASSERT_TRUE(table("FORMULA")->seek(production::padded(code, 10)));
        LineEntry e;
        CHGFOR(e);
        e.qty = c.amount;
        e.unit = c.unit;
        CHGUNIT(e);
        EXPECT_DOUBLE_EQ(e.quantity, c.quantity);
        EXPECT_DOUBLE_EQ(e.slots[0].target, c.target1);
    }
}

TEST_F(OrdersTest, IncompleteLineIsRefusedAndWritesNothing) {
    addFormula("F1", 500, 200);
    addOrder();
    LineEntry e = loadLine(true);
    e.formula = "F1";
    e.unit = "KG";
    e.qty = 0;
    EXPECT_FALSE(FORSAVE(true, e));
    EXPECT_EQ(table("DETAIL")->recordCount(), 0u);
    ASSERT_EQ(calls("message"), 1);
    EXPECT_EQ(m_operator.calls.back().title, T("  ส่วนบันทึกรายการสั่งผสม"));
}

// A planned line: a changed target reaches no batch; marking the line marks
// its batches, and restoring it brings back every batch, also one that had
// been marked on its own before.
TEST_F(OrdersTest, PlannedLineChangedMarkedAndRestored) {
    addFormula("F1", 500, 200);
    addOrder();
    const std::string line = plannedLine();
    ASSERT_TRUE(findLine("1"));
    LineEntry e = loadLine(false);
    e.slots[0].target = 999;
    ASSERT_TRUE(FORSAVE(false, e));
    EXPECT_DOUBLE_EQ(number(table("DETAIL"), "TARGET1"), 999);
    auto batchStates = [&] {
        std::vector<std::pair<double, bool>> out;  // TARGET1, marked
        for (uint32_t rec : lineBatches(line)) {
            table("BATCHING")->goTo(rec);
            out.emplace_back(number(table("BATCHING"), "TARGET1"), table("BATCHING")->deleted());
        }
        return out;
    };
    using States = std::vector<std::pair<double, bool>>;
    EXPECT_EQ(batchStates(), (States{{200, false}, {200, false}}));

    table("BATCHING")->seek(line + "0002");
    ASSERT_TRUE(production::setMark(table("BATCHING"), true));
    m_operator.answers = {true, true};
    ASSERT_TRUE(findLine("1"));
    ASSERT_TRUE(DETDEL());  // mark the line
    ASSERT_TRUE(findLine("1"));
    EXPECT_TRUE(table("DETAIL")->deleted());
    EXPECT_EQ(batchStates(), (States{{200, true}, {200, true}}));
    ASSERT_TRUE(findLine("1"));
    ASSERT_TRUE(DETDEL());  // restore it
    ASSERT_TRUE(findLine("1"));
    EXPECT_FALSE(table("DETAIL")->deleted());
    EXPECT_EQ(batchStates(), (States{{200, false}, {200, false}}));
}

TEST_F(OrdersTest, LineWithBatchesIsReadOnlyWhenOpenedAgain) {
    addFormula("F1", 500, 200);
    addOrder();
    addLine("F1", 1000);
    EXPECT_FALSE(loadLine(false).hadBatches);
    planBatches(true);
    ASSERT_TRUE(findLine("1"));
    EXPECT_TRUE(loadLine(false).hadBatches);
}

}  // namespace
}  // namespace mp
