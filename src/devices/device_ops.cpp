#include "devices/device_ops.h"

#include <cmath>
#include <cstdio>

#include "app/settings.h"
#include "devices/board.h"
#include "devices/device_state.h"
#include "devices/indicator.h"
#include "devices/link.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/error.h"
#include "platform/runtime/operator.h"

namespace mp {
namespace {

constexpr int kBeepHertz = 500;
constexpr int kBeepMs = 55;  // one tick of the old PC clock

std::string trimBlanks(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

DeviceRightsCheck& rightsCheck() {
    static DeviceRightsCheck check;
    return check;
}

}  // namespace

bool IOZERO(const std::function<void(int, bool)>& slotDone) {
    MP_CALL_LEVEL("IOZERO");
    DeviceValuesScope values(false);
    LineSession line;
    if (!line.isOpen()) return false;
    const std::string cmport = settings().CMPORT;
    for (int n = 1; n <= 8; ++n) {
        if (cmport.find(static_cast<char>('0' + n)) == std::string::npos) continue;
        bool ok = HP_COMM(n, hp::kZero, 0, 0, 0, 0, false);
        if (slotDone) slotDone(n, ok);
        if (!ok) operatorUi().alert(T("หัวอ่านที่ ") + std::to_string(n) + " = ERROR", "  ZERO FUNCTION");
    }
    return true;
}

std::vector<std::string> DeviceTest::startTexts() {
    std::vector<std::string> lines;
    for (int n = 1; n <= 8; ++n) lines.push_back(T("การสื่อสารกับหัวอ่านที่ ") + std::to_string(n));
    lines.push_back(T("การสื่อสารกับกล่องควบคุม"));
    return lines;
}

DeviceTest::DeviceTest() : m_lines(startTexts()) { m_names.bind("CSAY", m_lines); }

void DeviceTest::finishLine(int line, std::string text, DeviceTestObserver* observer) {
    m_lines[line - 1] = std::move(text);
    if (observer) observer->lineDone(line, m_lines[line - 1]);
    operatorUi().beep(kBeepHertz, kBeepMs);
}

bool DeviceTest::start(DeviceTestObserver* observer) {
    m_lines = startTexts();
    if (observer) observer->linesReset(std::vector<std::string>(m_lines.begin(), m_lines.begin() + 8));
    DeviceValuesScope values;
    LineSession line;
    if (!line.isOpen()) return false;
    const std::string picture = settings().CFORMAT;
    for (int n = 1; n <= 8; ++n) {
        std::string text = T("หัวอ่านที่ ") + std::to_string(n);
        if (HP_COMM(n, hp::kSetPointsUp, 0, 0, 0, 0, false))
            text += " = " + trimBlanks(formatWithPicture(deviceValues().CMACTUAL[n - 1], picture));
        else
            text += " = ERROR";
        finishLine(n, text, observer);
    }
    finishLine(9, T("กล่องควบคุม = ") + (IOCONTROL('C') ? "OK" : "ERROR"), observer);
    return true;
}

std::string formatWithPicture(double value, const std::string& picture) {
    size_t point = picture.find('.');
    std::string whole = picture.substr(0, point);
    int decimals = 0;
    if (point != std::string::npos)
        for (char c : picture.substr(point + 1)) decimals += (c == '9' || c == '#');
    // Halves round away from zero, as the plant's displays always have.
    double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.*f", decimals, rounded);
    std::string text = digits;
    std::string intPart = text.substr(0, text.find('.'));
    std::string fraction = decimals > 0 ? text.substr(text.find('.')) : "";
    // Fill the whole part of the picture from the right.
    std::string out(whole.size(), ' ');
    int src = static_cast<int>(intPart.size()) - 1;
    for (int i = static_cast<int>(whole.size()) - 1; i >= 0; --i) {
        char p = whole[i];
        if (p == ',') {
            out[i] = src >= 0 && intPart[src] != '-' ? ',' : ' ';
        } else if (src >= 0) {
            out[i] = intPart[src--];
        }
    }
    if (src >= 0) return std::string(picture.size(), '*');  // does not fit
    return out + fraction;
}

DeviceRightsCheck setDeviceRightsCheck(DeviceRightsCheck check) {
    DeviceRightsCheck prev = std::move(rightsCheck());
    rightsCheck() = std::move(check);
    return prev;
}

bool deviceRightsGranted(int area, int level) { return rightsCheck() && rightsCheck()(area, level); }

bool deviceRightsCheckInstalled() { return static_cast<bool>(rightsCheck()); }

}  // namespace mp
