#include "batching/weighing.h"

#include <algorithm>
#include <cmath>

#include "app/settings.h"
#include "devices/indicator.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/dayclock.h"

namespace mp {
namespace {

double now() { return dayClock().seconds(); }
double elapsedSince(double from) { return elapsedSeconds(from, now()); }

// One row of a sequence table: what the step waits for and what it then
// does, written as one function that returns nothing and moves CMSTEP on
// when its row is done.
using StepRow = void (*)(RunState& run, BatchRecorder& recorder, int n);

bool clearSetPointsUp(int n) { return HP_COMM(n, hp::kSetPointsUp, 0, 0, 0, 0); }
bool clearSetPointsOut(int n) { return HP_COMM(n, hp::kSetPointsOut, 0, 0, 0, 0); }

// ---- weigh-up ---------------------------------------------------------------

// 0 idle: a batch is left -> 1.
void upIdle(RunState& run, BatchRecorder&, int n) {
    SlotState& s = run.slot(n);
    if (s.CMBATCH < run.NBATTOT) s.CMSTEP = 1;
}

// 1 load: command 1 with max(F,0), M, L, 0 succeeds -> "START", 2.
void upLoad(RunState& run, BatchRecorder&, int n) {
    const CutOffs c = cutOffsOf(run.slot(n));
    if (!HP_COMM(n, hp::kSetPointsUp, std::max(c.final, 0.0), c.medium, c.large, 0)) return;
    run.setMessage(n, "START");
    run.slot(n).CMSTEP = 2;
}

// 2 feeding: a read succeeds and the weight has reached F -> CWAIT, 3.
void upFeeding(RunState& run, BatchRecorder&, int n) {
    SlotState& s = run.slot(n);
    if (!HP_COMM(n, hp::kRead) || run.actual(n) < cutOffsOf(s).final) return;
    s.CWAIT = now();
    s.CMSTEP = 3;
}

// 3 settling: CSTILLW has passed, then a read succeeds -> "STOP", the
// weighed amount captured, set-points cleared (result not examined), 4.
void upSettling(RunState& run, BatchRecorder&, int n) {
    SlotState& s = run.slot(n);
    if (elapsedSince(s.CWAIT) < settings().CSTILLW || !HP_COMM(n, hp::kRead)) return;
    run.setMessage(n, "STOP");
    s.CMSTART = run.actual(n);
    clearSetPointsUp(n);
    s.CMSTEP = 4;
}

// Weighed and allowed to discharge: all materials of this batch weighed, the
// belt on for this batch (or the batch already handed to a mixer), and a
// mixer idle with its ready input on.
bool mayDischarge(const RunState& run, int n) {
    const int b = run.slot(n).CMBATCH;
    const bool allWeighed = run.allSlotsAtLeast({b, 4});
    const bool beltOn = Progress{run.NMIXBAT, run.NMIX} >= Progress{b, 1};
    const bool mixerFree = (run.mixer(1).MIXSTEP == 0 && run.input(1)) ||
                           (run.mixer(2).MIXSTEP == 0 && run.input(3));
    return allWeighed && beltOn && mixerFree;
}

// 4 weighed: the three conditions hold -> CWAIT, 5.
void upWeighed(RunState& run, BatchRecorder&, int n) {
    if (!mayDischarge(run, n)) return;
    run.slot(n).CWAIT = now();
    run.slot(n).CMSTEP = 5;
}

// 5 feed delay: CMFEED has passed, then function code 5 succeeds -> 6.
void upFeedDelay(RunState& run, BatchRecorder&, int n) {
    SlotState& s = run.slot(n);
    if (elapsedSince(s.CWAIT) < s.CMFEED || !HP_COMM(n, hp::kFunctionFE)) return;
    s.CMSTEP = 6;
}

// 6 discharge: the discharge output command succeeds -> "DISCHARGE", 7.
void upDischarge(RunState& run, BatchRecorder&, int n) {
    if (!HP_COMM(n, hp::kDischarge)) return;
    run.setMessage(n, "DISCHARGE");
    run.slot(n).CMSTEP = 7;
}

// 7 emptying: a read succeeds and the weight is at most CWLIMIT -> CWAIT, 8.
void upEmptying(RunState& run, BatchRecorder&, int n) {
    if (!HP_COMM(n, hp::kRead) || run.actual(n) > settings().CWLIMIT) return;
    run.slot(n).CWAIT = now();
    run.slot(n).CMSTEP = 8;
}

// 8 settle empty: CSTILLW has passed, then clearing the set-points succeeds
// -> the batch is closed with D = |CMSTART - weight| (the weight of the
// clear command's reply) and E = T - CMSTART; 0.
void upSettleEmpty(RunState& run, BatchRecorder& recorder, int n) {
    SlotState& s = run.slot(n);
    if (elapsedSince(s.CWAIT) < settings().CSTILLW || !clearSetPointsUp(n)) return;
    const double delivered = std::fabs(s.CMSTART - run.actual(n));
    const double error = s.CMTARGET - s.CMSTART;
    s.CMSTEP = 0;
    recorder.closeSlotBatch(n, delivered, error);
}

constexpr StepRow kWeighUp[] = {upIdle,     upLoad,      upFeeding,   upSettling,   upWeighed,
                                upFeedDelay, upDischarge, upEmptying, upSettleEmpty};

// ---- weigh-out --------------------------------------------------------------

// 0 idle: a batch is left, then a read shows at least the target -> the
// starting weight captured, 1; otherwise "วัตถุดิบไม่พอ", stay.
void outIdle(RunState& run, BatchRecorder&, int n) {
    SlotState& s = run.slot(n);
    if (s.CMBATCH >= run.NBATTOT) return;
    if (HP_COMM(n, hp::kRead) && run.actual(n) >= s.CMTARGET) {
        s.CMSTART = run.actual(n);
        s.CMSTEP = 1;
        return;
    }
    run.setMessage(n, notEnoughMaterialText());
}

// 1 load: every slot is ready for this batch, then command 9 with the cut-offs
// counted down from the starting weight succeeds -> "START", 4.
void outLoad(RunState& run, BatchRecorder&, int n) {
    SlotState& s = run.slot(n);
    if (!run.allSlotsAtLeast({s.CMBATCH, 1})) return;
    const CutOffs c = cutOffsOf(s);
    if (!HP_COMM(n, hp::kSetPointsOut, s.CMSTART - std::max(c.final, 0.0), s.CMSTART - c.medium,
                 s.CMSTART - c.large, 0))
        return;
    run.setMessage(n, "START");
    s.CMSTEP = 4;
}

// 4 feeding out: a read shows at most CMSTART - T + CMSLOW - CMADJ -> CWAIT, 5.
void outFeeding(RunState& run, BatchRecorder&, int n) {
    SlotState& s = run.slot(n);
    if (!HP_COMM(n, hp::kRead) || run.actual(n) > s.CMSTART - s.CMTARGET + s.CMSLOW - s.CMADJ) return;
    s.CWAIT = now();
    s.CMSTEP = 5;
}

// 5 settling: CSTILLW has passed, then a read succeeds -> "STOP", set-points
// cleared (not examined), the batch closed with D = CMSTART - weight and
// E = T - CMSTART + weight (the clear reply's weight when it came, else the
// read's), CWAIT, 6.
void outSettling(RunState& run, BatchRecorder& recorder, int n) {
    SlotState& s = run.slot(n);
    if (elapsedSince(s.CWAIT) < settings().CSTILLW || !HP_COMM(n, hp::kRead)) return;
    run.setMessage(n, "STOP");
    clearSetPointsOut(n);  // a valid reply refreshes the weight; otherwise the read's stays
    const double weight = run.actual(n);
    const double target = s.CMTARGET;  // the batch just finished: the record step loads the next
    s.CMSTEP = 6;
    recorder.closeSlotBatch(n, s.CMSTART - weight, target - s.CMSTART + weight);
    s.CWAIT = now();
}

// 6 belt: while CDISTIME runs, the remaining seconds are shown; then the
// slot waits until the dispatch has handed out more batches than it has
// finished -> 0.
void outBelt(RunState& run, BatchRecorder&, int n) {
    SlotState& s = run.slot(n);
    const double elapsed = elapsedSince(s.CWAIT);
    if (elapsed < settings().CDISTIME) {
        run.setMessage(n, wholeSeconds(settings().CDISTIME - elapsed));
        return;
    }
    if (run.NMIXBAT > s.CMBATCH) s.CMSTEP = 0;
}

void noStep(RunState&, BatchRecorder&, int) {}

constexpr StepRow kWeighOut[] = {outIdle, outLoad, noStep, noStep, outFeeding, outSettling, outBelt};

template <size_t N>
void runRow(const StepRow (&rows)[N], RunState& run, BatchRecorder& recorder, int n) {
    const int step = run.slot(n).CMSTEP;
    if (step >= 0 && step < static_cast<int>(N)) rows[step](run, recorder, n);
}

}  // namespace

CutOffs cutOffsOf(const SlotState& s) {
    const double t = s.CMTARGET;
    CutOffs c;
    c.final = t - s.CMSLOW + s.CMADJ;
    c.medium = s.CMFAST == 0 ? 0 : std::max(t - s.CMFAST, 0.0);
    c.large = s.CMBIG == 0 ? 0 : std::max(t - s.CMBIG, 0.0);
    return c;
}

std::string slotWaitingText() { return T("รอคำสั่ง"); }
std::string slotNotInRunText() { return "---"; }
std::string notEnoughMaterialText() { return T("วัตถุดิบไม่พอ"); }

std::string wholeSeconds(double seconds) { return std::to_string(std::lround(seconds)); }

void RCOMM1(RunState& run, BatchRecorder& recorder, int n) { runRow(kWeighUp, run, recorder, n); }

void RCOMM2(RunState& run, BatchRecorder& recorder, int n) { runRow(kWeighOut, run, recorder, n); }

}  // namespace mp
