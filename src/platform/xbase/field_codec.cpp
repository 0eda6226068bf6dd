#include "platform/xbase/field_codec.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace mp::xbase {

Value decodeField(const FieldDef& f, std::string_view raw) {
    switch (f.type) {
    case 'N': {
        std::string t(raw);
        const char* p = t.c_str();
        while (*p == ' ') ++p;
        return Value(*p ? std::strtod(p, nullptr) : 0.0);
    }
    case 'D': return Value(Date::fromDtos(raw));
    case 'L': return Value(!raw.empty() && std::strchr("TtYy", raw[0]) != nullptr && raw[0] != '\0');
    default: return Value(std::string(raw));
    }
}

Value blankOf(const FieldDef& f) {
    switch (f.type) {
    case 'N': return Value(0.0);
    case 'D': return Value(Date());
    case 'L': return Value(false);
    default: return Value(std::string(static_cast<size_t>(f.width), ' '));
    }
}

std::string formatNumber(double v, int width, int decimals) {
    double scale = std::pow(10.0, decimals);
    double scaled = v * scale;
    // Half away from zero on the decimal digits the plant sees; the small
    // nudge absorbs binary representation (2.675 is stored as 2.67499...).
    double r = std::round(scaled + (scaled >= 0 ? 1e-7 : -1e-7));
    char buf[64];
    if (std::fabs(r) >= 1e18) return {};
    std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, r / scale);
    std::string s(buf);
    if (static_cast<int>(s.size()) > width) return {};
    if (s.find_first_not_of(" -0.") == std::string::npos && s.find('-') != std::string::npos)
        s = formatNumber(0.0, width, decimals);  // no "-0.00"
    return s;
}

EncodeResult encodeField(const FieldDef& f, const Value& v, char* out) {
    if (v.isNil()) {
        std::memset(out, ' ', f.width);
        return EncodeResult::Ok;
    }
    switch (f.type) {
    case 'N': {
        if (!v.isNumber()) return EncodeResult::WrongType;
        std::string s = formatNumber(v.number(), f.width, f.decimals);
        if (s.empty()) return EncodeResult::TooWide;
        std::memcpy(out, s.data(), f.width);
        return EncodeResult::Ok;
    }
    case 'D': {
        if (!v.isDate()) return EncodeResult::WrongType;
        std::memcpy(out, v.date().dtos().data(), 8);
        return EncodeResult::Ok;
    }
    case 'L':
        if (!v.isLogical()) return EncodeResult::WrongType;
        out[0] = v.logical() ? 'T' : 'F';
        return EncodeResult::Ok;
    default: {
        if (!v.isText()) return EncodeResult::WrongType;
        const std::string& t = v.text();
        size_t n = std::min<size_t>(t.size(), f.width);
        std::memcpy(out, t.data(), n);
        std::memset(out + n, ' ', f.width - n);
        return EncodeResult::Ok;
    }
    }
}

}  // namespace mp::xbase
