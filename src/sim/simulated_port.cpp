#include "sim/simulated_port.h"

#include <algorithm>
#include <cstring>

namespace mp::sim {
namespace {
const Date kEpoch = Date::fromYmd(2000, 1, 1);
constexpr double kAfterDue = 1e-6;  // land just past a due time, never just short of it
}  // namespace

double lineTimeOf(const DayClock& clock) {
    return static_cast<double>(clock.today() - kEpoch) * 86400.0 + clock.seconds();
}

SimulatedSerialPort::SimulatedSerialPort(PlantModel& model, VirtualDayClock& clock)
    : m_model(model), m_clock(clock) {}

double SimulatedSerialPort::lineTime() const { return lineTimeOf(m_clock); }

bool SimulatedSerialPort::open(const std::string& deviceName) {
    m_model.advanceTo(lineTime());
    m_model.dropPending();  // a port opens with empty queues
    m_open = true;
    m_device = deviceName;
    m_received.clear();
    m_written.clear();
    return true;
}

bool SimulatedSerialPort::configure(const LineSettings& settings) {
    m_settings = settings;
    return m_open;
}

size_t SimulatedSerialPort::write(std::string_view bytes) {
    if (!m_open) return 0;
    m_written.append(bytes);
    m_model.receive(bytes, lineTime());
    return bytes.size();
}

size_t SimulatedSerialPort::read(char* buffer, size_t capacity) {
    if (!m_open) return 0;
    m_received += m_model.takeDue(lineTime());
    size_t n = std::min(capacity, m_received.size());
    std::memcpy(buffer, m_received.data(), n);
    m_received.erase(0, n);
    return n;
}

void SimulatedSerialPort::waitForInput(double seconds) {
    if (!m_open || seconds <= 0 || !m_received.empty()) return;
    double now = lineTime();
    double until = now + seconds;
    if (auto due = m_model.nextDue()) until = std::min(until, std::max(now, *due) + kAfterDue);
    m_clock.advance(until - now);
    m_model.advanceTo(lineTime());
}

void SimulatedSerialPort::close() {
    m_open = false;
    m_received.clear();
}

SerialPortFactory portFactory(PlantModel& model, VirtualDayClock& clock, SimulatedSerialPort** lastPort) {
    return [&model, &clock, lastPort]() -> std::unique_ptr<SerialPort> {
        auto port = std::make_unique<SimulatedSerialPort>(model, clock);
        if (lastPort) *lastPort = port.get();
        return port;
    };
}

}  // namespace mp::sim
