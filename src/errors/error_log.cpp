#include "errors/error_log.h"

#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/runtime/dayclock.h"
#include "platform/runtime/publics.h"

namespace mp {

namespace {

DatabaseInfoProvider* g_databases = nullptr;
WindowTitlesProvider* g_windows = nullptr;

constexpr size_t kMaxStackLevels = 72;
constexpr size_t kMaxIndexes = 15;
constexpr size_t kMaxRelations = 8;
constexpr int kMaxSlot = 255;

std::string num(long long n) { return std::to_string(n); }
std::string logical(bool b) { return b ? ".T." : ".F."; }

std::string twoDigits(long n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02ld", n % 100);
    return buf;
}

// The value of "name : value" lines of /proc files such as cpuinfo and meminfo.
std::string procField(const char* file, const std::string& name) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string key = line.substr(0, colon);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
        if (key != name) continue;
        const auto start = line.find_first_not_of(" \t", colon + 1);
        return start == std::string::npos ? "" : line.substr(start);
    }
    return "";
}

long cpuMhz() {
    const std::string mhz = procField("/proc/cpuinfo", "cpu MHz");
    if (!mhz.empty()) return static_cast<long>(std::strtod(mhz.c_str(), nullptr) + 0.5);
    std::ifstream f("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq");  // kHz
    long khz = 0;
    return (f >> khz) ? (khz + 500) / 1000 : 0;
}

uint64_t kibField(const char* file, const char* name) {
    const std::string v = procField(file, name);  // "16318848 kB"
    return std::strtoull(v.c_str(), nullptr, 10) * 1024;
}

long secondsSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = all.rfind(')');
    std::ifstream up("/proc/uptime");
    double uptime = 0;
    if (close == std::string::npos || !(up >> uptime)) return 0;
    std::istringstream rest(all.substr(close + 2));
    std::string field;
    // After the name: state is field 3; the start time is field 22.
    for (int i = 3; i <= 22 && rest >> field; ++i) {
        if (i == 22) return static_cast<long>(uptime - std::strtod(field.c_str(), nullptr) / sysconf(_SC_CLK_TCK));
    }
    return 0;
}

std::string compilerVersion() {
#if defined(__clang__)
    return std::string("clang ") + __clang_version__ + " (C++" + num(__cplusplus / 100 % 100) + ")";
#elif defined(__GNUC__)
    return std::string("GCC ") + __VERSION__ + " (C++" + num(__cplusplus / 100 % 100) + ")";
#else
    return "C++";
#endif
}

// The kernel stands in for the Windows version: "6.1.0-18-amd64" gives 6, 1,
// build 0 and the whole release as the service-pack text.
void kernelVersion(LogFacts& f) {
    utsname u{};
    if (uname(&u) != 0) return;
    std::sscanf(u.release, "%d.%d.%d", &f.osMajor, &f.osMinor, &f.osBuild);
    f.osServicePack = std::string(u.sysname) + " " + u.release;
}

