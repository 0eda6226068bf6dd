#pragma once

#include <string>
#include <string_view>

#include "platform/runtime/date.h"
#include "platform/runtime/value.h"

namespace mp {

// The common helpers the plant's routines share and the print and report
// forms call by name. Texts are code page 874; none of them fails: bad
// arguments give empty fields, zeros or "00000000".

// The integer part of `n` (toward zero) as decimal text, zero-filled on the
// left and cut to exactly `width` characters from the right:
// ZERO(7, 4) "0007", ZERO(12345, 4) "2345", ZERO(-5, 4) "00-5".
std::string ZERO(double n, int width);

// As ZERO, but the number is first formatted with the display picture CFORMAT
// and trimmed, so it keeps its decimals: ZERO2(12.34, 8) "000012.3".
std::string ZERO2(double n, int width);

// Rounds to `decimals` with an explicit rule for halves: an exact half goes
// toward zero, unless the process-wide value CDECCOR begins with "Y", in
// which case a fraction of 0.499999 or more rounds away from zero.
double XROUND(double n, int decimals);

// False (after showing `message` in the validation section's box) when a and b
// differ after XROUND to 2 decimals and `skip` is false; true otherwise.
bool EQCHECK(const std::string& message, double a, double b, bool skip);

// Text colour of a browse row: red (255) for a marked record, else black (0).
long SELCOLOR(bool deleted);

// The Thai month name of 1..12; "" for any other number.
std::string MONTHNAME(int month);

// "วันที่  17  กันยายน  พ.ศ.2559" for 17/09/2016; "" for the empty date.
std::string BCYEAR(Date d);

// The first / last day of the date's month; the empty date stays empty.
Date FIRSTDAY(Date d);
Date LASTDAY(Date d);

// The last eight characters of the trimmed bit text, most significant first,
// as a number 0..255: "00000101" 5, "1" 1, "110000000" 128.
int BIN2DEC(std::string_view bits);

// Eight bit characters, most significant first; 255 and more give
// "11111111", 0 and negative numbers "00000000"; fractions are dropped.
std::string DEC2BIN(double n);

// Hexadecimal text to a number: "A".."F" count 10..15, digits their value,
// everything else (lower-case letters included) 0: "1F" 31, "1f" 16.
double HEX2DEC(std::string_view hex);

// DEC2BIN of one hexadecimal character: "A" "00001010". A text that is not a
// single "A".."F" counts by its leading number ("7" 7, "x" 0).
std::string HEX2BIN(std::string_view hexChar);

// Waits on the day clock until it differs from its reading at the start by
// at least `seconds`. Nothing else runs meanwhile.
void TDELAY(double seconds);

// Field `n` (from 1) of a separated list. With a kind beginning with "N" (in
// either case) the field's digits, ".", "+" and "-" give a number; otherwise
// the field's text is returned with its blanks. A field that does not exist
// is empty (0 for kind "N"). An empty separator counts as ",".
Value SPLIT(std::string_view text, int n, std::string_view separator = ",", std::string_view kind = "N");

// A number in a display picture such as "999999.9" or "9,999,999": right-
// aligned in the picture's width, rounded half away from zero to the
// picture's decimals; a number too wide for the picture gives asterisks.
std::string numberInPicture(double n, std::string_view picture);

}  // namespace mp
