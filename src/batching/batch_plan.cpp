#include "batching/batch_plan.h"

#include <cmath>

#include "app/settings.h"
#include "batching/production_records.h"
#include "data/helpers.h"
#include "data/table_access.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/dayclock.h"
#include "platform/runtime/error.h"
#include "platform/runtime/operator.h"

namespace mp {
namespace {

using production::number;
using production::slotField;
using production::text;

long long hundredths(double kg) { return std::llround(kg * 100); }
double kilograms(long long h) { return static_cast<double>(h) / 100; }

std::string planTitle() { return T("  ส่วนบันทึกคำสั่งผลิต"); }

// The line's total weight as the field stores it, trimmed ("1600.00").
std::string storedQuantity(const xbase::Table* detail) {
    const int i = detail->fieldIndex("QUANTITY");
    return i < 0 ? "" : production::trim(detail->record().raw(i));
}

bool operatorAgrees(const xbase::Table* detail) {
    const std::string text = T("เริ่มกำหนดปริมาณการผสม") + "\r\n\r\n" + T("สูตรผสม:") +
                             production::trimmedText(detail, "FORMULA") + "\r\n\r\n" + T("จำนวน ") +
                             storedQuantity(detail) + " Kg. ?";
    return operatorUi().yesNo(text, planTitle());
}

// The line's formula: the FORMULA record the table stands on when it is the
// line's, else the one its code finds (none: the end of the table).
void standOnFormula(xbase::Table* formula, const std::string& code) {
    if (!formula->eof() && production::text(formula, "CODE") == code) return;
    formula->seek(code);
    if (!formula->found()) {
        formula->goBottom();
        formula->skip(1);
    }
}

PlanFigures figuresOf(const xbase::Table* detail, const xbase::Table* formula) {
    PlanFigures f;
    f.quantity = number(detail, "QUANTITY");
    f.capacity = number(formula, "CAPACITY");
    for (int n = 1; n <= kSlots; ++n) {
        f.lineTargets[n - 1] = number(detail, slotField("TARGET", n));
        f.formulaQty[n - 1] = number(formula, slotField("QTY", n));
    }
    return f;
}

// Appends the batches of `plan` whose numbers are missing; returns how many.
int appendMissing(const std::vector<BatchShare>& plan, const std::string& lineKey, const xbase::Table* detail,
                  xbase::Table* batching) {
    int appended = 0;
    const Date docDate = production::date(detail, "DOC_DATE");
    for (const BatchShare& b : plan) {
        const std::string item = ZERO(b.item, kItemWidth);
        if (batching->seek(lineKey + item)) continue;  // kept as it is, marked or not
        FieldValues values = {{"INDENT", lineKey.substr(0, kIndentWidth)},
                              {"INDENT2", lineKey.substr(kIndentWidth)},
                              {"ITEM", item},
                              {"DOC_DATE", docDate},
                              {"DATE", dayClock().today()},
                              {"TIME", production::clockTime()},
                              {"STAFF", settings().CUSER},
                              {"STAT", std::string(1, status::kBatchPlanned)}};
        for (int n = 1; n <= kSlots; ++n) {
            values.push_back({slotField("TARGET", n), b.targets[n - 1]});
            values.push_back({slotField("ACTUAL", n), 0.0});
        }
        if (production::appendRecord(batching, values)) ++appended;
    }
    return appended;
}

// Step 5: BATCHING selected, on the line's first batch when there is one.
void finish(xbase::Table* batching, const std::string& lineKey) {
    workAreas().select("BATCHING");
    if (batching) batching->seek(lineKey + "0001");
}

}  // namespace

long batchCount(const PlanFigures& f) {
    const long long weight = hundredths(f.quantity);
    if (weight <= 0) return 0;
    const long long capacity = hundredths(f.capacity);
    if (capacity <= 0) return -1;
    const long long count = (weight + capacity - 1) / capacity;
    return count > kMaxBatches ? kMaxBatches + 1 : static_cast<long>(count);
}

std::vector<BatchShare> splitLine(const PlanFigures& f) {
    std::vector<BatchShare> plan;
    const long count = batchCount(f);
    if (count < 1 || count > kMaxBatches) return plan;
    long long remaining = hundredths(f.quantity);
    const long long capacity = hundredths(f.capacity);
    std::array<long long, kSlots> left{};
    for (int n = 0; n < kSlots; ++n) left[n] = hundredths(f.lineTargets[n]);
    for (int k = 1; remaining > 0; ++k) {
        remaining = remaining > capacity ? remaining - capacity : 0;
        BatchShare b;
        b.item = k;
        for (int n = 0; n < kSlots; ++n) {
            const long long q = hundredths(f.formulaQty[n]);
            const long long t = left[n] > q ? q : left[n];
            left[n] -= t;
            b.targets[n] = kilograms(t);
        }
        plan.push_back(b);
    }
    return plan;
}

PlanOutcome planBatches(bool silent) {
    xbase::Table* detail = production::table("DETAIL");
    xbase::Table* formula = production::table("FORMULA");
    xbase::Table* batching = production::table("BATCHING");
    PlanOutcome out;
    if (!detail || !formula || !batching || detail->eof()) {
        finish(batching, "");
        return out;
    }
    const std::string lineKey = text(detail, "INDENT") + text(detail, "INDENT2");
    const std::string code = text(detail, "FORMULA");
    if (production::trim(code).empty() || hundredths(number(detail, "QUANTITY")) == 0) {
        out.result = PlanResult::NothingToPlan;
        finish(batching, lineKey);
        return out;
    }
    standOnFormula(formula, code);
    const PlanFigures figures = figuresOf(detail, formula);
    const long count = batchCount(figures);
    if (count < 0 || count > kMaxBatches) {
        out.result = count < 0 ? PlanResult::BadCapacity : PlanResult::TooManyBatches;
        operatorUi().alert(count < 0 ? T("ขนาดเครื่องชั่งของสูตรผสมต้องมากกว่า 0 ไม่สามารถแบ่งการผสมได้")
                                     : T("จำนวนครั้งที่ผสมเกิน 9999 ครั้ง ไม่สามารถแบ่งการผสมได้"),
                           planTitle());
        finish(batching, lineKey);
        return out;
    }
    if (!silent && !operatorAgrees(detail)) {
        out.result = PlanResult::Declined;
        finish(batching, lineKey);
        return out;
    }
    // The line's own lock keeps a second planner of this line waiting until
    // every number of this plan is there.
    workAreas().select("DETAIL");
    REC_LOCK(0);
    const std::vector<BatchShare> plan = splitLine(figures);
    out.result = PlanResult::Planned;
    out.batches = static_cast<int>(plan.size());
    out.appended = appendMissing(plan, lineKey, detail, batching);
    detail->unlockAll();
    finish(batching, lineKey);
    return out;
}

bool BATCHK(bool silent) {
    MP_CALL_LEVEL("BATCHK");
    planBatches(silent);
    return true;
}

bool saveBatch(const SlotWeights& targets, const SlotWeights& actuals) {
    xbase::Table* batching = production::table("BATCHING");
    if (!batching || batching->eof()) return false;
    FieldValues values;
    for (int n = 1; n <= kSlots; ++n) {
        values.push_back({slotField("TARGET", n), targets[n - 1]});
        values.push_back({slotField("ACTUAL", n), actuals[n - 1]});
    }
    for (const auto& [name, v] : values)
        if (!production::fits(batching, name, v.number())) return false;
    return production::writeCurrent(batching, values);
}

}  // namespace mp
