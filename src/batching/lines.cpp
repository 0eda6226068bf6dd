#include "batching/lines.h"

#include "app/settings.h"
#include "batching/orders.h"
#include "batching/production_records.h"
#include "data/keys.h"
#include "data/table_access.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/dayclock.h"
#include "platform/runtime/operator.h"

namespace mp {
namespace {

using production::number;
using production::slotField;
using production::table;
using production::text;

// Name and cost of material `code` from RAWMAT (blank and 0 when absent).
void material(const std::string& code, std::string& name, double& cost) {
    xbase::Table* rawmat = table("RAWMAT");
    name.clear();
    cost = 0;
    if (!rawmat || production::trim(code).empty()) return;
    if (rawmat->seek(production::padded(code, 10))) {
        name = text(rawmat, "NAME");
        cost = number(rawmat, "COST");
    }
}

void computeTargets(LineEntry& e, const xbase::Table* formula) {
    const double capacity = number(formula, "CAPACITY");
    for (int n = 1; n <= kSlots; ++n)
        e.slots[n - 1].target = lineTarget(number(formula, slotField("QTY", n)), e.quantity, capacity);
}

void incomplete() {
    operatorUi().message(T("ข้อมูลไม่ครบถ้วน") + "\r\n" + T("ไม่สามารถบันทึกได้ !"),
                         T("  ส่วนบันทึกรายการสั่งผสม"));
}

FieldValues lineValues(const LineEntry& e, Date docDate) {
    FieldValues v = {{"DOC_DATE", docDate}, {"FORMULA", e.formula}, {"QTY", e.qty},
                     {"UNIT", e.unit},      {"QUANTITY", e.quantity}};
    for (int n = 1; n <= kSlots; ++n) {
        const SlotEntry& s = e.slots[n - 1];
        v.push_back({slotField("AGG", n), s.agg});
        v.push_back({slotField("TARGET", n), s.target});
        v.push_back({slotField("ACTUAL", n), s.actual});
        v.push_back({slotField("COST", n), s.cost});
    }
    return v;
}

bool valuesFit(const xbase::Table* detail, const FieldValues& values) {
    for (const auto& [name, v] : values)
        if (v.isNumber() && !production::fits(detail, name, v.number())) return false;
    return true;
}

// A line key of the order that neither a batch nor a line of it carries.
std::string newLineKey(const std::string& order, xbase::Table* detail) {
    for (;;) {
        std::string key = INDENT2(order);
        if (!detail->seek(order + key)) return key;
    }
}

}  // namespace

double lineTarget(double formulaQty, double quantity, double capacity) {
    return capacity == 0 ? 0 : formulaQty * quantity / capacity;
}

LineEntry loadLine(bool isNew) {
    xbase::Table* detail = table("DETAIL");
    LineEntry e;
    if (!detail) return e;
    workAreas().select("DETAIL");
    if (isNew) {
        detail->goBottom();
        detail->skip(1);
    }
    e.formula = text(detail, "FORMULA");
    e.qty = number(detail, "QTY");
    e.unit = text(detail, "UNIT");
    e.quantity = number(detail, "QUANTITY");
    const xbase::Table* formula = table("FORMULA");
    e.formulaName = !isNew && formula && !formula->eof() ? text(formula, "NAME") : "";
    for (int n = 1; n <= kSlots; ++n) {
        SlotEntry& s = e.slots[n - 1];
        s.agg = text(detail, slotField("AGG", n));
        double ignored = 0;
        material(s.agg, s.name, ignored);
        s.target = number(detail, slotField("TARGET", n));
        s.actual = number(detail, slotField("ACTUAL", n));
        s.cost = number(detail, slotField("COST", n));
    }
    e.hadBatches = !isNew && !lineBatches(currentLineKey()).empty();
    return e;
}

void CHGFOR(LineEntry& e) {
    const xbase::Table* formula = table("FORMULA");
    e.formulaName = text(formula, "NAME");
    for (int n = 1; n <= kSlots; ++n) {
        SlotEntry& s = e.slots[n - 1];
        s.agg = text(formula, slotField("AGG", n));
        material(s.agg, s.name, s.cost);
    }
    computeTargets(e, formula);
}

void CHGUNIT(LineEntry& e) {
    xbase::Table* unit = table("UNIT");
    const bool found = unit && unit->seek(production::padded(e.unit, 10));
    e.quantity = found ? e.qty * number(unit, "QTY") : 0;
    computeTargets(e, table("FORMULA"));
}

bool FORSAVE(bool isNew, const LineEntry& e) {
    if (production::trim(e.formula).empty() || e.qty == 0 || production::trim(e.unit).empty() ||
        e.quantity == 0) {
        incomplete();
        return false;
    }
    xbase::Table* detail = table("DETAIL");
    const std::string order = currentOrderKey();
    if (!detail || (isNew && production::trim(order).empty()) || (!isNew && detail->eof())) {
        incomplete();
        return false;
    }
    FieldValues values = lineValues(e, production::date(table("WDATA"), "DATE"));
    if (!valuesFit(detail, values)) {
        operatorUi().message(T("ตัวเลขเกินขนาดของช่องข้อมูล") + "\r\n" + T("ไม่สามารถบันทึกได้ !"),
                             T("  ส่วนบันทึกรายการสั่งผสม"));
        return false;
    }
    workAreas().select("DETAIL");
    if (isNew) {
        // The whole line in one append: no half-made line if anything stops.
        FieldValues created = {{"INDENT", order},
                               {"INDENT2", newLineKey(order, detail)},
                               {"DATE", dayClock().today()},
                               {"TIME", production::clockTime()},
                               {"STAFF", settings().CUSER}};
        created.insert(created.end(), values.begin(), values.end());
        return production::appendRecord(detail, created);
    }
    return production::writeCurrent(detail, values);
}

bool DETDEL() {
    xbase::Table* detail = table("DETAIL");
    bool changed = false;
    if (detail && !detail->eof()) {
        const bool marked = detail->deleted();
        const std::string question =
            marked ? T("คุณต้องการยกเลิกการลบรายการนี้ ?") : T("คุณต้องการสั่งลบรายการนี้ ?");
        if (operatorUi().yesNo(question, T("  ส่วนบันทึกข้อมูลการทำงาน")))
            changed = markLineWithBatches(!marked);
    }
    workAreas().select("WDATA");
    return changed;
}

}  // namespace mp
