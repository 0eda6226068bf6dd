#include "batching/batch_plan.h"

#include <gtest/gtest.h>

#include "batching/production_fixture.h"
#include "platform/runtime/cp874.h"

namespace mp {
namespace {

using production::number;
using production::table;
using production::text;

struct SplitCase {
    const char* what;
    double quantity, capacity, formulaQty, lineTarget;
    std::vector<double> expected;  // slot 1 target of each batch
};

TEST(SplitLine, BatchesAndTheirSlotTargets) {
    const SplitCase cases[] = {
        {"1600 kg on 500: last batch is the rest", 1600, 500, 200, 640, {200, 200, 200, 40}},
        {"exact multiple makes no empty batch", 1500, 500, 200, 600, {200, 200, 200}},
        {"weight equal to capacity: one full batch", 500, 500, 200, 200, {200}},
        {"1 kg above a multiple: a last batch of 1 kg", 501, 500, 200, 200.4, {200, 0.4}},
        {"hundredths never leave a spurious batch", 0.3, 0.1, 0.05, 0.15, {0.05, 0.05, 0.05}},
        {"slot without formula weight stays 0", 1000, 500, 0, 300, {0, 0}},
        {"line target above plan leaves excess unplanned", 1000, 500, 200, 900, {200, 200}},
        {"line target below plan leaves later batches short", 1500, 500, 200, 250, {200, 50, 0}},
        {"zero weight plans nothing", 0, 500, 200, 0, {}},
        {"negative weight plans nothing", -10, 500, 200, 0, {}},
        {"capacity 0 plans nothing", 1000, 0, 200, 0, {}},
        {"negative capacity plans nothing", 1000, -5, 200, 0, {}},
        {"more than 9999 batches plans nothing", 10000.01, 1, 1, 10000, {}},
    };
    for (const SplitCase& c : cases) {
        PlanFigures f;
        f.quantity = c.quantity;
        f.capacity = c.capacity;
        f.formulaQty[0] = c.formulaQty;
        f.lineTargets[0] = c.lineTarget;
        const std::vector<BatchShare> plan = splitLine(f);
        ASSERT_EQ(plan.size(), c.expected.size()) << c.what;
        for (size_t k = 0; k < plan.size(); ++k) {
            EXPECT_EQ(plan[k].item, static_cast<int>(k + 1)) << c.what;
            EXPECT_DOUBLE_EQ(plan[k].targets[0], c.expected[k]) << c.what << " batch " << k + 1;
        }
    }
}

TEST(SplitLine, CountsTheBatchesALineNeeds) {
    PlanFigures f;
    f.capacity = 1;
    f.quantity = 9999;
    EXPECT_EQ(batchCount(f), 9999);
    f.quantity = 9999.5;
    EXPECT_GT(batchCount(f), kMaxBatches);
    f.capacity = 0;
    EXPECT_EQ(batchCount(f), -1);
}

class BatchPlanTest : public testing::ProductionTest {
protected:
    std::vector<double> slotTargets(const std::string& lineKey, int slot) {
        std::vector<double> out;
        for (uint32_t rec : lineBatches(lineKey)) {
            table("BATCHING")->goTo(rec);
            out.push_back(number(table("BATCHING"), production::slotField("TARGET", slot)));
        }
        return out;
    }
};

TEST_F(BatchPlanTest, PlansTheLineOnceAndKeepsMarkedBatches) {
    addFormula("F1", 500, 200, 300);
    addOrder();
    const std::string line = addLine("F1", 1600);
    EXPECT_DOUBLE_EQ(number(table("DETAIL"), "TARGET1"), 640);

    PlanOutcome first = planBatches(true);
    EXPECT_EQ(first.result, PlanResult::Planned);
    EXPECT_EQ(first.appended, 4);
    // BATCHING is selected and stands on the first batch.
    EXPECT_EQ(workAreas().current(), table("BATCHING"));
    EXPECT_EQ(text(table("BATCHING"), "ITEM"), "0001");
    EXPECT_EQ(text(table("BATCHING"), "STAT"), "0");
    EXPECT_EQ(text(table("BATCHING"), "STAFF"), "ADMIN ");
    EXPECT_EQ(slotTargets(line, 1), (std::vector<double>{200, 200, 200, 40}));
    EXPECT_EQ(slotTargets(line, 2), (std::vector<double>{300, 300, 300, 60}));

    // Batch 2 marked, then the plan again: nothing appended, the mark stays.
    table("BATCHING")->seek(line + "0002");
    ASSERT_TRUE(production::setMark(table("BATCHING"), true));
    ASSERT_TRUE(findLine("1"));
    PlanOutcome second = planBatches(true);
    EXPECT_EQ(second.batches, 4);
    EXPECT_EQ(second.appended, 0);
    EXPECT_EQ(lineBatches(line).size(), 4u);
    table("BATCHING")->seek(line + "0002");
    EXPECT_TRUE(table("BATCHING")->deleted());
}

TEST_F(BatchPlanTest, AsksFirstUnlessSilent) {
    addFormula("F1", 500, 200);
    addOrder();
    const std::string line = addLine("F1", 1000);
    m_operator.answers = {false};
    EXPECT_EQ(planBatches(false).result, PlanResult::Declined);
    EXPECT_TRUE(lineBatches(line).empty());
    ASSERT_EQ(calls("yesNo"), 1);
    EXPECT_EQ(m_operator.calls.back().text, T("เริ่มกำหนดปริมาณการผสม") + "\r\n\r\n" + T("สูตรผสม:") + "F1" +
                                                "\r\n\r\n" + T("จำนวน ") + "1000.00 Kg. ?");
    EXPECT_EQ(m_operator.calls.back().title, T("  ส่วนบันทึกคำสั่งผลิต"));

    m_operator.answers = {true};
    ASSERT_TRUE(findLine("1"));
    EXPECT_TRUE(BATCHK(false));
    EXPECT_EQ(lineBatches(line).size(), 2u);
}

TEST_F(BatchPlanTest, CapacityZeroIsToldAndPlansNothing) {
    addFormula("F0", 0, 200);
    addOrder();
    const std::string line = addLine("F0", 1000);
    EXPECT_DOUBLE_EQ(number(table("DETAIL"), "TARGET1"), 0);  // division by zero gives 0
    EXPECT_EQ(planBatches(false).result, PlanResult::BadCapacity);
    EXPECT_EQ(calls("yesNo"), 0);
    EXPECT_EQ(calls("alert"), 1);
    EXPECT_TRUE(lineBatches(line).empty());
}

TEST_F(BatchPlanTest, SavingAnEditedBatchWritesOnlyItsWeights) {
    addFormula("F1", 500, 200);
    addOrder();
    const std::string line = addLine("F1", 500);
    planBatches(true);
    SlotWeights targets{}, actuals{};
    targets[0] = 210;
    actuals[0] = 205.5;
    ASSERT_TRUE(saveBatch(targets, actuals));
    EXPECT_DOUBLE_EQ(number(table("BATCHING"), "TARGET1"), 210);
    EXPECT_DOUBLE_EQ(number(table("BATCHING"), "ACTUAL1"), 205.5);
    EXPECT_EQ(text(table("BATCHING"), "STAT"), "0");
    actuals[0] = 1e9;  // does not fit N 10.2: nothing written
    EXPECT_FALSE(saveBatch(targets, actuals));
    EXPECT_DOUBLE_EQ(number(table("BATCHING"), "ACTUAL1"), 205.5);
}

}  // namespace
}  // namespace mp
