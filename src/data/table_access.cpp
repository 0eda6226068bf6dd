#include "data/table_access.h"

#include <mutex>

#include "app/startup.h"
#include "data/form_functions.h"
#include "data/helpers.h"
#include "data/keys.h"
#include "errors/error_log.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/dayclock.h"
#include "platform/runtime/error.h"
#include "platform/runtime/files.h"
#include "platform/runtime/operator.h"

namespace mp {
namespace {

const char* const kOpenTitle = "ส่วนการเปิดแฟ้ม";

std::string fileNameOf(const std::string& path) {
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The error log's view of the work areas.
class WorkAreasReport : public DatabaseInfoProvider {
public:
    std::vector<std::string> driverNames() const override { return {"DBFNTX"}; }
    std::vector<LoggedTable> openTables() const override;
};

std::vector<LoggedTable> WorkAreasReport::openTables() const {
    std::vector<LoggedTable> out;
    xbase::WorkAreas& areas = workAreas();
    for (int n = 1; n <= xbase::WorkAreas::kMaxAreas; ++n) {
        std::string alias = areas.aliasOf(n);
        if (alias.empty()) continue;
        xbase::Table* t = areas.table(alias);
        if (!t) continue;
        LoggedTable lt;
        lt.slot = n;
        lt.current = n == areas.selected();
        lt.alias = alias;
        lt.driver = "DBFNTX";
        lt.recNo = t->recNo();
        lt.recCount = t->recordCount();
        lt.bof = t->bof();
        lt.eof = t->eof();
        for (int j = 1; j <= t->indexCount() && j <= 15; ++j)
            lt.indexes.push_back({t->index(j)->keyExpression(), fileNameOf(t->index(j)->path()), j == t->order()});
        out.push_back(std::move(lt));
    }
    return out;
}

// Repeats `attempt` as the lock routines do: once at once, then until it
// succeeds while the limit (0: none) has not run out. `retry` tells whether
// a failed attempt is worth repeating.
template <typename Attempt, typename Retry>
bool withRetries(double limit, Attempt attempt, Retry retry) {
    if (attempt()) return true;
    if (!retry()) return false;
    DayClock& clock = dayClock();
    const double start = clock.seconds();
    while (limit <= 0 || elapsedSeconds(start, clock.seconds()) < limit) {
        clock.pause(kRetryPause);
        if (attempt()) return true;
        if (!retry()) return false;
    }
    return false;
}

bool openFailed(const std::string& text, const std::string& description) {
    operatorUi().alert(T(text) + description, T(kOpenTitle));
    unlockAll();
    return false;
}

// Makes the index of `table` controlling: built anew when `rebuild`, else opened.
bool attachIndex(xbase::Table& table, const std::string& indexPath, const std::string& keyExpression,
                 const std::string& alias, bool rebuild) {
    xbase::KeyFunction key = keyFunction(keyExpression, alias);
    if (!key) return false;
    table.closeIndexes();
    if (rebuild) return table.createIndex(indexPath, keyExpression, key);
    if (!table.openIndex(indexPath, key)) return false;
    table.setOrder(1);
    return true;
}

// The text after `key` in index order: its last byte one higher, carrying
// into the byte before when it is already the highest; empty when every
// byte is the highest.
std::string nextGroup(std::string key) {
    while (!key.empty()) {
        unsigned char last = static_cast<unsigned char>(key.back());
        if (last < 0xFF) {
            key.back() = static_cast<char>(last + 1);
            return key;
        }
        key.pop_back();
    }
    return key;
}

}  // namespace

xbase::WorkAreas& workAreas() {
    static xbase::WorkAreas areas;
    return areas;
}

xbase::Table* currentTable() { return workAreas().current(); }

void installTableLayer() {
    static std::once_flag once;
    std::call_once(once, [] {
        static WorkAreasReport report;
        setFieldResolver(&workAreas());
        setCloseAllTables([] { workAreas().closeAll(); });
        setDatabaseInfoProvider(&report);
        registerDataFunctions();
    });
}

void unlockAll() {
    xbase::WorkAreas& areas = workAreas();
    for (int n = 1; n <= xbase::WorkAreas::kMaxAreas; ++n) {
        std::string alias = areas.aliasOf(n);
        if (alias.empty()) continue;
        if (xbase::Table* t = areas.table(alias)) t->unlockAll();
    }
}

bool OPEN(const std::string& folder, const std::string& file, const std::string& keyExpression, bool exclusive,
          const std::string& description, const std::string& indexFile, const std::string& alias) {
    MP_CALL_LEVEL("OPEN");
    const std::string name = alias.empty() ? file : alias;
    workAreas().close(name);
    const std::string base = folder + file;
    if (!fileExists(base + ".DBF")) return openFailed("ไม่พบแฟ้ม ", description);
    if (!NET_USE(base, exclusive, kOpenLimit, name)) return openFailed("ไม่สามารถเปิดแฟ้ม ", description);
    xbase::Table* table = workAreas().table(name);
    if (!keyExpression.empty()) {
        const std::string indexPath = folder + indexFile;
        const bool build = exclusive || !fileExists(indexPath + ".NTX");
        if (!attachIndex(*table, indexPath, keyExpression, name, build)) {
            workAreas().close(name);
            return openFailed("ไม่สามารถเปิดแฟ้ม ", description);
        }
        table->goTop();
    }
    unlockAll();
    workAreas().select(name);
    return true;
}

bool openTable(const TableDef& t, bool exclusive) {
    return OPEN(folderSetting(t.folder), t.fileName, t.keyExpression, exclusive, t.description, t.indexName,
                t.alias);
}

bool NET_USE(const std::string& path, bool exclusive, double limit, const std::string& alias) {
    MP_CALL_LEVEL("NET_USE");
    DayClock& clock = dayClock();
    const double start = clock.seconds();
    xbase::OpenOptions options;
    options.exclusive = exclusive;
    for (bool first = true;; first = false) {
        if (limit > 0 && limit - elapsedSeconds(start, clock.seconds()) <= 0) return false;
        if (!first) clock.pause(kRetryPause);
        const int area = workAreas().open(path, alias, options);
        if (!isBusy()) return area != 0;
        if (area != 0) workAreas().closeArea(area);
    }
}

bool REC_LOCK(double limit) {
    MP_CALL_LEVEL("REC_LOCK");
    xbase::Table* t = currentTable();
    if (!t || t->eof()) return false;
    return withRetries(limit, [t] { return t->lockRecord(); }, [] { return true; });
}

bool FIL_LOCK(double limit) {
    MP_CALL_LEVEL("FIL_LOCK");
    xbase::Table* t = currentTable();
    if (!t) return false;
    return withRetries(limit, [t] { return t->lockFile(); }, [] { return true; });
}

bool ADD_REC(double limit) {
    MP_CALL_LEVEL("ADD_REC");
    xbase::Table* t = currentTable();
    if (!t) return false;
    // Only a busy append lock is worth waiting for; any other failure has
    // been reported and would fail again.
    return withRetries(limit, [t] { return t->append() && !isBusy(); }, [] { return isBusy(); });
}

bool E_SEEK(const std::string& key) {
    MP_CALL_LEVEL("E_SEEK");
    xbase::Table* t = currentTable();
    if (!t) return true;
    const std::string after = nextGroup(key);
    if (after.empty()) {
        t->goBottom();
        t->skip(1);
        return true;
    }
    t->seek(after, true);
    return true;
}

std::string CONSEC(const std::string& mode, double start) {
    MP_CALL_LEVEL("CONSEC");
    std::string result = "0000000000";
    const TableDef& def = *findTable("CONSEC");
    const std::string alias = def.fileName;
    if (NET_USE(tableBase(def), true, kOpenLimit, alias)) {
        xbase::Table* t = workAreas().table(alias);
        t->goTo(1);
        const double counter = t->value("CSNO").number();
        result = ZERO(counter, kNumberWidth);
        if (!mode.empty() && mode[0] == 'W') {
            // An empty counter table gets its record 1 rather than handing
            // out the same number for ever.
            const bool ready = t->eof() ? t->append() : REC_LOCK(0);
            if (ready) {
                const double next = start == 0 ? counter + 1 : start + 1;
                t->setValue("CSNO", Value(next));
                t->commit();
            }
            unlockAll();
        }
        workAreas().close(alias);
    }
    workAreas().select("WDATA");
    return result;
}

}  // namespace mp
