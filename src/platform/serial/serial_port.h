#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace mp {

// The line settings of a serial port as the plant writes them in its mode
// text "COMn:baud,parity,databits,stopbits".
struct LineSettings {
    int port = 1;          // the n of COMn (0..9)
    long baud = 9600;
    char parity = 'N';     // N, E, O, M (mark) or S (space), upper case
    int dataBits = 8;      // 5..8
    int stopBitsTimesTwo = 2;  // 2 = one, 3 = one and a half, 4 = two
};

// Reads a mode text such as "COM1:9600,N,8,1". The letters may be of either
// case; a baud rate may also be given by its first two digits as the classic
// mode command allows ("96" for 9600, "19" for 19200, "11" for 110). A field
// that is left empty or missing keeps its default (9600, N, 8, 1), so
// "COM1:19200,N,8," (stop bits cut off) is valid with one stop bit.
// Returns nothing when the text is not a mode text: no "COM" and digit, no
// colon, a field that is not a number or a known letter, data bits outside
// 5..8, stop bits other than 1, 1.5 or 2.
std::optional<LineSettings> parseLineSettings(std::string_view modeText);

// Bits of the error state that a port reports (read and cleared together).
namespace lineError {
constexpr int kFraming = 1;
constexpr int kParity = 2;
constexpr int kOverrun = 4;
constexpr int kBreak = 8;
constexpr int kHangUp = 16;  // the other end of the line went away
}  // namespace lineError

// One serial port. A port is opened by its device name, configured, then
// frames are written and the received bytes read without blocking. Only one
// thread uses a port at a time. Not copyable.
class SerialPort {
public:
    SerialPort() = default;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;
    virtual ~SerialPort() = default;

    // Opens the device; false when it is missing, busy or not a terminal.
    virtual bool open(const std::string& deviceName) = 0;
    // Applies the settings; false when the port refuses them (a rate or a
    // form the hardware cannot do). Requires an open port.
    virtual bool configure(const LineSettings& settings) = 0;
    // Hands all of `bytes` to the port before it returns; the count written.
    virtual size_t write(std::string_view bytes) = 0;
    // Copies up to `capacity` received bytes into `buffer` and returns how
    // many; 0 when none are waiting. Never blocks. Bytes are kept between
    // reads and delivered in arrival order.
    virtual size_t read(char* buffer, size_t capacity) = 0;
    // The error state (lineError bits) since the last call; reading clears it.
    virtual int takeErrors() = 0;
    // Returns when bytes may be waiting or after at most `seconds` (the
    // process's day clock is advanced by a simulated port). Never spins.
    virtual void waitForInput(double seconds) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

// The device a port digit names: "COMn=/path" in section "Comm" of the
// configuration file `iniPath` when that key exists (a pseudo-terminal of the
// simulator, a USB adapter), otherwise /dev/ttyS0 for COM1 up to /dev/ttyS8
// for COM9. Empty when there is neither (COM0 without a key).
std::string serialDeviceName(int port, const std::string& iniPath);

// The port that COPEN opens: a termios port unless a test or the in-process
// simulator installs a factory of its own.
using SerialPortFactory = std::function<std::unique_ptr<SerialPort>()>;
std::unique_ptr<SerialPort> makeSerialPort();
// Installs `factory`; an empty one restores the termios port. Returns the
// previous one.
SerialPortFactory setSerialPortFactory(SerialPortFactory factory);

// Installs a factory for the lifetime of the guard.
class ScopedSerialPortFactory {
public:
    explicit ScopedSerialPortFactory(SerialPortFactory f) : m_prev(setSerialPortFactory(std::move(f))) {}
    ~ScopedSerialPortFactory() { setSerialPortFactory(std::move(m_prev)); }
    ScopedSerialPortFactory(const ScopedSerialPortFactory&) = delete;
    ScopedSerialPortFactory& operator=(const ScopedSerialPortFactory&) = delete;

private:
    SerialPortFactory m_prev;
};

}  // namespace mp
