// mixplant-cli zero: zeroes every configured indicator, as the zero button of
// the production screen does, and prints one line per indicator tried. Needs
// the rights of the production area (area 1, level 1), checked through the
// device rights hook that the login layer fills. Exit status 1 when refused
// or when the line cannot be opened.

#include <string>

#include "cli/command.h"
#include "cli/login.h"
#include "devices/device_ops.h"
#include "platform/runtime/cp874.h"

namespace mp::cli {
namespace {

constexpr int kProductionArea = 1;
constexpr int kZeroLevel = 1;

int runZero(Context& ctx) {
    if (!ctx.args.empty()) {
        err("mixplant-cli: zero takes no arguments\nusage: mixplant-cli [--ini PATH] --user CODE --password TEXT zero\n");
        return 2;
    }
    if (!cliLogin(ctx, kProductionArea, kZeroLevel)) return 1;
    bool opened = IOZERO([](int slot, bool ok) {
        out(T("หัวอ่านที่ ") + std::to_string(slot) + (ok ? " = OK\n" : " = ERROR\n"));
    });
    return opened ? 0 : 1;
}

Registrar reg{"zero", "zero              zero every configured indicator (rights: area 1, level 1)", &runZero};

}  // namespace
}  // namespace mp::cli
