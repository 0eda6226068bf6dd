#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QTableView>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/runtime/value.h"

namespace mp::xbase {
class Table;
class WorkAreas;
}  // namespace mp::xbase

namespace mp {

// What one column of a browse shows of a record. `value` runs with the
// browsed table selected and positioned on the row's record, as a list of
// the plant's screens reads it: bare field names in an expression name that
// table's fields.
struct BrowseColumn {
    std::string title;               // code page 874
    std::function<Value()> value;
    int width = 0;                   // pixels; 0 fits the column to its texts
};

// A column from an expression text, compiled once. A text that does not
// compile has raised its syntax error and shows blanks.
BrowseColumn expressionColumn(const std::string& title, const std::string& expression, int width = 0);

// The colours of one row (rgb() values of dialog.h; kNoColor keeps the view's
// own), for the row as it stands and for the row while highlighted.
struct RowColors {
    int foreground = -1;
    int background = -1;
    int highlightForeground = -1;
    int highlightBackground = -1;
};

// One item model per engine view: the records of one open table of the work
// areas, in the order of one of its indexes (0: record order), limited to a
// key range. The rows are read once (reload() reads them again), each with
// its texts and colours; reading moves the table's cursor and puts it back
// where it stood, with the selected work area and the table's order as they
// were.
class TableBrowseModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role { HighlightForegroundRole = Qt::UserRole + 1, HighlightBackgroundRole, RecNoRole };

    // `alias` must be open in `areas` when rows are read. The order is the
    // table's controlling index at that time unless setOrder() says otherwise.
    TableBrowseModel(xbase::WorkAreas& areas, std::string alias, QObject* parent = nullptr);

    void addColumn(BrowseColumn column);
    void setRowColors(std::function<RowColors()> colors);  // runs on each row's record
    void setOrder(int index);                               // 0: record order
    // Keys from `top` to `bottom` of the browse's index, each a prefix (empty:
    // no limit on that side). Ignored in record order.
    void setKeyRange(std::string top, std::string bottom);

    void reload();
    xbase::Table* table() const;
    int columnWidth(int column) const;  // as the column asked; 0: fit to the texts
    uint32_t recNoAt(int row) const;  // 0 outside the rows
    int rowOf(uint32_t recNo) const;  // -1 when the record is not among the rows
    // Moves the table's cursor to the record of `row`; false outside the rows.
    bool positionAt(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Cell {
        QString text;
        bool number = false;
    };
    struct Row {
        uint32_t recNo = 0;
        std::vector<Cell> cells;
        RowColors colors;
    };
    bool first(xbase::Table& t);
    bool inRange(xbase::Table& t) const;
    Row readRow(xbase::Table& t) const;
    std::vector<Row> readRows();

    xbase::WorkAreas& m_areas;
    std::string m_alias;
    std::vector<BrowseColumn> m_columns;
    std::function<RowColors()> m_colors;
    int m_order = -1;  // -1: the table's own
    std::string m_top, m_bottom;
    std::vector<Row> m_rows;
};

// The browse: a list of whole rows bound to a TableBrowseModel. The
// highlighted row and the table's cursor follow each other: moving the
// highlight moves the cursor (and says so by cursorMoved()); after the screen
// has moved the table, followCursor() highlights its record. A double click
// positions the table on the row and runs the double-click action.
class TableBrowse : public QTableView {
    Q_OBJECT
public:
    TableBrowse(TableBrowseModel* model, QWidget* parent = nullptr);

    TableBrowseModel* browseModel() const { return m_model; }
    void setDoubleClick(std::function<void()> action);
    // Highlights the table's current record, reading the rows again when it
    // is not among them (a record added or changed since); no highlight at
    // the end of the table.
    void followCursor();
    // Reads the rows again and highlights the table's current record.
    void refresh();
    int highlightedRow() const;

signals:
    void cursorMoved();

private:
    void highlight(int row);

    TableBrowseModel* m_model;
    std::function<void()> m_doubleClick;
    bool m_following = false;
};

}  // namespace mp
