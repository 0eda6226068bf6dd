#include "devices/link.h"

#include <cctype>

#include "app/settings.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/dayclock.h"
#include "platform/runtime/error.h"
#include "platform/runtime/operator.h"

namespace mp {
namespace {

constexpr size_t kReadBuffer = 1024;
constexpr double kDay = 86400.0;

Publics::Registration& ncommcName() {
    Publics::instance();  // the registry is made first, so it outlives the registration
    static Publics::Registration reg;
    return reg;
}

}  // namespace

bool SerialLine::open(const std::string& ccport, const std::string& iniPath) {
    close();
    static double s_lastHandle = 0;
    std::string device;
    if (!ccport.empty() && std::isdigit(static_cast<unsigned char>(ccport[0])))
        device = serialDeviceName(ccport[0] - '0', iniPath);
    std::unique_ptr<SerialPort> port = makeSerialPort();
    if (!port->open(device)) return false;
    port->takeErrors();
    auto settings = parseLineSettings("COM" + ccport.substr(0, 12));
    if (!settings) return false;  // the port closes with `port`
    port->takeErrors();
    if (!port->configure(*settings)) return false;
    port->takeErrors();
    m_port = std::move(port);
    m_handle = ++s_lastHandle;
    return true;
}

void SerialLine::close() {
    if (!m_port) return;
    m_port->close();
    m_port.reset();
    m_handle = 0;
}

void SerialLine::writeFrame(std::string_view frame) {
    if (!m_port) return;
    m_port->write(frame);
    m_port->takeErrors();
}

std::string SerialLine::indicatorReply() { return collect(End::CrLf, kIndicatorIdleLimit); }

std::string SerialLine::boardReply() { return collect(End::Count, kBoardIdleLimit); }

bool SerialLine::complete(const std::string& text, End end) {
    if (end == End::Count) return text.size() >= kBoardReplyLength;
    return text.size() >= 2 && text[text.size() - 2] == '\r' && text.back() == '\n';
}

// The idle limit runs from the call and again from every piece received. The
// wait for the next piece sleeps in the port (poll) for the time that is left,
// but never past midnight: the clock then drops back to 0, the elapsed time
// jumps to nearly a day and the wait ends, as a wait across midnight always has.
std::string SerialLine::collect(End end, double idleLimit) {
    std::string text;
    if (!m_port) return text;
    DayClock& clock = dayClock();
    double mark = clock.seconds();
    char buffer[kReadBuffer];
    while (!complete(text, end)) {
        double now = clock.seconds();
        double elapsed = elapsedSeconds(mark, now);
        if (elapsed >= idleLimit) break;
        size_t n = m_port->read(buffer, sizeof buffer);
        m_port->takeErrors();
        if (n > 0) {
            text.append(buffer, n);
            mark = clock.seconds();
            continue;
        }
        double untilMidnight = kDay - now + 0.001;
        double wait = idleLimit - elapsed;
        m_port->waitForInput(wait < untilMidnight ? wait : untilMidnight);
    }
    return text;
}

SerialLine& serialLine() {
    static SerialLine line;
    return line;
}

bool COPEN() {
    MP_CALL_LEVEL("COPEN");
    closeLine();
    const Settings& s = settings();
    if (!serialLine().open(s.CCPORT, s.VARFILE)) {
        operatorUi().alert(T("ไม่สามารถเปิด COM.PORT ได้"), T("  ส่วนการอ่านค่าน้ำหนัก"));
        return false;
    }
    ncommcName() = Publics::instance().bindFunctions(
        "NCOMMC", [] { return Value(serialLine().handle()); });
    return true;
}

void closeLine() {
    ncommcName().release();
    serialLine().close();
}

}  // namespace mp
