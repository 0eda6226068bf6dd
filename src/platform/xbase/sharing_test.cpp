// Several real processes on one table: appends, locks and key changes at
// once, exclusive use, and processes killed while holding locks or appending.

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/xbase/maintenance.h"
#include "platform/xbase/test_support.h"

namespace mp::xbase {
namespace {

using testing::appendBatch;
using testing::batchingFields;
using testing::batchingKey;
using testing::BusyHandler;
using testing::ScratchDir;

constexpr int kProcesses = 4;
constexpr int kPerProcess = 150;
constexpr int kCounterRounds = 100;

std::string indentOf(int process) { return "PROC" + std::to_string(process); }

// Retries at once, as the shared table routines do with no time limit.
template <typename Attempt>
void untilGranted(Attempt attempt) {
    while (!attempt()) usleep(100);
}

// One worker: appends its batches (ITEM counts up), renumbers every third
// one (a key change), and adds one to record 1's TARGET1 many times.
int worker(const std::string& path, int process) {
    BusyHandler handler;
    ScopedErrorHandler guard(&handler);
    std::unique_ptr<Table> t;
    untilGranted([&] { return (t = Table::open(path)) != nullptr; });
    if (!t->openIndex(path, batchingKey)) return 2;
    for (int i = 1; i <= kPerProcess; ++i) {
        untilGranted([&] { return t->append(); });
        char item[8];
        snprintf(item, sizeof item, "%04d", i);
        if (!t->setValue("INDENT", Value(indentOf(process))) || !t->setValue("INDENT2", Value("LINE")) ||
            !t->setValue("ITEM", Value(std::string(item))) || !t->setValue("TARGET2", Value(double(i))))
            return 3;
        t->commit();
        t->unlockAll();
        if (i % 3 == 0) {  // change the key of a record appended earlier
            if (!t->seek(indentOf(process) + std::string(24 - indentOf(process).size(), ' ') + "LINE"))
                return 4;
            untilGranted([&] { return t->lockRecord(); });
            t->setValue("INDENT2", Value("MOVED"));
            t->commit();
            t->unlockAll();
        }
        if (i <= kCounterRounds) {
            t->goTo(1);
            untilGranted([&] { return t->lockRecord(); });
            t->setValue("TARGET1", Value(t->value("TARGET1").number() + 1));
            t->commit();
            t->unlockAll();
        }
    }
    // Refused append locks are the busy indication; nothing else may go wrong.
    return static_cast<int>(handler.errors.size()) == handler.count(gen::kAppendLock) ? 0 : 5;
}

pid_t spawn(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    return pid;
}

int exitCode(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

class SharingTest : public ::testing::Test {
protected:
    ScratchDir dir;
    BusyHandler handler;
    ScopedErrorHandler guard{&handler};
    std::string path;

    void SetUp() override {
        path = dir.path("BATCHING");
        ASSERT_TRUE(Table::create(path, batchingFields()));
        auto t = Table::open(path);
        ASSERT_TRUE(t->createIndex(path, "INDENT+INDENT2+ITEM", batchingKey));
        ASSERT_TRUE(appendBatch(*t, "COUNTER", "", 0));  // record 1 holds the shared counter
        t->commit();
    }
};

TEST_F(SharingTest, ConcurrentAppendsLocksAndKeyChangesLoseNothing) {
    std::vector<pid_t> pids;
    for (int p = 0; p < kProcesses; ++p) pids.push_back(spawn([&, p] { return worker(path, p); }));
    for (pid_t pid : pids) EXPECT_EQ(exitCode(pid), 0);

    auto t = Table::open(path);
    ASSERT_TRUE(t->openIndex(path, batchingKey));
    EXPECT_EQ(t->recordCount(), 1u + kProcesses * kPerProcess);
    auto problems = checkTable(*t);  // every record once, in key order, under its key
    EXPECT_TRUE(problems.empty()) << problems.front();
    t->goTo(1);
    EXPECT_EQ(t->value("TARGET1").number(), kProcesses * kCounterRounds);
    std::set<std::pair<std::string, double>> batches;
    for (t->setOrder(0), t->goTo(2); !t->eof(); t->skip()) {
        std::string item = t->value("ITEM").text();
        EXPECT_EQ(std::stod(item), t->value("TARGET2").number());
        batches.insert({t->value("INDENT").text(), t->value("TARGET2").number()});
        bool moved = t->value("INDENT2").text().rfind("MOVED", 0) == 0;
        EXPECT_EQ(moved, t->value("TARGET2").number() <= kPerProcess / 3) << "record " << t->recNo();
    }
    EXPECT_EQ(batches.size(), static_cast<size_t>(kProcesses * kPerProcess));
}

TEST_F(SharingTest, ExclusiveUseElsewhereIsBusyAndAKilledHolderFreesIt) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = spawn([&] {
        auto t = Table::open(path, {true, false});
        char c = t ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        pause();
        return 0;
    });
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    EXPECT_FALSE(Table::open(path));
    EXPECT_TRUE(isBusy());
    EXPECT_EQ(handler.count(gen::kOpen), 1);
    kill(holder, SIGKILL);
    exitCode(holder);
    EXPECT_TRUE(Table::open(path));
    EXPECT_FALSE(isBusy());
}

TEST_F(SharingTest, KilledProcessReleasesItsLocks) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = spawn([&] {
        auto t = Table::open(path);
        t->goTo(1);
        bool ok = t->lockRecord() && t->append();  // a record lock and a new record
        char c = ok ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        pause();
        return 0;
    });
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    auto t = Table::open(path);
    t->goTo(1);
    EXPECT_FALSE(t->lockRecord());
    EXPECT_FALSE(t->lockFile());
    kill(holder, SIGKILL);
    exitCode(holder);
    EXPECT_TRUE(t->lockRecord());
    EXPECT_TRUE(t->lockFile());
    t->unlockAll();
    EXPECT_TRUE(t->append());
    EXPECT_EQ(t->recNo(), 3u);
}

TEST_F(SharingTest, ProcessKilledWhileAppendingLeavesAnOpenableTable) {
    int progress[2];
    ASSERT_EQ(pipe(progress), 0);
    pid_t appender = spawn([&] {
        auto t = Table::open(path);
        if (!t->openIndex(path, batchingKey)) return 1;
        for (int i = 1;; ++i) {
            if (!appendBatch(*t, "KILLED", "", i % 10000)) continue;
            t->setValue("TARGET1", Value(static_cast<double>(i)));
            t->commit();
            t->unlockAll();
            uint32_t n = t->recNo();
            (void)!write(progress[1], &n, sizeof n);  // committed
        }
    });
    uint32_t committed = 0, n = 0;
    while (committed < 300 && read(progress[0], &n, sizeof n) == sizeof n) committed = n;
    kill(appender, SIGKILL);
    exitCode(appender);
    close(progress[1]);
    while (read(progress[0], &n, sizeof n) == sizeof n) committed = n;

    auto t = Table::open(path);
    ASSERT_TRUE(t);
    EXPECT_GE(t->recordCount(), committed);
    for (uint32_t r = 2; r <= committed; ++r) {
        ASSERT_TRUE(t->goTo(r));
        EXPECT_EQ(t->value("TARGET1").number(), r - 1) << r;
    }
    ASSERT_TRUE(t->openIndex(path, batchingKey));
    // The index may lack the last record (killed between the record and the
    // index); the check says so, and nothing else is wrong.
    for (const std::string& p : checkTable(*t)) {
        EXPECT_TRUE(p.find("missing from the index") != std::string::npos ||
                    p.find("filed under") != std::string::npos) << p;
    }
}

// A reader walking an index with skips while another process changes keys
// around its position and appends: after every change the walk goes on from
// where the reader stood, to exactly the neighbour the index holds now, in
// both directions and across page boundaries. The reader's index keeps its
// path between skips; this is the test that it notices the other process.
class CursorSharingTest : public ::testing::Test {
protected:
    static constexpr int kKeyWidth = 20;  // 33 entries a page: many pages, three levels
    using Entry = std::pair<std::string, uint32_t>;

