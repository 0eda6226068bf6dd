#include "platform/serial/serial_port.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "platform/serial/posix_serial_port.h"
#include "platform/serial/pseudo_terminal.h"

namespace mp {
namespace {

TEST(LineSettingsTest, ValidModeTexts) {
    struct Case {
        const char* text;
        int port;
        long baud;
        char parity;
        int dataBits;
        int stopTimesTwo;
    };
    const Case cases[] = {
        {"COM1:9600,N,8,1", 1, 9600, 'N', 8, 2},
        {"COM3:9600,N,8,1", 3, 9600, 'N', 8, 2},
        {"com2:4800,e,7,2", 2, 4800, 'E', 7, 4},
        {"COM1:19200,N,8,", 1, 19200, 'N', 8, 2},  // stop bits cut off by the 12 characters
        {"COM1:96,O,8,1", 1, 9600, 'O', 8, 2},     // short form of the rate
        {"COM1:1200,M,5,1.5", 1, 1200, 'M', 5, 3},
        {"COM1:1200,S,6,1", 1, 1200, 'S', 6, 2},
        {"COM1:", 1, 9600, 'N', 8, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto s = parseLineSettings(c.text);
        ASSERT_TRUE(s.has_value());
        EXPECT_EQ(s->port, c.port);
        EXPECT_EQ(s->baud, c.baud);
        EXPECT_EQ(s->parity, c.parity);
        EXPECT_EQ(s->dataBits, c.dataBits);
        EXPECT_EQ(s->stopBitsTimesTwo, c.stopTimesTwo);
    }
}

TEST(LineSettingsTest, InvalidModeTexts) {
    const char* cases[] = {
        "COM1:9600,X,8,1", "COM1:9600,N,9,1", "COM1:9600,N,4,1",   "COM1:9600,N,8,3",
        "COM1:fast,N,8,1", "COM1:9600,N,8,1,0", "COMX:9600,N,8,1", "COM19600,N,8,1",
        "LPT1:9600,N,8,1", "",
    };
    for (const char* text : cases) EXPECT_FALSE(parseLineSettings(text).has_value()) << text;
}

TEST(SerialDeviceNameTest, DefaultsAndMainIniKeys) {
    std::string ini = ::testing::TempDir() + "serial_names.ini";
    {
        std::ofstream f(ini, std::ios::binary);
        f << "[Comm]\r\nScale=1:9600,N,8,1\r\nCOM2=/tmp/mixplant-link\r\n";
    }
    EXPECT_EQ(serialDeviceName(1, ini), "/dev/ttyS0");
    EXPECT_EQ(serialDeviceName(9, ini), "/dev/ttyS8");
    EXPECT_EQ(serialDeviceName(2, ini), "/tmp/mixplant-link");
    EXPECT_EQ(serialDeviceName(0, ini), "");
    EXPECT_EQ(serialDeviceName(3, ini + ".missing"), "/dev/ttyS2");
    std::remove(ini.c_str());
}

class PtyPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.create());
        ASSERT_TRUE(port.open(pty.slavePath()));
        ASSERT_TRUE(port.configure(*parseLineSettings("COM1:9600,N,8,1")));
    }
    std::string drainMaster() {
        std::string got;
        char buf[256];
        for (int i = 0; i < 50; ++i) {
            ssize_t n = ::read(pty.masterFd(), buf, sizeof buf);
            if (n > 0) got.append(buf, static_cast<size_t>(n));
            else if (!got.empty()) break;
            else usleep(2000);
        }
        return got;
    }
    PseudoTerminal pty;
    PosixSerialPort port;
};

TEST_F(PtyPortTest, BytesPassUnchangedBothWays) {
    // Control bytes, CR/LF and high bytes must pass raw: no echo, no mapping.
    const std::string frame("\x02\x01G0480004500035000000\x27\r\n\x00\xff", 27);
    EXPECT_EQ(port.write(frame), frame.size());
    EXPECT_EQ(drainMaster(), frame);

    char buf[1024];
    EXPECT_EQ(port.read(buf, sizeof buf), 0u);  // nothing waiting: no block
    const std::string reply("\x02\x01 0012345\r\r\n", 13);
    ASSERT_EQ(::write(pty.masterFd(), reply.data(), reply.size()), ssize_t(reply.size()));
    port.waitForInput(1.0);
    std::string got;
    for (int i = 0; i < 50 && got.size() < reply.size(); ++i) {
        got.append(buf, port.read(buf, sizeof buf));
        if (got.size() < reply.size()) port.waitForInput(0.01);
    }
    EXPECT_EQ(got, reply);
    EXPECT_EQ(drainMaster(), "");  // nothing echoed back to the devices
    EXPECT_EQ(port.takeErrors(), 0);
}

TEST_F(PtyPortTest, WaitReturnsAfterItsTimeWithoutInput) {
    auto t0 = std::chrono::steady_clock::now();
    port.waitForInput(0.2);
    double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_GE(waited, 0.19);
}

TEST_F(PtyPortTest, SecondOpenIsBusy) {
    PosixSerialPort other;
    EXPECT_FALSE(other.open(pty.slavePath()));
    port.close();
    EXPECT_TRUE(other.open(pty.slavePath()));
}

TEST_F(PtyPortTest, SettingsTheLineCannotCarryAreRefused) {
    struct Case {
        const char* text;
        bool ok;
    };
    const Case cases[] = {
        {"COM1:19200,E,7,2", true},
        {"COM1:1200,M,8,1", true},
        {"COM1:1200,S,8,1", true},
        {"COM1:1200,N,5,1.5", true},
        {"COM1:9600,N,8,1.5", false},  // one and a half only with five data bits
        {"COM1:9600,N,5,2", false},
        {"COM1:12345,N,8,1", false},   // no such rate
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(port.configure(*parseLineSettings(c.text)), c.ok);
    }
}

TEST(PosixPortTest, MissingOrNonTerminalDeviceDoesNotOpen) {
    PosixSerialPort port;
    EXPECT_FALSE(port.open("/nonexistent/ttyS9"));
    EXPECT_FALSE(port.open("/dev/null"));
    EXPECT_FALSE(port.open(""));
    EXPECT_FALSE(port.isOpen());
}

}  // namespace
}  // namespace mp
