#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mp {

// A calendar date as the plant's tables and forms hold it. The empty date is
// a date too (blank in a table, "  /  /    " on screen). Dates are counted in
// days so that day arithmetic is plain addition.
class Date {
public:
    Date() = default;  // the empty date

    static Date fromYmd(int year, int month, int day);  // empty when invalid
    static Date fromDayNumber(int64_t days);            // days since 1 Jan 4713 BC (Julian day)

    // "dd/mm/yyyy" or "dd/mm/yy" (years 70..99 -> 1970s..1990s, 00..69 -> 2000s..2069).
    // Blanks or an invalid date give the empty date.
    static Date parse(std::string_view text);
    // "yyyymmdd" as stored in DBF files; blanks or invalid give the empty date.
    static Date fromDtos(std::string_view text);

    bool isEmpty() const { return m_day == 0; }
    int64_t dayNumber() const { return m_day; }  // 0 for the empty date
    int year() const;
    int month() const;
    int day() const;
    int dayOfWeek() const;  // 1 Sunday .. 7 Saturday, 0 for the empty date

    std::string toText() const;  // "dd/mm/yyyy", "  /  /    " when empty
    std::string dtos() const;    // "yyyymmdd", eight blanks when empty

    Date addDays(int64_t days) const;    // empty stays empty
    int64_t operator-(Date other) const;  // difference in days

    bool operator==(Date o) const { return m_day == o.m_day; }
    bool operator!=(Date o) const { return m_day != o.m_day; }
    bool operator<(Date o) const { return m_day < o.m_day; }
    bool operator<=(Date o) const { return m_day <= o.m_day; }
    bool operator>(Date o) const { return m_day > o.m_day; }
    bool operator>=(Date o) const { return m_day >= o.m_day; }

private:
    explicit Date(int64_t day) : m_day(day) {}
    int64_t m_day = 0;
};

}  // namespace mp
