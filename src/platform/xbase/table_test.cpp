#include "platform/xbase/table.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "platform/runtime/cp874.h"
#include "platform/runtime/files.h"
#include "platform/xbase/test_support.h"

namespace mp::xbase {
namespace {

using testing::BusyHandler;
using testing::ScratchDir;

KeyFunction fieldKey(const char* name) {
    return [name](const Record& r) { return r.value(name).text(); };
}

class TableTest : public ::testing::Test {
protected:
    ScratchDir dir;
    BusyHandler handler;
    ScopedErrorHandler guard{&handler};

    std::unique_ptr<Table> makeCodes(const std::vector<std::string>& codes) {
        EXPECT_TRUE(Table::create(dir.path("CODES"),
                                  {{"CODE", 'C', 10, 0}, {"NAME", 'C', 30, 0}, {"QTY", 'N', 10, 2},
                                   {"WHEN", 'D', 8, 0}, {"OK", 'L', 1, 0}}));
        auto t = Table::open(dir.path("codes"));
        EXPECT_TRUE(t);
        for (const std::string& c : codes) {
            EXPECT_TRUE(t->append());
            EXPECT_TRUE(t->setValue("CODE", Value(c)));
            EXPECT_TRUE(t->setValue("NAME", Value("name of " + c)));
            t->unlockAll();
        }
        return t;
    }
};

TEST_F(TableTest, FieldsRoundTripThroughTheFile) {
    struct Case {
        const char* field;
        Value in;
        Value out;
    } cases[] = {
        {"CODE", Value("ABC"), Value("ABC       ")},
        {"CODE", Value("ABCDEFGHIJKLMN"), Value("ABCDEFGHIJ")},  // cut to the width
        {"QTY", Value(12.345), Value(12.35)},                    // rounded half away from zero
        {"QTY", Value(-2.675), Value(-2.68)},
        {"QTY", Value(1234567.0), Value(1234567.0)},
        {"WHEN", Value(Date::fromYmd(2024, 2, 29)), Value(Date::fromYmd(2024, 2, 29))},
        {"WHEN", Value(Date()), Value(Date())},
        {"OK", Value(true), Value(true)},
        {"NAME", Value(T("ส่วนผสม")), Value(T("ส่วนผสม") + std::string(30 - T("ส่วนผสม").size(), ' '))},
    };
    auto t = makeCodes({"A"});
    t->goTop();
    ASSERT_TRUE(t->lockRecord());
    for (const Case& c : cases) {
        ASSERT_TRUE(t->setValue(c.field, c.in)) << c.field;
        ASSERT_TRUE(t->commit());
        auto again = Table::open(dir.path("CODES.DBF"));
        ASSERT_TRUE(again);
        EXPECT_EQ(again->value(c.field), c.out) << c.field << " " << c.in.toDisplay();
    }
}

TEST_F(TableTest, BadAssignmentsAreRefusedAndLoseNothing) {
    auto t = makeCodes({"A"});
    t->goTop();
    EXPECT_FALSE(t->setValue("CODE", Value("B")));  // not locked
    ASSERT_TRUE(t->lockRecord());
    EXPECT_FALSE(t->setValue("QTY", Value("text")));
    EXPECT_FALSE(t->setValue("QTY", Value(1e12)));  // does not fit 10.2
    EXPECT_FALSE(t->setValue("NOSUCH", Value(1)));
    EXPECT_EQ(handler.count(gen::kUnlocked), 1);
    EXPECT_EQ(handler.count(gen::kDataType), 1);
    EXPECT_EQ(handler.count(gen::kDataWidth), 1);
    t->unlockAll();
    EXPECT_EQ(t->value("CODE").text(), "A         ");
    EXPECT_EQ(t->value("QTY").number(), 0);
}

TEST_F(TableTest, CreateWritesOurHeaderAndRefusesNonsense) {
    ASSERT_TRUE(Table::create(dir.path("WIDE.DBF"), {{"CODE", 'C', 300, 0}}));
    auto t = Table::open(dir.path("wide"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->fields()[0].width, 300);
    EXPECT_EQ(t->languageDriver(), kLanguageDriverThai874);
    std::string bytes;
    ASSERT_TRUE(readFile(dir.path("WIDE.DBF"), bytes));
    EXPECT_EQ(bytes.size(), 32u + 32u + 1u + 1u);  // header, one descriptor, terminator, end of file
    EXPECT_EQ(bytes[32 + 16], char(300 & 0xFF));
    EXPECT_EQ(bytes[32 + 17], char(1));  // high byte of the width in the decimals byte
    const FieldList bad[] = {{{"1ABC", 'C', 5, 0}}, {{"A", 'N', 30, 0}}, {{"A", 'D', 9, 0}},
                             {{"A", 'M', 10, 0}},   {{"A", 'C', 1, 0}, {"a", 'C', 1, 0}}, {}};
    for (const FieldList& f : bad) EXPECT_FALSE(Table::create(dir.path("BAD"), f));
    EXPECT_EQ(handler.count(gen::kCreate), 6);
}

TEST_F(TableTest, PhysicalMovesKeepTheFlags) {
    auto t = makeCodes({"A", "B", "C"});
    EXPECT_TRUE(t->goTop());
    EXPECT_EQ(t->recNo(), 1u);
    EXPECT_FALSE(t->skip(-1));
    EXPECT_TRUE(t->bof());
    EXPECT_EQ(t->recNo(), 1u);
    EXPECT_TRUE(t->goBottom());
    EXPECT_FALSE(t->skip());
    EXPECT_TRUE(t->eof());
    EXPECT_EQ(t->recNo(), 4u);
    EXPECT_EQ(t->value("CODE").text(), std::string(10, ' '));  // blank past the end
    EXPECT_TRUE(t->skip(-1));
    EXPECT_EQ(t->recNo(), 3u);
    EXPECT_FALSE(t->goTo(9));
    EXPECT_TRUE(t->eof());
    EXPECT_TRUE(t->goTo(2));
    EXPECT_EQ(t->value("CODE").text(), "B         ");
}

TEST_F(TableTest, SeekExactPartialAndSoft) {
    auto t = makeCodes({"B20", "A10", "B10", "C30", "B11"});
    ASSERT_TRUE(t->createIndex(dir.path("codes"), "CODE", fieldKey("CODE")));
    struct Case {
        const char* key;
        bool soft;
        bool found;
        const char* code;  // nullptr: end of table
    } cases[] = {
        {"B10", false, true, "B10"}, {"B1", false, true, "B10"}, {"B", false, true, "B10"},
        {"B12", false, false, nullptr}, {"B12", true, false, "B20"}, {"D", true, false, nullptr},
        {"", false, true, "A10"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(t->seek(c.key, c.soft), c.found) << c.key;
        EXPECT_EQ(t->found(), c.found);
        if (c.code) {
            EXPECT_EQ(t->value("CODE").text().substr(0, 3), c.code) << c.key;
        } else {
            EXPECT_TRUE(t->eof()) << c.key;
        }
    }
    // Order of a walk, forwards and back.
    std::string walk;
    for (t->goTop(); !t->eof(); t->skip()) walk += t->value("CODE").text().substr(0, 3) + " ";
    EXPECT_EQ(walk, "A10 B10 B11 B20 C30 ");
    walk.clear();
    for (t->goBottom(); !t->bof(); t->skip(-1)) walk += t->value("CODE").text().substr(0, 3) + " ";
    EXPECT_EQ(walk, "C30 B20 B11 B10 A10 ");
}

TEST_F(TableTest, ScopeLimitsTheWalk) {
    auto t = makeCodes({"A1", "B1", "B2", "B3", "C1"});
    ASSERT_TRUE(t->createIndex(dir.path("codes"), "CODE", fieldKey("CODE")));
    t->setScope("B", "B");
    std::string walk;
    for (t->goTop(); !t->eof(); t->skip()) walk += t->value("CODE").text().substr(0, 2);
    EXPECT_EQ(walk, "B1B2B3");
    EXPECT_TRUE(t->goBottom());
    EXPECT_EQ(t->value("CODE").text().substr(0, 2), "B3");
    EXPECT_FALSE(t->seek("C1"));
    t->clearScope();
    EXPECT_TRUE(t->seek("C1"));
}

TEST_F(TableTest, KeyChangesKeepEveryIndexInStep) {
    auto t = makeCodes({"A", "B", "C"});
    ASSERT_TRUE(t->createIndex(dir.path("bycode"), "CODE", fieldKey("CODE")));
    ASSERT_TRUE(t->createIndex(dir.path("byname"), "NAME", fieldKey("NAME")));
    t->setOrder(1);
    ASSERT_TRUE(t->seek("A"));
    ASSERT_TRUE(t->lockRecord());
    ASSERT_TRUE(t->setValue("CODE", Value("Z")));
    ASSERT_TRUE(t->setValue("NAME", Value("zzz")));
    ASSERT_TRUE(t->commit());
    t->unlockAll();
    EXPECT_FALSE(t->seek("A"));
    EXPECT_TRUE(t->seek("Z"));
    t->setOrder(2);
    EXPECT_TRUE(t->seek("zzz"));
    EXPECT_EQ(t->recNo(), 1u);
    EXPECT_FALSE(t->seek("name of A"));
    // A fresh open of the index sees the same.
    auto other = Table::open(dir.path("codes"));
    ASSERT_TRUE(other->openIndex(dir.path("BYCODE.ntx"), fieldKey("CODE")));
    std::string walk;
    for (other->goTop(); !other->eof(); other->skip()) walk += other->value("CODE").text()[0];
    EXPECT_EQ(walk, "BCZ");
}

// The B-tree against a model: random inserts, key changes and walks over
// thousands of records with many equal keys, so pages split and empty.
TEST_F(TableTest, IndexAgreesWithAModelUnderRandomChanges) {
    ASSERT_TRUE(Table::create(dir.path("R"), {{"K", 'C', 6, 0}}));
    auto t = Table::open(dir.path("R"), {true, false});
    ASSERT_TRUE(t->createIndex(dir.path("R"), "K", fieldKey("K"))) << (handler.errors.empty() ? std::string("none") : *handler.errors[0].description + " " + handler.errors[0].fileName);
    std::mt19937 rng(7);
    std::map<uint32_t, std::string> model;
    auto randomKey = [&] { return std::to_string(100000 + rng() % 300); };
    for (int step = 0; step < 6000; ++step) {
        if (model.empty() || rng() % 3 == 0) {
            ASSERT_TRUE(t->append());
            std::string k = randomKey();
            ASSERT_TRUE(t->setValue("K", Value(k)));
            model[t->recNo()] = k;
        } else {
            uint32_t n = 1 + rng() % model.size();
            ASSERT_TRUE(t->goTo(n));
            std::string k = randomKey();
            ASSERT_TRUE(t->setValue("K", Value(k)));
            model[n] = k;
        }
    }
    ASSERT_TRUE(t->commit());
    std::set<std::pair<std::string, uint32_t>> expected;
    for (auto& [n, k] : model) expected.insert({k, n});
    std::vector<std::pair<std::string, uint32_t>> walked;
    for (t->goTop(); !t->eof(); t->skip()) walked.push_back({t->value("K").text(), t->recNo()});
    using Entries = std::vector<std::pair<std::string, uint32_t>>;
    EXPECT_EQ(walked, Entries(expected.begin(), expected.end()));
    auto problems = t->index(1)->walk([](const IndexEntry&) {});
    EXPECT_TRUE(problems.empty()) << problems.front();
    for (int i = 0; i < 200; ++i) {
        std::string k = randomKey();
        auto it = expected.lower_bound({k, 0});
        bool there = it != expected.end() && it->first == k;
        EXPECT_EQ(t->seek(k), there) << k;
        if (there) {
            EXPECT_EQ(t->recNo(), it->second);
        }
    }
}

TEST_F(TableTest, LocksConflictBetweenOpensAndAreReleased) {
    auto a = makeCodes({"A", "B"});
    auto b = Table::open(dir.path("codes"));
    ASSERT_TRUE(b);
    a->goTo(1);
    b->goTo(1);
    EXPECT_TRUE(a->lockRecord());
    EXPECT_FALSE(b->lockRecord());
    EXPECT_FALSE(b->lockFile());
    b->goTo(2);
    EXPECT_TRUE(b->lockRecord());
    EXPECT_FALSE(a->lockFile());
    a->unlockAll();
    b->unlockAll();
    EXPECT_TRUE(a->lockFile());
    EXPECT_FALSE(b->lockRecord(2));
    EXPECT_FALSE(b->append());  // the file lock covers the new record
    EXPECT_TRUE(isBusy());
    a->unlockAll();
    EXPECT_TRUE(b->append());
    EXPECT_FALSE(isBusy());
    EXPECT_EQ(b->recNo(), 3u);
    EXPECT_TRUE(b->isLocked(3));
}

TEST_F(TableTest, ChangesOfAnotherOpenAreSeen) {
    auto a = makeCodes({"A"});
    auto b = Table::open(dir.path("codes"));
    b->goTop();
    a->goTop();
    ASSERT_TRUE(a->lockRecord());
    ASSERT_TRUE(a->setValue("NAME", Value("changed")));
    a->unlockAll();
    ASSERT_TRUE(a->append());
    a->unlockAll();
    EXPECT_EQ(b->recordCount(), 2u);
    ASSERT_TRUE(b->lockRecord());  // re-read once locked
    EXPECT_EQ(b->value("NAME").text().substr(0, 7), "changed");
    EXPECT_TRUE(b->goBottom());
    EXPECT_EQ(b->recNo(), 2u);
}

TEST_F(TableTest, ExclusiveUseGivesTheBusyIndication) {
    makeCodes({"A"}).reset();
    auto shared = Table::open(dir.path("codes"));
    ASSERT_TRUE(shared);
    EXPECT_FALSE(Table::open(dir.path("codes"), {true, false}));
    EXPECT_TRUE(isBusy());
    shared.reset();
    auto alone = Table::open(dir.path("codes"), {true, false});
    ASSERT_TRUE(alone);
    EXPECT_FALSE(isBusy());
    EXPECT_FALSE(Table::open(dir.path("codes")));
    EXPECT_TRUE(isBusy());
    EXPECT_EQ(handler.count(gen::kOpen), 2);
    for (const ErrorRecord& e : handler.errors) {
        EXPECT_EQ(e.osCode, oscode::kSharingViolation);
        EXPECT_TRUE(e.canDefault);
    }
}

TEST_F(TableTest, MissingTableIsAnOpenError) {
    EXPECT_FALSE(Table::open(dir.path("nothing")));
    ASSERT_EQ(handler.errors.size(), 1u);
    EXPECT_EQ(handler.errors[0].genCode, gen::kOpen);
    EXPECT_EQ(handler.errors[0].osCode, oscode::kFileNotFound);
    EXPECT_FALSE(isBusy());
}

}  // namespace
}  // namespace mp::xbase
