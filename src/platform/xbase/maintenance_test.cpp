#include "platform/xbase/maintenance.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/runtime/files.h"
#include "platform/xbase/byte_order.h"
#include "platform/xbase/test_support.h"

namespace mp::xbase {
namespace {

using testing::BusyHandler;
using testing::ScratchDir;

KeyFunction codeKey = [](const Record& r) { return r.value("CODE").text(); };

class MaintenanceTest : public ::testing::Test {
protected:
    ScratchDir dir;
    BusyHandler handler;
    ScopedErrorHandler guard{&handler};

    // CODES.DBF with `n` records "K0001".. and CODES.NTX on CODE.
    void make(int n) {
        ASSERT_TRUE(Table::create(dir.path("CODES"), {{"CODE", 'C', 8, 0}, {"N", 'N', 5, 0}}));
        auto t = Table::open(dir.path("CODES"), {true, false});
        for (int i = 1; i <= n; ++i) {
            char buf[16];
            snprintf(buf, sizeof buf, "K%04d", (i * 37) % 1000);
            ASSERT_TRUE(t->append());
            t->setValue("CODE", Value(buf));
            t->setValue("N", Value(i));
        }
        ASSERT_TRUE(t->createIndex(dir.path("CODES"), "CODE", codeKey));
    }
    std::string bytes(const char* name) {
        std::string b;
        readFile(dir.path(name), b);
        return b;
    }
    void put(const char* name, const std::string& b) { ASSERT_TRUE(writeFile(dir.path(name), b)); }
    bool corruptionReported(const std::string& file) {
        for (const ErrorRecord& e : handler.errors)
            if (e.genCode == gen::kCorruption && e.fileName.find(file) != std::string::npos) return true;
        return false;
    }
};

TEST_F(MaintenanceTest, DamagedTablesAreReportedNotRead) {
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
    } cases[] = {
        {"truncated mid-record", [](std::string& b) { b.resize(b.size() - 20); }},
        {"truncated into the header", [](std::string& b) { b.resize(40); }},
        {"count above the records", [](std::string& b) { putU32(&b[4], 5000); }},
        {"field of unknown type", [](std::string& b) { b[32 + 11] = 'X'; }},
        {"field of width zero", [](std::string& b) { b[32 + 16] = 0; }},
        {"header length past the file", [](std::string& b) { putU16(&b[8], 60000); }},
        {"record length against the fields", [](std::string& b) { putU16(&b[10], 7); }},
    };
    make(50);
    const std::string good = bytes("CODES.DBF");
    for (const Case& c : cases) {
        std::string b = good;
        c.damage(b);
        put("CODES.DBF", b);
        handler.errors.clear();
        EXPECT_FALSE(Table::open(dir.path("CODES"))) << c.what;
        EXPECT_TRUE(corruptionReported("CODES.DBF")) << c.what;
    }
}

TEST_F(MaintenanceTest, RecordWrittenBeforeTheHeaderIsRecoveredOnOpen) {
    make(10);
    std::string b = bytes("CODES.DBF");
    // What a crash between writing record 11 and updating the count leaves.
    std::string rec = " K9999      11";
    b.insert(b.size() - 1, rec);
    b += "partial";  // and half of a twelfth
    put("CODES.DBF", b);
    auto t = Table::open(dir.path("codes"));
    ASSERT_TRUE(t);
    EXPECT_TRUE(handler.errors.empty());
    EXPECT_EQ(t->recordCount(), 11u);
    t->goBottom();
    EXPECT_EQ(t->value("CODE").text(), "K9999   ");
    ASSERT_TRUE(t->openIndex(dir.path("codes"), codeKey));
    auto problems = checkTable(*t);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("record 11 missing from the index"), std::string::npos);
}