std::string baseName(const char* path) {
    const std::string p = path ? path : "";
    const auto slash = p.find_last_of("/\\");
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

// Lines of one section; joined with CRLF at the end.
using Lines = std::vector<std::string>;

void applicationSection(Lines& out, const ErrorRecord& e, const LogFacts& f) {
    const long s = f.secondsFromStart;
    const long t = f.secondsOfDay;
    out.insert(out.end(), {
        "Application", "===========",
        "   Path and name: " + f.exePath + " (" + num(sizeof(void*) * 8) + " bits)",
        "   Size: " + withThousands(f.exeSize) + " bytes",
        "   Time from start: " + num(s / 3600) + " hours " + num(s / 60 % 60) + " mins " + num(s % 60) + " secs ",
        "   Error occurred at: " + f.date.toText() + ", " + twoDigits(t / 3600) + ":" + twoDigits(t / 60 % 60) +
            ":" + twoDigits(t % 60),
        "   Error description: " + ERRORMESSAGE(e),
    });
    if (!e.args) return;
    out.push_back("   Args:");
    for (size_t i = 0; i < e.args->size(); ++i) {
        const Value& v = (*e.args)[i];
        out.push_back("     [" + padLeft(num(i + 1), 4) + "] = " + v.typeLetter() + "   " + v.toDisplay());
    }
}

void stackSection(Lines& out, const LogFacts& f) {
    out.insert(out.end(), {"", "Stack Calls", "==========="});
    for (const auto& line : stackLines(f.callLevels)) out.push_back(line);
}

void systemSection(Lines& out, const LogFacts& f) {
    out.insert(out.end(), {
        "", "System", "======",
        "   CPU type: " + f.cpuName + " " + num(f.cpuMhz) + " Mhz",
        "   Hardware memory: " + num(f.memoryBytes / (1024 * 1024) + 1) + " megs", "",
        "   Free System resources: 90 %",
        "        GDI    resources: 90 %",
        "        User   resources: 90 %", "",
        "   Compiler version: " + f.compilerVersion,
        "   Windows version: " + num(f.osMajor) + "." + num(f.osMinor) + ", Build " + num(f.osBuild) + " " +
            f.osServicePack, "",
        "   Windows total applications running: " + num(f.windowTitles.size()),
    });
    for (size_t i = 0; i < f.windowTitles.size(); ++i)
        out.push_back("    " + padLeft(num(i + 1), 3) + " " + f.windowTitles[i]);
}

void variablesSection(Lines& out, const LogFacts& f) {
    out.insert(out.end(), {"", "Variables in use", "================", "   Procedure     Type   Value",
                           "   =========================="});
    // Our call levels carry no parameters or locals: each level shows its name.
    for (size_t i = 0; i < f.callLevels.size() && i < kMaxStackLevels; ++i)
        if (f.callLevels[i].function && *f.callLevels[i].function)
            out.push_back(std::string("   ") + f.callLevels[i].function);
}

void tableLines(Lines& out, const LoggedTable& t) {
    out.insert(out.end(), {
        "",
        padLeft(num(t.slot), 3) + ": " + (t.current ? "=> " : "   ") + padRight(t.alias, 15) +
            std::string(20, ' ') + "RddName: " + t.driver,
        "     ==============================",
        "     RecNo    RecCount    BOF   EOF",
        "    " + padLeft(num(t.recNo), 7) + std::string(6, ' ') + padLeft(num(t.recCount), 7) +
            std::string(6, ' ') + logical(t.bof) + "   " + logical(t.eof),
        "",
        "     Indexes in use " + std::string(23, ' ') + "TagName",
    });
    for (size_t j = 0; j < t.indexes.size() && j < kMaxIndexes; ++j) {
        const auto& ix = t.indexes[j];
        if (ix.key.empty()) continue;
        out.push_back(std::string(8, ' ') + (ix.controlling ? "=> " : "   ") + padRight(ix.key, 35) + ix.name);
    }
    out.insert(out.end(), {"", "     Relations in use"});
    for (size_t j = 0; j < t.relations.size() && j < kMaxRelations; ++j)
        out.push_back(std::string(8, ' ') + padLeft(num(j + 1), 10) + ": TO " + t.relations[j].key + " INTO " +
                      t.relations[j].childAlias);
}

void databaseSections(Lines& out, const LogFacts& f) {
    out.insert(out.end(), {"", "Linked RDDs", "==========="});
    for (const auto& d : f.drivers) out.push_back("   " + d);
    out.insert(out.end(), {"", "DataBases in use", "================"});
    for (int slot = 1; slot <= kMaxSlot; ++slot)
        for (const auto& t : f.tables)
            if (t.slot == slot) tableLines(out, t);
}

void closingSections(Lines& out, const LogFacts& f) {
    out.insert(out.end(), {"", "Classes in use:", "==============="});
    for (size_t i = 0; i < f.classes.size(); ++i)
        out.push_back("   " + padLeft(num(i + 1), 3) + " " + f.classes[i]);
    out.insert(out.end(), {
        "", "Memory Analysis", "===============",
        "      " + num(f.staticCount) + " Static variables", "",
        "   Dynamic memory consume:",
        "      Actual  Value: " + padLeft(num(f.memoryInUse), 10) + " bytes",
        "      Highest Value: " + padLeft(num(f.memoryHighest), 10) + " bytes",
    });
}

}  // namespace

