#include "platform/qtkit/browse.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "platform/qtkit/dialog.h"
#include "platform/qtkit/testing.h"
#include "platform/runtime/field_resolver.h"
#include "platform/xbase/test_support.h"
#include "platform/xbase/work_areas.h"

namespace mp {
namespace {

using xbase::Record;
using xbase::Table;

// A small code table on disk: CODE, NAME, AMOUNT, appended out of order and
// indexed on CODE; a second table stands selected in another work area.
class BrowseTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::testApp();
        ASSERT_TRUE(Table::create(dir.path("COMPANY.DBF"),
                                  {{"CODE", 'C', 6, 0}, {"NAME", 'C', 20, 0}, {"AMOUNT", 'N', 8, 1}}));
        ASSERT_TRUE(Table::create(dir.path("OTHER.DBF"), {{"X", 'C', 2, 0}}));
        ASSERT_TRUE(areas.open(dir.path("COMPANY"), "COMPANY"));
        t = areas.table("COMPANY");
        const std::pair<const char*, double> rows[] = {{"C3", 30}, {"C1", 10}, {"C5", 50}, {"C2", 20}, {"C4", 40}};
        for (auto [code, amount] : rows) append(code, amount);
        ASSERT_TRUE(t->createIndex(dir.path("COMPANY.NTX"), "CODE",
                                   [](const Record& r) { return r.value("CODE").text(); }));
        ASSERT_TRUE(areas.open(dir.path("OTHER"), "OTHER"));
    }

    void append(const char* code, double amount) {
        ASSERT_TRUE(t->append());
        t->setValue("CODE", Value(code));
        t->setValue("NAME", Value(std::string("Name of ") + code));
        t->setValue("AMOUNT", Value(amount));
        ASSERT_TRUE(t->commit());
        t->unlockAll();
    }

    // CODE by expression, AMOUNT by a C++ callback, deleted rows red.
    std::unique_ptr<TableBrowseModel> codeModel() {
        auto m = std::make_unique<TableBrowseModel>(areas, "COMPANY");
        m->addColumn(expressionColumn("Code", "TRIM(CODE) + '/' + LEFT(NAME, 4)"));
        m->addColumn({"Amount", [this] { return t->value("AMOUNT"); }, 80});
        m->setRowColors([this] {
            RowColors c;
            c.foreground = t->deleted() ? rgb(255, 0, 0) : rgb(0, 0, 0);
            c.highlightForeground = rgb(255, 255, 255);
            c.highlightBackground = rgb(0, 0, 128);
            return c;
        });
        return m;
    }

    static QStringList column(const TableBrowseModel& m, int c) {
        QStringList out;
        for (int r = 0; r < m.rowCount(); ++r) out << m.index(r, c).data().toString();
        return out;
    }

    xbase::testing::ScratchDir dir;
    xbase::testing::BusyHandler handler;
    ScopedErrorHandler guard{&handler};
    xbase::WorkAreas areas;
    struct ResolverGuard {
        explicit ResolverGuard(FieldResolver* r) : prev(setFieldResolver(r)) {}
        ~ResolverGuard() { setFieldResolver(prev); }
        FieldResolver* prev;
    } resolver{&areas};
    Table* t = nullptr;
};

TEST_F(BrowseTest, RowsInIndexOrderWithinTheKeyRangeAndTheCursorKept) {
    struct Case {
        std::string top, bottom;
        int order;
        QStringList codes;
    };
    const Case cases[] = {
        {"", "", 1, {"C1/Name", "C2/Name", "C3/Name", "C4/Name", "C5/Name"}},
        {"C2", "C4", 1, {"C2/Name", "C3/Name", "C4/Name"}},
        {"C35", "", 1, {"C4/Name", "C5/Name"}},      // a lower key between two: from the next
        {"C9", "", 1, {}},
        {"C2", "C4", 0, {"C3/Name", "C1/Name", "C5/Name", "C2/Name", "C4/Name"}},  // record order: no range
    };
    for (const Case& c : cases) {
        t->setOrder(1);
        ASSERT_TRUE(t->seek("C5"));
        areas.select("OTHER");
        auto m = codeModel();
        m->setOrder(c.order);
        m->setKeyRange(c.top, c.bottom);
        m->reload();
        EXPECT_EQ(column(*m, 0), c.codes) << c.top << ".." << c.bottom;
        EXPECT_EQ(t->recNo(), 3u);  // still on C5
        EXPECT_EQ(t->order(), 1);
        EXPECT_EQ(areas.aliasOf(areas.selected()), "OTHER");
    }
    auto m = codeModel();
    m->reload();
    EXPECT_EQ(m->index(0, 1).data().toString().trimmed(), "10");
    EXPECT_EQ(m->index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), "Amount");
}

