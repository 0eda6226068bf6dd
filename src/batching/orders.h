#pragma once

// Production orders without their screen: opening the production tables as
// the orders screen does, finding an order and a line of it (the "current
// order" and "current line" every other step works on), the display's upkeep
// of the lines (DOC_DATE and the actual sums), the status and position
// texts, navigation and search, saving a header and marking or restoring an
// order with all its lines and batches.
//
// An order is the current WDATA record, its lines the DETAIL records whose
// INDENT is the order's, a line's batches the BATCHING records whose
// INDENT+INDENT2 are the line's. Every write locks only the record it
// writes, for the moment of the write.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime/date.h"

namespace mp {

// ---- tables ------------------------------------------------------------------

// Closes all tables, then opens COMPANY, RAWMAT, FORMULA, UNIT (CDRV1) and
// BATCHING, DETAIL, WDATA (CDRV2) shared with their indexes, in that order,
// and sets the relations DETAIL->FORMULA, DETAIL->UNIT, WDATA->COMPANY.
// False (all tables closed) after OPEN's message when one cannot be opened.
// WDATA is selected afterwards, on its last order.
bool openProductionTables();
void closeProductionTables();

// ---- the current order and line ------------------------------------------------

// WDATA->INDENT of the current order (24 characters); "" when WDATA stands
// past its last record.
std::string currentOrderKey();
// DETAIL->INDENT + DETAIL->INDENT2 of the current line (48 characters); ""
// when DETAIL stands on no record.
std::string currentLineKey();

enum class OrderLookup { Found, NotFound, Ambiguous };
// Positions WDATA on the order named by `numberOrKey`: an order key (more
// than ten characters; trailing blanks may be left off) or an order number
// (its digits, with or without the leading zeros, or the number's text as
// stored). Ambiguous when several orders carry that number: WDATA then
// stands on the first of them. NotFound leaves WDATA where it was.
OrderLookup findOrder(const std::string& numberOrKey);

// Record numbers of the current order's lines in key order, marked ones
// included; none when there is no current order.
std::vector<uint32_t> orderLines();
// Record numbers of the batches of line `lineKey` (48 characters), in ITEM
// order, marked ones included.
std::vector<uint32_t> lineBatches(const std::string& lineKey);

// Positions DETAIL on a line of the current order: `placeOrKey` is the
// line's place among the order's lines (from 1, marked lines counted) or its
// INDENT2 key (trailing blanks may be left off). False when there is none;
// DETAIL then stands where it was.
bool findLine(const std::string& placeOrKey);

// ---- the display's upkeep ----------------------------------------------------

// PROCDISP's walk over the current order's lines: DOC_DATE of every line and
// batch made the order's DATE, and each line's ACTUAL1..8 made the sum over
// its batches not marked deleted (0 for a line without batches); each field
// written only where it differs, under the record's own lock. Returns the
// number of lines (CDETTOT), marked ones included. Leaves DETAIL on the
// order's first line.
int upkeepOrderLines();

// PSTATNAME: "สั่งลบ" for a marked order, else the count and " รายการ".
std::string orderStatusText(bool orderMarked, int lineCount);
// PRECP: the current order's place in key order, " / " and the number of
// WDATA records; "เพิ่มข้อมูลใหม่" when WDATA stands past its last record.
std::string orderPositionText();

// ---- moving -------------------------------------------------------------------

// PROCMOVE 1 next, 2 previous, 3 last, 4 first, in WDATA key order. Next on
// the last order and previous on the first leave the order unchanged.
void moveOrder(int mode);
// The search of the order list (SACTION action 3) over number, date, time,
// company code and name, from the order after the current one. False (after
// "ไม่พบข้อความที่ระบุ") when nothing matches; WDATA then stays.
bool searchOrders(const std::string& text);
// The expression the order search looks in.
const char* orderSearchExpression();

// ---- the header ----------------------------------------------------------------

struct OrderHeader {
    std::string number;  // CNUMBER, 10 characters at most
    Date date;           // CDATE
    std::string time;    // CTIME, "HH:MM:SS"
    std::string company;  // CCOMPANY
    std::string remark1, remark2, remark3;
};

// The current order's header (blank past the last record).
OrderHeader readOrderHeader();
// The name of company `code` (blank when it is not in COMPANY).
std::string companyName(const std::string& code);

enum class SaveOrderResult { Saved, Incomplete, Refused };
// PROCSAVE steps 2 to 4. Incomplete: number, company, date or time empty,
// "บันทึกข้อมูลไม่ครบถ้วน" shown, nothing written. Refused: a text does not fit
// its field or the time is not HH:MM:SS (told). New: a WDATA record with
// NUMBER, STAFF (CUSER) and a new INDENT, then the counter advanced to the
// number + 1 (CONSEC "W"). Then the header fields are written to the order.
// WDATA stands on the saved order afterwards.
SaveOrderResult saveOrderHeader(bool isNew, const OrderHeader& header);

// Marks the current order with all its lines and batches (lines and batches
// first, then the order), or restores them (the order first), each record
// under its own lock. False when there is no current order.
bool markOrder(bool deleted);
// PDELETE: asks (title "  กรุณายืนยันการทำงาน") and on Yes marks or restores
// the current order. True when something changed.
bool PDELETE();

// Marks or restores the current DETAIL line and all its batches.
bool markLineWithBatches(bool deleted);

}  // namespace mp
