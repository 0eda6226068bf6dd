// Perl's XBase module, an independent reader, must see in our files exactly
// what the engine sees: every field of every record and the index walk.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "platform/runtime/cp874.h"
#include "platform/xbase/field_codec.h"
#include "platform/xbase/test_support.h"

namespace mp::xbase {
namespace {

using testing::BusyHandler;
using testing::ScratchDir;

std::string rtrim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The same text the Perl script prints, from our own reading.
std::string ourDump(Table& t) {
    std::string out;
    t.setOrder(0);
    for (t.goTop(); !t.eof(); t.skip()) {
        out += "R " + std::to_string(t.recNo()) + " " + (t.deleted() ? "1" : "0") + " ";
        for (size_t i = 0; i < t.fields().size(); ++i) {
            const FieldDef& f = t.fields()[i];
            Value v = t.value(static_cast<int>(i));
            std::string s;
            char buf[64];
            switch (f.type) {
            case 'N': snprintf(buf, sizeof buf, "%.4f", v.number()); s = buf; break;
            case 'D': s = v.date().isEmpty() ? "" : v.date().dtos(); break;
            case 'L': s = v.logical() ? "T" : "F"; break;
            default: s = rtrim(v.text());
            }
            out += (i ? "|" : "") + f.name + "=" + s;
        }
        out += "\n";
    }
    t.setOrder(1);
    for (t.goTop(); !t.eof(); t.skip()) out += "K " + std::to_string(t.recNo()) + " " + t.keyOf(1) + "\n";
    return out;
}

std::string perlDump(const std::string& dbf, const std::string& ntx) {
    std::string cmd = "perl " MIXPLANT_SOURCE_DIR "/src/platform/xbase/xbase_oracle.pl '" + dbf + "' '" + ntx + "'";
    FILE* p = popen(cmd.c_str(), "r");
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    EXPECT_EQ(pclose(p), 0) << cmd;
    return out;
}

TEST(OracleTest, PerlXBaseReadsOurTablesAndWalksOurIndexes) {
    ScratchDir dir;
    BusyHandler handler;
    ScopedErrorHandler guard(&handler);
    const std::string path = dir.path("ORACLE");
    ASSERT_TRUE(Table::create(path, {{"CODE", 'C', 12, 0}, {"NAME", 'C', 40, 0}, {"QTY", 'N', 10, 2},
                                     {"NEG", 'N', 6, 0}, {"DATE", 'D', 8, 0}, {"DONE", 'L', 1, 0}}));
    auto t = Table::open(path);
    KeyFunction key = [](const Record& r) { return r.value("CODE").text() + r.value("DATE").date().dtos(); };
    ASSERT_TRUE(t->createIndex(path, "CODE+DTOS(DATE)", key));
    std::mt19937 rng(11);
    // Enough records for a tree of several levels, built by inserts, splits
    // and key changes (not by the bulk build).
    for (int i = 0; i < 3000; ++i) {
        ASSERT_TRUE(t->append());
        t->setValue("CODE", Value("C" + std::to_string(rng() % 700)));
        t->setValue("NAME", Value(T("ลูกค้า ") + std::to_string(i)));
        t->setValue("QTY", Value((rng() % 1000000) / 100.0));
        t->setValue("NEG", Value(-static_cast<double>(rng() % 9999)));
        if (i % 7) t->setValue("DATE", Value(Date::fromYmd(2000 + i % 30, 1 + i % 12, 1 + i % 28)));
        t->setValue("DONE", Value(i % 2 == 0));
        if (i % 11 == 0) t->setDeleted(true);
        t->unlockAll();
    }
    for (uint32_t n = 1; n <= 3000; n += 5) {  // key changes remove and insert entries
        t->goTo(n);
        t->lockRecord();
        t->setValue("CODE", Value("M" + std::to_string(rng() % 300)));
        t->unlockAll();
    }
    t->commit();
    std::string ours = ourDump(*t);
    std::string theirs = perlDump(t->path(), t->index(1)->path());
    EXPECT_EQ(std::count(theirs.begin(), theirs.end(), '\n'), 6000);  // 3000 records, 3000 entries
    EXPECT_EQ(ours, theirs);

    // A freshly built index of the same table reads the same.
    ASSERT_TRUE(t->createIndex(dir.path("REBUILT"), "CODE+DTOS(DATE)", key));
    EXPECT_EQ(perlDump(t->path(), t->index(2)->path()), theirs);
}

}  // namespace
}  // namespace mp::xbase
