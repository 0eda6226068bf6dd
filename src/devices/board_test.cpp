#include "devices/board.h"

#include <gtest/gtest.h>

#include "devices/frame_bytes.h"

namespace mp {
namespace {

using frametest::bytes;

TEST(BoardFrameTest, WorkedExamplesAsExactBytes) {
    std::string out(16, '0');
    applyBoardMode(out, 'W', 1, 1);
    EXPECT_EQ(out, std::string(15, '0') + "1");
    EXPECT_EQ(boardFrame(0, out), bytes({0x02, 0x00, 0x57, 0x01, 0x00, 0x03}));
    applyBoardMode(out, 'W', 5, 1);
    EXPECT_EQ(boardFrame(0, out), bytes({0x02, 0x00, 0x57, 0x11, 0x00, 0x03}));
    applyBoardMode(out, 'C', 0, 0);
    EXPECT_EQ(boardFrame(0, out), bytes({0x02, 0x00, 0x57, 0x00, 0x00, 0x03}));

    const std::string reply = bytes({0x02, 0x00, 0x57, 0x11, 0x00, 0x05, 0x03});
    ASSERT_TRUE(boardReplyValid(reply));
    EXPECT_EQ(boardReplyInputs(reply), "00000101");
}

TEST(BoardFrameTest, OutputsNineAndSixteenSitInTheHighByte) {
    struct Case {
        int output;
        size_t character;  // index in POUTPUT
        int low, high;
    };
    const Case cases[] = {{16, 0, 0x00, 0x80}, {9, 7, 0x00, 0x01}, {8, 8, 0x80, 0x00}, {1, 15, 0x01, 0x00}};
    for (const Case& c : cases) {
        std::string out(16, '0');
        applyBoardMode(out, 'W', c.output, 1);
        EXPECT_EQ(out.find('1'), c.character) << c.output;
        EXPECT_EQ(boardFrame(7, out), bytes({0x02, 0x07, 0x57, c.low, c.high, 0x03})) << c.output;
    }
}

TEST(BoardFrameTest, ModesThatLeaveOutputsAlone) {
    std::string out = "1000000000000001";
    for (char mode : {'R', 'X'}) {
        applyBoardMode(out, mode, 3, 1);
        EXPECT_EQ(out, "1000000000000001");
    }
    applyBoardMode(out, 'W', 17, 1);
    applyBoardMode(out, 'W', 0, 1);
    EXPECT_EQ(out, "1000000000000001");
    applyBoardMode(out, 'W', 1, 0);
    EXPECT_EQ(out, "1000000000000000");
}

TEST(BoardReplyTest, Check) {
    struct Case {
        std::string reply;
        bool valid;
    };
    const Case cases[] = {
        {bytes({0x02, 0x09, 0x57, 0xFF, 0xFF, 0x00, 0x03}), true},
        {bytes({0x02, 0x00, 0x57, 0x00, 0x00, 0x05, 0x03, 0x02, 0x00}), true},  // longer: first 7 count
        {bytes({0x02, 0x00, 0x57, 0x00, 0x00, 0x05}), false},                    // short
        {bytes({0x03, 0x00, 0x57, 0x00, 0x00, 0x05, 0x03}), false},
        {bytes({0x02, 0x00, 0x52, 0x00, 0x00, 0x05, 0x03}), false},
        {bytes({0x02, 0x00, 0x57, 0x00, 0x00, 0x05, 0x02}), false},
    };
    for (const Case& c : cases) EXPECT_EQ(boardReplyValid(c.reply), c.valid) << testing::PrintToString(c.reply);
}

}  // namespace
}  // namespace mp
