#include "platform/runtime/date.h"

#include <cstdio>

namespace mp {

namespace {

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

// Gregorian calendar date to Julian day number (Fliegel and Van Flandern).
int64_t toJulian(int y, int m, int d) {
    int64_t a = (14 - m) / 12;
    int64_t yy = y + 4800 - a;
    int64_t mm = m + 12 * a - 3;
    return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

struct Ymd {
    int y, m, d;
};

Ymd fromJulian(int64_t jd) {
    int64_t a = jd + 32044;
    int64_t b = (4 * a + 3) / 146097;
    int64_t c = a - 146097 * b / 4;
    int64_t d = (4 * c + 3) / 1461;
    int64_t e = c - 1461 * d / 4;
    int64_t m = (5 * e + 2) / 153;
    Ymd r;
    r.d = static_cast<int>(e - (153 * m + 2) / 5 + 1);
    r.m = static_cast<int>(m + 3 - 12 * (m / 10));
    r.y = static_cast<int>(100 * b + d - 4800 + m / 10);
    return r;
}

bool isBlank(std::string_view t) {
    for (char c : t)
        if (c != ' ' && c != '\t') return false;
    return true;
}

// Reads 1 to `maxDigits` digits at `pos`, skipping blanks around them.
bool readNumber(std::string_view t, size_t& pos, int maxDigits, int& value, int& count) {
    while (pos < t.size() && t[pos] == ' ') ++pos;
    value = 0;
    count = 0;
    while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9' && count < maxDigits) {
        value = value * 10 + (t[pos++] - '0');
        ++count;
    }
    while (pos < t.size() && t[pos] == ' ') ++pos;
    return count > 0;
}

}  // namespace

Date Date::fromYmd(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return Date();
    if (day < 1 || day > daysInMonth(year, month)) return Date();
    return Date(toJulian(year, month, day));
}

Date Date::fromDayNumber(int64_t days) {
    // Only days of the years 1 to 9999 are dates; anything else is empty.
    if (days < toJulian(1, 1, 1) || days > toJulian(9999, 12, 31)) return Date();
    return Date(days);
}

// Two-digit years fall in the hundred years from 1970: 70..99 are 1970..1999,
// 00..69 are 2000..2069.
Date Date::parse(std::string_view text) {
    if (isBlank(text)) return Date();
    size_t pos = 0;
    int d, m, y, n;
    if (!readNumber(text, pos, 2, d, n) || pos >= text.size() || text[pos++] != '/') return Date();
    if (!readNumber(text, pos, 2, m, n) || pos >= text.size() || text[pos++] != '/') return Date();
    if (!readNumber(text, pos, 4, y, n) || pos != text.size()) return Date();
    if (n <= 2) y += y >= 70 ? 1900 : 2000;
    return fromYmd(y, m, d);
}

Date Date::fromDtos(std::string_view text) {
    if (text.size() != 8) return Date();
    int v[3] = {0, 0, 0};
    const int widths[3] = {4, 2, 2};
    size_t pos = 0;
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < widths[k]; ++i, ++pos) {
            char c = text[pos];
            if (c < '0' || c > '9') return Date();
            v[k] = v[k] * 10 + (c - '0');
        }
    }
    return fromYmd(v[0], v[1], v[2]);
}

int Date::year() const { return isEmpty() ? 0 : fromJulian(m_day).y; }
int Date::month() const { return isEmpty() ? 0 : fromJulian(m_day).m; }
int Date::day() const { return isEmpty() ? 0 : fromJulian(m_day).d; }

int Date::dayOfWeek() const {
    if (isEmpty()) return 0;
    // Julian day 0 was a Monday; (jd + 1) % 7 is 0 on Sunday.
    return static_cast<int>((m_day + 1) % 7) + 1;
}

std::string Date::toText() const {
    if (isEmpty()) return "  /  /    ";
    Ymd r = fromJulian(m_day);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", r.d, r.m, r.y);
    return buf;
}

std::string Date::dtos() const {
    if (isEmpty()) return std::string(8, ' ');
    Ymd r = fromJulian(m_day);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", r.y, r.m, r.d);
    return buf;
}

Date Date::addDays(int64_t days) const {
    if (isEmpty()) return *this;
    return fromDayNumber(m_day + days);
}

int64_t Date::operator-(Date other) const { return m_day - other.m_day; }

}  // namespace mp
