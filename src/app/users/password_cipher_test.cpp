#include "app/users/password_cipher.h"

#include <gtest/gtest.h>

#include "platform/runtime/cp874.h"

namespace mp {
namespace {

TEST(PasswordCipher, RoundTripsKeepingLengthAndBlanks) {
    const std::string cases[] = {"ADMIN ", "      ", "A     ", "123456", "ZZZZZZ", "~!@#$%",
                                 T("รหัส12"), "AB CD ", "", "A", std::string("\x7E\x21\xA1\xFB\x20\x7F", 6)};
    for (const std::string& plain : cases) {
        const std::string cipher = encipherPassword(plain);
        EXPECT_EQ(plain.size(), cipher.size()) << plain;
        EXPECT_EQ(plain, decipherPassword(cipher)) << plain;
        for (size_t i = 0; i < plain.size(); ++i) {
            EXPECT_EQ(plain[i] == ' ', cipher[i] == ' ') << plain << " at " << i;
            EXPECT_EQ(static_cast<unsigned char>(plain[i]) >= 0xA1, static_cast<unsigned char>(cipher[i]) >= 0xA1);
        }
    }
}

TEST(PasswordCipher, HidesRepeatsAndDependsOnPosition) {
    EXPECT_NE("AAAAAA", encipherPassword("AAAAAA"));
    const std::string c = encipherPassword("AAAAAA");
    EXPECT_NE(c[0], c[1]);
    EXPECT_NE(c[1], c[2]);
    // A change in one character changes every cipher character after it.
    const std::string a = encipherPassword("ABCDEF"), b = encipherPassword("XBCDEF");
    for (size_t i = 0; i < a.size(); ++i) EXPECT_NE(a[i], b[i]) << i;
}

TEST(PasswordCipher, EveryPrintableByteRoundTripsAtEveryPosition) {
    for (int b = 0x21; b <= 0xFB; ++b) {
        if (b > 0x7E && b < 0xA1) continue;
        for (size_t pos = 0; pos < 6; ++pos) {
            std::string plain = "QWERTY";
            plain[pos] = static_cast<char>(b);
            ASSERT_EQ(plain, decipherPassword(encipherPassword(plain))) << b << " at " << pos;
        }
    }
}

}  // namespace
}  // namespace mp
