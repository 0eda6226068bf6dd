#include "platform/qtkit/edit_picture.h"

#include <gtest/gtest.h>

namespace mp {
namespace {

std::u32string u(const char* s) {
    std::u32string out;
    for (; *s; ++s) out.push_back(static_cast<unsigned char>(*s));
    return out;
}

TEST(EditPicture, AcceptsWhatEachTemplatePositionAllows) {
    struct Case {
        const char* picture;
        size_t length;
        size_t pos;
        char32_t typed;
        char32_t stored;  // 0: refused
    };
    const Case cases[] = {
        {"@!", 6, 0, U'a', U'A'},          // upper case, free buffer
        {"@!", 6, 5, U'1', U'1'},
        {"@!", 6, 6, U'x', 0},             // past the buffer
        {"@!", 6, 0, 0x0E01, 0x0E01},      // Thai letters pass unchanged
        {"9", 1, 0, U'5', U'5'},
        {"9", 1, 0, U'x', 0},
        {"99/99/9999", 10, 2, U'1', 0},    // the "/" is not typed over
        {"99/99/9999", 10, 3, U'1', U'1'},
        {"99:99:99", 8, 5, U'0', 0},
        {"999999.9", 8, 0, U'-', U'-'},    // numbers are typed as free text
        {"999999.9", 8, 0, U'a', 0},
        {"!!!", 3, 1, U'b', U'B'},
        {"AAA", 3, 0, U'1', 0},
    };
    for (const Case& c : cases) {
        EditPicture p(c.picture, c.length);
        EXPECT_EQ(p.accept(c.pos, c.typed), c.stored) << c.picture << " at " << c.pos;
    }
}

TEST(EditPicture, ShapePutsLiteralsInPlaceAndKeepsTheLength) {
    EditPicture date("99/99/9999", 10);
    EXPECT_EQ(date.shape(u("01")), u("01/  /    "));
    EXPECT_EQ(date.nextEditable(2), 3u);
    EXPECT_EQ(date.previousEditable(3), 1u);
    EditPicture code("@!", 15);
    EXPECT_EQ(code.shape(u("ABC")).size(), 15u);
    EXPECT_EQ(code.shape(std::u32string(20, U'x')).size(), 15u);
}

TEST(EditPicture, NumberPicturesLayOutRightAligned) {
    struct Case {
        double value;
        const char* picture;
        const char* shown;
    };
    const Case cases[] = {
        {12.25, "999999.9", "    12.3"},   // rounds half away from zero
        {-0.04, "999999.9", "     0.0"},   // no minus before a zero
        {1234567, "999999.9", "********"}, // too wide
        {1234567, "9,999,999", "1,234,567"},
        {12, "9,999,999", "       12"},
        {7, "999", "  7"},
    };
    for (const Case& c : cases) EXPECT_EQ(EditPicture::formatNumber(c.value, c.picture), c.shown) << c.value;
    EditPicture amount("999999.9", 8);
    EXPECT_TRUE(amount.numeric());
    EXPECT_EQ(amount.shape(u("12.5    ")), u("    12.5"));
    EXPECT_EQ(amount.shape(u("        ")), u("        "));
    EXPECT_FALSE(EditPicture("999", 3).numeric());  // a code of digits stays text
    EXPECT_TRUE(EditPicture("999", 3, true).numeric());
}

}  // namespace
}  // namespace mp
