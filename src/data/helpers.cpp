#include "data/helpers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/settings.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/dayclock.h"
#include "platform/runtime/numtext.h"
#include "platform/runtime/operator.h"
#include "platform/runtime/publics.h"

namespace mp {

namespace {

std::string trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return "";
    const auto last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

// Zeros in front, then the rightmost `width` characters.
std::string zeroFill(const std::string& text, int width) {
    if (width <= 0) return "";
    const std::string padded = std::string(static_cast<size_t>(width), '0') + text;
    return padded.substr(padded.size() - static_cast<size_t>(width));
}

bool isDigitSlot(char c) { return c == '9' || c == '#'; }

// The integer and fraction digits of |n| rounded half away from zero.
void splitDigits(double n, int decimals, std::string& whole, std::string& fraction) {
    char buf[512];
    const double scale = std::pow(10.0, decimals);
    // Through 15 significant digits first, so that 12.35 (held as
    // 12.3499999...) rounds up as the operator reads it.
    std::snprintf(buf, sizeof buf, "%.15g", std::fabs(n) * scale);
    const double rounded = std::round(std::strtod(buf, nullptr)) / scale;
    std::snprintf(buf, sizeof buf, "%.*f", decimals, rounded);
    const std::string text = buf;
    const auto point = text.find('.');
    whole = text.substr(0, point);
    fraction = point == std::string::npos ? "" : text.substr(point + 1);
}

bool cdeccorIsYes() {
    const auto v = Publics::instance().get("CDECCOR");
    return v && v->isText() && !v->text().empty() && v->text()[0] == 'Y';
}

}  // namespace

std::string numberInPicture(double n, std::string_view picture) {
    const auto point = picture.find('.');
    const std::string_view left = picture.substr(0, point);
    const std::string_view right = point == std::string_view::npos ? "" : picture.substr(point + 1);
    const int decimals = static_cast<int>(std::count_if(right.begin(), right.end(), isDigitSlot));
    std::string whole, fraction;
    splitDigits(n, decimals, whole, fraction);
    if (whole == "0" && decimals > 0 && std::count_if(left.begin(), left.end(), isDigitSlot) == 0) whole.clear();
    bool sign = n < 0 && (whole.find_first_not_of('0') != std::string::npos ||
                          fraction.find_first_not_of('0') != std::string::npos);

    std::string out(left);
    int next = static_cast<int>(whole.size()) - 1;  // next digit to place, from the right
    for (int i = static_cast<int>(out.size()) - 1; i >= 0; --i) {
        if (isDigitSlot(out[i])) {
            if (next >= 0) {
                out[i] = whole[next--];
            } else if (sign) {
                out[i] = '-';
                sign = false;
            } else {
                out[i] = ' ';
            }
        } else if (out[i] == ',') {
            out[i] = next >= 0 ? ',' : ' ';
        }
    }
    if (next >= 0 || sign) return std::string(picture.size(), '*');  // too wide for the picture
    if (point != std::string_view::npos) {
        std::string tail(right);
        size_t f = 0;
        for (char& c : tail)
            if (isDigitSlot(c)) c = fraction[f++];
        out += "." + tail;
    }
    return out;
}

std::string ZERO(double n, int width) {
    const double whole = std::trunc(n);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0f", whole == 0 ? 0.0 : whole);
    return zeroFill(buf, width);
}

std::string ZERO2(double n, int width) {
    return zeroFill(trimmed(numberInPicture(n, settings().CFORMAT)), width);
}

double XROUND(double n, int decimals) {
    const double scale = std::pow(10.0, decimals);
    double m = std::fabs(n) * scale;
    const double whole = std::floor(m);
    const double fraction = m - whole;
    const bool up = cdeccorIsYes() ? fraction >= 0.499999 : fraction > 0.5;
    m = up ? whole + 1 : whole;
    const double result = std::copysign(m / scale, n);
    return std::round(result * scale) / scale;  // remove the noise of the division
}

bool EQCHECK(const std::string& message, double a, double b, bool skip) {
    if (skip || XROUND(a, 2) == XROUND(b, 2)) return true;
    operatorUi().message(message, T("  ส่วนตรวจสอบความถูกต้อง"));
    return false;
}

long SELCOLOR(bool deleted) { return deleted ? 255 : 0; }

std::string MONTHNAME(int month) {
    static const char* const kNames[12] = {
        "มกราคม", "กุมภาพันธ์", "มีนาคม", "เมษายน", "พฤษภาคม", "มิถุนายน",
        "กรกฎาคม", "สิงหาคม", "กันยายน", "ตุลาคม", "พฤศจิกายน", "ธันวาคม",
    };
    return month >= 1 && month <= 12 ? T(kNames[month - 1]) : std::string();
}

std::string BCYEAR(Date d) {
    if (d.isEmpty()) return "";
    const std::string t = d.toText();  // dd/mm/yyyy
    char year[16];
    std::snprintf(year, sizeof year, "%4d", static_cast<int>(numberOf(t.substr(6, 4))) + 543);
    return T("วันที่") + "  " + t.substr(0, 2) + "  " + MONTHNAME(static_cast<int>(numberOf(t.substr(3, 2)))) +
           "  " + T("พ.ศ.") + year;
}

Date FIRSTDAY(Date d) {
    if (d.isEmpty()) return d;
    return Date::parse("01/" + d.toText().substr(3));
}

Date LASTDAY(Date d) {
    if (d.isEmpty()) return d;
    const std::string t = d.toText();
    const double month = numberOf(t.substr(3, 2));
    const double year = numberOf(t.substr(6, 4));
    const Date next = t.substr(3, 2) == "12" ? Date::parse("01/01/" + ZERO(year + 1, 4))
                                             : Date::parse("01/" + ZERO(month + 1, 2) + "/" + t.substr(6, 4));
    return next.addDays(-1);
}

int BIN2DEC(std::string_view bits) {
    const std::string last8 = zeroFill(trimmed(bits), 8);
    int value = 0;
    for (int k = 0; k < 8; ++k)
        if (last8[7 - k] == '1') value += 1 << k;
    return value;
}

std::string DEC2BIN(double n) {
    std::string bits;
    for (int value = 128; value >= 1; value /= 2) {
        if (n >= value) {
            bits += '1';
            n -= value;
        } else {
            bits += '0';
        }
    }
    return bits;
}

double HEX2DEC(std::string_view hex) {
    double value = 0;
    double weight = 1;
    for (auto it = hex.rbegin(); it != hex.rend(); ++it, weight *= 16) {
        const char c = *it;
        if (c >= 'A' && c <= 'F')
            value += (c - 'A' + 10) * weight;
        else if (c >= '0' && c <= '9')
            value += (c - '0') * weight;
    }
    return value;
}

std::string HEX2BIN(std::string_view hexChar) {
    if (hexChar.size() == 1 && hexChar[0] >= 'A' && hexChar[0] <= 'F') return DEC2BIN(hexChar[0] - 'A' + 10);
    return DEC2BIN(numberOf(hexChar));
}

void TDELAY(double seconds) {
    DayClock& clock = dayClock();
    const double start = clock.seconds();
    for (double gone = 0; gone < seconds; gone = elapsedSeconds(start, clock.seconds()))
        clock.pause(std::min(0.01, seconds - gone));
}

Value SPLIT(std::string_view text, int n, std::string_view separator, std::string_view kind) {
    const std::string sep = separator.empty() ? std::string(",") : std::string(separator);
    const std::string list = std::string(text) + sep;
    std::string field;
    size_t start = 0;
    for (int i = 1; n >= 1; ++i) {
        const size_t end = list.find(sep, start);
        if (end == std::string::npos) break;  // fewer than n fields
        if (i == n) {
            field = list.substr(start, end - start);
            break;
        }
        start = end + sep.size();
    }
    if (kind.empty() || (kind[0] != 'N' && kind[0] != 'n')) return Value(field);
    std::string digits;
    for (char c : trimmed(field))
        if ((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-') digits += c;
    return Value(numberOf(digits));
}

}  // namespace mp
