// The serial path for real: the termios port on the pseudo-terminal of a
// running mixplant-sim, timed by the real clock.

#include <gtest/gtest.h>

#include <chrono>

#include "app/settings.h"
#include "devices/board.h"
#include "devices/device_state.h"
#include "devices/indicator.h"
#include "devices/link.h"
#include "sim/sim_process.h"

namespace mp::sim {
namespace {

double secondsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

class PtyLinkTest : public ::testing::Test {
protected:
    void start(const std::vector<std::string>& args) {
        sim = std::make_unique<SimProcess>(MIXPLANT_SIM, args);
        ASSERT_TRUE(sim->ready());
        defaultSettings(settings());
        settings().VARFILE = sim->iniPath();
        ASSERT_TRUE(COPEN());
    }
    void TearDown() override { closeLine(); }
    std::unique_ptr<SimProcess> sim;
    DeviceValuesScope values;
};

TEST_F(PtyLinkTest, ReplyInThreePiecesIsJoined) {
    start({"--fault", "1:pieces=3,gap=0.3"});
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(HP_COMM(1, hp::kRead));
    EXPECT_GE(secondsSince(t0), 0.6);
    EXPECT_TRUE(HP_COMM(2, hp::kRead));  // the others answer whole
}

TEST_F(PtyLinkTest, BoardReplyInTwoPiecesIsJoined) {
    start({"--fault", "board:pieces=2,gap=0.4"});
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(IOCONTROL('W', 1, 1));
    EXPECT_GE(secondsSince(t0), 0.4);
    EXPECT_EQ(deviceValues().PINPUT, "00010101");
}

TEST_F(PtyLinkTest, SilentIndicatorCostsItsTwoSeconds) {
    start({"--fault", "3:silent"});
    deviceValues().CMACTUAL[2] = 5;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(HP_COMM(3, hp::kRead));
    double waited = secondsSince(t0);
    EXPECT_GE(waited, 1.99);
    EXPECT_LT(waited, 3.0);  // one idle limit, not two
    EXPECT_EQ(deviceValues().CMACTUAL[2], 5);
}

}  // namespace
}  // namespace mp::sim
