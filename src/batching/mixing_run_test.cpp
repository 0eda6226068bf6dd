// The mixing run on the plant simulator, in process on the virtual clock:
// set-points and cut-offs, settling, staggered discharge, the mixers'
// dispatch and sequences in both modes, weigh-out, compensation, resuming,
// refusals, the stop button and an indicator that stops answering.

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "batching/mixers.h"
#include "devices/board.h"
#include "batching/mixing_run.h"
#include "data/helpers.h"
#include "data/test_site.h"
#include "devices/link.h"
#include "platform/runtime/cp874.h"
#include "sim/plant_model.h"
#include "sim/simulated_port.h"

namespace mp {
namespace {

constexpr double kTick = 0.1;
const char* kOrder = "20260314080000A000000001";
const char* kLine = "20260314080000B000000001";

struct SlotRecipe {
    double big = 150, fast = 50, slow = 2, adjust = 0, feed = 0;
};

struct Recipe {
    double mixTime = 5, dischargeTime = 3;
    std::map<int, SlotRecipe> slots;  // slots of the formula
};

class MixingRunTest : public testing::SiteTest {
protected:
    void SetUp() override {
        SiteTest::SetUp();
        settings().CMPORT = "012345678";
        settings().CTIMER = "100";
        for (const char* alias : {"FORMULA", "DETAIL", "BATCHING"}) ASSERT_TRUE(openTable(*findTable(alias)));
    }
    void TearDown() override {
        run.reset();
        closeLine();
        SiteTest::TearDown();
    }

    static sim::PlantConfig plantConfig(bool weighOut = false) {
        sim::PlantConfig c;
        c.addresses = "012345678";
        c.weighOut = weighOut;
        for (auto& i : c.indicators) i.startWeight = weighOut ? 1500 : 0;
        return c;
    }
    void usePlant(const sim::PlantConfig& c) { plant = sim::PlantModel(c); }

    void addFormula(const Recipe& r) {
        FieldValues f = {{"CODE", "F1"}, {"NAME", "MIX A"}, {"CAPACITY", 2000.0},
                         {"TIME", r.mixTime}, {"DISCHARGE", r.dischargeTime}};
        for (const auto& [n, s] : r.slots) {
            const std::string k = std::to_string(n);
            f.insert(f.end(), {{"BIG" + k, s.big}, {"FAST" + k, s.fast}, {"SLOW" + k, s.slow},
                               {"ADJUST" + k, s.adjust}, {"FEED" + k, s.feed}, {"AGG" + k, "M" + k}});
        }
        ASSERT_TRUE(appendRecord("FORMULA", f));
    }
    // A planned line: one BATCHING record per entry of `targets` (slot ->
    // target), with recorded weights for the first `weighed` batches.
    void addLine(const std::vector<std::map<int, double>>& targets, int weighed = 0, const char* stat = " ") {
        FieldValues d = {{"INDENT", kOrder}, {"INDENT2", kLine}, {"FORMULA", "F1"}, {"STAT", stat},
                         {"DOC_DATE", Date::fromYmd(2026, 3, 14)}};
        for (int n = 1; n <= 8; ++n) d.emplace_back("AGG" + std::to_string(n), "M" + std::to_string(n));
        ASSERT_TRUE(appendRecord("DETAIL", d));
        for (size_t b = 0; b < targets.size(); ++b) {
            FieldValues r = {{"INDENT", kOrder}, {"INDENT2", kLine}, {"ITEM", ZERO(double(b + 1), 4)},
                             {"STAT", static_cast<int>(b) < weighed ? "2" : "0"}};
            for (const auto& [n, t] : targets[b]) {
                r.emplace_back("TARGET" + std::to_string(n), t);
                if (static_cast<int>(b) < weighed) r.emplace_back("ACTUAL" + std::to_string(n), t);
            }
            ASSERT_TRUE(appendRecord("BATCHING", r));
        }
        workAreas().select("DETAIL");
        workAreas().current()->goTop();
    }
    // The usual line: `batches` batches of 500, 300 and 200 kg in slots 1-3.
    void standardLine(int batches, Recipe r = {}) {
        for (int n : {1, 2, 3})
            if (!r.slots.count(n)) r.slots[n] = {};
        addFormula(r);
        addLine(std::vector<std::map<int, double>>(batches, {{1, 500}, {2, 300}, {3, 200}}));
    }