TEST_F(BrowseTest, TheCursorLeftAtTheEndStaysThere) {
    t->goBottom();
    t->skip(1);
    ASSERT_TRUE(t->eof());
    auto m = codeModel();
    m->reload();
    EXPECT_EQ(m->rowCount(), 5);
    EXPECT_TRUE(t->eof());
}

TEST_F(BrowseTest, RowColoursForNormalAndHighlightedRows) {
    t->goTo(4);  // C2
    t->lockRecord();
    t->setDeleted(true);
    t->commit();
    t->unlockAll();
    auto m = codeModel();
    TableBrowse view(m.get());
    view.resize(400, 300);
    t->seek("C1");
    view.refresh();
    view.show();
    QApplication::processEvents();
    EXPECT_EQ(m->index(1, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(m->index(2, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 0));

    // The highlighted row is drawn in its own highlight background.
    ASSERT_EQ(view.highlightedRow(), 0);
    QImage shot = view.viewport()->grab().toImage();
    auto nearNavy = [&shot](QRect r) {  // the style may shade the highlight by a step
        QColor c(shot.pixel(r.right() - 2, r.center().y()));
        return c.red() < 8 && c.green() < 8 && std::abs(c.blue() - 128) < 8;
    };
    EXPECT_TRUE(nearNavy(view.visualRect(m->index(0, 0))));
    EXPECT_FALSE(nearNavy(view.visualRect(m->index(2, 0))));
}

TEST_F(BrowseTest, HighlightAndCursorFollowEachOther) {
    auto m = codeModel();
    TableBrowse view(m.get());
    int moves = 0;
    QObject::connect(&view, &TableBrowse::cursorMoved, [&moves] { ++moves; });
    view.refresh();
    view.show();

    // The screen moves the table: the highlight follows, without moving it back.
    t->seek("C4");
    view.followCursor();
    EXPECT_EQ(view.highlightedRow(), 3);
    EXPECT_EQ(moves, 0);

    // The operator moves the highlight: the cursor follows, and a skip goes on
    // in index order from there.
    view.setFocus();
    view.selectRow(1);
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(t->value("CODE").text(), "C2    ");
    t->skip(1);
    EXPECT_EQ(t->value("CODE").text(), "C3    ");
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(t->value("CODE").text(), "C3    ");

    // A record added since the rows were read: the browse reads them again.
    append("C0", 5);
    view.followCursor();
    EXPECT_EQ(view.highlightedRow(), 0);
    EXPECT_EQ(m->rowCount(), 6);

    // At the end of the table nothing is highlighted.
    t->goBottom();
    t->skip(1);
    view.followCursor();
    EXPECT_EQ(view.highlightedRow(), -1);
}

TEST_F(BrowseTest, DoubleClickPositionsTheTableAndRunsItsAction) {
    auto m = codeModel();
    TableBrowse view(m.get());
    view.resize(400, 300);
    std::string seen;
    view.setDoubleClick([&] { seen = t->value("CODE").text(); });
    t->goTop();
    view.refresh();
    view.show();
    QApplication::processEvents();
    QRect cell = view.visualRect(m->index(2, 0));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell.center());  // a double click starts with a click
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(seen, "C3    ");
    EXPECT_EQ(t->recNo(), 1u);
}

}  // namespace
}  // namespace mp
