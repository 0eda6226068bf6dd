#pragma once

// A test fixture: the default settings, a virtual day clock, the scripted
// operator and the plant simulator behind the serial line, in process.

#include <gtest/gtest.h>

#include "app/settings.h"
#include "devices/link.h"
#include "platform/runtime/dayclock.h"
#include "platform/runtime/error.h"
#include "platform/runtime/operator.h"
#include "sim/plant_model.h"
#include "sim/simulated_port.h"

namespace mp {

class PlantFixture : public ::testing::Test {
protected:
    PlantFixture() : m_factory(sim::portFactory(plant, clock, &port)), m_op(&op), m_errors(&errors) {
        defaultSettings(settings());
        setDayClock(&clock);
    }
    ~PlantFixture() override {
        closeLine();
        setDayClock(nullptr);
    }
    // Line time passed on the virtual clock since `from`.
    double since(double from) const { return sim::lineTimeOf(clock) - from; }
    double now() const { return sim::lineTimeOf(clock); }

    VirtualDayClock clock;
    sim::PlantModel plant;
    sim::SimulatedSerialPort* port = nullptr;  // the port COPEN opened last
    ScriptedOperator op;
    RecordingErrorHandler errors;

private:
    ScopedSerialPortFactory m_factory;
    ScopedOperator m_op;
    ScopedErrorHandler m_errors;
};

}  // namespace mp
