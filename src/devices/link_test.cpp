#include "devices/link.h"

#include "devices/board.h"
#include "devices/device_state.h"
#include "devices/indicator.h"
#include "devices/plant_fixture.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/publics.h"

namespace mp {
namespace {

class LinkTest : public PlantFixture {
protected:
    void SetUp() override { ASSERT_TRUE(COPEN()); }
    DeviceValuesScope values;
};

struct RecordingObserver : DeviceObserver {
    void weightShown(int slot, double kg) override { shown.emplace_back(slot, kg); }
    std::vector<std::pair<int, double>> shown;
};

TEST_F(LinkTest, ValidReplyUpdatesTheSlotAndOnlyAskedRefreshesTheLabel) {
    plant.setContents(7, 1234.5);  // slot 6 talks to address 7
    RecordingObserver obs;
    DeviceObserver* prev = setDeviceObserver(&obs);
    EXPECT_TRUE(HP_COMM(6, hp::kRead));
    EXPECT_EQ(port->written(), std::string("\x02\x07R!\r\n"));
    EXPECT_DOUBLE_EQ(deviceValues().CMACTUAL[5], 1234.5);
    EXPECT_TRUE(HP_COMM(6, hp::kRead, 0, 0, 0, 0, false));
    ASSERT_EQ(obs.shown.size(), 1u);
    EXPECT_EQ(obs.shown[0], std::make_pair(6, 1234.5));
    // Slot 8 has no indicator in "01234578": false, nothing written, no time.
    double t0 = now();
    EXPECT_FALSE(HP_COMM(8, hp::kRead));
    EXPECT_EQ(port->written().size(), 12u);
    EXPECT_EQ(since(t0), 0);
    setDeviceObserver(prev);
}

TEST_F(LinkTest, FailedReplyLeavesTheWeightAndCostsTheIdleLimit) {
    struct Case {
        const char* fault;
        double seconds;  // virtual time the command takes
    };
    const Case cases[] = {{"silent", 2.0}, {"corrupt", 0.01}, {"short", 0.01}, {"extra=3", 2.01}};
    deviceValues().CMACTUAL[0] = 77;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        plant.setIndicatorFault(1, *sim::parseFault(c.fault));
        double t0 = now();
        EXPECT_FALSE(HP_COMM(1, hp::kRead));
        EXPECT_NEAR(since(t0), c.seconds, 0.002);
        EXPECT_EQ(deviceValues().CMACTUAL[0], 77);
    }
}

TEST_F(LinkTest, IdleLimitRunsFromTheLastPieceReceived) {
    // Three pieces 1.5 s apart take 3 s in all, yet no gap reaches 2 s.
    plant.setIndicatorFault(1, *sim::parseFault("pieces=3,gap=1.5"));
    plant.setContents(1, 42);
    double t0 = now();
    EXPECT_TRUE(HP_COMM(1, hp::kRead));
    EXPECT_NEAR(since(t0), 3.01, 0.002);
    EXPECT_DOUBLE_EQ(deviceValues().CMACTUAL[0], 42);

    // A 2.5 s gap before the last piece: the reply is returned without it.
    plant.setIndicatorFault(1, *sim::parseFault("pieces=2,gap=2.5"));
    serialLine().writeFrame(*indicatorFrame(hp::kRead, 1, {}, 10, "HP04"));
    t0 = now();
    EXPECT_EQ(serialLine().indicatorReply().size(), 13u);
    EXPECT_NEAR(since(t0), 2.01, 0.002);
}

TEST_F(LinkTest, LeftoverBytesAreCollectedAtTheStartOfTheNextReply) {
    plant.setContents(1, 10);
    plant.setIndicatorFault(1, *sim::parseFault("late=2.5"));
    EXPECT_FALSE(HP_COMM(1, hp::kRead));  // gave up after 2 s; the answer comes later
    plant.setIndicatorFault(1, sim::Fault{});
    plant.setContents(1, 20);
    clock.advance(1.0);
    serialLine().writeFrame(*indicatorFrame(hp::kRead, 1, {}, 10, "HP04"));
    std::string text = serialLine().indicatorReply();
    // The late answer arrived first and is read at once, whole: it ends in
    // CR LF, so the reply is that old frame and the new one stays behind.
    ASSERT_EQ(text.size(), 26u);
    EXPECT_DOUBLE_EQ(indicatorReplyWeight(text, 10), 10);
    EXPECT_TRUE(HP_COMM(1, hp::kRead));  // takes the frame left behind first
    EXPECT_DOUBLE_EQ(deviceValues().CMACTUAL[0], 20);
}

TEST_F(LinkTest, WaitAcrossMidnightEndsAtOnce) {
    clock.set(86399.5, Date::fromYmd(2026, 3, 1));
    plant.setIndicatorFault(1, *sim::parseFault("silent"));
    double t0 = now();
    EXPECT_FALSE(HP_COMM(1, hp::kRead));
    EXPECT_LT(since(t0), 0.51);  // not the whole 2 s
    EXPECT_LT(clock.seconds(), 0.01);
    EXPECT_EQ(clock.today(), Date::fromYmd(2026, 3, 2));
}

TEST_F(LinkTest, BoardReplyJoinedFromPiecesAndSilentBoardCostsOneSecond) {
    plant.setBoardFault(*sim::parseFault("pieces=2,gap=0.6"));
    double t0 = now();
    EXPECT_TRUE(IOCONTROL('W', 1, 1));
    EXPECT_NEAR(since(t0), 0.61, 0.002);
    EXPECT_EQ(deviceValues().PINPUT, "00010101");
    EXPECT_TRUE(plant.output(1));

    plant.setBoardFault(*sim::parseFault("silent"));
    deviceValues().PINPUT = "11111111";
    t0 = now();
    EXPECT_FALSE(IOCONTROL('W', 5, 1));
    EXPECT_NEAR(since(t0), 1.0, 0.002);
    EXPECT_EQ(deviceValues().PINPUT, "11111111");   // kept
    EXPECT_EQ(deviceValues().POUTPUT, std::string(11, '0') + "10001");  // recorded anyway
    // The next frame carries it; extra bytes after a good reply do no harm.
    plant.setBoardFault(*sim::parseFault("extra=3"));
    EXPECT_TRUE(IOCONTROL('R'));
    EXPECT_TRUE(plant.output(5));
    plant.setBoardFault(*sim::parseFault("corrupt"));
    EXPECT_FALSE(IOCONTROL('C'));
    EXPECT_FALSE(plant.output(1));  // cleared, though the reply was bad
}

TEST_F(LinkTest, TooLargeSetPointIsRefusedAndReportedOnce) {
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(HP_COMM(1, hp::kSetPointsUp, 10000, 0, 0, 0));
    EXPECT_EQ(port->written(), "");
    ASSERT_EQ(errors.errors.size(), 1u);
    EXPECT_EQ(errors.errors[0].operation, "HP_COMM");
    EXPECT_TRUE(HP_COMM(1, hp::kSetPointsUp, 9999.9, 0, 0, 0));
    EXPECT_FALSE(HP_COMM(1, hp::kSetPointsUp, 10000, 0, 0, 0));
    EXPECT_EQ(errors.errors.size(), 2u);
}

class OpenTest : public PlantFixture {};

TEST_F(OpenTest, PortAndSettingsTextComeFromCcport) {
    struct Case {
        const char* ccport;
        std::string device;
        long baud;
        int stopTimesTwo;
    };
    const Case cases[] = {
        {"3:9600,N,8,1", "/dev/ttyS2", 9600, 2},
        {"1:19200,N,8,1", "/dev/ttyS0", 19200, 2},  // only 12 characters: stop bits lost
        {"2:4800,E,7,2", "/dev/ttyS1", 4800, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ccport);
        settings().CCPORT = c.ccport;
        ASSERT_TRUE(COPEN());
        EXPECT_EQ(port->deviceName(), c.device);
        EXPECT_EQ(port->settings().baud, c.baud);
        EXPECT_EQ(port->settings().stopBitsTimesTwo, c.stopTimesTwo);
        EXPECT_TRUE(Publics::instance().exists("NCOMMC"));
        closeLine();
        EXPECT_FALSE(Publics::instance().exists("NCOMMC"));
        EXPECT_FALSE(serialLine().isOpen());
    }
    EXPECT_TRUE(op.calls.empty());
}

TEST_F(OpenTest, UnusableSettingsShowTheMessageAndLeaveNothingOpen) {
    for (const char* ccport : {"1:9600,X,8,1", "1:9999,N,8,1", "", "A:9600,N,8,1"}) {
        SCOPED_TRACE(ccport);
        settings().CCPORT = ccport;
        // The termios port for these: a missing device or a refused text.
        ScopedSerialPortFactory real(nullptr);
        op.calls.clear();
        EXPECT_FALSE(COPEN());
        EXPECT_FALSE(serialLine().isOpen());
        EXPECT_FALSE(Publics::instance().exists("NCOMMC"));
        ASSERT_EQ(op.calls.size(), 1u);
        EXPECT_EQ(op.calls[0].text, T("ไม่สามารถเปิด COM.PORT ได้"));
        EXPECT_EQ(op.calls[0].title, T("  ส่วนการอ่านค่าน้ำหนัก"));
    }
}

TEST_F(OpenTest, SessionClosesOnEveryPath) {
    {
        LineSession s;
        EXPECT_TRUE(s.isOpen());
        EXPECT_TRUE(serialLine().isOpen());
    }
    EXPECT_FALSE(serialLine().isOpen());
}

}  // namespace
}  // namespace mp
