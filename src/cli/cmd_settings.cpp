// mixplant-cli settings: every setting and further value the program starts
// with, one NAME=value per line.

#include "app/settings.h"
#include "cli/command.h"

namespace mp::cli {
namespace {

int runSettings(Context& ctx) {
    if (!ctx.args.empty()) {
        err("mixplant-cli: settings takes no arguments\nusage: mixplant-cli [--ini PATH] settings\n");
        return 2;
    }
    for (const auto& [name, value] : settingValues(settings())) out(name + "=" + value.toDisplay() + "\n");
    return 0;
}

Registrar reg{"settings", "settings          print every setting and further value, NAME=value per line",
              &runSettings};

}  // namespace
}  // namespace mp::cli