TEST_F(MaintenanceTest, DamagedIndexIsReportedNotFollowed) {
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
    } cases[] = {
        {"root outside the file", [](std::string& b) { putU32(&b[4], 1u << 30); }},
        {"child outside the file", [](std::string& b) {
             uint32_t root = getU32(&b[4]);
             uint16_t item = getU16(&b[root + 2]);
             putU32(&b[root + item], 999 * 1024);
         }},
        {"pages loop", [](std::string& b) {
             uint32_t root = getU32(&b[4]);
             uint16_t item = getU16(&b[root + 2]);
             putU32(&b[root + item], root);
         }},
        {"page count too high", [](std::string& b) { putU16(&b[getU32(&b[4])], 500); }},
        {"file cut short", [](std::string& b) { b.resize(b.size() - 100); }},
    };
    make(400);
    const std::string good = bytes("CODES.NTX");
    for (const Case& c : cases) {
        std::string b = good;
        c.damage(b);
        put("CODES.NTX", b);
        handler.errors.clear();
        auto t = Table::open(dir.path("CODES"));
        ASSERT_TRUE(t);
        if (t->openIndex(dir.path("CODES"), codeKey)) {
            t->goTop();
            t->seek("K0500");
            for (int i = 0; i < 500 && !t->eof(); ++i) t->skip();
            EXPECT_FALSE(checkTable(*t).empty()) << c.what;
        }
        EXPECT_TRUE(corruptionReported("CODES.NTX")) << c.what;
    }
}

TEST_F(MaintenanceTest, PackRemovesMarkedRecordsAndRebuildsTheIndex) {
    make(30);
    auto t = Table::open(dir.path("CODES"), {true, false});
    ASSERT_TRUE(t->openIndex(dir.path("CODES"), codeKey));
    for (uint32_t n = 1; n <= 30; n += 3) {
        t->goTo(n);
        t->setDeleted(true);
    }
    ASSERT_TRUE(pack(*t));
    EXPECT_EQ(t->recordCount(), 20u);
    EXPECT_TRUE(checkTable(*t).empty());
    std::string survivors;
    for (t->setOrder(0), t->goTop(); !t->eof(); t->skip()) {
        EXPECT_FALSE(t->deleted());
        EXPECT_NE(static_cast<int>(t->value("N").number()) % 3, 1);
    }
    auto shared = Table::open(dir.path("CODES"), {});
    EXPECT_FALSE(shared);  // exclusive use elsewhere
    t.reset();
    shared = Table::open(dir.path("CODES"), {});
    EXPECT_FALSE(pack(*shared));
    EXPECT_EQ(handler.count(gen::kShared), 1);
}

TEST_F(MaintenanceTest, CopyKeepsTheStructureAndTheFilteredRecords) {
    make(20);
    auto t = Table::open(dir.path("CODES"));
    t->goTo(5);
    ASSERT_TRUE(copyTable(*t, dir.path("EVEN.DBF"),
                          [](const Record& r) { return static_cast<int>(r.value("N").number()) % 2 == 0; }));
    EXPECT_EQ(t->recNo(), 5u);
    auto copy = Table::open(dir.path("even"));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->fields(), t->fields());
    EXPECT_EQ(copy->recordCount(), 10u);
    copy->goTo(3);
    EXPECT_EQ(copy->value("N").number(), 6);
    EXPECT_TRUE(checkTable(*copy).empty());
}

TEST_F(MaintenanceTest, FillFromTextTakesTheFirstBytesOfEachLine) {
    ASSERT_TRUE(Table::create(dir.path("P_SUP"), {{"CODE", 'C', 5, 0}}));
    put("Ticket.txt", "first line\r\nab\n\r\nlast");
    auto t = Table::open(dir.path("P_SUP"), {true, false});
    EXPECT_EQ(fillFromText(*t, dir.path("TICKET.TXT")), 4);
    const char* expected[] = {"first", "ab   ", "     ", "last "};
    for (uint32_t n = 1; n <= 4; ++n) {
        t->goTo(n);
        EXPECT_EQ(t->value("CODE").text(), expected[n - 1]);
    }
    EXPECT_EQ(fillFromText(*t, dir.path("nothing.txt")), -1);

    // A form saved by an old editor ends with the end-of-file byte.
    put("Form.txt", std::string("one\r\ntwo\r\n\x1A", 11) + "junk\r\n");
    const uint32_t before = t->recordCount();
    EXPECT_EQ(fillFromText(*t, dir.path("form.txt")), 2);
    EXPECT_EQ(t->recordCount(), before + 2);
    t->goBottom();
    EXPECT_EQ(t->value("CODE").text(), "two  ");
}

}  // namespace
}  // namespace mp::xbase
