// mixplant-cli iotest: the device test. Opens the serial line, clears the
// set-points of the eight indicator slots and the board's outputs, and prints
// each of the nine result lines as it is produced. Like the test screen it
// needs no rights. Exit status 1 when the line cannot be opened.

#include "cli/command.h"
#include "devices/device_ops.h"

namespace mp::cli {
namespace {

struct PrintLines : DeviceTestObserver {
    void lineDone(int, const std::string& text) override { out(text + "\n"); }
};

int runIotest(Context& ctx) {
    if (!ctx.args.empty()) {
        err("mixplant-cli: iotest takes no arguments\nusage: mixplant-cli [--ini PATH] iotest\n");
        return 2;
    }
    DeviceTest test;
    PrintLines lines;
    return test.start(&lines) ? 0 : 1;
}

Registrar reg{"iotest", "iotest            test the line to every indicator and the board, one line each",
              &runIotest};

}  // namespace
}  // namespace mp::cli
