// mixplant-cli init-site: makes a new site from the folders of MAIN.INI:
// every permanent table empty with its index, the running number, a first
// user with full rights and, with --demo, the demo data. Refuses a site that
// already has tables unless --force. Needs no login: there is no user yet.

#include <cctype>
#include <string>

#include "app/settings.h"
#include "app/users/site_init.h"
#include "cli/command.h"
#include "data/catalogue.h"
#include "data/table_access.h"

namespace mp::cli {
namespace {

const char* const kUsage =
    "usage: mixplant-cli [--ini PATH] init-site [--demo] [--admin CODE --admin-password PW] [--force]\n";

// Reads the options; false after printing what is wrong.
bool parseOptions(const std::vector<std::string>& args, SiteInitOptions& o) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--demo") {
            o.demo = true;
        } else if (a == "--force") {
            o.force = true;
        } else if ((a == "--admin" || a == "--admin-password") && i + 1 < args.size()) {
            (a == "--admin" ? o.adminCode : o.adminPassword) = args[++i];
        } else {
            err("mixplant-cli: init-site: unexpected " + a + "\n" + kUsage);
            return false;
        }
    }
    return true;
}

int runInitSite(Context& ctx) {
    SiteInitOptions o;
    if (!parseOptions(ctx.args, o)) return 2;
    installTableLayer();
    const std::string why = initSite(o);
    if (!why.empty()) {
        err("mixplant-cli: init-site: " + why + "\n");
        return 1;
    }
    for (const TableDef& t : permanentTables())
        out(std::string(folderSettingName(t.folder)) + "\t" + t.alias + "\t" + tableBase(t) + "\n");
    std::string code = o.adminCode;
    for (char& c : code) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    out("first user: " + code + (o.demo ? " (with demo data)" : "") + "\n");
    return 0;
}

Registrar reg{"init-site",
              "init-site [--demo] [--admin CODE --admin-password PW] [--force]\n"
              "                  make the site's tables, the first user (ADMIN/ADMIN) and the demo data",
              &runInitSite};

}  // namespace
}  // namespace mp::cli
