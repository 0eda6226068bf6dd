#include "platform/qtkit/browse.h"

#include <QHeaderView>
#include <QStyledItemDelegate>

#include "expr/evaluator.h"
#include "platform/qtkit/text.h"
#include "platform/xbase/work_areas.h"

namespace mp {
namespace {

QVariant colorOf(int value) {
    if (value < 0) return {};
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// Where the table stood before the rows were read: the cursor, the order and
// the selected work area, put back when the reading is done.
class CursorKeeper {
public:
    CursorKeeper(xbase::WorkAreas& areas, xbase::Table& t)
        : m_areas(areas), m_table(t), m_area(areas.selected()), m_order(t.order()),
          m_recNo(t.eof() ? 0 : t.recNo()) {}
    ~CursorKeeper() {
        m_table.setOrder(m_order);
        m_table.goTo(m_recNo);  // 0: back at the end of the table
        m_areas.select(m_area);
    }

private:
    xbase::WorkAreas& m_areas;
    xbase::Table& m_table;
    int m_area;
    int m_order;
    uint32_t m_recNo;
};

// The highlighted row in the row's own highlight colours.
class RowColorDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        QVariant fg = index.data(TableBrowseModel::HighlightForegroundRole);
        QVariant bg = index.data(TableBrowseModel::HighlightBackgroundRole);
        if (fg.isValid()) {
            option->palette.setColor(QPalette::Active, QPalette::HighlightedText, fg.value<QColor>());
            option->palette.setColor(QPalette::Inactive, QPalette::HighlightedText, fg.value<QColor>());
        }
        if (bg.isValid()) {
            option->palette.setColor(QPalette::Active, QPalette::Highlight, bg.value<QColor>());
            option->palette.setColor(QPalette::Inactive, QPalette::Highlight, bg.value<QColor>());
        }
    }
};

}  // namespace

BrowseColumn expressionColumn(const std::string& title, const std::string& expression, int width) {
    expr::Compiled compiled = expr::compile(expression);
    return BrowseColumn{title, [compiled] { return compiled.valid() ? compiled.evaluate() : Value(""); }, width};
}

// ---- TableBrowseModel ----

TableBrowseModel::TableBrowseModel(xbase::WorkAreas& areas, std::string alias, QObject* parent)
    : QAbstractTableModel(parent), m_areas(areas), m_alias(std::move(alias)) {}

void TableBrowseModel::addColumn(BrowseColumn column) { m_columns.push_back(std::move(column)); }
void TableBrowseModel::setRowColors(std::function<RowColors()> colors) { m_colors = std::move(colors); }
void TableBrowseModel::setOrder(int index) { m_order = index; }

void TableBrowseModel::setKeyRange(std::string top, std::string bottom) {
    m_top = std::move(top);
    m_bottom = std::move(bottom);
}

xbase::Table* TableBrowseModel::table() const { return m_areas.table(m_alias); }

void TableBrowseModel::reload() {
    beginResetModel();
    m_rows = readRows();
    endResetModel();
}

std::vector<TableBrowseModel::Row> TableBrowseModel::readRows() {
    std::vector<Row> rows;
    xbase::Table* t = table();
    if (!t) return rows;
    CursorKeeper keep(m_areas, *t);
    m_areas.select(m_alias);
    if (m_order >= 0) t->setOrder(m_order);
    for (bool on = first(*t); on && !t->eof() && inRange(*t); on = t->skip(1)) rows.push_back(readRow(*t));
    return rows;
}

// The first record of the range: the soft seek of the lower key, or the top.
bool TableBrowseModel::first(xbase::Table& t) {
    if (t.order() > 0 && !m_top.empty()) {
        t.seek(m_top, true);
        return !t.eof();
    }
    return t.goTop();
}

bool TableBrowseModel::inRange(xbase::Table& t) const {
    if (t.order() == 0 || m_bottom.empty()) return true;
    return t.keyOf(t.order()).compare(0, m_bottom.size(), m_bottom) <= 0;
}

TableBrowseModel::Row TableBrowseModel::readRow(xbase::Table& t) const {
    Row row;
    row.recNo = t.recNo();
    for (const BrowseColumn& c : m_columns) {
        Value v = c.value ? c.value() : Value("");
        row.cells.push_back(Cell{qs(v.isText() ? v.text() : v.toDisplay()), v.isNumber()});
    }
    if (m_colors) row.colors = m_colors();
    return row;
}

int TableBrowseModel::columnWidth(int column) const {
    return column >= 0 && column < columnCount() ? m_columns[column].width : 0;
}

uint32_t TableBrowseModel::recNoAt(int row) const {
    return row >= 0 && row < static_cast<int>(m_rows.size()) ? m_rows[row].recNo : 0;
}

int TableBrowseModel::rowOf(uint32_t recNo) const {
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].recNo == recNo) return static_cast<int>(i);
    return -1;
}

bool TableBrowseModel::positionAt(int row) {
    xbase::Table* t = table();
    uint32_t recNo = recNoAt(row);
    if (!t || recNo == 0) return false;
    return t->goTo(recNo);
}

int TableBrowseModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TableBrowseModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant TableBrowseModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const Row& row = m_rows[index.row()];
    const Cell& cell = row.cells[index.column()];
    switch (role) {
    case Qt::DisplayRole: return cell.text;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter | (cell.number ? Qt::AlignRight : Qt::AlignLeft));
    case Qt::ForegroundRole: return colorOf(row.colors.foreground);
    case Qt::BackgroundRole: return colorOf(row.colors.background);
    case HighlightForegroundRole: return colorOf(row.colors.highlightForeground);
    case HighlightBackgroundRole: return colorOf(row.colors.highlightBackground);
    case RecNoRole: return row.recNo;
    default: return {};
    }
}

QVariant TableBrowseModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section >= columnCount()) return {};
    return qs(m_columns[section].title);
}

// ---- TableBrowse ----

TableBrowse::TableBrowse(TableBrowseModel* model, QWidget* parent) : QTableView(parent), m_model(model) {
    setModel(model);
    setItemDelegate(new RowColorDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& now) {
        if (m_following || !now.isValid()) return;
        if (m_model->positionAt(now.row())) emit cursorMoved();
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!m_model->positionAt(index.row())) return;
        if (m_doubleClick) m_doubleClick();
    });
}

void TableBrowse::setDoubleClick(std::function<void()> action) { m_doubleClick = std::move(action); }

void TableBrowse::refresh() {
    m_model->reload();
    // Columns take the widths the screen gave them; the others fit their texts.
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (m_model->columnWidth(c) > 0) setColumnWidth(c, m_model->columnWidth(c));
        else resizeColumnToContents(c);
    }
    followCursor();
}

void TableBrowse::followCursor() {
    xbase::Table* t = m_model->table();
    if (!t || t->eof()) {
        highlight(-1);
        return;
    }
    int row = m_model->rowOf(t->recNo());
    if (row < 0) {
        m_model->reload();
        row = m_model->rowOf(t->recNo());
    }
    highlight(row);
}

void TableBrowse::highlight(int row) {
    m_following = true;
    if (row < 0) {
        selectionModel()->clear();
    } else {
        QModelIndex at = m_model->index(row, 0);
        selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(at);
    }
    m_following = false;
}

int TableBrowse::highlightedRow() const {
    QModelIndex at = selectionModel()->currentIndex();
    return at.isValid() && selectionModel()->isRowSelected(at.row(), {}) ? at.row() : -1;
}

}  // namespace mp
