// Shared table access on a scratch site, with real processes where sharing
// is the point: another process holds the table, a record or the file.

#include "data/table_access.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "data/keys.h"
#include "data/test_site.h"
#include "app/startup.h"
#include "errors/error_log.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/files.h"

namespace mp {
namespace {

using testing::SiteTest;

// Another computer: a child process that takes something (an exclusive open,
// a lock) and keeps it until released, or for `holdSeconds` of real time.
class OtherProcess {
public:
    OtherProcess(const std::function<bool()>& take, double holdSeconds = 0) {
        int up[2], down[2];
        if (pipe(up) != 0 || pipe(down) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            close(up[0]);
            close(down[1]);
            char ok = take() ? 1 : 0;
            if (write(up[1], &ok, 1) != 1) _exit(3);
            if (holdSeconds > 0)
                usleep(static_cast<useconds_t>(holdSeconds * 1e6));
            else
                (void)!read(down[0], &ok, 1);  // until the parent lets go
            _exit(0);
        }
        close(up[1]);
        close(down[0]);
        m_release = down[1];
        char ok = 0;
        m_took = read(up[0], &ok, 1) == 1 && ok == 1;
        close(up[0]);
    }
    ~OtherProcess() { release(); }
    bool took() const { return m_took; }
    void release() {
        if (m_release >= 0) close(m_release);
        m_release = -1;
        if (m_pid > 0) waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_took = false;
};

// What the other process holds, on the table file `path`.
std::function<bool()> holdsExclusive(const std::string& path) {
    return [path] { return xbase::Table::open(path, {true, false}).release() != nullptr; };
}
std::function<bool()> holdsRecord(const std::string& path, uint32_t recNo) {
    return [path, recNo] {
        auto t = xbase::Table::open(path);
        return t && t->lockRecord(recNo) && t.release();
    };
}
std::function<bool()> holdsFile(const std::string& path) {
    return [path] {
        auto t = xbase::Table::open(path);
        return t && t->lockFile() && t.release();
    };
}

class TableAccess : public SiteTest {
protected:
    // Appends companies with these codes through the shared routines.
    void addCompanies(std::initializer_list<const char*> codes) {
        ASSERT_TRUE(openTable(*findTable("COMPANY")));
        for (const char* code : codes)
            ASSERT_TRUE(appendRecord("COMPANY", {{"CODE", Value(code)}, {"NAME", Value(code)}}));
    }
    std::string currentCode() { return currentTable()->eof() ? "<end>" : currentTable()->value("CODE").text(); }
};

TEST_F(TableAccess, OpenBuildsAMissingIndexUsesItNextTimeAndRebuildsWhenExclusive) {
    addCompanies({"B1", "A1"});
    workAreas().closeAll();
    const std::string ntx = pathOf("COMPANY") + ".NTX";
    ASSERT_EQ(0, std::remove(findFile(ntx).c_str()));

    ASSERT_TRUE(openTable(*findTable("COMPANY")));  // builds it
    EXPECT_TRUE(fileExists(ntx));
    EXPECT_EQ("A1", currentCode().substr(0, 2));
    workAreas().closeAll();

    // A record the index does not know, written behind its back.
    {
        auto raw = xbase::Table::open(pathOf("COMPANY"));
        ASSERT_TRUE(raw && raw->append());
        raw->setValue("CODE", Value("C1"));
        raw->commit();
    }
    ASSERT_TRUE(openTable(*findTable("COMPANY")));  // uses the file as it is
    EXPECT_FALSE(currentTable()->seek("C1"));
    workAreas().closeAll();

    ASSERT_TRUE(openTable(*findTable("COMPANY"), true));  // exclusive: rebuilt
    EXPECT_TRUE(currentTable()->seek("C1"));
    EXPECT_EQ(0, calls("alert"));
}

TEST_F(TableAccess, OpenSelectsTheTableUnderItsAliasAndReplacesAnOpenOne) {
    ASSERT_TRUE(openTable(*findTable("USERLIST")));
    ASSERT_TRUE(openTable(*findTable("COMPANY")));
    EXPECT_EQ("COMPANY", workAreas().aliasOf(workAreas().selected()));
    ASSERT_TRUE(OPEN(settings().CDRV1, "RAWMAT", "code", false, "x", "RAWMAT", "COMPANY"));
    EXPECT_EQ(findFile(pathOf("RAWMAT") + ".DBF"), currentTable()->path());
    EXPECT_NE(nullptr, workAreas().table("USERLIST"));
}

TEST_F(TableAccess, OpenReportsAMissingTableAndOneHeldElsewhere) {
    EXPECT_FALSE(OPEN(settings().CDRV1, "NOSUCH", "code", false, T("ตารางทดสอบ"), "NOSUCH"));
    ASSERT_EQ(1u, m_operator.calls.size());
    EXPECT_EQ(T("ไม่พบแฟ้ม ตารางทดสอบ"), m_operator.calls[0].text);
    EXPECT_EQ(T("ส่วนการเปิดแฟ้ม"), m_operator.calls[0].title);

    OtherProcess other(holdsExclusive(pathOf("UNIT")));
    ASSERT_TRUE(other.took());
    const double before = m_clock.seconds();
    EXPECT_FALSE(openTable(*findTable("UNIT")));
    EXPECT_GE(m_clock.seconds() - before, kOpenLimit - kRetryPause);
    EXPECT_LT(m_clock.seconds() - before, kOpenLimit + 1);
    ASSERT_EQ(2u, m_operator.calls.size());
    EXPECT_EQ(T("ไม่สามารถเปิดแฟ้ม ") + findTable("UNIT")->description, m_operator.calls[1].text);
    EXPECT_EQ(nullptr, workAreas().table("UNIT"));
}

TEST_F(TableAccess, NetUseWithoutLimitWaitsUntilTheTableIsFree) {
    setDayClock(nullptr);  // the other process lets go in real time
    OtherProcess other(holdsExclusive(pathOf("UNIT")), 0.3);
    ASSERT_TRUE(other.took());
    EXPECT_TRUE(NET_USE(pathOf("UNIT"), false, 0));
    EXPECT_NE(nullptr, workAreas().table("UNIT"));
}

// Waits with a limit on the virtual clock: how long each lasts before it
// gives up, and that a wait across midnight gives up at once.
TEST_F(TableAccess, LimitedWaitsExpireOnTheDayClockAndAtMidnightAtOnce) {
    addCompanies({"A1"});
    struct Case {
        const char* what;
        double startSeconds;
        double limit;
        double minWait, maxWait;
    };
    const Case cases[] = {
        {"morning, 5 s", 8 * 3600, 5, 5 - kRetryPause, 5 + kRetryPause},
        {"just before midnight, 5 s", 86400 - 0.01, 5, 0, 2 * kRetryPause},
        {"morning, 1 s", 8 * 3600, 1, 1 - kRetryPause, 1 + kRetryPause},
    };
    OtherProcess other(holdsFile(pathOf("COMPANY")));
    ASSERT_TRUE(other.took());
    workAreas().select("COMPANY");
    currentTable()->goTop();
    using Routine = bool (*)(double);
    for (Routine routine : {Routine(REC_LOCK), Routine(FIL_LOCK), Routine(ADD_REC)}) {
        for (const Case& c : cases) {
            m_clock.set(c.startSeconds, Date::fromYmd(2026, 3, 14));
            const double t0 = m_clock.seconds();
            EXPECT_FALSE(routine(c.limit)) << c.what;
            double waited = m_clock.today() == Date::fromYmd(2026, 3, 14) ? m_clock.seconds() - t0
                                                                           : m_clock.seconds() + 86400 - t0;
            EXPECT_GE(waited, c.minWait) << c.what;
            EXPECT_LE(waited, c.maxWait) << c.what;
        }
    }
    EXPECT_EQ(1u, currentTable()->recordCount());  // no append slipped through
}

TEST_F(TableAccess, LocksAndAppendsWithoutLimitWaitUntilGranted) {
    addCompanies({"A1"});
    setDayClock(nullptr);
    workAreas().select("COMPANY");
    currentTable()->goTop();
    {
        OtherProcess other(holdsRecord(pathOf("COMPANY"), 1), 0.3);
        ASSERT_TRUE(other.took());
        EXPECT_FALSE(currentTable()->lockRecord());
        EXPECT_TRUE(REC_LOCK(0));
        unlockAll();
    }
    {
        OtherProcess other(holdsFile(pathOf("COMPANY")), 0.3);
        ASSERT_TRUE(other.took());
        EXPECT_TRUE(ADD_REC(0));
        EXPECT_EQ(2u, currentTable()->recNo());
        EXPECT_TRUE(currentTable()->isLocked(2));
        unlockAll();
    }
}

TEST_F(TableAccess, LocksRefuseAtOnceWithoutARecordOrTable) {
    workAreas().closeAll();
    EXPECT_FALSE(REC_LOCK(0));
    EXPECT_FALSE(ADD_REC(0));
    ASSERT_TRUE(openTable(*findTable("COMPANY")));  // empty: at its end
    EXPECT_FALSE(REC_LOCK(0));
}

TEST_F(TableAccess, ESeekStopsAtTheFirstKeyAfterTheGroup) {
    addCompanies({"AA", "AB", "ABX", "AB1", "AC", "AD", "B\xFF", "C"});
    workAreas().select("COMPANY");
    struct Case {
        std::string key;
        std::string expected;
    };
    const Case cases[] = {{"AB", "AC"}, {"A", "B\xFF"}, {"AC", "AD"}, {"B\xFF", "C"}, {"", "<end>"}, {"Z", "<end>"}};
    for (const Case& c : cases) {
        EXPECT_TRUE(E_SEEK(c.key));
        std::string code = currentCode();
        EXPECT_EQ(c.expected, code.substr(0, code.find(' '))) << c.key;
    }
}

class Consec : public SiteTest {
protected:
    double counter() {
        auto t = xbase::Table::open(pathOf("CONSEC"));
        t->goTo(1);
        return t->value("CSNO").number();
    }
};

TEST_F(Consec, ReadsAndAdvancesTheRunningNumber) {
    struct Step {
        const char* mode;
        double start;
        const char* result;
        double counterAfter;
    };
    const Step steps[] = {
        {"R", 0, "0000000001", 1},  {"W", 0, "0000000001", 2},    {"W", 0, "0000000002", 3},
        {"W", 41, "0000000003", 42}, {"R", 7, "0000000042", 42},  {"WRITE", 0, "0000000042", 43},
        {"w", 0, "0000000043", 43},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(s.result, CONSEC(s.mode, s.start)) << s.mode << " " << s.start;
        EXPECT_EQ(s.counterAfter, counter()) << s.mode << " " << s.start;
        EXPECT_EQ(nullptr, workAreas().table("consec"));
    }
}

TEST_F(Consec, KeepsTheLastDigitsOfALargeCounterAndSelectsTheOrders) {
    CONSEC("W", 12345678901);
    ASSERT_TRUE(openTable(*findTable("WDATA")));
    ASSERT_TRUE(openTable(*findTable("COMPANY")));
    EXPECT_EQ("2345678902", CONSEC("W"));
    EXPECT_EQ("WDATA", workAreas().aliasOf(workAreas().selected()));
}

TEST_F(Consec, GivesZerosWhenTheCounterIsHeldElsewhere) {
    OtherProcess other(holdsExclusive(pathOf("CONSEC")));
    ASSERT_TRUE(other.took());
    const double before = m_clock.seconds();
    EXPECT_EQ("0000000000", CONSEC("W"));
    EXPECT_GE(m_clock.seconds() - before, kOpenLimit - kRetryPause);
    EXPECT_TRUE(m_operator.calls.empty());
    other.release();
    EXPECT_EQ(1, counter());
    // The order keeps the number it was proposed; saving it advances by one.
    EXPECT_EQ("0000000001", CONSEC("W", 0));
    EXPECT_EQ(2, counter());
}

TEST_F(Consec, SeveralProcessesNeverHandOutOneNumberTwice) {
    setDayClock(nullptr);
    constexpr int kProcesses = 3, kEach = 20;
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    for (int p = 0; p < kProcesses; ++p) {
        if (fork() == 0) {
            close(fds[0]);
            workAreas().closeAll();
            for (int i = 0; i < kEach; ++i) {
                std::string n;
                do n = CONSEC("W"); while (n == "0000000000");
                if (write(fds[1], n.data(), n.size()) != static_cast<ssize_t>(n.size())) _exit(2);
            }
            _exit(0);
        }
    }
    close(fds[1]);
    std::set<std::string> seen;
    char buf[10];
    while (read(fds[0], buf, 10) == 10) EXPECT_TRUE(seen.insert(std::string(buf, 10)).second);
    close(fds[0]);
    while (wait(nullptr) > 0) {
    }
    EXPECT_EQ(static_cast<size_t>(kProcesses * kEach), seen.size());
    EXPECT_EQ(kProcesses * kEach + 1, counter());
}

}  // namespace
}  // namespace mp

namespace mp {
namespace {

TEST_F(TableAccess, ErrorLogSeesTheOpenTablesAndCloseAllTablesClosesThem) {
    addCompanies({"A1", "B1"});
    ASSERT_TRUE(openTable(*findTable("USERLIST")));
    workAreas().select("COMPANY");
    LogFacts facts = gatherLogFacts();
    ASSERT_EQ(2u, facts.tables.size());
    EXPECT_EQ("COMPANY", facts.tables[0].alias);
    EXPECT_TRUE(facts.tables[0].current);
    EXPECT_EQ(2, facts.tables[0].recCount);
    ASSERT_EQ(1u, facts.tables[0].indexes.size());
    EXPECT_EQ("code", facts.tables[0].indexes[0].key);
    EXPECT_TRUE(facts.tables[0].indexes[0].controlling);
    EXPECT_FALSE(facts.tables[1].current);
    closeAllTables();
    EXPECT_EQ(nullptr, workAreas().table("COMPANY"));
    EXPECT_EQ(nullptr, workAreas().table("USERLIST"));
}

}  // namespace
}  // namespace mp
