#include "devices/indicator.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "app/settings.h"
#include "devices/device_state.h"
#include "devices/link.h"
#include "platform/runtime/error.h"
#include "platform/runtime/numtext.h"

namespace mp {
namespace {

constexpr char STX = 0x02;
const char* const kCrLf = "\r\n";

std::string fiveDigits(long counts) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%05ld", counts);
    return buf;
}

// The four set-point fields, or nothing when one does not fit.
std::optional<std::string> setPointFields(const std::array<double, 4>& values, double factor) {
    std::string fields;
    for (double kg : values) {
        long counts = setPointCounts(kg, factor);
        if (counts > kMaxSetPointCounts) return std::nullopt;
        fields += fiveDigits(counts);
    }
    return fields;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A refused set-point is reported once, not on every poll that retries it;
// once a frame of the slot goes out, the next refusal is reported again.
std::array<std::string, 9> g_lastRefused;

void reportRefusedSetPoint(int slot, int code, const std::array<double, 4>& values, double factor) {
    std::string& s_lastReported = g_lastRefused[slot];
    std::string key = std::to_string(code);
    for (double v : values) key += "," + std::to_string(setPointCounts(v, factor));
    if (s_lastReported == key) return;
    s_lastReported = key;
    ErrorRecord e;
    e.genCode = gen::kLimit;
    e.subsystem = "DEVICE";
    e.subCode = slot;
    e.description = "set-point above 99999 indicator counts, not sent";
    e.operation = "HP_COMM";
    e.args = std::vector<Value>{Value(slot), Value(code), Value(values[0]), Value(values[1]),
                                Value(values[2]), Value(values[3])};
    raiseError(e);
}

}  // namespace

std::string SENDCS(std::string_view frame) {
    unsigned sum = 0;
    for (char c : frame) sum += static_cast<unsigned char>(c);
    std::string out(frame);
    out += static_cast<char>(sum % 256);
    out += kCrLf;
    return out;
}

int slotAddress(int slot, std::string_view cmport) {
    if (slot < 1 || slot > 8 || cmport.size() < static_cast<size_t>(slot) + 1) return 0;
    char c = cmport[slot];
    return std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : 0;
}

long setPointCounts(double kilograms, double factor) {
    double counts = std::round(kilograms * factor);  // halves away from zero
    if (!(counts > 0)) return 0;                     // negatives (and NaN) to 0
    if (counts > 1e9) return 1000000000L;
    return static_cast<long>(counts);
}

std::optional<std::string> indicatorFrame(int code, int address, const std::array<double, 4>& values,
                                          double factor, std::string_view indicatorType) {
    const std::string head = std::string(1, STX) + static_cast<char>(address);
    switch (code) {
        case hp::kRead: return head + "R!" + kCrLf;
        case hp::kSetPointsUp:
        case hp::kSetPointsOut: {
            auto fields = setPointFields(values, factor);
            if (!fields) return std::nullopt;
            return SENDCS(head + (code == hp::kSetPointsUp ? "G" : "g") + *fields);
        }
        case hp::kSetPoint2: {
            long counts = setPointCounts(values[0], factor);
            if (counts > kMaxSetPointCounts) return std::nullopt;
            return head + "S2" + fiveDigits(counts) + kCrLf;
        }
        case hp::kFunction08: return head + "F" + std::string(1, '\x08') + kCrLf;
        case hp::kFunction00: return head + "F" + std::string(1, '\0') + kCrLf;
        case hp::kFunctionFE: return head + "F" + std::string(1, '\xFE') + kCrLf;
        case hp::kDischarge:
            return head + "O" + (startsWith(indicatorType, "HP11") ? "00001000" : "10000000") + kCrLf;
        case hp::kZero: return head + "Z" + kCrLf;
        default: return std::string();
    }
}

bool indicatorReplyValid(std::string_view reply) {
    return reply.size() >= kMinIndicatorReply && reply[0] == STX &&
           reply.substr(reply.size() - 2) == kCrLf;
}

double indicatorReplyWeight(std::string_view reply, double factor) {
    double counts = numberOf(reply.substr(2, 8));
    return factor == 0 ? 0 : counts / factor;  // a division by zero gives 0
}

double indicatorFactor() { return numberOf(settings().CDFIX); }

bool HP_COMM(int slot, int code, double v1, double v2, double v3, double v4, bool refresh) {
    MP_CALL_LEVEL("HP_COMM");
    const Settings& s = settings();
    int address = slotAddress(slot, s.CMPORT);
    if (address == 0) return false;
    const std::array<double, 4> values{v1, v2, v3, v4};
    double factor = indicatorFactor();
    auto frame = indicatorFrame(code, address, values, factor, s.CINDIC);
    if (!frame) {
        reportRefusedSetPoint(slot, code, values, factor);
        return false;
    }
    g_lastRefused[slot].clear();
    SerialLine& line = serialLine();
    if (!frame->empty()) line.writeFrame(*frame);
    std::string reply = line.indicatorReply();
    if (!indicatorReplyValid(reply)) return false;
    double kg = indicatorReplyWeight(reply, factor);
    deviceValues().CMACTUAL[slot - 1] = kg;
    if (refresh && deviceObserver()) deviceObserver()->weightShown(slot, kg);
    return true;
}

}  // namespace mp