    // How far from its target a slot's record lies without compensation: the
    // final distance less what the simulator's final stage has in the air
    // when it closes, the same again when the weight is taken before that
    // has landed (no settling time), and a little for the counts.
    double inFlightError(double slow = SlotRecipe{}.slow) const {
        const sim::IndicatorConfig& i = plant.config().indicators[1];
        const double air = i.smallRate * i.inFlight;
        return std::fabs(slow - air) + air + 0.2;
    }

    RunStart start() {
        run = std::make_unique<MixingRun>(&observer);
        return run->setUp();
    }
    RunState& state() { return *run->state(); }
    // Ticks until the run may end or `until` holds; false when `limit` ticks ran first.
    bool tickUntil(const std::function<bool()>& until, long limit = 20000) {
        for (long i = 0; i < limit; ++i) {
            if (run->exitAllowed() || (until && until())) return true;
            clock().pause(kTick);
            run->tick();
            afterTick();
        }
        return false;
    }
    bool runToEnd(long limit = 40000) { return tickUntil({}, limit) && run->finished(); }
    virtual void afterTick() {}

    VirtualDayClock& clock() { return m_clock; }
    double batchValue(int batch, const std::string& field) {
        xbase::Table* t = workAreas().table("BATCHING");
        if (!t->seek(std::string(kOrder) + kLine + ZERO(batch, 4))) return -1;
        return t->value(field).number();
    }
    std::string batchText(int batch, const std::string& field) {
        xbase::Table* t = workAreas().table("BATCHING");
        if (!t->seek(std::string(kOrder) + kLine + ZERO(batch, 4))) return "?";
        return t->value(field).text();
    }
    std::string lineStat() {
        xbase::Table* t = workAreas().table("DETAIL");
        t->goTop();
        return t->value("STAT").text();
    }
    // The four values (kg) of the first set-point frame `letter` sent to `address`.
    std::vector<double> setPointFrame(int address, char letter) {
        const std::string& w = written;
        for (size_t i = 0; i + 26 <= w.size(); ++i)
            if (w[i] == 0x02 && w[i + 1] == address && w[i + 2] == letter) {
                std::vector<double> v;
                for (int f = 0; f < 4; ++f) v.push_back(std::stod(w.substr(i + 3 + 5 * f, 5)) / 10);
                return v;
            }
        return {};
    }
    void keepWritten() {
        if (port) written = port->written();
    }

    struct Observer : RunObserver {
        std::vector<std::string> info;
        std::map<int, std::vector<std::string>> mixerTexts;
        std::map<int, std::vector<std::string>> slotTexts;
        int ended = -1;
        RunState* state = nullptr;
        void informationChanged() override { info.push_back(Publics::instance().get("CMINFO")->text()); }
        void mixerChanged(int m) override {
            auto v = Publics::instance().getElement("CMMIXER", m);
            if (v) mixerTexts[m].push_back(v->text());
        }
        void slotChanged(int n) override {
            auto v = Publics::instance().getElement("CMMESS", n);
            if (v && (slotTexts[n].empty() || slotTexts[n].back() != v->text())) slotTexts[n].push_back(v->text());
        }
        void runEnded(bool finished) override { ended = finished; }
    } observer;

