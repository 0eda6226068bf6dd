// The mixing run on the plant simulator, in process on the virtual clock:
// set-points and cut-offs, settling, staggered discharge, the mixers'
// dispatch and sequences in both modes, weigh-out, compensation, resuming,
// refusals, the stop button and an indicator that stops answering.

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "batching/mixers.h"
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

    // What one indicator lets fall after its final cut-off: the small
    // stage's flow during the in-flight time.
    double inFlightError() const {
        const sim::IndicatorConfig& i = plant.config().indicators[1];
        return i.smallRate * i.inFlight;
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

}  // namespace
}  // namespace mp
