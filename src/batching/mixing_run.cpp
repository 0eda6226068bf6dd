#include "batching/mixing_run.h"

#include <cmath>
#include <cstdio>

#include "app/settings.h"
#include "batching/batch_plan.h"
#include "batching/mixers.h"
#include "data/catalogue.h"
#include "data/helpers.h"
#include "data/table_access.h"
#include "devices/board.h"
#include "devices/indicator.h"
#include "devices/link.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/error.h"
#include "platform/runtime/numtext.h"
#include "platform/runtime/operator.h"

namespace mp {
namespace {

constexpr int kCleanUpRounds = 8;
constexpr double kWaitForever = 0;  // REC_LOCK / ADD_REC: until granted

std::string trimmed(const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

xbase::Table* table(const char* alias) { return workAreas().table(alias); }
std::string textOf(xbase::Table* t, const std::string& field) { return t->value(field).text(); }
double numberOfField(xbase::Table* t, const std::string& field) { return t->value(field).number(); }
std::string slotField(const char* name, int n) { return name + std::to_string(n); }

// The time of day as eight characters hh:mm:ss.
std::string timeText(double seconds) {
    const long s = static_cast<long>(seconds);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", (s / 3600) % 24, (s / 60) % 60, s % 60);
    return buf;
}

// Writes the fields of the locked current record of `alias`, commits and
// releases its locks.
void writeLocked(xbase::Table* t, const std::vector<std::pair<std::string, Value>>& fields) {
    for (const auto& [name, value] : fields) t->setValue(name, value);
    t->commit();
    t->unlockAll();
}

bool automaticCompensation() { return startsWith(settings().CAUTOC, "Y"); }

}  // namespace

MixingRun::MixingRun(RunObserver* observer) : m_observer(observer) {}

MixingRun::~MixingRun() { cleanUp(); }

std::string MixingRun::batchKey(int batch) const { return m_lineKey + ZERO(batch, kItemWidth); }

bool MixingRun::refuseFinishedLine() {
    if (textOf(table("DETAIL"), "STAT") != "2") return false;
    operatorUi().message(T("ข้อมูลนี้สั่งทำการผสมครบแล้ว !"), T("  ส่วนสั่งการทำงาน"));
    return true;
}

RunStart MixingRun::setUp() {
    MP_CALL_LEVEL("MIXPROC");
    cleanUp();
    xbase::Table* detail = table("DETAIL");
    if (!detail || !table("FORMULA") || !table("BATCHING") || detail->eof()) return RunStart::NoTables;
    m_state = std::make_unique<RunState>();  // CMBATCH 0, LEXIT false, POUTPUT and PINPUT all "0"
    m_state->setObserver(m_observer);
    m_finished = false;
    m_detailRecord = detail->recNo();
    m_indent = textOf(detail, "INDENT");
    m_indent2 = textOf(detail, "INDENT2");
    m_lineKey = m_indent + m_indent2;
    m_formulaCode = textOf(detail, "FORMULA");
    m_docDate = detail->value("DOC_DATE").date();
    if (refuseFinishedLine()) {
        m_state.reset();
        return RunStart::LineFinished;
    }
    if (!COPEN()) {
        m_state.reset();
        return RunStart::NoSerialLine;
    }
    m_lineOpen = true;
    planLine();
    int resume = 0;
    m_state->NBATTOT = countBatches(resume);
    for (int n = 1; n <= kRunSlots; ++n) m_state->slot(n).CMBATCH = resume;
    if (!table("BATCHING")->seek(batchKey(resume + 1))) {
        closeLine();
        m_lineOpen = false;
        m_state.reset();
        operatorUi().message("Batching data not found !", "  Mixing Process");
        return RunStart::NoBatch;
    }
    loadSlots();
    for (int n = 1; n <= kRunSlots; ++n) TARGETCHK(m_state->slot(n).CMBATCH + 1, n);
    startValues(resume);
    return RunStart::Running;
}

// BATCHK without its question: the line's missing batch records.
void MixingRun::planLine() {
    BATCHK(true);
}

// Counts the line's batch records from its first; the resume point is the
// number of the last one with any recorded weight.
int MixingRun::countBatches(int& resumePoint) {
    xbase::Table* batching = table("BATCHING");
    workAreas().select("BATCHING");
    int total = 0;
    resumePoint = 0;
    batching->seek(m_lineKey, true);
    for (; !batching->eof() && textOf(batching, "INDENT") + textOf(batching, "INDENT2") == m_lineKey;
         batching->skip()) {
        ++total;
        double sum = 0;
        for (int n = 1; n <= kRunSlots; ++n) sum += numberOfField(batching, slotField("ACTUAL", n));
        if (sum > 0) resumePoint = total;
    }
    return total;
}

// The slots' materials from the line and their distances, compensation and
// feed delays from the line's formula.
void MixingRun::loadSlots() {
    xbase::Table* detail = table("DETAIL");
    xbase::Table* formula = table("FORMULA");
    formula->seek(m_formulaCode);
    const bool found = formula->found();
    auto value = [&](const char* name, int n) { return found ? numberOfField(formula, slotField(name, n)) : 0.0; };
    for (int n = 1; n <= kRunSlots; ++n) {
        SlotState& s = m_state->slot(n);
        s.CMAGG = trimmed(textOf(detail, slotField("AGG", n)));
        s.CMBIG = value("BIG", n);
        s.CMFAST = value("FAST", n);
        s.CMSLOW = value("SLOW", n);
        s.CMADJ = automaticCompensation() ? value("ADJUST", n) : 0;
        s.CMFEED = value("FEED", n);
    }
    RunFormula& f = m_state->formula;
    f.code = found ? trimmed(textOf(formula, "CODE")) : trimmed(m_formulaCode);
    f.name = found ? trimmed(textOf(formula, "NAME")) : "";
    f.mixTime = found ? numberOfField(formula, "TIME") : 0;
    f.dischargeTime = found ? numberOfField(formula, "DISCHARGE") : 0;
}

void MixingRun::startValues(int resumePoint) {
    RunState& r = *m_state;
    for (int n = 1; n <= kRunSlots; ++n) {
        SlotState& s = r.slot(n);
        s.CMSTART = 0;
        s.CMSTEP = 0;
        s.LFINISH = false;
        r.setActual(n, 0);
        r.setMessage(n, slotWaitingText());
    }
    r.NMIX = 0;
    r.CMIXNO = 1;
    r.NMIXBAT = resumePoint;
    r.NMIXBAT2 = resumePoint;
    // A slot without a target in its first batch takes no part in the run.
    for (int n = 1; n <= kRunSlots; ++n) {
        if (r.slot(n).CMTARGET != 0) continue;
        r.slot(n).CMBATCH = r.NBATTOT;
        r.setMessage(n, slotNotInRunText());
    }
    for (int m = 1; m <= kMixers; ++m) {
        r.mixer(m).MIXSTEP = 0;
        r.mixer(m).LMIXBUSY = false;
        r.setMixerText(m, mixerWaitingText());
    }
    r.setInformation(r.formula.code + ":" + r.formula.name);
}

void MixingRun::TARGETCHK(int batch, int n) {
    MP_CALL_LEVEL("TARGETCHK");
    SlotState& s = m_state->slot(n);
    double target = 0;
    xbase::Table* batching = table("BATCHING");
    if (batching->seek(batchKey(batch))) target = numberOfField(batching, slotField("TARGET", n));
    if (target < s.CMBIG) s.CMBIG = 0;    // the large stage is off for the rest of the run
    if (target < s.CMFAST) s.CMFAST = 0;  // the medium stage likewise
    if (target < s.CMSLOW + s.CMADJ) target = 0;  // too small to weigh for this slot
    m_state->setTarget(n, target);
}

void MixingRun::tick() {
    MP_CALL_LEVEL("RCOMM");
    if (!m_state) return;
    RunState& r = *m_state;
    RCOMMTB(r);
    if (startsWith(settings().CBAG, "0")) {
        RCOMMM1B(r);
        RCOMMM2B(r);
    } else {
        RCOMMM1B1B(r);
        RCOMMM2B1B(r);
    }
    const bool weighUp = startsWith(settings().CMIXTYPE, "1");
    for (int n = 1; n <= kRunSlots; ++n) weighUp ? RCOMM1(r, *this, n) : RCOMM2(r, *this, n);
    // The end test: every slot has finished every batch and the mixers too.
    if (r.allSlotsAtLeast({r.NBATTOT, 0}) && r.NMIXBAT2 >= r.NBATTOT) {
        r.LEXIT = true;
        m_finished = true;
    }
}

void MixingRun::stop() {
    if (m_state) m_state->LEXIT = true;
}

bool MixingRun::exitAllowed() const { return !m_state || m_state->LEXIT; }

// ---- closing a slot's batch -------------------------------------------------

void MixingRun::closeSlotBatch(int n, double delivered, double error) {
    RunState& r = *m_state;
    const int b = ++r.slot(n).CMBATCH;
    writeBatchRecord(n, b, delivered);
    if (m_observer) m_observer->batchRecorded(n, b, delivered, r.slot(n).CMTARGET);
    if (automaticCompensation()) compensate(n, error);
    if (b == r.NBATTOT && textOf(table("DETAIL"), "STAT") != "2") finishLine();
    else TARGETCHK(b + 1, n);
    workAreas().select("BATCHING");
}

void MixingRun::appendMissingBatch(int b) {
    workAreas().select("BATCHING");
    ADD_REC(kWaitForever);
    const Date today = dayClock().today();
    writeLocked(table("BATCHING"), {{"DATE", today},
                                    {"TIME", timeText(dayClock().seconds())},
                                    {"DOC_DATE", m_docDate},
                                    {"INDENT", m_indent},
                                    {"INDENT2", m_indent2},
                                    {"ITEM", ZERO(b, kItemWidth)},
                                    {"STAT", "2"}});
}

void MixingRun::writeBatchRecord(int n, int b, double delivered) {
    xbase::Table* batching = table("BATCHING");
    workAreas().select("BATCHING");
    if (!batching->seek(batchKey(b))) {
        appendMissingBatch(b);
        batching->seek(batchKey(b));
    }
    REC_LOCK(kWaitForever);
    writeLocked(batching, {{slotField("ACTUAL", n), delivered},
                           {slotField("TARGET", n), m_state->slot(n).CMTARGET},
                           {"DATE", dayClock().today()},
                           {"TIME", timeText(dayClock().seconds())},
                           {"STAT", "2"}});
}

// Half the error goes into the slot's compensation, within two caps: the
// final cut-off never rises above the target (CMADJ <= CMSLOW) nor falls
// below the medium cut-off (|CMADJ - CMSLOW| <= CMFAST). The formula keeps
// the compensation of every slot for the next run.
void MixingRun::compensate(int n, double error) {
    SlotState& s = m_state->slot(n);
    s.CMADJ += error / 2;
    if (s.CMADJ > 0 && s.CMADJ > s.CMSLOW) s.CMADJ = s.CMSLOW;
    if (s.CMADJ < 0 && std::fabs(s.CMADJ - s.CMSLOW) > s.CMFAST) s.CMADJ = s.CMSLOW - s.CMFAST;
    xbase::Table* formula = table("FORMULA");
    workAreas().select("FORMULA");
    if (!formula->seek(m_formulaCode)) return;  // no formula record to keep it in
    REC_LOCK(kWaitForever);
    std::vector<std::pair<std::string, Value>> fields;
    for (int j = 1; j <= kRunSlots; ++j) fields.emplace_back(slotField("ADJUST", j), m_state->slot(j).CMADJ);
    writeLocked(formula, fields);
}

void MixingRun::finishLine() {
    xbase::Table* detail = table("DETAIL");
    workAreas().select("DETAIL");
    detail->goTo(m_detailRecord);
    REC_LOCK(kWaitForever);
    writeLocked(detail, {{"STAT", "2"}});
}

// ---- the end ----------------------------------------------------------------

void MixingRun::cleanUp() {
    MP_CALL_LEVEL("PROCBRK");
    if (!m_state) return;
    RunState& r = *m_state;
    if (m_lineOpen) {
        for (int n = 1; n <= kRunSlots; ++n) r.slot(n).LFINISH = false;
        for (int round = 0; round < kCleanUpRounds; ++round) {
            bool allDone = true;
            for (int n = 1; n <= kRunSlots; ++n) {
                SlotState& s = r.slot(n);
                if (s.LFINISH) continue;
                s.LFINISH = s.CMTARGET <= 0 || HP_COMM(n, hp::kSetPointsUp, 0, 0, 0, 0);
                allDone = allDone && s.LFINISH;
            }
            if (allDone) break;
        }
        IOCONTROL('C');
        closeLine();
        m_lineOpen = false;
    }
    if (m_observer) m_observer->runEnded(m_finished);
    m_state.reset();
}

// ---- driving the run --------------------------------------------------------

long TickLoop::run(MixingRun& run, const std::function<bool()>& stopPressed,
                   const std::function<void()>& afterTick) {
    long ticks = 0;
    while (!run.exitAllowed()) {
        m_clock.pause(m_period);  // the timer's period; it is stopped during the tick
        if (stopPressed && stopPressed()) {
            run.stop();
            break;
        }
        run.tick();
        ++ticks;
        if (afterTick) afterTick();
    }
    return ticks;
}

double tickPeriodSeconds() {
    const double ms = numberOf(settings().CTIMER);
    return (ms > 0 ? ms : 100) / 1000.0;
}

RunStart MIXPROC(RunDisplay& display) {
    MixingRun run(&display);
    const RunStart start = run.setUp();
    if (start != RunStart::Running) return start;
    display.show(run);
    run.cleanUp();
    return start;
}

}  // namespace mp
