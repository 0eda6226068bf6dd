#include "sim/plant_config.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "platform/runtime/files.h"
#include "platform/runtime/ini.h"

namespace mp::sim {
namespace {

bool toNumber(std::string_view text, double& out) {
    std::string s(text);
    if (s.empty()) return false;
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (end == s.c_str() || *end != '\0' || !(v >= 0)) return false;
    out = v;
    return true;
}

std::vector<std::string> items(std::string_view faultText) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : faultText) {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!cur.empty()) out.push_back(cur);
            cur.clear();
        } else {
            cur += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}

bool fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

bool applyFaultItem(const std::string& item, Fault& f, std::string* error) {
    size_t eq = item.find('=');
    std::string name = item.substr(0, eq);
    double v = 0;
    bool hasValue = eq != std::string::npos && toNumber(item.substr(eq + 1), v);
    if (eq == std::string::npos) {
        if (name == "silent") f.silent = true;
        else if (name == "corrupt") f.corrupt = true;
        else if (name == "short") f.shortFrame = true;
        else if (name == "none") f = Fault{};
        else return fail(error, "unknown fault \"" + item + "\"");
        return true;
    }
    if (!hasValue) return fail(error, "bad number in fault \"" + item + "\"");
    if (name == "late") f.late = v;
    else if (name == "gap") f.gap = v;
    else if (name == "pieces" && v >= 1 && v <= 64) f.pieces = static_cast<int>(v);
    else if (name == "extra" && v <= 1024) f.extra = static_cast<int>(v);
    else return fail(error, "unknown fault \"" + item + "\"");
    return true;
}

struct NumberKey {
    const char* key;
    double IndicatorConfig::*field;
};
const NumberKey kIndicatorKeys[] = {
    {"LargeRate", &IndicatorConfig::largeRate},     {"MediumRate", &IndicatorConfig::mediumRate},
    {"SmallRate", &IndicatorConfig::smallRate},     {"InFlight", &IndicatorConfig::inFlight},
    {"Settle", &IndicatorConfig::settle},           {"DischargeRate", &IndicatorConfig::dischargeRate},
    {"StartWeight", &IndicatorConfig::startWeight}, {"RefillBelow", &IndicatorConfig::refillBelow},
};

bool readIndicator(const IniFile& ini, const std::string& section, IndicatorConfig& c, std::string* error) {
    for (const NumberKey& k : kIndicatorKeys) {
        if (!ini.has(section, k.key)) continue;
        if (!toNumber(ini.get(section, k.key, ""), c.*k.field))
            return fail(error, "[" + section + "] " + k.key + " is not a number");
    }
    if (ini.has(section, "Fault")) {
        auto f = parseFault(ini.get(section, "Fault", ""), error);
        if (!f) return false;
        c.fault = *f;
    }
    return true;
}

bool readPlant(const IniFile& ini, PlantConfig& c, std::string* error) {
    const char* s = "Plant";
    if (ini.has(s, "Addresses")) c.addresses = ini.get(s, "Addresses", c.addresses);
    const struct { const char* key; double* field; } numbers[] = {
        {"Factor", &c.factor}, {"Speed", &c.speed}, {"AnswerDelay", &c.answerDelay}};
    for (const auto& n : numbers)
        if (ini.has(s, n.key) && !toNumber(ini.get(s, n.key, ""), *n.field))
            return fail(error, std::string("[Plant] ") + n.key + " is not a number");
    if (c.speed <= 0) return fail(error, "[Plant] Speed must be above 0");
    std::string mode = ini.get(s, "Mode", c.weighOut ? "out" : "up");
    if (mode != "up" && mode != "out") return fail(error, "[Plant] Mode is up or out");
    c.weighOut = mode == "out";
    c.bagPresent = ini.get(s, "Bag", c.bagPresent ? "1" : "0") != "0";
    return true;
}

}  // namespace

std::optional<Fault> parseFault(std::string_view faultText, std::string* error) {
    Fault f;
    for (const std::string& item : items(faultText))
        if (!applyFaultItem(item, f, error)) return std::nullopt;
    return f;
}

bool loadPlantConfig(const std::string& path, PlantConfig& config, std::string* error) {
    if (!fileExists(path)) return fail(error, "cannot read " + path);
    IniFile ini(path);
    if (!readPlant(ini, config, error)) return false;
    for (auto& ind : config.indicators)
        if (!readIndicator(ini, "Indicator", ind, error)) return false;
    for (int a = 0; a <= 9; ++a)
        if (!readIndicator(ini, "Indicator" + std::to_string(a), config.indicators[a], error)) return false;
    if (ini.has("Board", "Fault")) {
        auto f = parseFault(ini.get("Board", "Fault", ""), error);
        if (!f) return false;
        config.boardFault = *f;
    }
    for (int m = 0; m < 2; ++m) {
        std::string sec = "Mixer" + std::to_string(m + 1);
        MixerConfig& mc = config.mixers[m];
        if (ini.has(sec, "DischargeDelay") && !toNumber(ini.get(sec, "DischargeDelay", ""), mc.dischargeDelay))
            return fail(error, "[" + sec + "] DischargeDelay is not a number");
        mc.neverReady = ini.get(sec, "NeverReady", mc.neverReady ? "1" : "0") != "0";
    }
    return true;
}

bool applyFaultOption(std::string_view option, PlantConfig& config, std::string* error) {
    size_t colon = option.find(':');
    if (colon == std::string_view::npos) return fail(error, "--fault wants DEVICE:FAULT");
    std::string device(option.substr(0, colon));
    auto f = parseFault(option.substr(colon + 1), error);
    if (!f) return false;
    if (device == "board") {
        config.boardFault = *f;
    } else if (device.size() == 1 && std::isdigit(static_cast<unsigned char>(device[0]))) {
        config.indicators[device[0] - '0'].fault = *f;
    } else {
        return fail(error, "--fault device is an address digit or \"board\"");
    }
    return true;
}

}  // namespace mp::sim
