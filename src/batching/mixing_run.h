#pragma once

// The mixing run of one order line (MIXPROC): setting up and resuming, the
// per-batch targets (TARGETCHK), the tick (RCOMM), closing a slot's batch
// with the batch record and the automatic compensation, and the clean-up
// (PROCBRK).
//
// The run works on the tables as the production screen leaves them open:
// DETAIL positioned on the line to run, FORMULA and BATCHING open (BATCHING
// indexed on INDENT+INDENT2+ITEM). The tick timer is not the run's own: the
// screen drives ticks with its timer, mixplant-cli and the tests with a
// TickLoop on a day clock. Whoever drives them stops the timer during a tick,
// so ticks never overlap.

#include <functional>
#include <memory>
#include <string>

#include "batching/run_state.h"
#include "batching/weighing.h"
#include "platform/runtime/date.h"
#include "platform/runtime/dayclock.h"

namespace mp {

// How setting up a run ended.
enum class RunStart {
    Running,       // the run state is set up and the serial line is open: tick it
    LineFinished,  // the line's STAT is "2": "ข้อมูลนี้สั่งทำการผสมครบแล้ว !"
    NoSerialLine,  // COPEN failed (it has told the operator)
    NoBatch,       // no next batch: "Batching data not found !"
    NoTables,      // DETAIL, FORMULA or BATCHING is not open, or DETAIL stands on no line
};

class MixingRun : public BatchRecorder {
public:
    // `observer` (not owned) hears the display's changes and the run's end.
    explicit MixingRun(RunObserver* observer = nullptr);
    ~MixingRun() override;  // cleans up a run that is still set up
    MixingRun(const MixingRun&) = delete;
    MixingRun& operator=(const MixingRun&) = delete;

    // MIXPROC steps 1 to 12 for the current DETAIL line: refuses a finished
    // line, opens the serial line, plans the missing batches, counts them and
    // finds the resume point, loads the slots' values and targets.
    RunStart setUp();

    // RCOMM without the timer: the mixer dispatch, both mixer sequences of
    // the chosen mode, one step of each slot's weighing sequence of the
    // chosen type, then the end test. Requires setUp() to have given Running.
    void tick();
    // The stop button: the run may end (LEXIT).
    void stop();
    // LEXIT: the run display may close (the end test held or stop was pressed).
    bool exitAllowed() const;
    // The end test held: every batch weighed and mixed.
    bool finished() const { return m_finished; }

    // PROCBRK and the rest of the end: set-points of slots that still have a
    // target cleared (at most 8 rounds), all outputs off, the serial line
    // closed, the run state released, the observer told. Harmless twice.
    void cleanUp();

    // TARGETCHK: loads slot `slot`'s target of batch `batch` from BATCHING
    // (0 when the batch does not exist), switching stages off for targets
    // below their distances and making a target below CMSLOW + CMADJ 0.
    void TARGETCHK(int batch, int slot);

    // Closing a slot's batch: the batch record (appended when missing), the
    // slot's actual and target, compensation, and the line finished with its
    // last batch; then the slot's next target.
    void closeSlotBatch(int slot, double delivered, double error) override;

    // The run state while set up (nullptr otherwise).
    RunState* state() { return m_state.get(); }
    const RunState* state() const { return m_state.get(); }
    // The line key (INDENT + INDENT2) of the line being run.
    const std::string& lineKey() const { return m_lineKey; }

private:
    bool refuseFinishedLine();
    void planLine();
    int countBatches(int& resumePoint);
    void loadSlots();
    void startValues(int resumePoint);
    void writeBatchRecord(int slot, int batch, double delivered);
    void appendMissingBatch(int batch);
    void compensate(int slot, double error);
    void finishLine();
    std::string batchKey(int batch) const;

    RunObserver* m_observer;
    std::unique_ptr<RunState> m_state;
    bool m_lineOpen = false;
    bool m_finished = false;
    uint32_t m_detailRecord = 0;
    std::string m_lineKey, m_indent, m_indent2, m_formulaCode;
    Date m_docDate;
};

// Drives a run's ticks on a day clock: waits one period (the clock's pause:
// a real sleep on the real clock, a step on a virtual one), ticks, and so on
// until the run may end. `stopPressed`, asked between ticks, is the stop
// button. `afterTick` (optional) hears every tick. Returns the ticks run.
class TickLoop {
public:
    TickLoop(DayClock& clock, double periodSeconds) : m_clock(clock), m_period(periodSeconds) {}
    long run(MixingRun& run, const std::function<bool()>& stopPressed = {},
             const std::function<void()>& afterTick = {});

private:
    DayClock& m_clock;
    double m_period;
};

// CTIMER in seconds (its number of milliseconds; 100 when it holds none).
double tickPeriodSeconds();

// The run display as MIXPROC sees it: an observer that shows the run
// modally, driving its ticks, and returns once the run may end.
class RunDisplay : public RunObserver {
public:
    virtual void show(MixingRun& run) = 0;
};

// MIXPROC: sets the run up for the current DETAIL line, shows it on
// `display` until it ends, and cleans up. Returns how setting up ended.
RunStart MIXPROC(RunDisplay& display);

}  // namespace mp
