// mixplant-sim: the plant simulator on a pseudo-terminal.
//
//   mixplant-sim --link PATH [--speed FACTOR] [--config FILE] [--fault DEVICE:FAULT]... [--trace]
//
// With --trace every frame heard is printed as "frame AA L" (address in two
// hex digits, command letter), for training and for tests.
//
// Creates a pseudo-terminal, makes PATH a symbolic link to its port side,
// prints "ready PATH" and answers the program's frames until it is
// interrupted (SIGINT or SIGTERM); then it removes the link.

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

#include "platform/serial/pseudo_terminal.h"
#include "sim/plant_model.h"

namespace {

volatile sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

struct Options {
    std::string link;
    std::string configFile;
    double speed = 0;  // 0: from the configuration
    std::vector<std::string> faults;
    bool trace = false;
};

int usage(const char* why) {
    std::fprintf(stderr, "mixplant-sim: %s\n"
                         "usage: mixplant-sim --link PATH [--speed FACTOR] [--config FILE] [--fault DEVICE:FAULT]... [--trace]\n"
                         "  DEVICE: an indicator address digit or \"board\"\n"
                         "  FAULT:  silent | late=S | pieces=N,gap=S | corrupt | short | extra=N | none\n",
                 why);
    return 2;
}

bool parseArgs(int argc, char** argv, Options& o, std::string& why) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--trace") {
            o.trace = true;
            continue;
        }
        if (i + 1 >= argc) {
            why = "missing value after " + a;
            return false;
        }
        std::string v = argv[++i];
        if (a == "--link") o.link = v;
        else if (a == "--config") o.configFile = v;
        else if (a == "--fault") o.faults.push_back(v);
        else if (a == "--speed") {
            char* end = nullptr;
            o.speed = std::strtod(v.c_str(), &end);
            if (*end != '\0' || !(o.speed > 0)) {
                why = "--speed wants a number above 0";
                return false;
            }
        } else {
            why = "unknown option " + a;
            return false;
        }
    }
    if (o.link.empty()) why = "--link PATH is required";
    return !o.link.empty();
}

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size() && !g_stop) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) done += static_cast<size_t>(n);
        else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, 100);
        } else if (!(n < 0 && errno == EINTR)) {
            return;
        }
    }
}

// Prints the frames the plant has heard since the last call.
void traceFrames(mp::sim::PlantModel& plant) {
    for (const auto& f : plant.takeHeard()) std::printf("frame %02X %c\n", f.first, f.second);
    std::fflush(stdout);
}

// Answers frames until a signal arrives. Waits in poll() for the next frame
// or the next answer due, so an idle simulator uses no processor time.
void serve(int master, mp::sim::PlantModel& plant, bool trace) {
    char buf[1024];
    while (!g_stop) {
        double now = steadySeconds();
        plant.advanceTo(now);
        std::string due = plant.takeDue(now);
        if (!due.empty()) writeAll(master, due);
        int timeoutMs = 200;
        if (auto next = plant.nextDue())
            timeoutMs = std::max(0, std::min(timeoutMs, static_cast<int>(std::ceil((*next - now) * 1000))));
        pollfd p{master, POLLIN, 0};
        int r = poll(&p, 1, timeoutMs);
        if (r > 0 && (p.revents & POLLIN)) {
            ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0) {
                plant.receive(std::string_view(buf, static_cast<size_t>(n)), steadySeconds());
                if (trace) traceFrames(plant);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    std::string why;
    if (!parseArgs(argc, argv, o, why)) return usage(why.c_str());
    mp::sim::PlantConfig config;
    if (!o.configFile.empty() && !mp::sim::loadPlantConfig(o.configFile, config, &why)) return usage(why.c_str());
    for (const std::string& f : o.faults)
        if (!mp::sim::applyFaultOption(f, config, &why)) return usage(why.c_str());
    if (o.speed > 0) config.speed = o.speed;

    mp::PseudoTerminal pty;
    if (!pty.create()) {
        std::fprintf(stderr, "mixplant-sim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    ::unlink(o.link.c_str());
    if (::symlink(pty.slavePath().c_str(), o.link.c_str()) != 0) {
        std::fprintf(stderr, "mixplant-sim: cannot create %s: %s\n", o.link.c_str(), std::strerror(errno));
        return 1;
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    mp::sim::PlantModel plant(config);
    std::printf("ready %s\n", o.link.c_str());
    std::fflush(stdout);
    serve(pty.masterFd(), plant, o.trace);
    ::unlink(o.link.c_str());
    return 0;
}
