#pragma once

// Keys: index key expressions compiled once into the engine's key functions,
// the order and line key builders INDENT and INDENT2 with their uniqueness
// walks, and the search walk of the browses (SACTION).

#include <cstdint>
#include <functional>
#include <string>

#include "platform/xbase/table.h"

namespace mp {

// The key function of an index on `expression` (e.g. "DTOS(DATE)+TIME+NUMBER"):
// compiled once, evaluated per record with the record's fields as the bare
// names (and as `alias->name`); other aliases reach the open tables. A text
// result is the key; a date gives its eight digits, a number its STR() text.
// An expression that does not compile raises its syntax error and gives an
// empty function.
xbase::KeyFunction keyFunction(const std::string& expression, const std::string& alias = {});

// The pseudo-random source of the key builders: integers 0..65535. Seeded
// from the clock and the process once; tests install their own.
using RandomSource = std::function<uint16_t()>;
RandomSource setRandomSource(RandomSource source);  // returns the previous one (empty: the default)
uint16_t randomDraw();

// A key candidate: today's date (8 digits), the time (6 digits) and the
// product of three draws, its digits left-aligned in ten characters.
std::string keyCandidate();

// INDENT: a new order key, unique among the INDENT values of DETAIL. DETAIL
// keeps its position; WDATA is selected afterwards.
std::string INDENT();
// INDENT2: a new line key of the order `orderKey`, unique among the lines of
// the order's batches in BATCHING. BATCHING keeps its position; DETAIL is
// selected afterwards.
std::string INDENT2(const std::string& orderKey);

// SACTION without its browse, on the current table. Action 1: to the first
// record; 2: to the last; 3: search forward from the record after the current
// one for the first record whose upper-cased `expression` contains the
// upper-cased, trimmed `text`. When none does, the table returns to the
// record it started on and "ไม่พบข้อความที่ระบุ" is shown (title
// "  ส่วนค้นหาข้อมูล"). Returns whether a record was found (actions 1 and 2:
// true); the routine of the screens returns true whatever happened.
bool searchTable(int action, const std::string& text, const std::string& expression);

}  // namespace mp