std::string padLeft(const std::string& s, size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

std::string padRight(const std::string& s, size_t width) {
    return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

std::string withThousands(uint64_t n) {
    std::string digits = std::to_string(n);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return padLeft(out, 9);
}

std::string ERRORMESSAGE(const ErrorRecord& e) {
    std::string m;
    if (e.osCode == 0)
        m = e.severity > 1 ? "Error " : "Warning ";
    else
        m = "(DOS Error " + num(e.osCode) + ") ";
    m += e.subsystem ? *e.subsystem : "???";
    m += e.subCode ? "/" + num(*e.subCode) : "/???";
    if (e.description) m += "  " + *e.description;
    if (!e.fileName.empty())
        m += ": " + e.fileName;
    else if (!e.operation.empty())
        m += ": " + e.operation;
    return m;
}

std::string CGETINFO(const Value& v) {
    if (v.isText()) return "\"" + v.text() + "\"";
    if (v.isArray()) return "Len: " + padLeft(num(v.elements().size()), 4);
    return v.toDisplay();
}

std::string GETCPU() { return procField("/proc/cpuinfo", "model name"); }

DatabaseInfoProvider* setDatabaseInfoProvider(DatabaseInfoProvider* p) {
    DatabaseInfoProvider* prev = g_databases;
    g_databases = p;
    return prev;
}

WindowTitlesProvider* setWindowTitlesProvider(WindowTitlesProvider* p) {
    WindowTitlesProvider* prev = g_windows;
    g_windows = p;
    return prev;
}

std::vector<std::string> stackLines(const std::vector<CallLevel>& levels) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < levels.size() && i < kMaxStackLevels; ++i) {
        const CallLevel& l = levels[i];
        if (!l.function || !*l.function) continue;
        lines.push_back("   Called from: " + baseName(l.file) + " => " + l.function + "(" + num(l.line) + ")");
    }
    return lines;
}

LogFacts gatherLogFacts() {
    LogFacts f;
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) f.exePath.assign(exe, static_cast<size_t>(n));
    struct stat st {};
    if (!f.exePath.empty() && stat(f.exePath.c_str(), &st) == 0) f.exeSize = static_cast<uint64_t>(st.st_size);
    f.secondsFromStart = secondsSinceProcessStart();
    f.date = dayClock().today();
    f.secondsOfDay = static_cast<long>(dayClock().seconds());
    f.callLevels = callLevels();
    f.cpuName = GETCPU();
    f.cpuMhz = cpuMhz();
    f.memoryBytes = kibField("/proc/meminfo", "MemTotal");
    f.compilerVersion = compilerVersion();
    kernelVersion(f);
    if (g_windows)
        for (auto& t : g_windows->titles())  // each title once
            if (std::find(f.windowTitles.begin(), f.windowTitles.end(), t) == f.windowTitles.end())
                f.windowTitles.push_back(std::move(t));
    if (g_databases) {
        f.drivers = g_databases->driverNames();
        f.tables = g_databases->openTables();
    }
    f.staticCount = static_cast<long>(Publics::instance().names().size());
    f.memoryInUse = kibField("/proc/self/status", "VmRSS");
    f.memoryHighest = kibField("/proc/self/status", "VmHWM");
    return f;
}

std::string errorLogText(const ErrorRecord& e, const LogFacts& facts) {
    Lines lines;
    applicationSection(lines, e, facts);
    stackSection(lines, facts);
    systemSection(lines, facts);
    variablesSection(lines, facts);
    databaseSections(lines, facts);
    closingSections(lines, facts);
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return text;
}

bool writeErrorLog(const std::string& path, const std::string& logText) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << logText << '\x1A';
    return static_cast<bool>(out.flush());
}

}  // namespace mp
