// The mixing run's tick on the plant simulator, in process on the virtual
// clock: eight healthy indicators, a line of several batches.
//   bench_mixing [batches]
// Prints the processor time per tick (all of it, and the program's own part
// without the simulated port and plant), the line time the serial exchanges
// of a tick take (the simulator answers after its answer delay, 10 ms), and
// the share of a run's time spent outside the serial exchanges.

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/settings.h"
#include "batching/mixing_run.h"
#include "data/helpers.h"
#include "data/site_setup.h"
#include "data/table_access.h"
#include "platform/runtime/error.h"
#include "sim/plant_model.h"
#include "sim/simulated_port.h"

namespace {

using namespace mp;

double cpuNow() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Counts the processor time and the line time spent inside the port.
struct PortMeter {
    double cpu = 0, line = 0;
    long exchanges = 0;
};

class MeteredPort : public SerialPort {
public:
    MeteredPort(std::unique_ptr<SerialPort> inner, PortMeter& meter, VirtualDayClock& clock)
        : m_inner(std::move(inner)), m_meter(meter), m_clock(clock) {}
    bool open(const std::string& d) override { return m_inner->open(d); }
    bool configure(const LineSettings& s) override { return m_inner->configure(s); }
    size_t write(std::string_view b) override {
        ++m_meter.exchanges;
        return measured([&] { return m_inner->write(b); });
    }
    size_t read(char* b, size_t c) override { return measured([&] { return m_inner->read(b, c); }); }
    int takeErrors() override { return m_inner->takeErrors(); }
    void waitForInput(double s) override {
        measured([&] {
            m_inner->waitForInput(s);
            return 0;
        });
    }
    void close() override { m_inner->close(); }
    bool isOpen() const override { return m_inner->isOpen(); }

private:
    template <class F>
    size_t measured(F f) {
        const double c0 = cpuNow(), l0 = sim::lineTimeOf(m_clock);
        const size_t r = f();
        m_meter.cpu += cpuNow() - c0;
        m_meter.line += sim::lineTimeOf(m_clock) - l0;
        return r;
    }
    std::unique_ptr<SerialPort> m_inner;
    PortMeter& m_meter;
    VirtualDayClock& m_clock;
};

void makeLine(int batches) {
    FieldValues f = {{"CODE", "B8"}, {"NAME", "BENCH"}, {"CAPACITY", 4000.0}, {"TIME", 5.0}, {"DISCHARGE", 3.0}};
    FieldValues d = {{"INDENT", "BENCHORDER00000000000001"}, {"INDENT2", "BENCHLINE000000000000001"},
                     {"FORMULA", "B8"}, {"STAT", " "}};
    for (int n = 1; n <= 8; ++n) {
        const std::string k = std::to_string(n);
        f.insert(f.end(), {{"BIG" + k, 60.0}, {"FAST" + k, 20.0}, {"SLOW" + k, 0.6}, {"AGG" + k, "M" + k}});
        d.emplace_back("AGG" + k, "M" + k);
    }
    appendRecord("FORMULA", f);
    appendRecord("DETAIL", d);
    for (int b = 1; b <= batches; ++b) {
        FieldValues r = {{"INDENT", "BENCHORDER00000000000001"}, {"INDENT2", "BENCHLINE000000000000001"},
                         {"ITEM", ZERO(b, 4)}, {"STAT", "0"}};
        for (int n = 1; n <= 8; ++n) r.emplace_back("TARGET" + std::to_string(n), 100.0 + 25 * n);
        appendRecord("BATCHING", r);
    }
    workAreas().select("DETAIL");
    workAreas().current()->goTop();
}

}  // namespace

int main(int argc, char** argv) {
    const int batches = argc > 1 ? std::atoi(argv[1]) : 5;
    const std::string dir = std::filesystem::temp_directory_path() / ("bench-mixing-" + std::to_string(getpid()));
    installTableLayer();
    defaultSettings(settings());
    settings().CDRV1 = dir + "/";
    settings().CDRV2 = dir + "/";
    settings().CDRV4 = dir + "/WORK/";
    settings().CMPORT = "012345678";
    RecordingErrorHandler errors;
    ScopedErrorHandler handler(&errors);
    std::string why;
    if (!createSiteFolders(why) || !createPermanentTables()) {
        std::fprintf(stderr, "bench_mixing: cannot make the scratch site in %s: %s\n", dir.c_str(), why.c_str());
        return 1;
    }
    for (const char* alias : {"FORMULA", "DETAIL", "BATCHING"}) openTable(*findTable(alias));
    makeLine(batches);

    VirtualDayClock clock;
    setDayClock(&clock);
    sim::PlantConfig config;
    config.addresses = "012345678";
    sim::PlantModel plant(config);
    PortMeter meter;
    ScopedSerialPortFactory ports([&]() -> std::unique_ptr<SerialPort> {
        return std::make_unique<MeteredPort>(std::make_unique<sim::SimulatedSerialPort>(plant, clock), meter, clock);
    });

    MixingRun run;
    if (run.setUp() != RunStart::Running) {
        std::fprintf(stderr, "bench_mixing: the run did not start\n");
        return 1;
    }
    const double period = tickPeriodSeconds();
    const double cpu0 = cpuNow(), line0 = sim::lineTimeOf(clock);
    meter = {};
    const long ticks = TickLoop(clock, period).run(run);
    const double cpu = cpuNow() - cpu0, line = sim::lineTimeOf(clock) - line0;
    const bool finished = run.finished();
    run.cleanUp();
    workAreas().closeAll();
    setDayClock(nullptr);
    std::filesystem::remove_all(dir);

    const double own = cpu - meter.cpu;
    std::printf("run of %d batches, 8 indicators: %s after %ld ticks, %.0f s of plant time\n", batches,
                finished ? "finished" : "NOT finished", ticks, line);
    std::printf("processor time per tick: %.1f us in all, %.1f us of it the program's own (port and plant model excluded)\n",
                1e6 * cpu / ticks, 1e6 * own / ticks);
    std::printf("serial exchanges: %.1f per tick, %.1f ms of line time per tick\n", double(meter.exchanges) / ticks,
                1e3 * meter.line / ticks);
    std::printf("share of a tick's working time outside the serial exchanges: %.3f %%\n",
                100 * own / (own + meter.line));
    std::printf("share of the whole run outside the exchanges (timer waits included): %.1f %%, of which processing %.3f %%\n",
                100 * (line - meter.line) / line, 100 * own / line);
    return finished ? 0 : 1;
}
