#include "platform/runtime/cp874.h"

#include <iconv.h>

#include <gtest/gtest.h>

namespace mp {
namespace {

bool definedByte(int b) {
    return b < 0x81 || b == 0x85 || (b >= 0x91 && b <= 0x97) || (b >= 0xA0 && b <= 0xDA) ||
           (b >= 0xDF && b <= 0xFB);
}

// glibc's converter is the reference for every byte code page 874 defines.
TEST(Cp874, MatchesIconvForEveryDefinedByte) {
    iconv_t cd = iconv_open("UTF-8", "CP874");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1)) << "glibc CP874 converter missing";
    int compared = 0;
    for (int b = 0; b < 256; ++b) {
        if (!definedByte(b)) continue;
        char in[1] = {static_cast<char>(b)};
        char out[8] = {};
        char* inp = in;
        char* outp = out;
        size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(iconv(cd, &inp, &inLeft, &outp, &outLeft), static_cast<size_t>(-1)) << std::hex << b;
        std::string expected(out, outp - out);
        EXPECT_EQ(cp874ToUtf8(std::string(1, static_cast<char>(b))), expected) << std::hex << b;
        EXPECT_EQ(utf8ToCp874(expected), std::string(1, static_cast<char>(b))) << std::hex << b;
        ++compared;
    }
    // And the bytes we leave undefined are the ones it refuses.
    for (int b = 0x80; b < 256; ++b) {
        if (definedByte(b)) continue;
        char in[1] = {static_cast<char>(b)};
        char out[8];
        char* inp = in;
        char* outp = out;
        size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(iconv(cd, &inp, &inLeft, &outp, &outLeft), static_cast<size_t>(-1)) << std::hex << b;
    }
    iconv_close(cd);
    EXPECT_EQ(compared, 128 + 1 + 1 + 7 + 1 + 58 + 29);
}

TEST(Cp874, UndefinedBytesUsePrivateUseArea) {
    for (int b : {0x81, 0x84, 0x86, 0x90, 0x98, 0x9F, 0xDB, 0xDE, 0xFC, 0xFF})
        EXPECT_EQ(cp874ToUnicode(static_cast<unsigned char>(b)), 0xF700u + b) << std::hex << b;
    EXPECT_EQ(cp874ToUnicode(0xA1), 0x0E01u);
    EXPECT_EQ(cp874ToUnicode(0x41), 0x41u);
}

TEST(Cp874, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(utf8ToCp874(cp874ToUtf8(all)), all);
}

TEST(Cp874, ThaiLiteral) {
    // "บริษัท": bo baimai, ro rua, sara i, so ruesi, mai han-akat, tho thahan.
    EXPECT_EQ(T("บริษัท"), "\xBA\xC3\xD4\xC9\xD1\xB7");
    EXPECT_EQ(cp874ToUtf8("\xBA\xC3\xD4\xC9\xD1\xB7"), "บริษัท");
}

TEST(Cp874, UnmappableAndMalformedInputBecomesReplacement) {
    struct Case {
        std::string utf8;
        std::string expected;
    } cases[] = {
        {"a\xE4\xB8\xAD" "b", "a?b"},          // a Chinese character
        {"\xC3\xA9", "?"},                    // e acute: not in the code page
        {"\x80", "?"},                        // stray continuation byte
        {"\xC3", "?"},                        // truncated sequence
        {"\xE0\xB8", "??"},                   // truncated Thai character
        {"\xC0\xAF", "??"},                   // overlong slash
        {"\xED\xA0\x80", "???"},              // surrogate
        {"\xF4\x90\x80\x80", "????"},         // beyond U+10FFFF
        {"\xFF\xFEx", "??x"},
        {"\xEF\x9E\xA1", "?"},                // private code of a defined byte (0xA1)
        {"\xEF\x9E\x81", "\x81"},             // private code of an undefined byte
    };
    for (const Case& c : cases) EXPECT_EQ(utf8ToCp874(c.utf8), c.expected);
    EXPECT_EQ(utf8ToCp874("\xC3\xA9", '_'), "_");
}

}  // namespace
}  // namespace mp
