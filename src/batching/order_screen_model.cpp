#include "batching/order_screen_model.h"

#include "batching/production_records.h"
#include "data/table_access.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/dayclock.h"
#include "platform/runtime/error.h"
#include "platform/runtime/operator.h"

namespace mp {
namespace {

xbase::Table* wdata() { return production::table("WDATA"); }

// Buttons also disabled by the rights level (display step 8).
struct RightsRow {
    int belowLevel;  // disabled while the level is below this
    OrderButton button;
};
constexpr RightsRow kRights[] = {
    {2, OrderButton::Mix},  {2, OrderButton::Print}, {3, OrderButton::New},
    {4, OrderButton::Edit}, {5, OrderButton::Delete},
};

}  // namespace

RowColours rowColours(const std::string& stat, bool deleted) {
    if (deleted) return {rgb(255, 0, 0), rgb(200, 200, 200), rgb(255, 0, 0), rgb(0, 0, 0)};
    const char first = stat.empty() ? ' ' : stat[0];
    if (first == '1' || first == '2') return {rgb(0, 0, 200), rgb(200, 200, 255), rgb(255, 255, 255), rgb(0, 0, 200)};
    return {rgb(0, 0, 0), rgb(220, 220, 220), rgb(255, 255, 255), rgb(0, 200, 0)};
}

OrderScreenModel::OrderScreenModel(int rightsLevel) : m_level(rightsLevel) { registerNames(); }

OrderScreenModel::~OrderScreenModel() = default;

void OrderScreenModel::registerNames() {
    m_names.bind("PTRUSLEVEL", m_level);
    m_names.bind("PSTEP", m_step);
    m_names.bind("PPOS", m_ppos);
    m_names.bind("CNUMBER", m_entry.number);
    m_names.bind("CDATE", m_entry.date);
    m_names.bind("CTIME", m_entry.time);
    m_names.bind("CCOMPANY", m_entry.company);
    m_names.bind("CCOMNAME", m_companyName);
    m_names.bind("CREMARK1", m_entry.remark1);
    m_names.bind("CREMARK2", m_entry.remark2);
    m_names.bind("CREMARK3", m_entry.remark3);
    m_names.bind("CDETTOT", m_lineCount);
    m_names.bind("PSTATNAME", m_statusText);
    m_names.bind("PRECP", m_positionText);
}

bool OrderScreenModel::open() {
    m_step = 0;
    if (!openProductionTables()) return false;
    display();
    return true;
}

void OrderScreenModel::close() { closeProductionTables(); }

void OrderScreenModel::display() {
    MP_CALL_LEVEL("PROCDISP");
    m_lineCount = upkeepOrderLines();
    xbase::Table* w = wdata();
    m_marked = w && !w->eof() && w->deleted();
    m_statusText = orderStatusText(m_marked, lineCount());
    m_positionText = orderPositionText();
    loadEntry();
    workAreas().select("WDATA");
    applyButtons();
    applyRights();
}

void OrderScreenModel::loadEntry() {
    m_entry = readOrderHeader();
    m_companyName = mp::companyName(m_entry.company);
}

void OrderScreenModel::companyLeft() {
    m_entry.company = production::upper(m_entry.company);
    m_companyName = mp::companyName(m_entry.company);
}

void OrderScreenModel::applyButtons() {
    xbase::Table* w = wdata();
    const bool any = w && w->recordCount() > 0;
    const bool live = any && !m_marked && !w->eof();
    for (bool& b : m_buttons) b = false;
    for (OrderButton b : {OrderButton::First, OrderButton::Previous, OrderButton::Next, OrderButton::Last,
                          OrderButton::New, OrderButton::Search, OrderButton::Exit, OrderButton::AddLine,
                          OrderButton::DeleteLine, OrderButton::Zero})
        set(b, true);
    set(OrderButton::Delete, any);
    set(OrderButton::Edit, live);
    set(OrderButton::Mix, live);
    set(OrderButton::Print, live);
}

void OrderScreenModel::applyRights() {
    for (const RightsRow& r : kRights)
        if (m_level < r.belowLevel) set(r.button, false);
}

// Entry states: only save, cancel and zero.
void OrderScreenModel::entryButtons() {
    for (bool& b : m_buttons) b = false;
    set(OrderButton::Save, true);
    set(OrderButton::Cancel, true);
    set(OrderButton::Zero, true);
}

bool OrderScreenModel::enabled(OrderField f) const {
    switch (f) {
        case OrderField::Number:
        case OrderField::Date:
        case OrderField::Time: return m_step == 2;
        default: return m_step != 0;
    }
}

void OrderScreenModel::move(int mode) {
    if (mode == 5) return;  // the search needs its text: search()
    moveOrder(mode);
    display();
}

bool OrderScreenModel::search(const std::string& text) {
    const bool found = searchOrders(text);
    display();
    return found;
}

void OrderScreenModel::beginNew() {
    xbase::Table* w = wdata();
    workAreas().select("WDATA");
    m_ppos = w ? w->recNo() : 0;
    m_step = 1;
    if (w) {
        w->goBottom();
        w->skip(1);
    }
    display();
    m_entry.number = CONSEC("R", 0);
    m_entry.date = dayClock().today();
    m_entry.time = production::clockTime();
    entryButtons();
}

bool OrderScreenModel::beginEdit() {
    xbase::Table* w = wdata();
    if (!w || w->eof()) return false;
    if (w->deleted()) {
        operatorUi().message(T("ข้อมูลนี้ถูกสั่งลบ"), "");
        return false;
    }
    m_ppos = w->recNo();
    m_step = 2;
    display();
    entryButtons();
    return true;
}

bool OrderScreenModel::save() {
    if (m_step == 0) return false;
    companyLeft();
    if (saveOrderHeader(m_step == 1, m_entry) != SaveOrderResult::Saved) return false;
    m_ppos = wdata()->recNo();
    m_step = 0;
    display();
    return true;
}

void OrderScreenModel::cancel() {
    xbase::Table* w = wdata();
    workAreas().select("WDATA");
    if (w) {
        if (m_ppos > 0) {
            w->goTo(static_cast<uint32_t>(m_ppos));
        } else {
            w->goBottom();
            w->skip(1);
        }
    }
    m_step = 0;
    display();
}

bool OrderScreenModel::deleteOrRestore() {
    const bool changed = PDELETE();
    display();
    return changed;
}

}  // namespace mp
