#include "batching/orders.h"

#include <cctype>
#include <cmath>

#include "app/settings.h"
#include "batching/production_records.h"
#include "data/catalogue.h"
#include "data/helpers.h"
#include "data/keys.h"
#include "data/table_access.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/numtext.h"
#include "platform/runtime/operator.h"

namespace mp {
namespace {

using production::number;
using production::slotField;
using production::table;
using production::text;

constexpr const char* kOpenOrder[] = {"COMPANY", "RAWMAT", "FORMULA", "UNIT", "BATCHING", "DETAIL", "WDATA"};

bool allDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

bool sameNumber(const std::string& stored, const std::string& wanted) {
    if (production::trim(stored) == production::trim(wanted)) return true;
    return allDigits(wanted) && wanted.size() <= kNumberWidth && stored == ZERO(numberOf(wanted), kNumberWidth);
}

// The records of `t` whose key begins with `prefix` and whose leading fields
// (read by `keyOf`) still equal it, in key order. The table's position is lost.
template <class KeyOf>
std::vector<uint32_t> groupRecords(xbase::Table* t, const std::string& prefix, KeyOf keyOf) {
    std::vector<uint32_t> recs;
    if (!t || prefix.empty()) return recs;
    for (t->seek(prefix); !t->eof() && keyOf(t) == prefix; t->skip()) recs.push_back(t->recNo());
    return recs;
}

// Rewrites `field` of the current record when its stored value differs.
void keepDate(xbase::Table* t, const char* field, Date wanted) {
    if (production::date(t, field) != wanted) production::writeCurrent(t, {{field, wanted}});
}

long long hundredths(double kg) { return std::llround(kg * 100); }

// Step 1.3 and 1.4 of the display for the current DETAIL line.
void upkeepLine(xbase::Table* detail, xbase::Table* batching, Date orderDate) {
    keepDate(detail, "DOC_DATE", orderDate);
    const std::string lineKey = text(detail, "INDENT") + text(detail, "INDENT2");
    long long sums[kSlots] = {};
    for (uint32_t rec : lineBatches(lineKey)) {
        batching->goTo(rec);
        keepDate(batching, "DOC_DATE", orderDate);
        if (batching->deleted()) continue;
        for (int n = 1; n <= kSlots; ++n) sums[n - 1] += hundredths(number(batching, slotField("ACTUAL", n)));
    }
    for (int n = 1; n <= kSlots; ++n) {
        const std::string field = slotField("ACTUAL", n);
        if (hundredths(number(detail, field)) != sums[n - 1])
            production::writeCurrent(detail, {{field, static_cast<double>(sums[n - 1]) / 100}});
    }
}

void markBatches(const std::string& lineKey, bool deleted) {
    xbase::Table* batching = table("BATCHING");
    for (uint32_t rec : lineBatches(lineKey)) {
        batching->goTo(rec);
        production::setMark(batching, deleted);
    }
}

}  // namespace

bool openProductionTables() {
    xbase::WorkAreas& areas = workAreas();
    areas.closeAll();
    for (const char* alias : kOpenOrder) {
        if (!openTable(*findTable(alias))) {
            areas.closeAll();
            return false;
        }
    }
    areas.setRelation("DETAIL", "FORMULA", keyFunction("FORMULA", "DETAIL"), "FORMULA");
    areas.setRelation("DETAIL", "UNIT", keyFunction("UNIT", "DETAIL"), "UNIT");
    areas.setRelation("WDATA", "COMPANY", keyFunction("COMPANY", "WDATA"), "COMPANY");
    areas.select("WDATA");
    table("WDATA")->goBottom();
    return true;
}

void closeProductionTables() { workAreas().closeAll(); }

std::string currentOrderKey() {
    const xbase::Table* w = table("WDATA");
    return w && !w->eof() ? text(w, "INDENT") : "";
}

std::string currentLineKey() {
    const xbase::Table* d = table("DETAIL");
    return d && !d->eof() ? text(d, "INDENT") + text(d, "INDENT2") : "";
}

OrderLookup findOrder(const std::string& numberOrKey) {
    xbase::Table* w = table("WDATA");
    if (!w) return OrderLookup::NotFound;
    const bool byKey = numberOrKey.size() > kNumberWidth;
    const std::string key = production::padded(numberOrKey, kIndentWidth);
    const uint32_t before = w->recNo();
    const bool wasEnd = w->eof();
    std::vector<uint32_t> hits;
    for (w->goTop(); !w->eof(); w->skip()) {
        const bool hit = byKey ? text(w, "INDENT") == key : sameNumber(text(w, "NUMBER"), numberOrKey);
        if (hit) hits.push_back(w->recNo());
    }
    if (hits.empty()) {
        if (wasEnd) {
            w->goBottom();
            w->skip(1);
        } else {
            w->goTo(before);
        }
        return OrderLookup::NotFound;
    }
    w->goTo(hits.front());
    return hits.size() == 1 ? OrderLookup::Found : OrderLookup::Ambiguous;
}

std::vector<uint32_t> orderLines() {
    const std::string order = currentOrderKey();
    if (production::trim(order).empty()) return {};
    return groupRecords(table("DETAIL"), order, [](xbase::Table* t) { return text(t, "INDENT"); });
}

std::vector<uint32_t> lineBatches(const std::string& lineKey) {
    if (production::trim(lineKey).empty()) return {};
    return groupRecords(table("BATCHING"), lineKey,
                        [](xbase::Table* t) { return text(t, "INDENT") + text(t, "INDENT2"); });
}

bool findLine(const std::string& placeOrKey) {
    xbase::Table* detail = table("DETAIL");
    if (!detail) return false;
    const uint32_t before = detail->recNo();
    const bool wasEnd = detail->eof();
    const std::vector<uint32_t> lines = orderLines();
    uint32_t wanted = 0;
    if (allDigits(placeOrKey) && placeOrKey.size() <= 4) {
        const size_t place = static_cast<size_t>(numberOf(placeOrKey));
        if (place >= 1 && place <= lines.size()) wanted = lines[place - 1];
    } else {
        const std::string order = currentOrderKey();
        std::string key = placeOrKey.size() > kIndentWidth ? placeOrKey.substr(kIndentWidth) : placeOrKey;
        if (placeOrKey.size() > kIndentWidth && placeOrKey.substr(0, kIndentWidth) != order) key.clear();
        key = production::padded(key, kIndentWidth);
        for (uint32_t rec : lines) {
            detail->goTo(rec);
            if (!production::trim(key).empty() && text(detail, "INDENT2") == key) wanted = rec;
        }
    }
    if (wanted) return detail->goTo(wanted), true;
    if (wasEnd) {
        detail->goBottom();
        detail->skip(1);
    } else {
        detail->goTo(before);
    }
    return false;
}

int upkeepOrderLines() {
    xbase::Table* wdata = table("WDATA");
    xbase::Table* detail = table("DETAIL");
    xbase::Table* batching = table("BATCHING");
    if (!wdata || !detail || !batching) return 0;
    const Date orderDate = production::date(wdata, "DATE");
    const std::vector<uint32_t> lines = orderLines();
    for (uint32_t rec : lines) {
        detail->goTo(rec);
        upkeepLine(detail, batching, orderDate);
    }
    if (!lines.empty()) detail->goTo(lines.front());
    else if (!currentOrderKey().empty()) detail->seek(currentOrderKey());
    return static_cast<int>(lines.size());
}

std::string orderStatusText(bool orderMarked, int lineCount) {
    return orderMarked ? T("สั่งลบ") : std::to_string(lineCount) + T(" รายการ");
}

std::string orderPositionText() {
    xbase::Table* w = table("WDATA");
    if (!w || w->eof()) return T("เพิ่มข้อมูลใหม่");
    const uint32_t here = w->recNo();
    long place = 0;
    for (w->goTop(); !w->eof(); w->skip()) {
        ++place;
        if (w->recNo() == here) break;
    }
    w->goTo(here);
    return std::to_string(place) + " / " + std::to_string(w->recordCount());
}

void moveOrder(int mode) {
    xbase::Table* w = table("WDATA");
    if (!w) return;
    workAreas().select("WDATA");
    switch (mode) {
        case 1:
            if (!w->skip(1) && w->eof()) w->skip(-1);
            break;
        case 2: {
            if (w->eof()) {
                w->skip(-1);
                break;
            }
            const uint32_t here = w->recNo();
            w->skip(-1);
            if (w->bof()) w->goTo(here);
            break;
        }
        case 3: w->goBottom(); break;
        case 4: w->goTop(); break;
        default: break;
    }
}

const char* orderSearchExpression() {
    return "wdata->Number+dtoc(wdata->Date)+wdata->Time+wdata->company+company->name";
}

bool searchOrders(const std::string& text) {
    workAreas().select("WDATA");
    return searchTable(3, text, orderSearchExpression());
}

OrderHeader readOrderHeader() {
    const xbase::Table* w = table("WDATA");
    OrderHeader h;
    h.number = text(w, "NUMBER");
    h.date = production::date(w, "DATE");
    h.time = text(w, "TIME");
    h.company = text(w, "COMPANY");
    h.remark1 = text(w, "REMARK1");
    h.remark2 = text(w, "REMARK2");
    h.remark3 = text(w, "REMARK3");
    return h;
}

std::string companyName(const std::string& code) {
    xbase::Table* c = table("COMPANY");
    if (!c) return "";
    const uint32_t before = c->recNo();
    const bool wasEnd = c->eof();
    const std::string name = c->seek(production::padded(code, kNumberWidth)) ? text(c, "NAME") : "";
    if (wasEnd) {
        c->goBottom();
        c->skip(1);
    } else {
        c->goTo(before);
    }
    return name;
}

SaveOrderResult saveOrderHeader(bool isNew, const OrderHeader& h) {
    const std::string blankTime = production::trim(h.time);
    if (production::trim(h.number).empty() || production::trim(h.company).empty() || h.date.isEmpty() ||
        blankTime.find_first_not_of(": ") == std::string::npos) {
        operatorUi().message(T("บันทึกข้อมูลไม่ครบถ้วน"), T("  ส่วนบันทึกข้อมูลการทำงาน"));
        return SaveOrderResult::Incomplete;
    }
    xbase::Table* w = table("WDATA");
    if (!w || !table("DETAIL")) return SaveOrderResult::Refused;
    const FieldValues header = {{"NUMBER", h.number},   {"COMPANY", h.company}, {"DATE", h.date},
                                {"TIME", h.time},       {"REMARK1", h.remark1}, {"REMARK2", h.remark2},
                                {"REMARK3", h.remark3}};
    if (isNew) {
        FieldValues created = {{"NUMBER", h.number}, {"STAFF", settings().CUSER}, {"INDENT", INDENT()}};
        if (!production::appendRecord(w, created)) return SaveOrderResult::Refused;
        CONSEC("W", numberOf(h.number));
    } else if (w->eof()) {
        return SaveOrderResult::Refused;
    }
    workAreas().select("WDATA");
    return production::writeCurrent(w, header) ? SaveOrderResult::Saved : SaveOrderResult::Refused;
}

bool markLineWithBatches(bool deleted) {
    xbase::Table* detail = table("DETAIL");
    if (!detail || detail->eof()) return false;
    const uint32_t line = detail->recNo();
    const std::string lineKey = currentLineKey();
    production::setMark(detail, deleted);
    markBatches(lineKey, deleted);
    detail->goTo(line);
    return true;
}

bool markOrder(bool deleted) {
    xbase::Table* w = table("WDATA");
    xbase::Table* detail = table("DETAIL");
    if (!w || !detail || w->eof()) return false;
    if (!deleted) production::setMark(w, false);
    for (uint32_t rec : orderLines()) {
        detail->goTo(rec);
        markLineWithBatches(deleted);
    }
    if (deleted) production::setMark(w, true);
    workAreas().select("WDATA");
    return true;
}

bool PDELETE() {
    xbase::Table* w = table("WDATA");
    if (!w || w->eof()) return false;
    const bool marked = w->deleted();
    const std::string question = marked ? T("ยกเลิกการสั่งลบข้อมูลนี้") : T("สั่งทำเครื่องหมายลบข้อมูลนี้");
    if (!operatorUi().yesNo(question, T("  กรุณายืนยันการทำงาน"))) return false;
    return markOrder(!marked);
}

}  // namespace mp
