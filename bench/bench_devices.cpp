// Timing of the serial path, on a pseudo-terminal whose far end is the plant
// model answering at once (no answer delay):
//  1. the software time of one indicator exchange (read command, 26-byte
//     reply), beyond which a real 9600-baud line adds the bytes' own time;
//  2. the processor time used while waiting 2 s for an indicator that never
//     answers (the wait sleeps in poll(), so it should be close to nothing).
//
//   bench_devices [EXCHANGES]

#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "app/settings.h"
#include "devices/device_state.h"
#include "devices/indicator.h"
#include "devices/link.h"
#include "platform/serial/pseudo_terminal.h"
#include "sim/plant_model.h"

namespace {

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

// The far end: answers every frame as soon as it is complete.
void serve(int master, mp::sim::PlantModel& plant, std::atomic<bool>& stop) {
    char buf[1024];
    while (!stop) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0) continue;
        double now = steadySeconds();
        plant.receive(std::string_view(buf, static_cast<size_t>(n)), now);
        std::string out = plant.takeDue(now);
        if (!out.empty() && write(master, out.data(), out.size()) < 0) return;
    }
}

}  // namespace

int main(int argc, char** argv) {
    int exchanges = argc > 1 ? std::atoi(argv[1]) : 2000;
    mp::PseudoTerminal pty;
    if (!pty.create()) return 1;
    std::string ini = "/tmp/bench_devices_" + std::to_string(getpid()) + ".ini";
    std::ofstream(ini) << "[Comm]\nCOM1=" << pty.slavePath() << "\n";

    mp::sim::PlantConfig config;
    config.answerDelay = 0;
    config.indicators[3].fault.silent = true;
    mp::sim::PlantModel plant(config);
    plant.setContents(1, 1234.5);
    plant.advanceTo(steadySeconds());
    std::atomic<bool> stop{false};
    std::thread far([&] { serve(pty.masterFd(), plant, stop); });

    mp::defaultSettings(mp::settings());
    mp::settings().VARFILE = ini;
    mp::DeviceValuesScope values;
    if (!mp::COPEN()) return 1;

    int ok = 0;
    double cpu0 = cpuSeconds(RUSAGE_SELF), t0 = steadySeconds();
    for (int i = 0; i < exchanges; ++i) ok += mp::HP_COMM(1, mp::hp::kRead);
    double wall = steadySeconds() - t0, cpu = cpuSeconds(RUSAGE_SELF) - cpu0;
    const double lineMs = (6 + 26) * 10 / 9600.0 * 1000;  // start, 8 data, stop bit per byte
    std::printf("exchange over a pseudo-terminal: %d of %d valid, %.1f us wall, %.1f us processor "
                "(both ends) per exchange; a 9600-baud line adds %.1f ms of byte time\n",
                ok, exchanges, wall / exchanges * 1e6, cpu / exchanges * 1e6, lineMs);

    double threadCpu0 = cpuSeconds(RUSAGE_THREAD);
    t0 = steadySeconds();
    bool answered = mp::HP_COMM(3, mp::hp::kRead);
    double waited = steadySeconds() - t0, waitCpu = cpuSeconds(RUSAGE_THREAD) - threadCpu0;
    std::printf("silent indicator: answered=%s after %.3f s; processor time while waiting %.3f ms\n",
                answered ? "yes" : "no", waited, waitCpu * 1000);

    mp::closeLine();
    stop = true;
    far.join();
    unlink(ini.c_str());
    return ok == exchanges && !answered ? 0 : 1;
}
