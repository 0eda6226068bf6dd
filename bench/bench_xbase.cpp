// The table engine against SQLite on the same BATCHING-shaped data: indexed
// seeks of random existing keys, appends with the index kept up to date
// (each committed, as the program commits every record, and in one batch),
// a full index build, and a skip through the whole index.
// Prints one line per operation: name ours_per_second sqlite_per_second ratio.
//
//   bench_xbase [records] [folder]     (default 1000000 records in /tmp)

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/catalogue.h"
#include "platform/runtime/error.h"
#include "platform/xbase/table.h"

using namespace mp;
using namespace mp::xbase;

namespace {

struct Row {
    std::string indent, indent2, item;
};

std::string keyOf(const Record& r) {
    return r.value("INDENT").text() + r.value("INDENT2").text() + r.value("ITEM").text();
}

// Keys shaped as the plant makes them: date, time, random tail; a few
// batches per line and a few lines per order.
std::vector<Row> makeRows(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<Row> rows;
    rows.reserve(n);
    char buf[64];
    while (rows.size() < n) {
        snprintf(buf, sizeof buf, "2024%02u%02u%02u%02u%02u%-10u", 1 + rng() % 12, 1 + rng() % 28, rng() % 24,
                 rng() % 60, rng() % 60, static_cast<unsigned>(rng() % 1000000000));
        std::string indent = buf;
        for (int line = 0; line < 3 && rows.size() < n; ++line) {
            snprintf(buf, sizeof buf, "2024%02u%02u%02u%02u%02u%-10u", 1 + rng() % 12, 1 + rng() % 28,
                     rng() % 24, rng() % 60, rng() % 60, static_cast<unsigned>(rng() % 1000000000));
            std::string indent2 = buf;
            for (int item = 1; item <= 4 && rows.size() < n; ++item) {
                snprintf(buf, sizeof buf, "%04d", item);
                rows.push_back({indent, indent2, buf});
            }
        }
    }
    return rows;
}

// The plant's own BATCHING layout, as init-site creates it.
FieldList batchingFields() { return findTable("BATCHING")->fields; }

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void report(const char* name, double ours, double sqlite) {
    std::printf("%-22s %12.0f %12.0f %8.2f\n", name, ours, sqlite, sqlite > 0 ? ours / sqlite : 0.0);
    std::fflush(stdout);
}

bool setRow(Table& t, const Row& r) {
    return t.setValue(0, Value(r.indent)) && t.setValue(1, Value(r.indent2)) && t.setValue(2, Value(r.item)) &&
           t.setValue(7, Value("0")) && t.setValue(8, Value(1234.5)) && t.setValue(16, Value(1230.25));
}

// ---- SQLite side ------------------------------------------------------------------

struct Lite {
    sqlite3* db = nullptr;
    void exec(const char* sql) {
        char* err = nullptr;
        if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
            std::fprintf(stderr, "sqlite: %s\n", err);
            std::exit(1);
        }
    }
    sqlite3_stmt* prepare(const char* sql) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) std::exit(1);
        return s;
    }
    void insert(sqlite3_stmt* s, const Row& r) {
        sqlite3_bind_text(s, 1, r.indent.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(s, 2, r.indent2.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(s, 3, r.item.c_str(), -1, SQLITE_STATIC);
        sqlite3_step(s);
        sqlite3_reset(s);
    }
};

const char* kInsert =
    "INSERT INTO batching (indent, indent2, item, stat, target1, actual1) VALUES (?, ?, ?, '0', 1234.5, 1230.25)";

}  // namespace

