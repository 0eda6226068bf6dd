#pragma once

// Shared table access: the routines every function area uses to open, lock
// and append on tables that several computers share, and to hand out order
// numbers. They act on the process's work areas and their current table.
//
// Waits measure time on the day clock; the time elapsed is the absolute
// difference of two readings, so a wait that spans midnight expires at once.
// Between two attempts a wait pauses briefly on the day clock (kRetryPause),
// so a wait without limit does not burn a core and runs on a virtual clock.
//
// The busy indication: the engine resets it before an open or an append and
// the error handler sets it when another computer holds the table or the
// append lock; NET_USE and ADD_REC retry while it is set.

#include <string>

#include "data/catalogue.h"
#include "platform/xbase/work_areas.h"

namespace mp {

// Seconds between two attempts of a waiting routine.
constexpr double kRetryPause = 0.02;
// The time limit OPEN and CONSEC give NET_USE.
constexpr double kOpenLimit = 10;

// The process's work areas.
xbase::WorkAreas& workAreas();
// The current table, or nullptr when the selected area is empty.
xbase::Table* currentTable();

// Puts the table layer in place, once per process: the work areas become the
// field resolver of the expressions and the "close all tables" of start-up
// and shut-down, the error log reports them, and the common helpers become
// callable from form expressions. Calling it again does nothing.
void installTableLayer();

// Releases every lock the process holds in every table (after writing).
void unlockAll();

// OPEN: opens `folder` + `file` (".DBF") under `alias` (default: the file
// name), through NET_USE with a limit of 10 seconds, builds the index
// `folder` + `indexFile` (".NTX") from `keyExpression` when it is missing or
// the open is exclusive, makes it the only and controlling index, releases
// all locks and selects the table. A missing table or one held elsewhere
// shows its message (title "ส่วนการเปิดแฟ้ม") and gives false. An empty key
// expression opens the table without an index.
bool OPEN(const std::string& folder, const std::string& file, const std::string& keyExpression, bool exclusive,
          const std::string& description, const std::string& indexFile, const std::string& alias = {});
// OPEN with the catalogue's folder, file, key, description, index and alias.
bool openTable(const TableDef& table, bool exclusive = false);

// NET_USE: opens `path` (no extension) in a free work area, retrying while
// the table is busy, up to `limit` seconds (0: until it can be opened). False
// when the time is up or the open failed for another reason (the handler
// has reported that).
bool NET_USE(const std::string& path, bool exclusive, double limit, const std::string& alias = {});

// Lock the current record / the whole current table / append a blank record
// (then current and locked), retrying up to `limit` seconds (0: until
// granted). False at once when there is no current table or record, and when
// an append fails for any reason but a busy append lock.
bool REC_LOCK(double limit);
bool FIL_LOCK(double limit);
bool ADD_REC(double limit);

// E_SEEK: positions the current table just after the group of records whose
// key begins with `key` (at the end of the table for an empty key). True.
bool E_SEEK(const std::string& key);

// CONSEC: the next order number as ten digits, from record 1 of "consec" in
// CDRV1 opened exclusive (10 seconds at most). With a mode beginning with "W"
// the counter advances: to its value + 1 when `start` is 0, else to
// `start` + 1. "0000000000" and nothing written when the table cannot be
// had. WDATA is selected afterwards when it is open.
std::string CONSEC(const std::string& mode, double start = 0);

}  // namespace mp
