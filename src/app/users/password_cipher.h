#pragma once

#include <string>
#include <string_view>

namespace mp {

// The cipher of the stored passwords (doc/tables.md): reversible and
// length-keeping, so a six-character password is stored in six characters.
// Blanks stay blanks (six blanks still mean "no password set"); every other
// byte stays in its own class (printable ASCII or Thai) and never becomes a
// blank or a control character. Each byte is shifted by a key that depends on
// its position and on the cipher byte before it.
std::string encipherPassword(std::string_view plain);
std::string decipherPassword(std::string_view cipher);

}  // namespace mp
