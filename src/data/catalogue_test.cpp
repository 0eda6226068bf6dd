#include "data/catalogue.h"

#include <gtest/gtest.h>

#include "data/keys.h"
#include "data/test_site.h"
#include "platform/runtime/cp874.h"
#include "platform/xbase/field_codec.h"

namespace mp {
namespace {

TEST(Catalogue, EveryFieldListIsSoundAndNamesAreUnique) {
    for (const TableDef& t : permanentTables()) {
        EXPECT_EQ(std::nullopt, xbase::checkFieldList(t.fields)) << t.alias;
        EXPECT_EQ(&t, findTable(t.alias));
        std::string lower = t.alias;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(&t, findTable(lower));
        EXPECT_EQ(t.indexed(), !t.indexName.empty()) << t.alias;
    }
    EXPECT_EQ(nullptr, findTable("NOSUCH"));
}

TEST(Catalogue, CodeTablesCarryTheirNumbersAndTitles) {
    const char* const aliases[] = {"COMPANY", "RAWMAT", "FORMULA", "USERLIST", "REPLIST", "UNIT"};
    for (int n = 1; n <= 6; ++n) {
        ASSERT_NE(nullptr, codeTable(n));
        EXPECT_EQ(aliases[n - 1], codeTable(n)->alias);
        EXPECT_EQ("code", codeTable(n)->keyExpression);
        EXPECT_EQ("CODE", rebuildKeyExpression(*codeTable(n)));
        EXPECT_EQ(0u, codeTableTitle(n).find(T("  ส่วนจัดการตารางรหัส")));
    }
    EXPECT_EQ(nullptr, codeTable(7));
    EXPECT_EQ("", codeTableTitle(0));
    EXPECT_EQ("Userlist", findTable("USERLIST")->fileName);
    EXPECT_EQ("consec", findTable("CONSEC")->fileName);
}

// The widths chosen hold what the entry pictures let the operator type.
TEST(Catalogue, NumericFieldsHoldTheirEntryRanges) {
    struct Case {
        const char* table;
        const char* field;
        double value;
    };
    const Case cases[] = {
        {"FORMULA", "QTY1", 999999.99},   {"FORMULA", "BIG8", 999999.99},    {"FORMULA", "SLOW3", 999999.99},
        {"FORMULA", "ADJUST2", -999999.99}, {"FORMULA", "FEED5", 999.9},     {"FORMULA", "CAPACITY", 999999.99},
        {"FORMULA", "TIME", 99999},       {"DETAIL", "QUANTITY", 9999999.99}, {"BATCHING", "ACTUAL8", -999999.99},
        {"CONSEC", "CSNO", 10000000000.0}, {"WDATA", "PRINT", 99},           {"UNIT", "QTY", 2400},
        {"RAWMAT", "COST", 9999999.99},
    };
    for (const Case& c : cases) {
        const TableDef* t = findTable(c.table);
        const xbase::FieldDef* f = nullptr;
        for (const auto& d : t->fields)
            if (d.name == c.field) f = &d;
        ASSERT_NE(nullptr, f) << c.table << "->" << c.field;
        EXPECT_NE("", xbase::formatNumber(c.value, f->width, f->decimals)) << c.table << "->" << c.field;
    }
}

class CatalogueKeys : public testing::SiteTest {};

// Every key expression compiles and gives keys of one width on a blank record.
TEST_F(CatalogueKeys, KeyExpressionsGiveKeysOfTheirWidth) {
    struct Case {
        const char* table;
        size_t width;
    };
    const Case cases[] = {{"COMPANY", 10}, {"USERLIST", 6}, {"WDATA", 8 + 8 + 10},
                          {"DETAIL", 48},  {"BATCHING", 52}, {"REPLIST", 10}};
    for (const Case& c : cases) {
        const TableDef* t = findTable(c.table);
        ASSERT_TRUE(openTable(*t)) << c.table;
        xbase::NtxIndex* ix = currentTable()->index(1);
        ASSERT_NE(nullptr, ix);
        EXPECT_EQ(static_cast<int>(c.width), ix->keySize()) << c.table;
        EXPECT_EQ(t->keyExpression, ix->keyExpression());
    }
    EXPECT_EQ(0u, m_handler.errors.size());
}

}  // namespace
}  // namespace mp
