#pragma once

// Field values to and from the bytes of a record: character fields padded
// with blanks, numbers as right-aligned decimal text, dates as eight digits
// (year, month, day), logicals as T/F.

#include <string>
#include <string_view>

#include "platform/runtime/value.h"
#include "platform/xbase/dbf_format.h"

namespace mp::xbase {

// The value of one field's bytes. Blank numbers read 0, blank dates the empty date.
Value decodeField(const FieldDef& f, std::string_view raw);
// The blank of the field's kind ("" padded, 0, empty date, false).
Value blankOf(const FieldDef& f);

enum class EncodeResult { Ok, WrongType, TooWide };
// Writes `v` into `out` (exactly f.width bytes). A text longer than the field
// is cut; a number that does not fit gives TooWide and leaves `out` alone;
// no value (Nil) writes the blank.
EncodeResult encodeField(const FieldDef& f, const Value& v, char* out);

// Number as right-aligned text of `width` with `decimals`, rounded half away
// from zero; empty when it does not fit.
std::string formatNumber(double v, int width, int decimals);

}  // namespace mp::xbase
