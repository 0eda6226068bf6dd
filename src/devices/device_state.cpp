#include "devices/device_state.h"

namespace mp {
namespace {
DeviceObserver* g_observer = nullptr;
}

DeviceValues& deviceValues() {
    static DeviceValues values;
    return values;
}

DeviceObserver* setDeviceObserver(DeviceObserver* observer) {
    DeviceObserver* prev = g_observer;
    g_observer = observer;
    return prev;
}

DeviceObserver* deviceObserver() { return g_observer; }

DeviceValuesScope::DeviceValuesScope(bool withBoard) {
    DeviceValues& v = deviceValues();
    v = DeviceValues{};
    m_names.bind("CMACTUAL", v.CMACTUAL);
    if (withBoard) {
        m_names.bind("POUTPUT", v.POUTPUT);
        m_names.bind("PINPUT", v.PINPUT);
    }
}

}  // namespace mp
