#include "sim/plant_model.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "devices/board.h"
#include "devices/indicator.h"

namespace mp::sim {
namespace {

std::string cmd(int code, int address, std::array<double, 4> kg = {0, 0, 0, 0}) {
    return *indicatorFrame(code, address, kg, 10, "HP04");
}

// Drives a model on its own line time, as a port would.
struct Line {
    explicit Line(PlantConfig c = {}) : plant(std::move(c)) { plant.advanceTo(0); }
    std::string exchange(const std::string& frame, double wait = 0.05) {
        plant.receive(frame, t);
        t += wait;
        return plant.takeDue(t);
    }
    void run(double seconds) {
        t += seconds;
        plant.advanceTo(t);
    }
    PlantModel plant;
    double t = 0;
};

TEST(PlantModelTest, IndicatorAnswerCarriesTheWeightInBytesThreeToTen) {
    Line line;
    line.plant.setContents(1, 1234.5);
    std::string a = line.exchange(cmd(hp::kRead, 1));
    ASSERT_EQ(a.size(), 26u);
    EXPECT_TRUE(indicatorReplyValid(a));
    EXPECT_EQ(a[1], 1);
    EXPECT_EQ(a.substr(2, 8), " 0012345");
    EXPECT_DOUBLE_EQ(indicatorReplyWeight(a, 10), 1234.5);
    EXPECT_EQ(a[12], 'R');
    unsigned sum = 0;
    for (int i = 0; i < 23; ++i) sum += static_cast<unsigned char>(a[i]);
    EXPECT_EQ(static_cast<unsigned char>(a[23]), sum % 256);
}

TEST(PlantModelTest, StagedFeedingStopsAtTheFinalCutOffPlusWhatIsInFlight) {
    PlantConfig c;
    c.indicators[2].largeRate = 100;
    c.indicators[2].mediumRate = 20;
    c.indicators[2].smallRate = 5;
    c.indicators[2].inFlight = 0.4;
    c.indicators[2].settle = 1.0;
    Line line(c);
    line.exchange(cmd(hp::kSetPointsUp, 2, {480, 450, 350, 0}));
    EXPECT_TRUE(line.plant.feeding(2));
    line.run(4.0);  // large stage: 100 kg/s up to 350, then medium at 20 kg/s
    EXPECT_GT(line.plant.weight(2), 350);
    EXPECT_LT(line.plant.weight(2), 450);
    line.run(20.0);
    EXPECT_FALSE(line.plant.feeding(2));
    // The small stage's flow goes on for 0.4 s after the cut-off: 2 kg more.
    EXPECT_NEAR(line.plant.weight(2), 482, 0.2);
    EXPECT_FALSE(line.plant.moving(2));
    // Discharge empties the hopper through the output command; zero sets 0.
    line.exchange(cmd(hp::kDischarge, 2));
    EXPECT_TRUE(line.plant.discharging(2));
    line.run(10);
    EXPECT_EQ(line.plant.weight(2), 0);
    EXPECT_FALSE(line.plant.discharging(2));
    line.plant.setContents(2, 3.2);
    line.exchange(cmd(hp::kZero, 2));
    EXPECT_EQ(line.plant.weight(2), 0);
}

TEST(PlantModelTest, SettlingShowsAsMovingUntilTheSettleTimeHasPassed) {
    PlantConfig c;
    c.indicators[1].settle = 2.0;
    c.indicators[1].inFlight = 0.5;
    c.indicators[1].smallRate = 5;
    Line line(c);
    line.exchange(cmd(hp::kSetPointsUp, 1, {10, 0, 0, 0}));
    line.run(2.0);  // 5 kg/s small stage: cut-off at 10 kg after 2 s
    std::string a = line.exchange(cmd(hp::kRead, 1));
    EXPECT_EQ(a[10], 'M');
    line.run(2.6);
    a = line.exchange(cmd(hp::kRead, 1));
    EXPECT_EQ(a[10], 'S');
}

TEST(PlantModelTest, WeighOutFeedsOutFromTheStartingWeight) {
    PlantConfig c;
    c.weighOut = true;
    c.indicators[3].startWeight = 1500;
    Line line(c);
    EXPECT_EQ(line.plant.weight(3), 1500);
    line.exchange(cmd(hp::kSetPointsOut, 3, {1008, 1050, 1150, 0}));
    line.run(60);
    EXPECT_FALSE(line.plant.feeding(3));
    EXPECT_LE(line.plant.weight(3), 1008);
    EXPECT_GT(line.plant.weight(3), 1000);
}

TEST(PlantModelTest, SpeedFactorRunsThePlantFaster) {
    PlantConfig c;
    c.speed = 10;
    c.indicators[1] = {60, 20, 5, 0.4};
    Line line(c);
    line.exchange(cmd(hp::kSetPointsUp, 1, {480, 450, 350, 0}), 0.0);
    line.run(2.0);  // twenty seconds of plant time
    EXPECT_FALSE(line.plant.feeding(1));
    EXPECT_GE(line.plant.weight(1), 480);
}

TEST(PlantModelTest, BoardOutputsAndMixerInputs) {
    PlantConfig c;
    c.mixers[0].dischargeDelay = 5;
    c.bagPresent = false;
    Line line(c);
    std::string out(16, '0');
    std::string a = line.exchange(boardFrame(0, out));
    ASSERT_TRUE(boardReplyValid(a));
    EXPECT_EQ(a.size(), 7u);
    EXPECT_EQ(boardReplyInputs(a), "00000101");  // both mixers ready
    applyBoardMode(out, 'W', 2, 1);               // mixer 1 mixing
    a = line.exchange(boardFrame(0, out));
    EXPECT_EQ(boardReplyInputs(a), "00000100");
    EXPECT_TRUE(line.plant.output(2));
    line.run(5);
    applyBoardMode(out, 'W', 2, 0);
    a = line.exchange(boardFrame(0, out));
    EXPECT_EQ(boardReplyInputs(a), "00000110");  // discharge permitted after the delay
    applyBoardMode(out, 'W', 3, 1);
    line.exchange(boardFrame(0, out));
    applyBoardMode(out, 'W', 3, 0);
    line.plant.setBagPresent(true);
    a = line.exchange(boardFrame(0, out));
    EXPECT_EQ(boardReplyInputs(a), "00010101");  // emptied: ready again; bag present
    // A frame to another address is not the board's.
    EXPECT_EQ(line.exchange(boardFrame(4, out)), "");
}

TEST(PlantModelTest, NoAnswerWithoutADeviceOrForADamagedFrame) {
    Line line;
    EXPECT_EQ(line.exchange(cmd(hp::kRead, 6)), "");  // no indicator at 6 by default
    std::string bad = cmd(hp::kSetPointsUp, 1, {480, 450, 350, 0});
    bad[23] ^= 1;  // checksum
    EXPECT_EQ(line.exchange(bad), "");
    EXPECT_EQ(line.plant.framesReceived(1), 0);
    // Noise before a frame is skipped; a frame split over two writes is joined.
    std::string f = cmd(hp::kRead, 1);
    line.plant.receive("\x7f\x01", line.t);
    line.plant.receive(f.substr(0, 3), line.t);
    EXPECT_EQ(line.exchange(f.substr(3)).size(), 26u);
}

TEST(PlantModelTest, FaultsShapeTheAnswer) {
    struct Case {
        const char* fault;
        size_t bytesAtOnce;  // taken right after the answer delay
        size_t bytesInAll;   // taken after 10 s
        char first;
    };
    const Case cases[] = {
        {"none", 26, 26, 0x02},         {"silent", 0, 0, 0},          {"late=2.5", 0, 26, 0x02},
        {"pieces=3,gap=0.5", 9, 26, 0x02}, {"corrupt", 26, 26, '?'},  {"short", 25, 25, 0x02},
        {"extra=4", 30, 30, 0x02},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        Line line;
        line.plant.setIndicatorFault(1, *parseFault(c.fault));
        std::string a = line.exchange(cmd(hp::kRead, 1));
        EXPECT_EQ(a.size(), c.bytesAtOnce);
        a += line.exchange("", 10);
        EXPECT_EQ(a.size(), c.bytesInAll);
        if (!a.empty()) {
            EXPECT_EQ(a[0], c.first);
        }
    }
}

TEST(PlantConfigTest, FileAndOptions) {
    std::string path = ::testing::TempDir() + "plant.ini";
    {
        std::ofstream f(path);
        f << "[Plant]\nAddresses=0123\nSpeed=20\nMode=out\n[Indicator]\nSmallRate=2\n"
             "[Indicator3]\nSmallRate=7\nFault=pieces=3 gap=0.2\n[Board]\nFault=silent\n"
             "[Mixer2]\nNeverReady=1\nDischargeDelay=4\n";
    }
    PlantConfig c;
    std::string why;
    ASSERT_TRUE(loadPlantConfig(path, c, &why)) << why;
    EXPECT_EQ(c.addresses, "0123");
    EXPECT_EQ(c.speed, 20);
    EXPECT_TRUE(c.weighOut);
    EXPECT_EQ(c.indicators[1].smallRate, 2);
    EXPECT_EQ(c.indicators[3].smallRate, 7);
    EXPECT_EQ(c.indicators[3].fault.pieces, 3);
    EXPECT_DOUBLE_EQ(c.indicators[3].fault.gap, 0.2);
    EXPECT_TRUE(c.boardFault.silent);
    EXPECT_TRUE(c.mixers[1].neverReady);
    EXPECT_EQ(c.mixers[1].dischargeDelay, 4);
    EXPECT_TRUE(applyFaultOption("2:late=3", c, &why));
    EXPECT_EQ(c.indicators[2].fault.late, 3);
    EXPECT_TRUE(applyFaultOption("board:none", c, &why));
    EXPECT_FALSE(c.boardFault.silent);
    for (const char* bad : {"2:loud", "2:late=x", "x:silent", "silent", "3:pieces=0"})
        EXPECT_FALSE(applyFaultOption(bad, c, &why)) << bad;
    std::ofstream(path) << "[Plant]\nSpeed=fast\n";
    EXPECT_FALSE(loadPlantConfig(path, c, &why));
    EXPECT_NE(why.find("Speed"), std::string::npos);
    std::remove(path.c_str());
    EXPECT_FALSE(loadPlantConfig(path, c, &why));
}

}  // namespace
}  // namespace mp::sim
