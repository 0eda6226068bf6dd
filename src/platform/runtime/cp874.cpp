#include "platform/runtime/cp874.h"

namespace mp {

namespace {

// Code points of bytes 0x80-0xFF; 0 marks a byte code page 874 leaves
// undefined (it maps to U+F700 + byte instead).
constexpr char32_t kUndefined = 0;
constexpr char32_t kPrivateBase = 0xF700;
constexpr char32_t kReplacement = 0xFFFD;

struct UpperTable {
    char32_t code[128];
    constexpr UpperTable() : code() {
        for (int i = 0; i < 128; ++i) code[i] = kUndefined;
        code[0x80 - 0x80] = 0x20AC;  // euro sign
        code[0x85 - 0x80] = 0x2026;  // horizontal ellipsis
        code[0x91 - 0x80] = 0x2018;  // quotation marks
        code[0x92 - 0x80] = 0x2019;
        code[0x93 - 0x80] = 0x201C;
        code[0x94 - 0x80] = 0x201D;
        code[0x95 - 0x80] = 0x2022;  // bullet
        code[0x96 - 0x80] = 0x2013;  // en dash
        code[0x97 - 0x80] = 0x2014;  // em dash
        code[0xA0 - 0x80] = 0x00A0;  // no-break space
        for (int b = 0xA1; b <= 0xDA; ++b) code[b - 0x80] = 0x0E01 + (b - 0xA1);  // ko kai .. phinthu
        for (int b = 0xDF; b <= 0xFB; ++b) code[b - 0x80] = 0x0E3F + (b - 0xDF);  // baht .. khomut
    }
};
constexpr UpperTable kUpper;

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 character at `i` and moves past it. A malformed
// sequence (stray continuation byte, truncation, overlong form, surrogate,
// beyond U+10FFFF) gives U+FFFD and skips one byte.
char32_t decodeUtf8(std::string_view s, size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int len;
    char32_t cp;
    char32_t min;
    if (c < 0x80) {
        ++i;
        return c;
    } else if ((c & 0xE0) == 0xC0) {
        len = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4, cp = c & 0x07, min = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + len > s.size()) {
        ++i;
        return kReplacement;
    }
    for (int k = 1; k < len; ++k) {
        unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += len;
    return cp;
}

// The byte of a code point, or -1 when code page 874 cannot hold it.
int byteOf(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    if (cp >= 0x0E01 && cp <= 0x0E3A) return static_cast<int>(0xA1 + (cp - 0x0E01));
    if (cp >= 0x0E3F && cp <= 0x0E5B) return static_cast<int>(0xDF + (cp - 0x0E3F));
    if (cp >= kPrivateBase + 0x80 && cp <= kPrivateBase + 0xFF) {
        int b = static_cast<int>(cp - kPrivateBase);
        return kUpper.code[b - 0x80] == kUndefined ? b : -1;
    }
    for (int b = 0x80; b < 0xA1; ++b)
        if (kUpper.code[b - 0x80] == cp) return b;
    return -1;
}

}  // namespace

char32_t cp874ToUnicode(unsigned char byte) {
    if (byte < 0x80) return byte;
    char32_t cp = kUpper.code[byte - 0x80];
    return cp == kUndefined ? kPrivateBase + byte : cp;
}

std::string cp874ToUtf8(std::string_view cp874) {
    std::string out;
    out.reserve(cp874.size() * 3);
    for (char c : cp874) appendUtf8(out, cp874ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string utf8ToCp874(std::string_view utf8, char replacement) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        int b = byteOf(decodeUtf8(utf8, i));
        out += b < 0 ? replacement : static_cast<char>(b);
    }
    return out;
}

}  // namespace mp
