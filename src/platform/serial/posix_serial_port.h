#pragma once

#include <string>

#include "platform/serial/serial_port.h"

namespace mp {

// A serial port through termios: raw mode (no echo, no line editing, no
// translation of CR or LF, no flow control), the receiver on, modem lines
// ignored so that pseudo-terminals work as well as real ports. The kernel
// keeps received bytes between reads (4096 bytes and more).
//
// The device is locked with flock() while open, so a second program that
// uses this class sees the port as busy, as the plant's other tools do.
// Errors: framing, parity, overrun and break are taken from the driver's
// counters where the driver keeps them (real UARTs); pseudo-terminals have
// none and report only a hang-up.
class PosixSerialPort : public SerialPort {
public:
    PosixSerialPort() = default;
    ~PosixSerialPort() override;

    bool open(const std::string& deviceName) override;
    bool configure(const LineSettings& settings) override;
    size_t write(std::string_view bytes) override;
    size_t read(char* buffer, size_t capacity) override;
    int takeErrors() override;
    void waitForInput(double seconds) override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }

    int fd() const { return m_fd; }

private:
    void noteCounterErrors();

    int m_fd = -1;
    int m_errors = 0;
    bool m_haveCounts = false;
    int m_counts[4] = {0, 0, 0, 0};  // frame, parity, overrun, brk
};

}  // namespace mp
