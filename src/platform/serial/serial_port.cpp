#include "platform/serial/serial_port.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "platform/runtime/ini.h"
#include "platform/serial/posix_serial_port.h"

namespace mp {
namespace {

std::string trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return std::string(s.substr(b, e - b));
}

std::vector<std::string> splitFields(std::string_view s) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t comma = s.find(',', start);
        fields.push_back(trim(s.substr(start, comma == std::string_view::npos ? comma : comma - start)));
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

bool allDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// The classic mode command's two-digit short forms of the baud rate.
long baudFromField(const std::string& f) {
    if (!allDigits(f)) return -1;
    static const struct { const char* text; long baud; } kShort[] = {
        {"11", 110},   {"15", 150},   {"30", 300},   {"60", 600},  {"12", 1200},
        {"24", 2400},  {"48", 4800},  {"96", 9600},  {"19", 19200},
    };
    for (const auto& s : kShort)
        if (f == s.text) return s.baud;
    return std::atol(f.c_str());
}

bool applyParity(const std::string& f, LineSettings& out) {
    if (f.empty()) return true;
    if (f.size() != 1) return false;
    char p = static_cast<char>(std::toupper(static_cast<unsigned char>(f[0])));
    if (p != 'N' && p != 'E' && p != 'O' && p != 'M' && p != 'S') return false;
    out.parity = p;
    return true;
}

bool applyStopBits(const std::string& f, LineSettings& out) {
    if (f.empty()) return true;
    if (f == "1") out.stopBitsTimesTwo = 2;
    else if (f == "1.5") out.stopBitsTimesTwo = 3;
    else if (f == "2") out.stopBitsTimesTwo = 4;
    else return false;
    return true;
}

SerialPortFactory& factorySlot() {
    static SerialPortFactory factory;
    return factory;
}

}  // namespace

std::optional<LineSettings> parseLineSettings(std::string_view modeText) {
    std::string text = trim(modeText);
    if (text.size() < 5 || std::toupper(static_cast<unsigned char>(text[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(text[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(text[2])) != 'M' ||
        !std::isdigit(static_cast<unsigned char>(text[3])) || text[4] != ':')
        return std::nullopt;
    LineSettings out;
    out.port = text[3] - '0';
    std::vector<std::string> f = splitFields(std::string_view(text).substr(5));
    if (f.size() > 4) return std::nullopt;
    f.resize(4);
    if (!f[0].empty()) {
        out.baud = baudFromField(f[0]);
        if (out.baud <= 0) return std::nullopt;
    }
    if (!applyParity(f[1], out)) return std::nullopt;
    if (!f[2].empty()) {
        if (f[2].size() != 1 || f[2][0] < '5' || f[2][0] > '8') return std::nullopt;
        out.dataBits = f[2][0] - '0';
    }
    if (!applyStopBits(f[3], out)) return std::nullopt;
    return out;
}

std::string serialDeviceName(int port, const std::string& iniPath) {
    std::string key = "COM" + std::to_string(port);
    if (!iniPath.empty()) {
        std::string mapped = iniRead(iniPath, "Comm", key, "");
        if (!mapped.empty()) return mapped;
    }
    if (port >= 1 && port <= 9) return "/dev/ttyS" + std::to_string(port - 1);
    return "";
}

std::unique_ptr<SerialPort> makeSerialPort() {
    if (factorySlot()) return factorySlot()();
    return std::make_unique<PosixSerialPort>();
}

SerialPortFactory setSerialPortFactory(SerialPortFactory factory) {
    SerialPortFactory prev = std::move(factorySlot());
    factorySlot() = std::move(factory);
    return prev;
}

}  // namespace mp
