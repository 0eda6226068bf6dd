#include "platform/serial/posix_serial_port.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cmath>

namespace mp {
namespace {

speed_t speedOf(long baud) {
    static const struct { long baud; speed_t speed; } kRates[] = {
        {50, B50},         {75, B75},         {110, B110},       {134, B134},
        {150, B150},       {200, B200},       {300, B300},       {600, B600},
        {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
        {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
        {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
    };
    for (const auto& r : kRates)
        if (r.baud == baud) return r.speed;
    return B0;
}

tcflag_t sizeFlag(int dataBits) {
    switch (dataBits) {
        case 5: return CS5;
        case 6: return CS6;
        case 7: return CS7;
        default: return CS8;
    }
}

// Mark and space parity need CMSPAR: the parity bit is then fixed, to one
// with PARODD (mark) or to zero without it (space).
tcflag_t parityFlags(char parity) {
    switch (parity) {
        case 'E': return PARENB;
        case 'O': return PARENB | PARODD;
        case 'M': return PARENB | CMSPAR | PARODD;
        case 'S': return PARENB | CMSPAR;
        default: return 0;
    }
}

// One and a half stop bits exist only with five data bits, where the UART
// gives them for CSTOPB; two stop bits with five data bits cannot be had.
bool stopFlag(const LineSettings& s, tcflag_t& flag) {
    if (s.stopBitsTimesTwo == 2) { flag = 0; return true; }
    if (s.stopBitsTimesTwo == 3 && s.dataBits == 5) { flag = CSTOPB; return true; }
    if (s.stopBitsTimesTwo == 4 && s.dataBits != 5) { flag = CSTOPB; return true; }
    return false;
}

}  // namespace

PosixSerialPort::~PosixSerialPort() { close(); }

bool PosixSerialPort::open(const std::string& deviceName) {
    close();
    if (deviceName.empty()) return false;
    int fd = ::open(deviceName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    // A port opens with empty queues, whatever the line carried before.
    tcflush(fd, TCIOFLUSH);
    m_fd = fd;
    m_errors = 0;
    serial_icounter_struct c{};
    m_haveCounts = ioctl(m_fd, TIOCGICOUNT, &c) == 0;
    if (m_haveCounts) {
        m_counts[0] = c.frame;
        m_counts[1] = c.parity;
        m_counts[2] = c.overrun + c.buf_overrun;
        m_counts[3] = c.brk;
    }
    return true;
}

bool PosixSerialPort::configure(const LineSettings& s) {
    if (m_fd < 0) return false;
    speed_t speed = speedOf(s.baud);
    tcflag_t stop = 0;
    if (speed == B0 || !stopFlag(s, stop) || s.dataBits < 5 || s.dataBits > 8) return false;
    termios t{};
    if (tcgetattr(m_fd, &t) != 0) return false;
    cfmakeraw(&t);
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK | IGNPAR);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD | sizeFlag(s.dataBits) | parityFlags(s.parity) | stop;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0) return false;
    if (tcsetattr(m_fd, TCSANOW, &t) != 0) return false;
    // The driver may quietly drop a rate it cannot do; read back and compare.
    // (The character form is not compared: a pseudo-terminal always reports
    // eight bits without parity, whatever it was given.)
    termios check{};
    if (tcgetattr(m_fd, &check) != 0) return false;
    return cfgetospeed(&check) == speed;
}

size_t PosixSerialPort::write(std::string_view bytes) {
    if (m_fd < 0) return 0;
    size_t done = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (done < bytes.size()) {
        ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            m_errors |= lineError::kHangUp;
            break;
        }
        // The output queue is full: wait until it drains, but not for ever.
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{m_fd, POLLOUT, 0};
        poll(&p, 1, static_cast<int>(left.count()));
    }
    return done;
}

size_t PosixSerialPort::read(char* buffer, size_t capacity) {
    if (m_fd < 0 || capacity == 0) return 0;
    for (;;) {
        ssize_t n = ::read(m_fd, buffer, capacity);
        if (n > 0) return static_cast<size_t>(n);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EIO) m_errors |= lineError::kHangUp;
        return 0;
    }
}

void PosixSerialPort::noteCounterErrors() {
    if (!m_haveCounts) return;
    serial_icounter_struct c{};
    if (ioctl(m_fd, TIOCGICOUNT, &c) != 0) return;
    const int now[4] = {c.frame, c.parity, c.overrun + c.buf_overrun, c.brk};
    const int bits[4] = {lineError::kFraming, lineError::kParity, lineError::kOverrun, lineError::kBreak};
    for (int i = 0; i < 4; ++i) {
        if (now[i] != m_counts[i]) m_errors |= bits[i];
        m_counts[i] = now[i];
    }
}

int PosixSerialPort::takeErrors() {
    if (m_fd < 0) return 0;
    noteCounterErrors();
    int e = m_errors;
    m_errors = 0;
    return e;
}

void PosixSerialPort::waitForInput(double seconds) {
    if (m_fd < 0 || seconds <= 0) return;
    pollfd p{m_fd, POLLIN, 0};
    int ms = static_cast<int>(std::ceil(seconds * 1000.0));
    int r = poll(&p, 1, ms);
    // A hung-up line reports POLLHUP at once; wait out the time instead of
    // letting the caller spin on it.
    if (r > 0 && !(p.revents & POLLIN) && (p.revents & (POLLHUP | POLLERR))) {
        m_errors |= lineError::kHangUp;
        usleep(static_cast<useconds_t>(ms) * 1000);
    }
}

void PosixSerialPort::close() {
    if (m_fd < 0) return;
    flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

}  // namespace mp
