#include "devices/indicator.h"

#include <gtest/gtest.h>

#include "devices/frame_bytes.h"

namespace mp {
namespace {

using frametest::bytes;

std::string frameOf(int code, int address, std::array<double, 4> v = {0, 0, 0, 0},
                    const char* type = "HP04", double factor = 10) {
    auto f = indicatorFrame(code, address, v, factor, type);
    EXPECT_TRUE(f.has_value());
    return f.value_or("<refused>");
}

TEST(IndicatorFrameTest, WorkedExamplesAsExactBytes) {
    EXPECT_EQ(frameOf(hp::kZero, 1), bytes({0x02, 0x01, 0x5A, 0x0D, 0x0A}));
    EXPECT_EQ(frameOf(hp::kRead, 1), bytes({0x02, 0x01, 0x52, 0x21, 0x0D, 0x0A}));
    EXPECT_EQ(frameOf(hp::kSetPointsUp, 1, {480, 450, 350, 0}),
              bytes({0x02, 0x01, 0x47, 0x30, 0x34, 0x38, 0x30, 0x30, 0x30, 0x34, 0x35, 0x30,
                     0x30, 0x30, 0x33, 0x35, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x27,
                     0x0D, 0x0A}));
    // Clearing: the checksum happens to be LF and is sent unchanged.
    std::string clear = frameOf(hp::kSetPointsUp, 1);
    EXPECT_EQ(clear.size(), 26u);
    EXPECT_EQ(clear.substr(23), bytes({0x0A, 0x0D, 0x0A}));
}

TEST(IndicatorFrameTest, EveryCommandCode) {
    struct Case {
        int code;
        const char* type;
        std::string frame;
    };
    const std::string head = bytes({0x02, 0x03});
    const Case cases[] = {
        {hp::kSetPoint2, "HP04", head + "S200125\r\n"},
        {hp::kFunction08, "HP04", head + "F" + bytes({0x08}) + "\r\n"},
        {hp::kFunction00, "HP04", head + "F" + bytes({0x00}) + "\r\n"},
        {hp::kFunctionFE, "HP04", head + "F" + bytes({0xFE}) + "\r\n"},
        {hp::kDischarge, "HP04", head + "O10000000\r\n"},
        {hp::kDischarge, "HP11", head + "O00001000\r\n"},
        {hp::kDischarge, "HP11X", head + "O00001000\r\n"},
        {hp::kDischarge, "HP1", head + "O10000000\r\n"},
        {hp::kDischarge, "", head + "O10000000\r\n"},
        {hp::kSetPointsOut, "HP04", SENDCS(head + "g10080105001150000000")},
        {8, "HP04", ""},   // an unknown code sends nothing
        {42, "HP04", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code << " type " << c.type);
        EXPECT_EQ(frameOf(c.code, 3, {c.code == hp::kSetPoint2 ? 12.5 : 1008, 1050, 1150, 0}, c.type),
                  c.frame);
    }
}

TEST(IndicatorFrameTest, ChecksumIsSumModulo256ThenCrLf) {
    EXPECT_EQ(SENDCS(bytes({0x02, 0x01, 0x47})), bytes({0x02, 0x01, 0x47, 0x4A, 0x0D, 0x0A}));
    EXPECT_EQ(SENDCS(bytes({0xFF, 0x02})), bytes({0xFF, 0x02, 0x01, 0x0D, 0x0A}));
}

TEST(IndicatorFrameTest, SetPointScaling) {
    struct Case {
        double kg, factor;
        long counts;
    };
    const Case cases[] = {
        {12.34, 10, 123}, {12.36, 10, 124}, {12.35, 10, 124}, {0.05, 1, 0},
        {0.5, 1, 1},      {-3, 10, 0},      {-0.04, 10, 0},   {9999.9, 10, 99999},
        {480, 10, 4800},  {1.5, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(setPointCounts(c.kg, c.factor), c.counts) << c.kg << " x " << c.factor;
}

TEST(IndicatorFrameTest, SetPointAboveFiveDigitsIsRefusedNotCut) {
    EXPECT_FALSE(indicatorFrame(hp::kSetPointsUp, 1, {10000, 0, 0, 0}, 10, "HP04").has_value());
    EXPECT_FALSE(indicatorFrame(hp::kSetPointsOut, 1, {0, 0, 0, 10000.05}, 10, "HP04").has_value());
    EXPECT_TRUE(indicatorFrame(hp::kSetPointsUp, 1, {9999.94, 0, 0, 0}, 10, "HP04").has_value());
    EXPECT_FALSE(indicatorFrame(hp::kSetPoint2, 1, {10000, 0, 0, 0}, 10, "HP04").has_value());
}

TEST(IndicatorAddressTest, SlotToAddress) {
    const int defaults[] = {1, 2, 3, 4, 5, 7, 8, 0};
    for (int slot = 1; slot <= 8; ++slot) {
        EXPECT_EQ(slotAddress(slot, "01234578"), defaults[slot - 1]) << slot;
        EXPECT_EQ(slotAddress(slot, "012345678"), slot) << slot;
    }
    EXPECT_EQ(slotAddress(2, "0 A"), 0);   // blank
    EXPECT_EQ(slotAddress(1, "0 A"), 0);
    EXPECT_EQ(slotAddress(3, "0 A"), 0);   // beyond the text
    EXPECT_EQ(slotAddress(2, "01A"), 0);   // a letter
    EXPECT_EQ(slotAddress(1, "00"), 0);    // digit 0
    EXPECT_EQ(slotAddress(0, "0123456789"), 0);
    EXPECT_EQ(slotAddress(9, "0123456789"), 0);
}

std::string replyWith(const std::string& field, size_t length = 26) {
    std::string r = bytes({0x02, 0x01}) + field;
    r.resize(length - 2, '0');
    return r + "\r\n";
}

TEST(IndicatorReplyTest, CheckAndWeightField) {
    struct Case {
        std::string reply;
        bool valid;
        double kg;
    };
    const Case cases[] = {
        {replyWith("00012345"), true, 1234.5},
        {replyWith(" -000012"), true, -1.2},
        {replyWith("  12.5AB"), true, 1.25},
        {replyWith("ABCDEFGH"), true, 0},
        {replyWith("00012345", 40), true, 1234.5},
        {replyWith("00012345", 25), false, 0},  // STX and CR LF but one byte short
        {"X" + replyWith("00012345").substr(1), false, 0},
        {replyWith("00012345").substr(0, 24) + "0\n", false, 0},
        {replyWith("00012345").substr(0, 24) + "\n\r", false, 0},
        {"", false, 0},
        // A reply with the start of a second frame in the same read: only its
        // first byte and last two bytes count.
        {replyWith("00012345") + bytes({0x02, 0x01}) + "0001\r\n", true, 1234.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.reply));
        EXPECT_EQ(indicatorReplyValid(c.reply), c.valid);
        if (c.valid) {
            EXPECT_DOUBLE_EQ(indicatorReplyWeight(c.reply, 10), c.kg);
        }
    }
}

}  // namespace
}  // namespace mp
