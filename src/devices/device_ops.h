#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/runtime/publics.h"

namespace mp {

// IOZERO: zeroes every configured indicator. Opens the line (COPEN shows its
// own message when it cannot), sends the zero command to each slot n whose
// digit n occurs anywhere in CMPORT (to the address of the slot), and tells
// the operator "หัวอ่านที่ n = ERROR" (title "  ZERO FUNCTION") for each one
// that fails; the others are still zeroed. `slotDone`, when given, hears of
// every slot tried and its outcome. Returns false when the line could not be
// opened.
bool IOZERO(const std::function<void(int slot, bool ok)>& slotDone = {});

// Receives the lines of the device test as they change.
class DeviceTestObserver {
public:
    virtual ~DeviceTestObserver() = default;
    // Lines 1 to 8 went back to their start texts before a test.
    virtual void linesReset(const std::vector<std::string>& lines) {}
    // Line `line` (1..9) got the outcome of its exchange.
    virtual void lineDone(int line, const std::string& text) {}
};

// The device test: its nine line texts (CSAY, code page 874) live as long as
// the test screen; `start` is the start button (IOSTART).
class DeviceTest {
public:
    DeviceTest();  // registers CSAY with the start texts
    DeviceTest(const DeviceTest&) = delete;
    DeviceTest& operator=(const DeviceTest&) = delete;

    const std::vector<std::string>& lines() const { return m_lines; }
    // IOSTART: resets the lines, opens the line (stops when it cannot), clears
    // the set-points of slots 1 to 8 one by one and clears the board outputs,
    // each outcome on its own line with a short beep, and closes the line.
    // Returns false only when the line could not be opened.
    bool start(DeviceTestObserver* observer = nullptr);

    static std::vector<std::string> startTexts();

private:
    void finishLine(int line, std::string text, DeviceTestObserver* observer);

    std::vector<std::string> m_lines;
    PublicsScope m_names;
};

// A number shown with an edit picture such as "999999.9": as many places as
// the picture has before and after its point, rounded, commas of the picture
// kept between digits; stars when it does not fit. Leading blanks kept.
std::string formatWithPicture(double value, const std::string& picture);

// The rights check of guarded device actions (the zero button stands on the
// production screen: area 1, level 1). The login layer installs its AUTHCHK
// here. Until one is installed every guarded action is refused.
using DeviceRightsCheck = std::function<bool(int area, int level)>;
DeviceRightsCheck setDeviceRightsCheck(DeviceRightsCheck check);
bool deviceRightsGranted(int area, int level);
bool deviceRightsCheckInstalled();

}  // namespace mp
