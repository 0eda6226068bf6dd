#pragma once

// The belt and the two mixers behind the weigh hoppers. Every tick runs the
// mixer dispatch (RCOMMTB), which switches the belt on when a batch is
// weighed and, after the belt running time, hands it to a free and ready
// mixer; then one step of each mixer's sequence: normal (RCOMMM1B, RCOMMM2B)
// when CBAG begins with "0", bag mode (RCOMMM1B1B, RCOMMM2B1B) otherwise.
// Everything goes through the board (IOCONTROL); a board call that fails
// leaves the step where it is for the next tick.

#include <string>

#include "batching/run_state.h"

namespace mp {

// The board points of a mixer.
struct MixerPoints {
    int selection;      // value of output 5 that sends a batch to this mixer
    int readyInput;     // the mixer can take a batch
    int mixingOutput;
    int dischargeOutput;
    int endOutput;      // end of batch
    int permitInput;    // discharge permitted (normal mode)
};
const MixerPoints& mixerPoints(int mixer);

constexpr int kBeltOutput = 1;
constexpr int kSelectionOutput = 5;
constexpr int kBagInput = 5;

// Texts of the mixer labels.
std::string mixerWaitingText();    // "รอการผสม"
std::string mixerNotReadyText();   // "ถังผสมไม่พร้อม"

void RCOMMTB(RunState& run);
void RCOMMM1B(RunState& run);
void RCOMMM2B(RunState& run);
void RCOMMM1B1B(RunState& run);
void RCOMMM2B1B(RunState& run);

// The normal / bag-mode sequence of mixer m (1 or 2).
void normalMixerStep(RunState& run, int m);
void bagMixerStep(RunState& run, int m);

}  // namespace mp
