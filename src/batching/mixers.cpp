#include "batching/mixers.h"

#include "app/settings.h"
#include "batching/weighing.h"
#include "devices/board.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/dayclock.h"
#include "platform/runtime/numtext.h"

namespace mp {
namespace {

double now() { return dayClock().seconds(); }
double elapsedSince(double from) { return elapsedSeconds(from, now()); }
int other(int m) { return m == 1 ? 2 : 1; }
bool setOutput(int output, int value) { return IOCONTROL('W', output, value); }
bool refreshInputs() { return IOCONTROL('R'); }
double endSignalSeconds() { return numberOf(settings().CENDBAT); }

std::string mixingText(double remaining) { return T("เวลาผสม = ") + wholeSeconds(remaining); }
std::string dischargeText(double remaining) { return T("ปล่อย = ") + wholeSeconds(remaining); }

// ---- the dispatch -----------------------------------------------------------

// 0: every slot has weighed batch NMIXBAT + 1 (progress >= (NMIXBAT, 4)),
// then the belt goes on -> information line, NMTIME, 1.
void dispatchBelt(RunState& run) {
    if (!run.allSlotsAtLeast({run.NMIXBAT, 4}) || !setOutput(kBeltOutput, 1)) return;
    run.setInformation(run.formula.code + ":" + run.formula.name + " Batch#" + std::to_string(run.NMIXBAT + 1) +
                       "/" + std::to_string(run.NBATTOT));
    run.NMTIME = now();
    run.NMIX = 1;
}

// 1: the belt has run CDISTIME seconds -> 2.
void dispatchBeltRunning(RunState& run) {
    if (elapsedSince(run.NMTIME) >= settings().CDISTIME) run.NMIX = 2;
}

// Examining mixer x in step 2: ready -> select it and hand the batch over;
// not ready -> "ถังผสมไม่พร้อม", the other mixer first next time, inputs read.
void examineMixer(RunState& run, int x) {
    if (run.input(mixerPoints(x).readyInput)) {
        if (!setOutput(kSelectionOutput, mixerPoints(x).selection)) return;
        run.NMIXBAT += 1;
        run.mixer(x).MIXSTEP = 1;
        run.CMIXNO = other(x);
        run.NMIX = 3;
        return;
    }
    run.setMixerText(x, mixerNotReadyText());
    run.CMIXNO = other(x);
    refreshInputs();
}

// 2: the mixer CMIXNO when idle, else the other when idle, else nothing.
void dispatchHandOver(RunState& run) {
    const int p = run.CMIXNO, q = other(p);
    if (run.mixer(p).MIXSTEP == 0) examineMixer(run, p);
    else if (run.mixer(q).MIXSTEP == 0) examineMixer(run, q);
}

// 3: a mixer is idle -> 0.
void dispatchWaitIdle(RunState& run) {
    if (run.mixer(1).MIXSTEP == 0 || run.mixer(2).MIXSTEP == 0) run.NMIX = 0;
}

// ---- steps both mixer sequences share ---------------------------------------

// Start: the mixing output on -> "เริ่มผสม", NWTIME.
bool startMixing(RunState& run, int m) {
    if (!setOutput(mixerPoints(m).mixingOutput, 1)) return false;
    run.setMixerText(m, T("เริ่มผสม"));
    run.mixer(m).NWTIME = now();
    return true;
}

// Mixing: the remaining time shown until TIME has passed, then the mixing
// output off. True when it went off.
bool mixingDone(RunState& run, int m) {
    const double elapsed = elapsedSince(run.mixer(m).NWTIME);
    if (elapsed < run.formula.mixTime) {
        run.setMixerText(m, mixingText(run.formula.mixTime - elapsed));
        return false;
    }
    return setOutput(mixerPoints(m).mixingOutput, 0);
}

// Discharging: the remaining time shown until DISCHARGE has passed, then the
// discharge output off -> NWTIME. True when it went off.
bool dischargeDone(RunState& run, int m) {
    const double elapsed = elapsedSince(run.mixer(m).NWTIME);
    if (elapsed < run.formula.dischargeTime) {
        run.setMixerText(m, dischargeText(run.formula.dischargeTime - elapsed));
        return false;
    }
    if (!setOutput(mixerPoints(m).dischargeOutput, 0)) return false;
    run.mixer(m).NWTIME = now();
    return true;
}

// End signal: the end-of-batch output on -> "จบ Batch", NWTIME.
bool endSignalOn(RunState& run, int m) {
    if (!setOutput(mixerPoints(m).endOutput, 1)) return false;
    run.setMixerText(m, T("จบ Batch"));
    run.mixer(m).NWTIME = now();
    return true;
}

// End signal held CENDBAT seconds, then off. True when it went off.
bool endSignalOff(RunState& run, int m) {
    return elapsedSince(run.mixer(m).NWTIME) >= endSignalSeconds() && setOutput(mixerPoints(m).endOutput, 0);
}

// ---- normal sequence --------------------------------------------------------

// 3: discharge permitted and (the other mixer not discharging, or CMIXALONE
// "1"), then the discharge output on -> NWTIME, LMIXBUSY, 4. Otherwise
// "Lock การปล่อย" and the inputs read again.
void normalWaitDischarge(RunState& run, int m) {
    MixerState& x = run.mixer(m);
    const bool alone = settings().CMIXALONE.rfind("1", 0) == 0;
    if (run.input(mixerPoints(m).permitInput) && (!run.mixer(other(m)).LMIXBUSY || alone)) {
        if (!setOutput(mixerPoints(m).dischargeOutput, 1)) return;
        x.NWTIME = now();
        x.LMIXBUSY = true;
        x.MIXSTEP = 4;
        return;
    }
    run.setMixerText(m, T("Lock การปล่อย"));
    refreshInputs();
}

// 6: end signal held -> idle, "รอการผสม", one more batch mixed.
void normalEndHeld(RunState& run, int m) {
    if (!endSignalOff(run, m)) return;
    run.mixer(m).MIXSTEP = 0;
    run.mixer(m).LMIXBUSY = false;
    run.setMixerText(m, mixerWaitingText());
    run.NMIXBAT2 += 1;
}

// ---- bag mode ---------------------------------------------------------------

// 3: this mixer's turn to go to the bag check -> "ตรวจเช็คถุง", NWTIME, 4.
// The turn is this mixer's when the other is not past its mixing (step < 3).
// When both have finished mixing together (a board call that failed for a
// while can bring that about), the one that started mixing first goes
// first, mixer 1 on a tie: otherwise each would wait for the other forever.
bool bagTurn(const RunState& run, int m) {
    const MixerState& x = run.mixer(m);
    const MixerState& y = run.mixer(other(m));
    if (y.MIXSTEP < 3) return true;
    if (y.MIXSTEP > 3) return false;
    return x.NWTIME < y.NWTIME || (x.NWTIME == y.NWTIME && m == 1);
}

// 4: the bag input on, then the discharge output on -> NWTIME, 5;
// otherwise the inputs read again.
void bagWaitBag(RunState& run, int m) {
    if (!run.input(kBagInput)) {
        refreshInputs();
        return;
    }
    if (!setOutput(mixerPoints(m).dischargeOutput, 1)) return;
    run.mixer(m).NWTIME = now();
    run.mixer(m).MIXSTEP = 5;
}

}  // namespace

const MixerPoints& mixerPoints(int mixer) {
    static const MixerPoints points[] = {
        {0, 1, 2, 3, 4, 2},  // mixer 1
        {1, 3, 6, 7, 8, 4},  // mixer 2
    };
    return points[mixer == 2 ? 1 : 0];
}

std::string mixerWaitingText() { return T("รอการผสม"); }
std::string mixerNotReadyText() { return T("ถังผสมไม่พร้อม"); }

void RCOMMTB(RunState& run) {
    switch (run.NMIX) {
        case 0: dispatchBelt(run); break;
        case 1: dispatchBeltRunning(run); break;
        case 2: dispatchHandOver(run); break;
        case 3: dispatchWaitIdle(run); break;
        default: break;
    }
}

void normalMixerStep(RunState& run, int m) {
    MixerState& x = run.mixer(m);
    switch (x.MIXSTEP) {
        case 1: if (startMixing(run, m)) x.MIXSTEP = 2; break;
        case 2: if (mixingDone(run, m)) { x.NWTIME = now(); x.MIXSTEP = 3; } break;
        case 3: normalWaitDischarge(run, m); break;
        case 4: if (dischargeDone(run, m)) x.MIXSTEP = 5; break;
        case 5: if (endSignalOn(run, m)) x.MIXSTEP = 6; break;
        case 6: normalEndHeld(run, m); break;
        default: break;  // 0 idle: the dispatch sets step 1
    }
}

void bagMixerStep(RunState& run, int m) {
    MixerState& x = run.mixer(m);
    switch (x.MIXSTEP) {
        case 1: if (startMixing(run, m)) x.MIXSTEP = 2; break;
        case 2:  // mixed -> "รอปล่อย"; NWTIME is kept (it orders the turns)
            if (mixingDone(run, m)) { run.setMixerText(m, T("รอปล่อย")); x.MIXSTEP = 3; }
            break;
        case 3:
            if (bagTurn(run, m)) { run.setMixerText(m, T("ตรวจเช็คถุง")); x.NWTIME = now(); x.MIXSTEP = 4; }
            break;
        case 4: bagWaitBag(run, m); break;
        case 5: if (dischargeDone(run, m)) x.MIXSTEP = 6; break;
        case 6: if (endSignalOn(run, m)) x.MIXSTEP = 7; break;
        case 7:
            if (endSignalOff(run, m)) {
                run.setMixerText(m, slotWaitingText());
                run.NMIXBAT2 += 1;
                x.MIXSTEP = 0;
            }
            break;
        default: break;
    }
}

void RCOMMM1B(RunState& run) { normalMixerStep(run, 1); }
void RCOMMM2B(RunState& run) { normalMixerStep(run, 2); }
void RCOMMM1B1B(RunState& run) { bagMixerStep(run, 1); }
void RCOMMM2B1B(RunState& run) { bagMixerStep(run, 2); }

}  // namespace mp
