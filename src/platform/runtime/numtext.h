#pragma once

#include <string_view>

namespace mp {

// number(t): the leading number of a text. Leading blanks are skipped, the
// number ends at the first character that cannot continue it, and a text
// without a leading number gives 0 ("  20" -> 20, "-25" -> -25,
// "12.5kg" -> 12.5, "" -> 0).
double numberOf(std::string_view text);

}  // namespace mp