    ScratchDir dir;
    BusyHandler handler;
    ScopedErrorHandler guard{&handler};
    std::string path;
    std::set<Entry> entries;             // the index as it must be: (key, record)
    std::map<uint32_t, std::string> keyOf;
    std::mt19937 rng{11};
    int toWriter = -1, fromWriter = -1;
    pid_t writer = 0;

    static KeyFunction key() {
        return [](const Record& r) { return r.value("K").text(); };
    }
    std::string randomKey() {
        std::string k = "K" + std::to_string(1000 + rng() % 600);  // many equal keys
        k.resize(kKeyWidth, ' ');
        return k;
    }
    void put(uint32_t n, const std::string& k) {
        if (keyOf.count(n)) entries.erase({keyOf[n], n});
        keyOf[n] = k;
        entries.insert({k, n});
    }

    // The other process: reads (record number, key) commands, record 0 to
    // append; answers with the record written, 0 on failure.
    static int writerLoop(const std::string& path, int in, int out) {
        BusyHandler h;
        ScopedErrorHandler g(&h);
        auto t = Table::open(path);
        if (!t || !t->openIndex(path, key())) return 2;
        struct { uint32_t recNo; char key[kKeyWidth]; } cmd;
        while (read(in, &cmd, sizeof cmd) == sizeof cmd) {
            bool ok = cmd.recNo == 0 ? t->append() : (t->goTo(cmd.recNo) && t->lockRecord());
            ok = ok && t->setValue("K", Value(std::string(cmd.key, kKeyWidth)));
            uint32_t done = ok ? t->recNo() : 0;
            t->unlockAll();
            if (write(out, &done, sizeof done) != sizeof done) return 3;
        }
        return h.errors.empty() ? 0 : 4;
    }