    sim::PlantModel plant{plantConfig()};
    sim::SimulatedSerialPort* port = nullptr;
    ScopedSerialPortFactory m_ports{sim::portFactory(plant, m_clock, &port)};
    std::unique_ptr<MixingRun> run;
    std::string written;
};

bool contains(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

// ---- whole runs -------------------------------------------------------------

struct WholeRunCase {
    const char* name;
    const char* mixType;
    const char* bag;
};

class WholeRunTest : public MixingRunTest, public ::testing::WithParamInterface<WholeRunCase> {};

TEST_P(WholeRunTest, EveryBatchWeighedWithinInFlightErrorAndLineFinished) {
    settings().CMIXTYPE = GetParam().mixType;
    settings().CBAG = GetParam().bag;
    usePlant(plantConfig(std::string(GetParam().mixType) != "1"));
    standardLine(3);
    ASSERT_EQ(start(), RunStart::Running);
    EXPECT_EQ(state().NBATTOT, 3);
    ASSERT_TRUE(runToEnd());
    run->cleanUp();
    EXPECT_EQ(observer.ended, 1);
    for (int b = 1; b <= 3; ++b) {
        EXPECT_EQ(batchText(b, "STAT"), "2") << "batch " << b;
        for (auto [slot, target] : std::map<int, double>{{1, 500}, {2, 300}, {3, 200}}) {
            const std::string k = std::to_string(slot);
            EXPECT_NEAR(batchValue(b, "ACTUAL" + k), target, inFlightError()) << "batch " << b << " slot " << slot;
            EXPECT_EQ(batchValue(b, "TARGET" + k), target);
        }
    }
    EXPECT_EQ(lineStat(), "2");
    EXPECT_EQ(plant.outputs(), std::string(16, '0'));
    EXPECT_TRUE(m_handler.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Modes, WholeRunTest,
                         ::testing::Values(WholeRunCase{"WeighUpNormal", "1", "0"},
                                           WholeRunCase{"WeighUpBag", "1", "1"},
                                           WholeRunCase{"WeighOutNormal", "2", "0"},
                                           WholeRunCase{"WeighOutBag", "2", "1"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- set-points and cut-offs ------------------------------------------------

struct SetPointCase {
    const char* name;
    bool weighOut;
    double target, slow, adjust, fast, big;
    std::vector<double> frame;  // the four values of the set-point frame, kg
    double passAt;               // the feeding step ends at (up) or below (out) this weight
};

class SetPointTest : public MixingRunTest, public ::testing::WithParamInterface<SetPointCase> {};

TEST_P(SetPointTest, FrameCarriesTheCutOffsAndFeedingEndsAtTheFinal) {
    const SetPointCase& c = GetParam();
    settings().CMIXTYPE = c.weighOut ? "2" : "1";
    settings().CAUTOC = "Y";
    usePlant(plantConfig(c.weighOut));
    Recipe r;
    r.slots[1] = {c.big, c.fast, c.slow, c.adjust, 0};
    addFormula(r);
    addLine({{{1, c.target}}});
    ASSERT_EQ(start(), RunStart::Running);
    const int feedingStep = c.weighOut ? 4 : 2;
    ASSERT_TRUE(tickUntil([&] { return state().slot(1).CMSTEP == feedingStep; }));
    keepWritten();
    EXPECT_EQ(setPointFrame(1, c.weighOut ? 'g' : 'G'), c.frame);
    ASSERT_TRUE(tickUntil([&] { return state().slot(1).CMSTEP != feedingStep; }));
    if (c.weighOut) EXPECT_LE(state().actual(1), c.passAt);
    else EXPECT_GE(state().actual(1), c.passAt);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetPointTest,
    ::testing::Values(SetPointCase{"WeighUpAllStages", false, 500, 8, 2, 50, 150, {494, 450, 350, 0}, 494},
                      SetPointCase{"WeighUpFinalStageOnly", false, 500, 8, 0, 0, 0, {492, 0, 0, 0}, 492},
                      SetPointCase{"WeighOutAllStages", true, 500, 8, 0, 50, 150, {1008, 1050, 1150, 0}, 1008}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- settling ---------------------------------------------------------------

struct SettleCase {
    double stillSeconds;
    long minTicks, maxTicks;  // ticks between the weight condition and the next step
};

class SettleTest : public MixingRunTest, public ::testing::WithParamInterface<SettleCase> {};

TEST_P(SettleTest, SettlingStepsWaitTheStillTime) {
    settings().CSTILLW = GetParam().stillSeconds;
    standardLine(1);
    ASSERT_EQ(start(), RunStart::Running);
    std::map<int, long> firstTickAt;  // step of slot 1 -> tick it was first seen
    long tick = 0;
    ASSERT_TRUE(tickUntil([&] {
        firstTickAt.emplace(state().slot(1).CMSTEP, tick++);
        return false;
    }));
    for (auto [from, to] : {std::pair{3, 4}, std::pair{8, 0}}) {
        ASSERT_TRUE(firstTickAt.count(from) && (to == 0 || firstTickAt.count(to)));
        if (to == 0) continue;  // step 8 ends the batch: checked through the record below
        const long ticks = firstTickAt[to] - firstTickAt[from];
        EXPECT_GE(ticks, GetParam().minTicks) << "steps " << from << "->" << to;
        EXPECT_LE(ticks, GetParam().maxTicks) << "steps " << from << "->" << to;
    }
    EXPECT_EQ(batchText(1, "STAT"), "2");
}

INSTANTIATE_TEST_SUITE_P(StillTimes, SettleTest,
                         ::testing::Values(SettleCase{0, 1, 1}, SettleCase{2, 15, 21}));

// ---- discharge, dispatch and mixers ------------------------------------------

class DischargeTimesTest : public MixingRunTest {
protected:
    void afterTick() override {
        for (int n = 1; n <= 3; ++n)
            if (state().slot(n).CMSTEP == 7 && !dischargeAt.count(n)) dischargeAt[n] = clock().seconds();
    }
    std::map<int, double> dischargeAt;
};

TEST_F(DischargeTimesTest, EachSlotDischargesItsFeedDelayAfterTheBatchMayGo) {
    Recipe r;
    r.slots[1] = {150, 50, 2, 0, 0};
    r.slots[2] = {150, 50, 2, 0, 2};
    r.slots[3] = {150, 50, 2, 0, 5};
    standardLine(1, r);
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_TRUE(runToEnd());
    ASSERT_EQ(dischargeAt.size(), 3u);
    EXPECT_NEAR(dischargeAt[2] - dischargeAt[1], 2, 0.5);
    EXPECT_NEAR(dischargeAt[3] - dischargeAt[1], 5, 0.5);
}

class MixerTraceTest : public MixingRunTest {
protected:
    void afterTick() override {
        const RunState& r = state();
        if (r.NMIXBAT > handed) {
            handed = r.NMIXBAT;
            handedTo.push_back(r.mixer(1).MIXSTEP == 1 && (handedTo.empty() || lastStep1 != 1) ? 1 : 2);
            selection.push_back(plant.output(kSelectionOutput) ? 1 : 0);
        }
        lastStep1 = r.mixer(1).MIXSTEP;
        bothDischarging = bothDischarging || (r.mixer(1).LMIXBUSY && r.mixer(2).LMIXBUSY);
        const auto inBag = [&](int m) { return r.mixer(m).MIXSTEP >= 4; };
        bothAtBag = bothAtBag || (inBag(1) && inBag(2));
    }
    int handed = 0, lastStep1 = 0;
    std::vector<int> handedTo, selection;
    bool bothDischarging = false, bothAtBag = false;
};

TEST_F(MixerTraceTest, BatchesAlternateBetweenIdleReadyMixers) {
    standardLine(3);
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(selection, (std::vector<int>{0, 1, 0}));  // output 5: mixer 1, 2, 1
    for (const char* text : {"เริ่มผสม", "เวลาผสม = 5", "ปล่อย = 3", "จบ Batch", "รอการผสม"})
        EXPECT_TRUE(contains(observer.mixerTexts[2], T(text))) << text;
}

TEST_F(MixerTraceTest, MixerNotReadyIsShownAndTheBatchGoesToTheOther) {
    plant.setMixerNeverReady(1, true);
    standardLine(2);
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(contains(observer.mixerTexts[1], mixerNotReadyText()));
    EXPECT_EQ(selection, (std::vector<int>{1, 1}));
    EXPECT_FALSE(contains(observer.mixerTexts[1], T("เริ่มผสม")));
}

TEST_F(MixingRunTest, BothMixersBusyHoldTheWeighedBatchWithoutBoardCalls) {
    Recipe r;
    r.mixTime = 200;
    standardLine(3, r);
    ASSERT_EQ(start(), RunStart::Running);
    // Batches 1 and 2 go to the two mixers; batch 3 is weighed and waits.
    const auto bothMixing = [&] { return state().mixer(1).MIXSTEP == 2 && state().mixer(2).MIXSTEP == 2; };
    ASSERT_TRUE(tickUntil([&] { return bothMixing() && state().allSlotsAtLeast({2, 4}); }));
    const long boardBefore = plant.boardFramesReceived();
    for (int i = 0; i < 50; ++i) {
        clock().pause(kTick);
        run->tick();
    }
    ASSERT_TRUE(bothMixing());
    EXPECT_EQ(plant.boardFramesReceived(), boardBefore);
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(state().slot(n).CMSTEP, 4) << "slot " << n;
    EXPECT_EQ(batchValue(3, "ACTUAL1"), 0);
    // A batch due for hand-over while both are busy: the dispatch waits in
    // step 2 and says nothing to the board.
    state().NMIX = 2;
    RCOMMTB(state());
    EXPECT_EQ(state().NMIX, 2);
    EXPECT_EQ(state().NMIXBAT, 2);
    EXPECT_EQ(plant.boardFramesReceived(), boardBefore);
    ASSERT_TRUE(runToEnd());
}

struct AloneCase {
    const char* alone;
    bool overlap;
};

class MixAloneTest : public MixerTraceTest, public ::testing::WithParamInterface<AloneCase> {};

TEST_P(MixAloneTest, DischargesOverlapOnlyWhenMixersMayDischargeAlone) {
    settings().CMIXALONE = GetParam().alone;
    Recipe r;
    r.mixTime = 4;
    r.dischargeTime = 150;
    standardLine(2, r);
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(bothDischarging, GetParam().overlap);
    EXPECT_EQ(contains(observer.mixerTexts[2], T("Lock การปล่อย")), !GetParam().overlap);
}

INSTANTIATE_TEST_SUITE_P(Alone, MixAloneTest, ::testing::Values(AloneCase{"1", true}, AloneCase{"0", false}));

TEST_F(MixerTraceTest, BagModeLetsOneMixerAtATimeFromBagCheckToEnd) {
    settings().CBAG = "1";
    Recipe r;
    r.mixTime = 4;
    r.dischargeTime = 150;
    standardLine(3, r);
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_TRUE(runToEnd());
    EXPECT_FALSE(bothAtBag);
    EXPECT_TRUE(contains(observer.mixerTexts[2], T("รอปล่อย")));
    EXPECT_TRUE(contains(observer.mixerTexts[1], T("ตรวจเช็คถุง")));
    EXPECT_TRUE(contains(observer.mixerTexts[1], T("จบ Batch")));
    EXPECT_EQ(observer.mixerTexts[1].back(), T("รอคำสั่ง"));
}

// The end-of-batch output stays on for the number of seconds in CENDBAT,
// read at each use; then the mixer is idle again with one more batch done.
TEST_F(MixingRunTest, EndSignalIsHeldForTheSecondsOfCendbat) {
    struct Case {
        const char* endBat;
        double held;
    };
    standardLine(1);
    ASSERT_EQ(start(), RunStart::Running);
    for (const Case& c : {Case{"1", 1}, Case{"2.5", 2.5}, Case{"0", 0}}) {
        SCOPED_TRACE(c.endBat);
        settings().CENDBAT = c.endBat;
        RunState& r = state();
        r.mixer(2).MIXSTEP = 5;
        const int mixedBefore = r.NMIXBAT2;
        normalMixerStep(r, 2);
        ASSERT_EQ(r.mixer(2).MIXSTEP, 6);
        EXPECT_TRUE(plant.output(mixerPoints(2).endOutput));
        EXPECT_EQ(r.mixer(2).CMMIXER, T("จบ Batch"));
        if (c.held > 0) {
            clock().pause(c.held - 0.05);
            normalMixerStep(r, 2);
            EXPECT_EQ(r.mixer(2).MIXSTEP, 6);
            EXPECT_TRUE(plant.output(mixerPoints(2).endOutput));
            clock().pause(0.06);
        }
        normalMixerStep(r, 2);
        EXPECT_EQ(r.mixer(2).MIXSTEP, 0);
        EXPECT_FALSE(plant.output(mixerPoints(2).endOutput));
        EXPECT_EQ(r.mixer(2).CMMIXER, mixerWaitingText());
        EXPECT_EQ(r.NMIXBAT2, mixedBefore + 1);
    }
}

TEST_F(MixingRunTest, BagModeMixersThatFinishMixingTogetherDoNotWaitForEachOther) {
    settings().CBAG = "1";
    standardLine(1);
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_TRUE(IOCONTROL('R'));
    for (int m : {1, 2}) state().mixer(m).MIXSTEP = 3;
    state().mixer(1).NWTIME = clock().seconds();
    state().mixer(2).NWTIME = clock().seconds() - 1;  // mixer 2 started mixing first
    bagMixerStep(state(), 1);
    bagMixerStep(state(), 2);
    EXPECT_EQ(state().mixer(1).MIXSTEP, 3);
    EXPECT_EQ(state().mixer(2).MIXSTEP, 4);
}

TEST_F(MixingRunTest, InformationLineNamesTheBatchDispatched) {
    standardLine(2);
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(observer.info, (std::vector<std::string>{"F1:MIX A", "F1:MIX A Batch#1/2", "F1:MIX A Batch#2/2"}));
}

// ---- weigh-out ----------------------------------------------------------------

TEST_F(MixingRunTest, WeighOutBeltCountsDownThenWaitsForTheNextHandOver) {
    settings().CMIXTYPE = "2";
    settings().CDISTIME = 10;
    usePlant(plantConfig(true));
    standardLine(2);
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_TRUE(runToEnd());
    const auto& texts = observer.slotTexts[1];
    auto stop = std::find(texts.begin(), texts.end(), "STOP");
    ASSERT_NE(stop, texts.end());
    std::vector<std::string> countdown(stop + 1, std::find(stop, texts.end(), "START"));
    std::vector<std::string> expected;
    for (int s = 10; s >= 1; --s) expected.push_back(std::to_string(s));
    ASSERT_GE(countdown.size(), 9u);
    EXPECT_EQ(countdown.front(), "10");
    EXPECT_TRUE(std::is_sorted(countdown.begin(), countdown.end(),
                               [](const std::string& a, const std::string& b) { return std::stoi(a) > std::stoi(b); }));
}

TEST_F(MixingRunTest, WeighOutHopperShortOfTheTargetWaitsShowingNotEnough) {
    settings().CMIXTYPE = "2";
    usePlant(plantConfig(true));
    standardLine(1);
    plant.setContents(2, 100);  // slot 2 needs 300 kg
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_FALSE(tickUntil([] { return false; }, 300));
    EXPECT_EQ(state().slot(2).CMMESS, notEnoughMaterialText());
    EXPECT_EQ(state().slot(1).CMSTEP, 1);  // the others wait for it before loading
    plant.setContents(2, 1500);
    ASSERT_TRUE(runToEnd());
}

// ---- compensation -------------------------------------------------------------

struct CompensationCase {
    const char* name;
    double adjust, slow, fast, error, expected;
};

class CompensationTest : public MixingRunTest, public ::testing::WithParamInterface<CompensationCase> {};

TEST_P(CompensationTest, HalfTheErrorWithinTheCaps) {
    const CompensationCase& c = GetParam();
    settings().CAUTOC = "Y";
    Recipe r;
    r.slots[1] = {0, c.fast, c.slow, c.adjust, 0};
    addFormula(r);
    addLine({{{1, 500}}, {{1, 500}}});
    ASSERT_EQ(start(), RunStart::Running);
    run->closeSlotBatch(1, 480, c.error);
    EXPECT_DOUBLE_EQ(state().slot(1).CMADJ, c.expected);
    xbase::Table* f = workAreas().table("FORMULA");
    f->goTop();
    EXPECT_DOUBLE_EQ(f->value("ADJUST1").number(), c.expected);
    EXPECT_EQ(batchValue(1, "ACTUAL1"), 480);
    EXPECT_EQ(batchValue(1, "TARGET1"), 500);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompensationTest,
    ::testing::Values(CompensationCase{"Grows", 0, 20, 50, 20, 10}, CompensationCase{"CappedAtSlow", 0, 8, 50, 20, 8},
                      CompensationCase{"Shrinks", 0, 8, 50, -20, -10},
                      CompensationCase{"FloorAtMediumCutOff", 0, 8, 50, -200, -42},
                      CompensationCase{"NoMediumStageRaisesNegativeToSlow", 0, 8, 0, -10, 8}),
    [](const auto& info) { return std::string(info.param.name); });

class CompensationRunTest : public MixingRunTest {
protected:
    void afterTick() override {
        const SlotState& s = state().slot(1);
        if (s.CMSTEP == 4 && weighedAt.size() == static_cast<size_t>(s.CMBATCH)) weighedAt.push_back(s.CMSTART);
    }
    std::vector<double> weighedAt;
};

TEST_F(CompensationRunTest, FinalStageErrorShrinksFromBatchToBatch) {
    settings().CAUTOC = "Y";
    Recipe r;
    r.slots[1] = {150, 50, 8, 0, 0};
    addFormula(r);
    addLine(std::vector<std::map<int, double>>(4, {{1, 500}}));
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_TRUE(runToEnd());
    ASSERT_EQ(weighedAt.size(), 4u);
    for (size_t b = 1; b < weighedAt.size(); ++b)
        EXPECT_LT(std::fabs(500 - weighedAt[b]), std::fabs(500 - weighedAt[b - 1])) << "batch " << b + 1;
}

TEST_F(MixingRunTest, CompensationOffLeavesTheFormulaAlone) {
    settings().CAUTOC = "N";
    Recipe r;
    r.slots[1] = {150, 50, 8, 3, 0};
    addFormula(r);
    addLine({{{1, 500}}});
    ASSERT_EQ(start(), RunStart::Running);
    EXPECT_EQ(state().slot(1).CMADJ, 0);
    ASSERT_TRUE(runToEnd());
    xbase::Table* f = workAreas().table("FORMULA");
    f->goTop();
    EXPECT_EQ(f->value("ADJUST1").number(), 3);
}

// ---- setting up, resuming, refusals -----------------------------------------------

TEST_F(MixingRunTest, ResumesAfterTheLastBatchWithWeights) {
    standardLine(0);
    addLine(std::vector<std::map<int, double>>(5, {{1, 500}, {2, 300}}), 2);
    workAreas().table("DETAIL")->goBottom();
    ASSERT_EQ(start(), RunStart::Running);
    for (int n : {1, 2}) EXPECT_EQ(state().slot(n).CMBATCH, 2);
    EXPECT_EQ(state().NMIXBAT, 2);
    EXPECT_EQ(state().NMIXBAT2, 2);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(observer.info.at(1), "F1:MIX A Batch#3/5");
    for (int b = 3; b <= 5; ++b) EXPECT_NEAR(batchValue(b, "ACTUAL1"), 500, inFlightError());
    EXPECT_EQ(batchValue(1, "ACTUAL1"), 500);  // as recorded before
}

TEST_F(MixingRunTest, FinishedLineIsRefusedWithoutOpeningTheLine) {
    addFormula({});
    addLine({{{1, 500}}}, 0, "2");
    EXPECT_EQ(start(), RunStart::LineFinished);
    EXPECT_EQ(port, nullptr);
    ASSERT_EQ(m_operator.calls.size(), 1u);
    EXPECT_EQ(m_operator.calls[0].text, T("ข้อมูลนี้สั่งทำการผสมครบแล้ว !"));
    EXPECT_EQ(m_operator.calls[0].title, T("  ส่วนสั่งการทำงาน"));
}

TEST_F(MixingRunTest, LineWhoseBatchesAllHaveWeightsFindsNoBatch) {
    addFormula({});
    addLine({{{1, 500}}, {{1, 500}}}, 2);
    EXPECT_EQ(start(), RunStart::NoBatch);
    ASSERT_EQ(m_operator.calls.size(), 1u);
    EXPECT_EQ(m_operator.calls[0].text, "Batching data not found !");
    EXPECT_EQ(m_operator.calls[0].title, "  Mixing Process");
    EXPECT_FALSE(serialLine().isOpen());
    EXPECT_EQ(run->state(), nullptr);
}

TEST_F(MixingRunTest, SlotWithoutTargetInItsFirstBatchTakesNoPart) {
    addFormula({});
    addLine({{{1, 500}}, {{1, 500}, {2, 300}}});
    ASSERT_EQ(start(), RunStart::Running);
    EXPECT_EQ(state().slot(2).CMMESS, "---");
    EXPECT_EQ(state().slot(2).CMBATCH, 2);
    EXPECT_EQ(state().slot(1).CMMESS, slotWaitingText());
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(batchValue(2, "ACTUAL2"), 0);
}

TEST_F(MixingRunTest, SmallLastBatchSwitchesStagesOffAndTooSmallWeighsNothing) {
    Recipe r;
    r.slots[1] = {150, 50, 8, 0, 0};
    r.slots[2] = {150, 50, 8, 0, 0};
    addFormula(r);
    addLine({{{1, 500}, {2, 500}}, {{1, 100}, {2, 5}}});
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_TRUE(tickUntil([&] { return state().slot(1).CMBATCH == 1 && state().slot(2).CMBATCH == 1; }));
    EXPECT_EQ(state().slot(1).CMBIG, 0);
    EXPECT_EQ(state().slot(1).CMFAST, 50);
    EXPECT_EQ(state().slot(2).CMTARGET, 0);  // 5 kg is below CMSLOW + CMADJ
    ASSERT_TRUE(runToEnd());
    EXPECT_NEAR(batchValue(2, "ACTUAL1"), 100, inFlightError(8));
}

// ---- stopping and failing devices ---------------------------------------------------

TEST_F(MixingRunTest, StopButtonClearsSetPointsAndOutputsAndLeavesTheRestUnrecorded) {
    standardLine(2);
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_TRUE(tickUntil([&] { return state().slot(1).CMSTEP == 2 && plant.feeding(1); }));
    run->stop();
    EXPECT_TRUE(run->exitAllowed());
    run->cleanUp();
    EXPECT_EQ(observer.ended, 0);
    for (int a = 1; a <= 3; ++a) EXPECT_FALSE(plant.feeding(a)) << "indicator " << a;
    EXPECT_EQ(plant.outputs(), std::string(16, '0'));
    EXPECT_FALSE(serialLine().isOpen());
    EXPECT_FALSE(Publics::instance().exists("CMTARGET"));
    EXPECT_EQ(batchValue(1, "ACTUAL1"), 0);
    EXPECT_EQ(lineStat(), " ");
}

// The clean-up gives a slot that does not answer eight tries at clearing its
// set-points, 2 s each, and then clears the board all the same.
TEST_F(MixingRunTest, CleanUpTriesASilentIndicatorEightTimesThenClearsTheBoard) {
    standardLine(2);
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_TRUE(tickUntil([&] { return state().slot(1).CMSTEP == 2 && plant.feeding(1); }));
    sim::Fault silent;
    silent.silent = true;
    plant.setIndicatorFault(3, silent);
    const long heardBefore[] = {plant.framesReceived(1), plant.framesReceived(3)};
    const double t0 = clock().seconds();
    run->stop();
    run->cleanUp();
    EXPECT_EQ(plant.framesReceived(1) - heardBefore[0], 1);
    EXPECT_EQ(plant.framesReceived(3) - heardBefore[1], 8);
    EXPECT_NEAR(clock().seconds() - t0, 16.0, 0.5);
    EXPECT_FALSE(plant.feeding(1));
    EXPECT_EQ(plant.outputs(), std::string(16, '0'));
    EXPECT_FALSE(serialLine().isOpen());
}

// The first slot to record the last batch finishes the line; stopping then
// leaves it finished though the slot that discharges later has not recorded.
TEST_F(MixingRunTest, FirstSlotToFinishTheLastBatchFinishesTheLine) {
    Recipe r;
    r.slots[3].feed = 20;  // slot 3 discharges 20 s after the others
    standardLine(1, r);
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_TRUE(tickUntil([&] { return lineStat() == "2"; }));
    EXPECT_EQ(state().slot(3).CMBATCH, 0);
    run->stop();
    run->cleanUp();
    EXPECT_EQ(lineStat(), "2");
    EXPECT_GT(batchValue(1, "ACTUAL1") + batchValue(1, "ACTUAL2"), 0);  // the slot that finished it
    EXPECT_EQ(batchValue(1, "ACTUAL3"), 0);
    workAreas().table("DETAIL")->goTop();
    EXPECT_EQ(start(), RunStart::LineFinished);
}

TEST_F(MixingRunTest, StoppedRunResumesAtTheNextBatch) {
    standardLine(3);
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_TRUE(tickUntil([&] { return state().NMIXBAT2 == 1 && state().allSlotsAtLeast({1, 0}); }));
    run->stop();
    run->cleanUp();
    workAreas().table("DETAIL")->goTop();
    ASSERT_EQ(start(), RunStart::Running);
    EXPECT_EQ(state().slot(1).CMBATCH, 1);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(lineStat(), "2");
    for (int b = 1; b <= 3; ++b) EXPECT_NEAR(batchValue(b, "ACTUAL3"), 200, inFlightError());
}

TEST_F(MixingRunTest, SilentIndicatorHoldsTheBatchAndNothingWrongIsRecorded) {
    standardLine(2);
    ASSERT_EQ(start(), RunStart::Running);
    ASSERT_TRUE(tickUntil([&] { return state().slot(3).CMSTEP == 2; }));
    sim::Fault silent;
    silent.silent = true;
    plant.setIndicatorFault(3, silent);
    ASSERT_FALSE(tickUntil([] { return false; }, 100));  // each tick waits 2 s for slot 3
    EXPECT_EQ(state().slot(3).CMSTEP, 2);
    for (int n = 1; n <= 2; ++n) EXPECT_EQ(state().slot(n).CMSTEP, 4) << "slot " << n;
    EXPECT_EQ(state().NMIXBAT, 0);
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(batchValue(1, "ACTUAL" + std::to_string(n)), 0);
    plant.setIndicatorFault(3, {});
    ASSERT_TRUE(runToEnd());
    EXPECT_NEAR(batchValue(1, "ACTUAL3"), 200, inFlightError());
    EXPECT_TRUE(m_handler.errors.empty());
}

TEST_F(MixingRunTest, RunStateNamesLiveAsLongAsTheRun) {
    standardLine(1);
    ASSERT_EQ(start(), RunStart::Running);
    EXPECT_EQ(Publics::instance().get("NBATTOT")->number(), 1);
    EXPECT_EQ(Publics::instance().getElement("CMTARGET", 2)->number(), 300);
    EXPECT_EQ(Publics::instance().getElement("CMAGG", 3)->text(), "M3");
    EXPECT_EQ(Publics::instance().assignElement("CMFAST", 1, Value(0)), Publics::Result::Ok);
    EXPECT_EQ(state().slot(1).CMFAST, 0);
    EXPECT_TRUE(Publics::instance().exists("CMACTUAL"));
    run->stop();
    run->cleanUp();
    EXPECT_FALSE(Publics::instance().exists("MIXSTEP"));
}

}  // namespace
}  // namespace mp
