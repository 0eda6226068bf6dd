#pragma once

#include <string>
#include <vector>

#include "platform/runtime/publics.h"

namespace mp {

// What the program knows of the plant's devices while an operation talks to
// them: CMACTUAL (latest weight of each slot's indicator, in kilograms),
// POUTPUT (wanted state of the board's outputs 16 down to 1) and PINPUT
// (last inputs read, 8 down to 1), all texts of "0" and "1".
struct DeviceValues {
    std::vector<double> CMACTUAL = std::vector<double>(8, 0.0);
    std::string POUTPUT = std::string(16, '0');
    std::string PINPUT = std::string(8, '0');
};

// The process's device values.
DeviceValues& deviceValues();

// Receives what the devices report while an operation runs. The run display
// implements it to refresh its weight labels; every method has an empty default.
class DeviceObserver {
public:
    virtual ~DeviceObserver() = default;
    // A valid reply of slot `slot` (1..8) carried `kilograms`, and the
    // caller asked for the label refresh.
    virtual void weightShown(int slot, double kilograms) {}
};
// Installs `observer` (not owned; nullptr for none); returns the previous one.
DeviceObserver* setDeviceObserver(DeviceObserver* observer);
DeviceObserver* deviceObserver();

// Creates the device values for an operation (CMACTUAL eight zeros, POUTPUT
// sixteen "0", PINPUT eight "0") and registers their names for its lifetime.
// `withBoard` false registers only CMACTUAL, as zeroing does.
class DeviceValuesScope {
public:
    explicit DeviceValuesScope(bool withBoard = true);
    DeviceValuesScope(const DeviceValuesScope&) = delete;
    DeviceValuesScope& operator=(const DeviceValuesScope&) = delete;

private:
    PublicsScope m_names;
};

}  // namespace mp
