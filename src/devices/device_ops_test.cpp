#include "devices/device_ops.h"

#include "devices/device_state.h"
#include "devices/plant_fixture.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/publics.h"

namespace mp {
namespace {

struct LineLog : DeviceTestObserver {
    void linesReset(const std::vector<std::string>& lines) override { resets.push_back(lines); }
    void lineDone(int line, const std::string& text) override { done.emplace_back(line, text); }
    std::vector<std::vector<std::string>> resets;
    std::vector<std::pair<int, std::string>> done;
};

// Addresses of the frames the plant heard, in order.
std::vector<int> addressesHeard(sim::PlantModel& plant) {
    std::vector<int> out;
    for (const auto& f : plant.takeHeard()) out.push_back(f.first);
    return out;
}

class DeviceTestTest : public PlantFixture {};

TEST_F(DeviceTestTest, DefaultPlantAnswersEveryConfiguredDevice) {
    plant.setContents(1, 1234.5);
    DeviceTest test;
    LineLog log;
    double t0 = now();
    ASSERT_TRUE(test.start(&log));
    ASSERT_EQ(log.done.size(), 9u);
    std::vector<std::string> expected;
    for (int n = 1; n <= 7; ++n)
        expected.push_back(T("หัวอ่านที่ ") + std::to_string(n) + (n == 1 ? " = 1234.5" : " = 0.0"));
    expected.push_back(T("หัวอ่านที่ 8 = ERROR"));
    expected.push_back(T("กล่องควบคุม = OK"));
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(log.done[k].first, k + 1);
        EXPECT_EQ(log.done[k].second, expected[k]) << cp874ToUtf8(log.done[k].second);
        EXPECT_EQ(test.lines()[k], expected[k]);
    }
    // Slot 6 went to address 7, slot 7 to 8, slot 8 sent nothing; the board last.
    EXPECT_EQ(addressesHeard(plant), (std::vector<int>{1, 2, 3, 4, 5, 7, 8, 0}));
    EXPECT_EQ(plant.framesReceived(6), 0);
    EXPECT_EQ(plant.outputs(), std::string(16, '0'));
    EXPECT_LT(since(t0), 0.2);  // no waiting for the slot without an indicator
    size_t beeps = 0;
    for (const auto& c : op.calls) beeps += c.kind == "beep";
    EXPECT_EQ(beeps, 9u);
    EXPECT_FALSE(serialLine().isOpen());
    ASSERT_EQ(log.resets.size(), 1u);
    EXPECT_EQ(log.resets[0][0], T("การสื่อสารกับหัวอ่านที่ 1"));
    EXPECT_TRUE(Publics::instance().exists("CSAY"));
}

TEST_F(DeviceTestTest, SilentDevicesShowErrorAndTheTestGoesOn) {
    plant.setIndicatorFault(3, *sim::parseFault("silent"));
    plant.setBoardFault(*sim::parseFault("silent"));
    DeviceTest test;
    double t0 = now();
    ASSERT_TRUE(test.start());
    EXPECT_NEAR(since(t0), 3.0, 0.2);  // 2 s for the indicator, 1 s for the board
    EXPECT_EQ(test.lines()[2], T("หัวอ่านที่ 3 = ERROR"));
    EXPECT_EQ(test.lines()[3], T("หัวอ่านที่ 4 = 0.0"));
    EXPECT_EQ(test.lines()[8], T("กล่องควบคุม = ERROR"));
    // A second press starts again from the start texts.
    plant.setIndicatorFault(3, sim::Fault{});
    LineLog log;
    ASSERT_TRUE(test.start(&log));
    EXPECT_EQ(log.resets.size(), 1u);
    EXPECT_EQ(test.lines()[2], T("หัวอ่านที่ 3 = 0.0"));
}

TEST_F(DeviceTestTest, LineThatCannotOpenLeavesTheStartTexts) {
    settings().CCPORT = "1:9600,Q,8,1";
    DeviceTest test;
    EXPECT_FALSE(test.start());
    EXPECT_EQ(test.lines(), DeviceTest::startTexts());
    ASSERT_EQ(op.calls.size(), 1u);
    EXPECT_EQ(op.calls[0].text, T("ไม่สามารถเปิด COM.PORT ได้"));
}

TEST(PictureTest, WeightsWithTheDisplayPicture) {
    struct Case {
        double v;
        const char* picture;
        const char* text;
    };
    const Case cases[] = {
        {1234.5, "999999.9", "  1234.5"}, {0, "999999.9", "     0.0"},   {-1.25, "999999.9", "    -1.3"},
        {1234567, "999999.9", "********"}, {12.34, "9999", "  12"},       {1234.5, "999,999.99", "  1,234.50"},
        {-12, "999,999", "    -12"},
    };
    for (const Case& c : cases) EXPECT_EQ(formatWithPicture(c.v, c.picture), c.text) << c.v << " " << c.picture;
}

class ZeroTest : public PlantFixture {};

TEST_F(ZeroTest, ZeroesSlotsWhoseDigitIsInCmportAtTheirAddresses) {
    for (int a : {1, 2, 3, 4, 5, 7, 8}) plant.setContents(a, 5);
    std::vector<std::pair<int, bool>> tried;
    IOZERO([&](int slot, bool ok) { tried.emplace_back(slot, ok); });
    const std::vector<std::pair<int, bool>> expected{{1, true}, {2, true}, {3, true}, {4, true},
                                                     {5, true}, {7, true}, {8, false}};
    EXPECT_EQ(tried, expected);
    // Slot 6 (address 7) is not chosen: no 6 in "01234578". Slot 7 talks to
    // address 8; slot 8 has no address and sends nothing.
    EXPECT_EQ(plant.weight(7), 5);
    EXPECT_EQ(plant.weight(8), 0);
    EXPECT_EQ(addressesHeard(plant), (std::vector<int>{1, 2, 3, 4, 5, 8}));
    ASSERT_EQ(op.calls.size(), 1u);
    EXPECT_EQ(op.calls[0].text, T("หัวอ่านที่ 8 = ERROR"));
    EXPECT_EQ(op.calls[0].title, "  ZERO FUNCTION");
    EXPECT_FALSE(serialLine().isOpen());
    EXPECT_FALSE(Publics::instance().exists("CMACTUAL"));
}

TEST_F(ZeroTest, EachFailedIndicatorGetsItsOwnMessage) {
    settings().CMPORT = "012345678";
    plant.setIndicatorFault(2, *sim::parseFault("silent"));
    plant.setIndicatorFault(4, *sim::parseFault("corrupt"));
    IOZERO();
    std::vector<std::string> texts;
    for (const auto& c : op.calls) texts.push_back(c.text);
    // The simulator has no indicator at address 6 (its own default), so 6 fails too.
    EXPECT_EQ(texts, (std::vector<std::string>{T("หัวอ่านที่ 2 = ERROR"), T("หัวอ่านที่ 4 = ERROR"),
                                               T("หัวอ่านที่ 6 = ERROR")}));
}

TEST(DeviceRightsTest, RefusedUntilTheLoginLayerInstallsItsCheck) {
    EXPECT_FALSE(deviceRightsCheckInstalled());
    EXPECT_FALSE(deviceRightsGranted(1, 1));
    setDeviceRightsCheck([](int area, int level) { return area == 1 && level <= 2; });
    EXPECT_TRUE(deviceRightsGranted(1, 1));
    EXPECT_FALSE(deviceRightsGranted(2, 1));
    setDeviceRightsCheck(nullptr);
    EXPECT_FALSE(deviceRightsGranted(1, 1));
}

}  // namespace
}  // namespace mp
