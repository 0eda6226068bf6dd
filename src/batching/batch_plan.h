#pragma once

// The batch plan of an order line (BATCHK) and the saving of an edited
// batch (BATEDIT's save). A line's total weight is split into batches of the
// formula's capacity; every batch but the last carries the formula's weight
// of each slot, the last what is left of the line's targets.
//
// The plan is positional: batch k takes its share of the remaining weight
// and targets whether or not its record exists, an existing number (marked
// or not) is never rewritten, and only missing numbers are appended, so it
// can run again at any time and running it twice appends nothing.
//
// Decisions of this plant (doc/production.md):
// - A formula whose capacity is 0 or negative (or a line whose formula is not
//   in FORMULA) cannot split a positive weight: nothing is planned and the
//   operator is told so.
// - A line that would need more than 9999 batches (ITEM has four digits) is
//   not planned at all, with a message; no batch is appended.
// - Two computers planning one line: the planner holds the line's DETAIL
//   record lock while it tests and appends batch numbers, so a second
//   planner waits and then finds every number there.
// - Weights are split in hundredths of a kilogram (the fields' decimals), so
//   no floating-point remainder ever makes an extra, empty batch.

#include <array>
#include <vector>

#include "data/catalogue.h"

namespace mp {

using SlotWeights = std::array<double, kSlots>;

// The figures one plan is made from.
struct PlanFigures {
    double quantity = 0;      // DETAIL->QUANTITY, kilograms
    SlotWeights lineTargets{};  // DETAIL->TARGET1..8
    double capacity = 0;      // FORMULA->CAPACITY
    SlotWeights formulaQty{};   // FORMULA->QTY1..8
};

// One planned batch: its number (from 1) and its slot targets.
struct BatchShare {
    int item = 0;
    SlotWeights targets{};
};

constexpr int kMaxBatches = 9999;

// How many batches the figures need: the quantity divided by the capacity,
// rounded up (0 for a quantity of 0 or less; -1 when a positive quantity
// meets a capacity of 0 or less).
long batchCount(const PlanFigures& f);
// The batches of a plan, in order. Empty when batchCount() is not 1..9999.
std::vector<BatchShare> splitLine(const PlanFigures& f);

enum class PlanResult {
    Planned,         // the plan ran; `appended` says how many records were new
    NothingToPlan,   // no formula on the line, or a total weight of 0 or less
    Declined,        // the operator answered No
    BadCapacity,     // a positive weight and a capacity of 0 or less: told, nothing planned
    TooManyBatches,  // more than 9999 batches needed: told, nothing planned
    NoLine,          // DETAIL stands on no line, or a production table is not open
};

struct PlanOutcome {
    PlanResult result = PlanResult::NoLine;
    int batches = 0;   // batches of the plan (existing and new)
    int appended = 0;  // records appended by this run
};

// Plans the current DETAIL line with the formula of that line (the FORMULA
// record the table stands on when it is the line's, else the one sought by
// the line's code). With `silent` false it first asks "เริ่มกำหนดปริมาณการผสม"
// (title "  ส่วนบันทึกคำสั่งผลิต") through the operator interface. Requires
// DETAIL, FORMULA and BATCHING open (BATCHING indexed on
// INDENT+INDENT2+ITEM). Afterwards BATCHING is selected and stands on the
// line's batch "0001" when there is one.
PlanOutcome planBatches(bool silent);
// BATCHK: planBatches() for the screens and the mixing run; always true.
bool BATCHK(bool silent);

// BATEDIT's save: the current BATCHING record's TARGET1..8 and ACTUAL1..8,
// under its lock. False (nothing written) when BATCHING stands on no record
// or a weight does not fit its field. Neither STAT nor the mark changes.
bool saveBatch(const SlotWeights& targets, const SlotWeights& actuals);

}  // namespace mp
