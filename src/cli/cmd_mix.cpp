// mixplant-cli mix ORDER LINE [--stop-after-batches N]: the mixing run of one
// order line without a screen, as the mix button of the production screen
// starts it (rights of area 1, level 2: the orders screen disables its mix
// button below level 2). It ticks every CTIMER milliseconds on the real
// clock and prints as it goes: the batch dispatched, every
// slot's status with its weight, every mixer's status, every recorded
// weight. An interrupt (Ctrl-C) and --stop-after-batches act as the stop
// button: the clean-up runs (set-points cleared, outputs off) and the line
// resumes later after its last batch with weights.
// Exit status: 0 the run ended (finished or stopped), 1 refused (login,
// order or line not found, line finished, no serial line, no batch), 2 usage.

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <string>

#include "batching/mixing_run.h"
#include "batching/orders.h"
#include "cli/login.h"
#include "devices/device_state.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/value.h"

namespace mp::cli {
namespace {

constexpr int kProductionArea = 1;
constexpr int kMixLevel = 2;  // the mix button is enabled from level 2

volatile std::sig_atomic_t g_interrupted = 0;
void onInterrupt(int) { g_interrupted = 1; }

std::string kg(double v) { return plainNumber(std::round(v * 10) / 10); }

// The run display of the terminal: one line per change worth telling.
class TerminalRunDisplay : public RunDisplay, public DeviceObserver {
public:
    explicit TerminalRunDisplay(long stopAfter) : m_stopAfter(stopAfter) {}

    void show(MixingRun& run) override {
        m_run = &run;
        const RunState& r = *run.state();
        m_resume = r.NMIXBAT;
        out("run: " + std::to_string(r.NBATTOT) + " batches, resuming after batch " + std::to_string(m_resume) +
            "\n");
        for (int n = 1; n <= kRunSlots; ++n)
            out("  slot " + std::to_string(n) + " " + r.slot(n).CMAGG + ": target " + kg(r.slot(n).CMTARGET) +
                " kg, " + r.slot(n).CMMESS + "\n");
        DeviceObserver* previous = setDeviceObserver(this);
        TickLoop(dayClock(), tickPeriodSeconds()).run(run, [this] { return stopPressed(); });
        setDeviceObserver(previous);
        m_run = nullptr;
    }
    void slotChanged(int n) override {
        const RunState* r = state();
        if (!r || r->slot(n).CMMESS == m_lastSlotText[n]) return;
        m_lastSlotText[n] = r->slot(n).CMMESS;
        out("  slot " + std::to_string(n) + ": " + r->slot(n).CMMESS + "  weight " + kg(r->actual(n)) + " kg\n");
    }
    void mixerChanged(int m) override {
        const RunState* r = state();
        if (!r || r->mixer(m).CMMIXER == m_lastMixerText[m]) return;
        m_lastMixerText[m] = r->mixer(m).CMMIXER;
        out("  mixer " + std::to_string(m) + ": " + r->mixer(m).CMMIXER + "\n");
    }
    void informationChanged() override {
        if (const RunState* r = state()) out(r->CMINFO + "\n");
    }
    void batchRecorded(int slot, int batch, double delivered, double target) override {
        out("  batch " + std::to_string(batch) + " slot " + std::to_string(slot) + ": recorded " + kg(delivered) +
            " kg of " + kg(target) + " kg\n");
    }
    void runEnded(bool finished) override { out(finished ? "run finished\n" : "run stopped\n"); }

private:
    const RunState* state() const { return m_run ? m_run->state() : nullptr; }
    // The stop button: an interrupt, or every slot of the run has recorded
    // the asked number of batches.
    bool stopPressed() const {
        if (g_interrupted) return true;
        if (m_stopAfter <= 0 || !state()) return false;
        const RunState& r = *state();
        const int upTo = std::min(r.NBATTOT, static_cast<int>(m_resume + m_stopAfter));
        return r.allSlotsAtLeast({upTo, 0});
    }

    long m_stopAfter;
    int m_resume = 0;
    MixingRun* m_run = nullptr;
    std::string m_lastSlotText[kRunSlots + 1], m_lastMixerText[kMixers + 1];
};

bool parseArgs(const std::vector<std::string>& args, std::string& order, std::string& line, long& stopAfter) {
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--stop-after-batches") {
            if (i + 1 >= args.size()) return false;
            char* end = nullptr;
            stopAfter = std::strtol(args[++i].c_str(), &end, 10);
            if (*end != '\0' || stopAfter < 1) return false;
        } else {
            words.push_back(args[i]);
        }
    }
    if (words.size() != 2) return false;
    order = words[0];
    line = words[1];
    return true;
}

int runMix(Context& ctx) {
    std::string order, line;
    long stopAfter = 0;
    if (!parseArgs(ctx.args, order, line, stopAfter)) {
        err("usage: mixplant-cli mix ORDER LINE [--stop-after-batches N]  (N a whole number from 1)\n");
        return 2;
    }
    if (!cliLogin(ctx, kProductionArea, kMixLevel)) return 1;
    if (!openProductionTables()) return 1;
    if (findOrder(order) == OrderLookup::NotFound) {
        err("mixplant-cli: mix: no order " + order + "\n");
        return 1;
    }
    if (!findLine(line)) {
        err("mixplant-cli: mix: order " + order + " has no line " + line + "\n");
        return 1;
    }
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    TerminalRunDisplay display(stopAfter);
    const RunStart start = MIXPROC(display);
    closeProductionTables();
    return start == RunStart::Running ? 0 : 1;
}

Registrar reg{"mix",
              "mix ORDER LINE [--stop-after-batches N]\n"
              "                  run the mixing of an order line on the plant (rights: area 1, level 2);\n"
              "                  ORDER: order number or key; LINE: place in the order (from 1) or line key",
              &runMix};

}  // namespace
}  // namespace mp::cli
