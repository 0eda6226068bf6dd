#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime/date.h"
#include "platform/runtime/error.h"
#include "platform/runtime/value.h"

namespace mp {

// ERRORMESSAGE: the one-line text of an error record, e.g.
// "Error BASE/1003  Variable does not exist: CNAME".
std::string ERRORMESSAGE(const ErrorRecord& e);

// CGETINFO: a value as the variables section of the log shows it: text in
// double quotes, "Len: " + length in 4 for an array, else its text form.
std::string CGETINFO(const Value& v);

// GETCPU: the processor's name ("model name" of /proc/cpuinfo), "" when unknown.
std::string GETCPU();

// What the table engine tells the error log about its open tables.
struct LoggedIndex {
    std::string key;   // key expression
    std::string name;  // index (tag) name
    bool controlling = false;
};
struct LoggedRelation {
    std::string key;         // relation key expression
    std::string childAlias;  // the table it positions
};
struct LoggedTable {
    int slot = 0;  // work area number 1..255
    bool current = false;
    std::string alias;
    std::string driver;  // e.g. "DBFNTX"
    long recNo = 0;
    long recCount = 0;
    bool bof = false;
    bool eof = false;
    std::vector<LoggedIndex> indexes;      // at most 15 are logged
    std::vector<LoggedRelation> relations; // at most 8 are logged
};

// Installed by the table engine while it is up; the log shows nothing under
// "Linked RDDs" and "DataBases in use" when none is installed.
class DatabaseInfoProvider {
public:
    virtual ~DatabaseInfoProvider() = default;
    virtual std::vector<std::string> driverNames() const = 0;
    virtual std::vector<LoggedTable> openTables() const = 0;
};
DatabaseInfoProvider* setDatabaseInfoProvider(DatabaseInfoProvider* p);  // not owned; returns previous

// Titles of the top-level windows ("applications running"): the screens
// install a provider; without one the list is empty.
class WindowTitlesProvider {
public:
    virtual ~WindowTitlesProvider() = default;
    virtual std::vector<std::string> titles() const = 0;
};
WindowTitlesProvider* setWindowTitlesProvider(WindowTitlesProvider* p);  // not owned; returns previous

// Everything the log reports besides the error record itself. gatherLogFacts()
// fills it from the running system; tests fill it by hand.
struct LogFacts {
    std::string exePath;
    uint64_t exeSize = 0;
    long secondsFromStart = 0;
    Date date;             // when the error occurred
    long secondsOfDay = 0; // time of day, whole seconds
    std::vector<CallLevel> callLevels;  // innermost first
    std::string cpuName;
    long cpuMhz = 0;
    uint64_t memoryBytes = 0;  // physical memory
    std::string compilerVersion;
    int osMajor = 0, osMinor = 0, osBuild = 0;
    std::string osServicePack;
    std::vector<std::string> windowTitles;
    std::vector<std::string> drivers;
    std::vector<LoggedTable> tables;
    std::vector<std::string> classes;
    long staticCount = 0;
    uint64_t memoryInUse = 0, memoryHighest = 0;
};

LogFacts gatherLogFacts();

// The log text, every line ended by carriage return and line feed.
std::string errorLogText(const ErrorRecord& e, const LogFacts& facts);

// The "Called from" lines of the stack section (without line ends), as the
// error dialog lists them.
std::vector<std::string> stackLines(const std::vector<CallLevel>& levels);

// Writes the log text and a final end-of-file byte (1A); false when it cannot.
bool writeErrorLog(const std::string& path, const std::string& logText);

// Helpers of the log's number formats, exposed for the tests.
std::string padLeft(const std::string& s, size_t width);   // right-aligned
std::string padRight(const std::string& s, size_t width);  // left-aligned
// "9,999,999": thousands separators, right-aligned in 9 (wider numbers keep every digit).
std::string withThousands(uint64_t n);

}  // namespace mp