int main(int argc, char** argv) {
    const size_t n = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    const std::string dir = (argc > 2 ? std::string(argv[2]) : std::string("/tmp")) + "/bench-xbase";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    RecordingErrorHandler handler;
    ScopedErrorHandler guard(&handler);
    std::vector<Row> rows = makeRows(n, 1);
    std::vector<Row> extra = makeRows(n + 20000, 2);  // rows to append
    extra.erase(extra.begin(), extra.begin() + n);

    // Load both stores (not measured).
    const std::string path = dir + "/BATCHING";
    Table::create(path, batchingFields());
    {
        auto t = Table::open(path, {true, false});
        for (const Row& r : rows)
            if (!t->append() || !setRow(*t, r)) return 1;
        t->commit();
    }
    Lite lite;
    sqlite3_open((dir + "/batching.sqlite").c_str(), &lite.db);
    std::string cols = "indent TEXT, indent2 TEXT, item TEXT, doc_date TEXT, date TEXT, time TEXT, staff TEXT, stat TEXT";
    for (int i = 1; i <= 8; ++i) cols += ", target" + std::to_string(i) + " REAL";
    for (int i = 1; i <= 8; ++i) cols += ", actual" + std::to_string(i) + " REAL";
    lite.exec(("CREATE TABLE batching (" + cols + ")").c_str());
    lite.exec("BEGIN");
    sqlite3_stmt* ins = lite.prepare(kInsert);
    for (const Row& r : rows) lite.insert(ins, r);
    lite.exec("COMMIT");
    std::printf("%-22s %12s %12s %8s   (%zu records)\n", "name", "ours/s", "sqlite/s", "ratio", n);

    // Full index build.
    auto t = Table::open(path);
    auto t0 = std::chrono::steady_clock::now();
    t->createIndex(path, "INDENT+INDENT2+ITEM", keyOf);
    double ours = n / seconds(t0);
    t0 = std::chrono::steady_clock::now();
    lite.exec("CREATE INDEX batching_key ON batching (indent, indent2, item)");
    report("index_build_keys", ours, n / seconds(t0));

    // Random seeks of existing keys, reading the record found.
    const int seeks = 200000;
    std::mt19937 rng(3);
    std::vector<size_t> picks(seeks);
    for (size_t& p : picks) p = rng() % n;
    t0 = std::chrono::steady_clock::now();
    double sum = 0;
    for (size_t p : picks) {
        const Row& r = rows[p];
        if (!t->seek(r.indent + r.indent2 + r.item)) return 2;
        sum += t->value(8).number();
    }
    ours = seeks / seconds(t0);
    sqlite3_stmt* sel = lite.prepare("SELECT * FROM batching WHERE indent = ? AND indent2 = ? AND item = ?");
    t0 = std::chrono::steady_clock::now();
    for (size_t p : picks) {
        const Row& r = rows[p];
        sqlite3_bind_text(sel, 1, r.indent.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(sel, 2, r.indent2.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(sel, 3, r.item.c_str(), -1, SQLITE_STATIC);
        if (sqlite3_step(sel) != SQLITE_ROW) return 3;
        sum += sqlite3_column_double(sel, 8);
        sqlite3_reset(sel);
    }
    report("seek_random", ours, seeks / seconds(t0));

    // Skip through the whole index, reading each record.
    t0 = std::chrono::steady_clock::now();
    size_t walked = 0;
    for (t->goTop(); !t->eof(); t->skip()) {
        sum += t->value(8).number();
        ++walked;
    }
    ours = walked / seconds(t0);
    sqlite3_stmt* all = lite.prepare("SELECT * FROM batching ORDER BY indent, indent2, item");
    t0 = std::chrono::steady_clock::now();
    walked = 0;
    while (sqlite3_step(all) == SQLITE_ROW) {
        sum += sqlite3_column_double(all, 8);
        ++walked;
    }
    report("skip_whole_index", ours, walked / seconds(t0));

    // Appends with the index kept up to date, each committed to the disk
    // (append, assign, commit, unlock: the program's write pattern).
    const size_t committed = 1000;
    t0 = std::chrono::steady_clock::now();
    for (size_t i = 0; i < committed; ++i) {
        if (!t->append() || !setRow(*t, extra[i])) return 4;
        t->commit();
        t->unlockAll();
    }
    ours = committed / seconds(t0);
    t0 = std::chrono::steady_clock::now();
    for (size_t i = 0; i < committed; ++i) lite.insert(ins, extra[i]);  // one transaction each
    report("append_committed", ours, committed / seconds(t0));

    // The same, committed once at the end of a batch.
    const size_t batch = extra.size() - committed;
    t0 = std::chrono::steady_clock::now();
    for (size_t i = committed; i < extra.size(); ++i) {
        if (!t->append() || !setRow(*t, extra[i])) return 5;
        t->unlockAll();
    }
    t->commit();
    ours = batch / seconds(t0);
    t0 = std::chrono::steady_clock::now();
    lite.exec("BEGIN");
    for (size_t i = committed; i < extra.size(); ++i) lite.insert(ins, extra[i]);
    lite.exec("COMMIT");
    report("append_batch", ours, batch / seconds(t0));

    sqlite3_finalize(ins);
    sqlite3_finalize(sel);
    sqlite3_finalize(all);
    sqlite3_close(lite.db);
    if (!handler.errors.empty()) std::fprintf(stderr, "%zu error records\n", handler.errors.size());
    std::fprintf(stderr, "(checksum %.0f)\n", sum);
    t.reset();
    std::filesystem::remove_all(dir);
    return 0;
}
