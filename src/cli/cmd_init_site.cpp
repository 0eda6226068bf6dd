// mixplant-cli init-site: makes a new site from the folders of MAIN.INI:
// every permanent table empty with its index, the running number, a first
// user with full rights and, with --demo, the demo data. Refuses a site that
// already has tables unless --force. Needs no login: there is no user yet.
// It also puts the pictures of the screens into ./library/, where the
// operator program reads them; a picture the site already has is kept (a
// plant may have drawn its own).

#include <cctype>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/settings.h"
#include "app/users/site_init.h"
#include "cli/command.h"
#include "data/catalogue.h"
#include "data/table_access.h"

// The pictures drawn by mixplant-pictures, in the site template.
#ifndef MIXPLANT_PICTURES
#define MIXPLANT_PICTURES ""
#endif

namespace mp::cli {
namespace {

namespace fs = std::filesystem;

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

// Copies the pictures missing from ./library/ there. Returns how many were
// copied, or -1 (with `why`) when the pictures cannot be found or written.
int installPictures(std::string& why) {
    std::error_code ec;
    const fs::path from(MIXPLANT_PICTURES);
    if (from.empty() || !fs::is_directory(from, ec)) {
        why = "the pictures of the screens are not in \"" + from.string() + "\"";
        return -1;
    }
    const fs::path to = "library";
    fs::create_directories(to, ec);
    int copied = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(from, ec)) {
        if (!e.is_regular_file()) continue;
        const fs::path target = to / e.path().filename();
        if (fs::exists(target, ec)) continue;
        if (!fs::copy_file(e.path(), target, ec)) {
            why = "cannot write " + target.string() + ": " + ec.message();
            return -1;
        }
        ++copied;
    }
    if (ec) {
        why = "cannot read " + from.string() + ": " + ec.message();
        return -1;
    }
    return copied;
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
    // Without its pictures the operator program still runs (a placeholder
    // stands in for each), so a failure here is told but fails nothing.
    std::string noPictures;
    const int pictures = installPictures(noPictures);
    if (pictures < 0) err("mixplant-cli: init-site: pictures not installed: " + noPictures + "\n");
    else out("pictures: " + std::to_string(pictures) + " copied into library\n");
    return 0;
}

Registrar reg{"init-site",
              "init-site [--demo] [--admin CODE --admin-password PW] [--force]\n"
              "                  make the site's tables, the first user (ADMIN/ADMIN) and the demo data",
              &runInitSite};

}  // namespace
}  // namespace mp::cli