    void SetUp() override {
        path = dir.path("CURSOR");
        ASSERT_TRUE(Table::create(path, {{"K", 'C', kKeyWidth, 0}}));
        auto t = Table::open(path);
        for (uint32_t n = 1; n <= 1500; ++n) {
            ASSERT_TRUE(t->append());
            std::string k = randomKey();
            ASSERT_TRUE(t->setValue("K", Value(k)));
            t->unlockAll();
            put(n, k);
        }
        ASSERT_TRUE(t->createIndex(path, "K", key()));
        int down[2], up[2];
        ASSERT_EQ(pipe(down), 0);
        ASSERT_EQ(pipe(up), 0);
        writer = spawn([&] {
            close(down[1]);  // so the end of the commands reaches the loop
            close(up[0]);
            return writerLoop(path, down[0], up[1]);
        });
        close(down[0]);
        close(up[1]);
        toWriter = down[1];
        fromWriter = up[0];
    }
    void TearDown() override {
        close(toWriter);
        EXPECT_EQ(exitCode(writer), 0);
        close(fromWriter);
    }

    // Has the other process give record n (0: a new record) the key k.
    void change(uint32_t n, const std::string& k) {
        struct { uint32_t recNo; char key[kKeyWidth]; } cmd{n, {}};
        std::memcpy(cmd.key, k.data(), kKeyWidth);
        ASSERT_EQ(write(toWriter, &cmd, sizeof cmd), static_cast<ssize_t>(sizeof cmd));
        uint32_t done = 0;
        ASSERT_EQ(read(fromWriter, &done, sizeof done), static_cast<ssize_t>(sizeof done));
        ASSERT_NE(done, 0u);
        put(done, k);
    }
    // A record near `at` in key order (up to three entries either side).
    uint32_t neighbour(const Entry& at) {
        auto it = entries.lower_bound(at);
        for (int d = static_cast<int>(rng() % 7) - 3; d > 0 && it != entries.end(); --d) ++it;
        for (int d = static_cast<int>(rng() % 4); d > 0 && it != entries.begin(); --d) --it;
        return it == entries.end() ? entries.rbegin()->second : it->second;
    }
};

TEST_F(CursorSharingTest, SkipsFollowAnotherProcessesChangesAroundTheCursor) {
    auto t = Table::open(path);
    ASSERT_TRUE(t->openIndex(path, key()));
    t->goTop();
    for (int round = 0; round < 1500; ++round) {
        if (t->eof()) {
            rng() % 2 ? t->goTop() : t->goBottom();
            continue;
        }
        Entry at{t->value("K").text(), t->recNo()};
        switch (rng() % 4) {
        case 0: change(neighbour(at), randomKey()); break;   // keys move away from and into the gap
        case 1: change(at.second, randomKey()); break;       // the reader's own record moves
        case 2: change(0, at.first); break;                  // an equal key lands beside it
        default: break;                                      // nothing changed: the path alone
        }
        if (HasFailure()) return;
        bool forward = rng() % 5 < 3;
        for (int steps = 1 + rng() % 40; steps > 0 && !t->eof(); --steps) {
            at = Entry{t->value("K").text(), t->recNo()};
            if (forward) {
                auto it = entries.upper_bound(at);
                EXPECT_EQ(t->skip(1), it != entries.end());
                if (it == entries.end()) {
                    ASSERT_TRUE(t->eof()) << "round " << round;
                    break;
                }
                ASSERT_EQ(Entry(t->value("K").text(), t->recNo()), *it) << "round " << round;
            } else {
                auto it = entries.lower_bound(at);
                bool before = it == entries.begin();
                EXPECT_EQ(t->skip(-1), !before);
                ASSERT_EQ(t->bof(), before) << "round " << round;
                ASSERT_EQ(Entry(t->value("K").text(), t->recNo()), before ? *entries.begin() : *std::prev(it))
                    << "round " << round;
                if (before) break;
            }
        }
    }
    EXPECT_TRUE(handler.errors.empty());
    auto problems = checkTable(*t);
    EXPECT_TRUE(problems.empty()) << problems.front();
}

}  // namespace
}  // namespace mp::xbase
