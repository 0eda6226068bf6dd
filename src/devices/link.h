#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/runtime/publics.h"
#include "platform/serial/serial_port.h"

namespace mp {

// Idle limits of the two kinds of reply, in seconds: the collection gives up
// when nothing has arrived for this long since the command or since the last
// piece received.
constexpr double kIndicatorIdleLimit = 2.0;
constexpr double kBoardIdleLimit = 1.0;
// A board reply is complete at this many bytes.
constexpr size_t kBoardReplyLength = 7;

// The one serial line that every indicator and the board share (NCOMMC while
// open). An operation that talks to the plant opens it, exchanges frames one
// command and one reply at a time, and closes it when it ends.
class SerialLine {
public:
    SerialLine() = default;
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Opens the port named by the first character of `ccport` (COM1 ...,
    // mapped through section "Comm" of `iniPath`) with the mode text "COM"
    // and the first 12 characters of `ccport`. False, with nothing left open,
    // when the port cannot be opened or refuses the settings.
    bool open(const std::string& ccport, const std::string& iniPath);
    void close();
    bool isOpen() const { return m_port != nullptr; }
    // The handle number NCOMMC holds (a new one for every opening).
    double handle() const { return m_handle; }

    // Writes the whole frame, then reads and clears the error state.
    void writeFrame(std::string_view frame);
    // REPLY: collects until the text ends with CR LF or 2 s pass idle.
    std::string indicatorReply();
    // Collects until 7 bytes are in or 1 s passes idle.
    std::string boardReply();

private:
    enum class End { CrLf, Count };
    std::string collect(End end, double idleLimit);
    static bool complete(const std::string& text, End end);

    std::unique_ptr<SerialPort> m_port;
    double m_handle = 0;
};

// The process's line.
SerialLine& serialLine();

// COPEN: opens the process's line with CCPORT and registers NCOMMC. On
// failure shows "ไม่สามารถเปิด COM.PORT ได้" to the operator and returns false.
bool COPEN();
// Closes the process's line and releases NCOMMC. Harmless when closed.
void closeLine();

// Opens the line for the lifetime of an operation and closes it on every path.
class LineSession {
public:
    LineSession() : m_open(COPEN()) {}
    ~LineSession() {
        if (m_open) closeLine();
    }
    LineSession(const LineSession&) = delete;
    LineSession& operator=(const LineSession&) = delete;
    bool isOpen() const { return m_open; }

private:
    bool m_open;
};

}  // namespace mp
