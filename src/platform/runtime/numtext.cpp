#include "platform/runtime/numtext.h"

#include <charconv>
#include <cmath>
#include <string>

namespace mp {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

// Reads blanks, an optional sign, digits, and an optional point with more
// digits; the first character that cannot continue the number ends it. A
// point needs a digit on one side (".5" is 0.5, "5." is 5, "." is 0).
// Parsed without the C locale functions so a user locale with a decimal
// comma cannot change the result.
double numberOf(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string digits;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        if (text[i] == '-') digits += '-';
        ++i;
    }
    size_t start = digits.size();
    while (i < text.size() && isDigit(text[i])) digits += text[i++];
    bool intPart = digits.size() > start;
    bool fracPart = false;
    if (i + 1 < text.size() && text[i] == '.' && isDigit(text[i + 1])) {
        digits += text[i++];
        while (i < text.size() && isDigit(text[i])) digits += text[i++];
        fracPart = true;
    }
    if (!intPart && !fracPart) return 0.0;
    if (!intPart) digits.insert(start, "0");
    double result = 0.0;
    auto res = std::from_chars(digits.data(), digits.data() + digits.size(), result);
    if (res.ec == std::errc::result_out_of_range)
        result = digits[0] == '-' ? -HUGE_VAL : HUGE_VAL;
    return result == 0.0 ? 0.0 : result;  // no negative zero
}

}  // namespace mp
