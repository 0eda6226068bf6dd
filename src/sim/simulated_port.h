#pragma once

#include <string>

#include "platform/runtime/dayclock.h"
#include "platform/serial/serial_port.h"
#include "sim/plant_model.h"

namespace mp::sim {

// A serial port whose far end is a PlantModel, on a virtual day clock: the
// plant answers in virtual time, and waiting for an answer moves the clock on
// to the moment the answer's next byte is due (or to the end of the wait),
// so whole sequences run without real time passing. The model moves with the
// clock however it is moved (a timer tick advancing it, a wait here).
//
//   sim::PlantModel plant;                    // default plant of a default MAIN.INI
//   VirtualDayClock clock;
//   setDayClock(&clock);
//   ScopedSerialPortFactory f(sim::portFactory(plant, clock));
//   ... COPEN(), HP_COMM(...), IOCONTROL(...) talk to `plant` ...
//
// The model and the clock must outlive the port.
class SimulatedSerialPort : public SerialPort {
public:
    SimulatedSerialPort(PlantModel& model, VirtualDayClock& clock);

    // Any name opens: the line has only this plant on it.
    bool open(const std::string& deviceName) override;
    bool configure(const LineSettings& settings) override;
    size_t write(std::string_view bytes) override;
    size_t read(char* buffer, size_t capacity) override;
    int takeErrors() override { return 0; }
    void waitForInput(double seconds) override;
    void close() override;
    bool isOpen() const override { return m_open; }

    const std::string& deviceName() const { return m_device; }
    const LineSettings& settings() const { return m_settings; }
    // Everything written to the plant since the port was opened.
    const std::string& written() const { return m_written; }

private:
    double lineTime() const;

    PlantModel& m_model;
    VirtualDayClock& m_clock;
    bool m_open = false;
    std::string m_device;
    LineSettings m_settings;
    std::string m_received;  // taken from the plant, not yet read
    std::string m_written;
};

// Line time of a day clock: days and seconds since a fixed day, so a plant
// runs on across midnight.
double lineTimeOf(const DayClock& clock);

// A port factory for ScopedSerialPortFactory that opens simulated ports on
// `model` and `clock`; each port it makes is recorded in `lastPort` when given
// (valid while that port is open: closing the line destroys it).
SerialPortFactory portFactory(PlantModel& model, VirtualDayClock& clock,
                              SimulatedSerialPort** lastPort = nullptr);

}  // namespace mp::sim
