// mixplant-cli iotest against a running mixplant-sim.

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "sim/sim_process.h"

namespace mp::sim {
namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

TEST(SimCliTest, IotestWithTheDefaultCmport) {
    // The indicator at address 7 is silent: line 6 must report it, after its
    // 2 s, while line 8 (no indicator) fails without a frame or a wait.
    SimProcess sim(MIXPLANT_SIM, {"--trace", "--fault", "7:silent"});
    ASSERT_TRUE(sim.ready());
    auto t0 = std::chrono::steady_clock::now();
    int status = -1;
    std::string out = runCommand({MIXPLANT_CLI, "--ini", sim.iniPath(), "iotest"}, status);
    double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(status, 0);
    const std::vector<std::string> expected{
        "หัวอ่านที่ 1 = 0.0", "หัวอ่านที่ 2 = 0.0", "หัวอ่านที่ 3 = 0.0",   "หัวอ่านที่ 4 = 0.0",
        "หัวอ่านที่ 5 = 0.0", "หัวอ่านที่ 6 = ERROR", "หัวอ่านที่ 7 = 0.0", "หัวอ่านที่ 8 = ERROR",
        "กล่องควบคุม = OK"};
    EXPECT_EQ(lines(out), expected);
    EXPECT_GE(took, 2.0);
    EXPECT_LT(took, 4.0);  // one 2 s wait (slot 6), none for slot 8
    std::string heard = sim.stop();
    EXPECT_EQ(heard, "ready " + sim.link() +
                         "\nframe 01 G\nframe 02 G\nframe 03 G\nframe 04 G\nframe 05 G\nframe 07 G\n"
                         "frame 08 G\nframe 00 W\n");
}

TEST(SimCliTest, ZeroIsRefusedWithoutARightsCheck) {
    SimProcess sim(MIXPLANT_SIM, {"--trace"});
    ASSERT_TRUE(sim.ready());
    int status = -1;
    runCommand({MIXPLANT_CLI, "--ini", sim.iniPath(), "zero"}, status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(sim.stop(), "ready " + sim.link() + "\n");  // nothing sent
}

}  // namespace
}  // namespace mp::sim
