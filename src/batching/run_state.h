#pragma once

// The state of one mixing run: per material slot, per mixer and for the whole
// run, under the process-wide names the forms know (CMTARGET, MIXSTEP,
// NBATTOT...), registered for as long as the run lives. The slots' latest
// weights (CMACTUAL) and the board's outputs and inputs (POUTPUT, PINPUT)
// belong to the devices (DeviceValues); the run creates them with a
// DeviceValuesScope and reads them there.

#include <array>
#include <string>

#include "devices/device_state.h"
#include "platform/runtime/publics.h"

namespace mp {

constexpr int kRunSlots = 8;
constexpr int kMixers = 2;

// One material slot of the run (index = slot number 1..8).
struct SlotState {
    std::string CMAGG;        // material code of the slot
    double CMTARGET = 0;      // kg, target of the batch the slot works on; 0: nothing to weigh
    std::string CMMESS;       // status text on the run display
    double CMBIG = 0;         // kg, large-stage distance (0: stage off)
    double CMFAST = 0;        // kg, medium-stage distance (0: stage off)
    double CMSLOW = 0;        // kg, final distance (the in-flight allowance)
    double CMADJ = 0;         // kg, compensation added to the final cut-off
    double CMFEED = 0;        // s, delay before the slot discharges
    int CMSTEP = 0;           // step of the slot's weighing sequence
    int CMBATCH = 0;          // batches of the line the slot has finished
    double CMSTART = 0;       // kg, weight captured by the weighing sequence
    double CWAIT = 0;         // clock reading: start of the slot's timed wait
    bool LFINISH = false;     // done during the clean-up
};

// One mixer (index = mixer number 1..2).
struct MixerState {
    int MIXSTEP = 0;          // step of the mixer's sequence; 0 idle
    bool LMIXBUSY = false;    // discharging (normal mode)
    std::string CMMIXER;      // status text on the run display
    double NWTIME = 0;        // clock reading: start of the current timed step
};

// Progress of a slot: (finished batches, step). Compared batch first.
struct Progress {
    int batch = 0;
    int step = 0;
};
bool operator>=(Progress a, Progress b);
bool operator<(Progress a, Progress b);

// The formula's values the mixer sequences and the information line use.
struct RunFormula {
    std::string code, name;   // trimmed
    double mixTime = 0;       // TIME, s
    double dischargeTime = 0; // DISCHARGE, s
};

// What the run display hears while a run goes on. The weights come through
// the devices' DeviceObserver; everything else through here. Every method
// has an empty default.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    // The status text (CMMESS) or the target (CMTARGET) of a slot changed.
    virtual void slotChanged(int slot) {}
    // The status text (CMMIXER) of a mixer changed.
    virtual void mixerChanged(int mixer) {}
    // The information line (CMINFO) changed.
    virtual void informationChanged() {}
    // Slot `slot` recorded `delivered` kg for its batch `batch` (target `target`).
    virtual void batchRecorded(int slot, int batch, double delivered, double target) {}
    // The run is over: `finished` when every batch was weighed and mixed,
    // false when it was stopped.
    virtual void runEnded(bool finished) {}
};

// The run state with its names registered. The arrays run from 1: slot(1)
// to slot(8), mixer(1) and mixer(2).
class RunState {
public:
    RunState();  // creates the device values and registers every name
    RunState(const RunState&) = delete;
    RunState& operator=(const RunState&) = delete;

    SlotState& slot(int n) { return m_slots[n]; }
    const SlotState& slot(int n) const { return m_slots[n]; }
    MixerState& mixer(int m) { return m_mixers[m]; }
    const MixerState& mixer(int m) const { return m_mixers[m]; }
    // CMACTUAL of slot n (kept by the devices).
    double actual(int n) const;
    void setActual(int n, double kilograms);
    Progress progress(int n) const { return {m_slots[n].CMBATCH, m_slots[n].CMSTEP}; }
    // Every slot j has progress >= `least`.
    bool allSlotsAtLeast(Progress least) const;
    // Input k (1..8) of PINPUT as last read is "1".
    bool input(int k) const;

    // Whole run.
    int NBATTOT = 0;
    int NMIX = 0;
    int NMIXBAT = 0;
    int NMIXBAT2 = 0;
    int CMIXNO = 1;
    double NMTIME = 0;
    std::string CMINFO;
    bool LEXIT = false;
    RunFormula formula;

    // Texts that tell the display (no observer: nothing is told).
    void setObserver(RunObserver* observer) { m_observer = observer; }
    RunObserver* observer() const { return m_observer; }
    void setMessage(int n, std::string text);
    void setTarget(int n, double kilograms);
    void setMixerText(int m, std::string text);
    void setInformation(std::string text);

private:
    void registerNames();

    std::array<SlotState, kRunSlots + 1> m_slots;  // [0] unused
    std::array<MixerState, kMixers + 1> m_mixers;  // [0] unused
    RunObserver* m_observer = nullptr;
    DeviceValuesScope m_devices;
    PublicsScope m_names;
};

}  // namespace mp
