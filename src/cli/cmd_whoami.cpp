// mixplant-cli whoami: logs in and prints the user code, the fourteen rights
// levels as one line of digits, then one line per function area.

#include <string>

#include "app/settings.h"
#include "app/users/users.h"
#include "cli/login.h"

namespace mp::cli {
namespace {

int runWhoami(Context& ctx) {
    if (!ctx.args.empty()) {
        err("mixplant-cli: whoami takes no arguments\n");
        return 2;
    }
    if (!cliLogin(ctx, 0, 0)) return 1;
    std::string levels;
    for (int area = 1; area <= kRightsAreas; ++area) levels += std::to_string(userLevel(area));
    out(settings().CUSER + "\n" + levels + "\n");
    for (int area = 1; area <= kRightsAreas; ++area)
        out(std::to_string(area) + "\t" + std::to_string(userLevel(area)) + "\t" + areaCaption(area) + "\n");
    return 0;
}

Registrar reg{"whoami", "whoami            log in and print the user code and the 14 rights levels", &runWhoami};

}  // namespace
}  // namespace mp::cli
