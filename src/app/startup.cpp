#include "app/startup.h"

#include <sys/resource.h>

#include "app/settings.h"
#include "platform/runtime/files.h"

namespace mp {

namespace {

std::function<void()>& tableCloser() {
    static std::function<void()> closer;
    return closer;
}

std::string& helpFileName() {
    static std::string name;
    return name;
}

// Room for 100 open files: the tables of a function area, their indexes and
// the work files of printing stay open together.
void askForOpenFiles(rlim_t wanted) {
    rlimit lim{};
    if (getrlimit(RLIMIT_NOFILE, &lim) != 0 || lim.rlim_cur >= wanted) return;
    lim.rlim_cur = lim.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, lim.rlim_max);
    setrlimit(RLIMIT_NOFILE, &lim);  // a refusal leaves the platform's limit
}

}  // namespace

void setCloseAllTables(std::function<void()> closeAll) { tableCloser() = std::move(closeAll); }

void closeAllTables() {
    if (tableCloser()) tableCloser()();
}

const std::string& helpFile() { return helpFileName(); }

Startup::Startup(std::string iniPath) {
    Settings& s = settings();
    s = Settings{};
    // 1. The configuration file in use.
    s.VARFILE = iniPath.empty() ? std::string(kDefaultIniPath) : std::move(iniPath);
    // 2. Dates are "dd/mm/yyyy" with two-digit years in 1970..2069: the date
    //    type of the runtime keeps that convention for the whole run.
    // 3. Room for open files.
    askForOpenFiles(100);
    // 4. The help file.
    helpFileName() = "Main.hlp";
    // 5, 6. Every setting with its default, numbers converted (and CCOLOR, step 9).
    const bool existed = fileExists(s.VARFILE);
    readSettings(s, s.VARFILE);
    // 7. A first start leaves a file with the defaults of every stored key.
    if (!existed) {
        SAVEINI();
        m_created = true;
    }
    // 8. No tables open, nobody logged in yet.
    closeAllTables();
    s.CUSER.clear();
    s.CTRUSTEE.clear();
    registerSettings(s, m_names);
}

Startup::~Startup() {
    // Shut-down: close all tables and release every process-wide value.
    closeAllTables();
    m_names.clear();
}

const std::string& Startup::iniPath() const { return settings().VARFILE; }

}  // namespace mp
