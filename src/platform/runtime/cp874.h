#pragma once

#include <string>
#include <string_view>

namespace mp {

// Code page 874 (Thai) <-> UTF-8. Our own table of the 128 upper codes.
// Bytes 0x00-0x7F are ASCII. Bytes that code page 874 leaves undefined
// (0xDB-0xDE, 0xFC-0xFF and the unassigned ones of 0x80-0x9F) map to the
// Unicode private use area U+F700 + byte, so every byte survives a round
// trip through Qt and back.
std::string cp874ToUtf8(std::string_view cp874);
// Characters that code page 874 cannot hold become `replacement`.
std::string utf8ToCp874(std::string_view utf8, char replacement = '?');
// One byte to its Unicode code point (the private-use mapping included).
char32_t cp874ToUnicode(unsigned char byte);

// Thai literals in the source are UTF-8: T("ส่วน") gives the code page 874 bytes.
inline std::string T(std::string_view utf8) { return utf8ToCp874(utf8); }

}  // namespace mp
