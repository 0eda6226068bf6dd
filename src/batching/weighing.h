#pragma once

// The weighing sequences of the material slots: one step per slot per tick.
// Weigh-up (RCOMM1, machine type "1..."): the material is fed into an empty
// weigh hopper up to the target, then discharged towards the mixers.
// Weigh-out (RCOMM2, any other machine type): the hopper is already filled
// and the material is fed out of it until the target amount has left.
// The step numbers (CMSTEP) are shared with the mixer dispatch, which
// compares the slots' progress against step 4 (and weigh-out against step 1).

#include <string>

#include "batching/run_state.h"

namespace mp {

// What a weighing sequence does when a slot has finished a batch: the record
// step of the run (the batch record, compensation, the next target).
class BatchRecorder {
public:
    virtual ~BatchRecorder() = default;
    // Slot `slot` delivered `delivered` kg of its current batch; `error` is
    // the compensation error (target minus what the indicator stopped at).
    virtual void closeSlotBatch(int slot, double delivered, double error) = 0;
};

// The cut-offs of a slot for its current batch, kg (T = CMTARGET):
// final F = T - CMSLOW + CMADJ; medium M = 0 without a medium stage, else
// max(T - CMFAST, 0); large L likewise with CMBIG.
struct CutOffs {
    double final = 0, medium = 0, large = 0;
};
CutOffs cutOffsOf(const SlotState& s);

// Texts of the slot's status label.
std::string slotWaitingText();      // "รอคำสั่ง"
std::string slotNotInRunText();     // "---"
std::string notEnoughMaterialText();  // "วัตถุดิบไม่พอ"

// One step of slot n's weigh-up / weigh-out sequence. A command that fails
// leaves the slot on its step for the next tick.
void RCOMM1(RunState& run, BatchRecorder& recorder, int n);
void RCOMM2(RunState& run, BatchRecorder& recorder, int n);

// Remaining seconds as the display shows them: rounded, no decimals.
std::string wholeSeconds(double seconds);

}  // namespace mp
