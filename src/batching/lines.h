#pragma once

// Order lines without their dialog: loading a line into the dialog's values
// (DETEDIT's opening), taking a formula (CHGFOR) and an amount and unit
// (CHGUNIT) with the target computation, saving the line (FORSAVE), and
// marking or restoring a line with its batches (DETDEL).
//
// A slot's line target is the formula's weight of that slot in one full
// batch, scaled to the line's total weight: QTYn x QUANTITY / CAPACITY. A
// capacity of 0 gives 0 (a division by zero yields 0 throughout the plant).

#include <array>
#include <string>

#include "data/catalogue.h"

namespace mp {

struct SlotEntry {
    std::string agg;   // CDAGGn: material code
    std::string name;  // CDNAMn: material name (display)
    double cost = 0;   // CDCSTn
    double target = 0;  // CDTARn
    double actual = 0;  // CDACTn
};

// The line dialog's values.
struct LineEntry {
    std::string formula;      // CDFORMULA
    std::string formulaName;  // CDFORNAME (display)
    double qty = 0;           // CDQTY, in the line's unit
    std::string unit;         // CDUNIT
    double quantity = 0;      // CDQUANTITY, kilograms
    std::array<SlotEntry, kSlots> slots;
    bool hadBatches = false;  // LDBATCH: formula, amount, unit and weight are read-only
};

// The target of one slot: qty x quantity / capacity, 0 for a capacity of 0.
double lineTarget(double formulaQty, double quantity, double capacity);

// DETEDIT steps 1 to 5: the values of the current DETAIL line (new: of a
// blank record), material names from RAWMAT, the formula's name through
// the relation, LDBATCH from BATCHING. DETAIL must be open.
LineEntry loadLine(bool isNew);

// CHGFOR: the formula the FORMULA table stands on (none past its end): its
// name, each slot's material code, name and cost, and the targets from the
// current total weight.
void CHGFOR(LineEntry& e);
// CHGUNIT: the total weight from the amount and the unit's kilograms (0 for
// a unit not in UNIT), then the targets from the formula the FORMULA table
// stands on.
void CHGUNIT(LineEntry& e);

// FORSAVE: refuses an incomplete entry (empty formula or unit, amount or
// weight 0) with "ข้อมูลไม่ครบถ้วน" / "ไม่สามารถบันทึกได้ !" and a value too
// large for its field; nothing is written then. A new line needs a current
// order (refused otherwise) and gets its key from INDENT2, its DATE, TIME and
// STAFF; every save writes DOC_DATE (the order's date) and the dialog's
// values. DETAIL stands on the saved line afterwards.
bool FORSAVE(bool isNew, const LineEntry& e);

// DETDEL: asks whether to mark (or, for a marked line, restore) the current
// line, title "  ส่วนบันทึกข้อมูลการทำงาน"; on Yes marks or restores it with
// all its batches. WDATA is selected afterwards. True when something changed.
bool DETDEL();

}  // namespace mp
