#pragma once

// Small shared pieces of the production tables (WDATA, DETAIL, BATCHING and
// the code tables they name): field reading by name, the slot field names,
// the time of day as the tables hold it, and the two write patterns (append
// a record / change the current one) under the locks every computer
// respects.

#include <string>
#include <string_view>

#include "data/site_setup.h"
#include "platform/xbase/table.h"

namespace mp::production {

// The table open under `alias`, or nullptr.
xbase::Table* table(std::string_view alias);

// The stored text of a field with its blanks; "" when the table stands on no
// record or has no such field.
std::string text(const xbase::Table* t, std::string_view field);
// The same without leading and trailing blanks.
std::string trimmedText(const xbase::Table* t, std::string_view field);
// A numeric field's value, 0 when absent.
double number(const xbase::Table* t, std::string_view field);
// A date field's value (the empty date when absent).
Date date(const xbase::Table* t, std::string_view field);

// "TARGET" and 3 give "TARGET3".
std::string slotField(std::string_view name, int slot);

// The day clock's time as "HH:MM:SS".
std::string clockTime();

// Text without leading and trailing blanks.
std::string trim(std::string_view s);
// Upper-cased ASCII letters (Thai bytes are left alone).
std::string upper(std::string_view s);
// `s` cut or filled with blanks to `width`.
std::string padded(std::string_view s, size_t width);

// Write pattern 2 on the current record of `t`: lock (waiting until
// granted), assign, commit, release the table's locks. False when the table
// stands on no record or a value is refused (nothing further is assigned).
bool writeCurrent(xbase::Table* t, const FieldValues& values);
// Write pattern 1: append a blank record (waiting while the append lock is
// busy), assign, commit, release the table's locks; the new record stays
// current. False when the append or a value is refused.
bool appendRecord(xbase::Table* t, const FieldValues& values);
// Marks or clears the deleted flag of the current record under its own lock.
bool setMark(xbase::Table* t, bool deleted);

}  // namespace mp::production

namespace mp::production {
// True when `n` fits the numeric field `field` of `t` with its decimals
// (a number too wide would be refused by the engine as an error).
bool fits(const xbase::Table* t, std::string_view field, double n);
}  // namespace mp::production
