#pragma once

#include <string>

namespace mp {

// An edit picture of an entry field, as the screens give it: an optional
// function part ("@!" upper case) and a template ("9" digits, "99/99/9999",
// "99:99:99", "999999.9"). The buffer of an entry has a fixed length; typing
// overwrites one position at a time, literal positions of the template
// ("/", ":") are skipped and never typed over. Works on Unicode code points
// so the Qt entry can use it directly; no Qt here.
class EditPicture {
public:
    // `picture` as the screen gives it; `length` the length of the value
    // edited (the template's own length when the template is longer).
    EditPicture(const std::string& picture, size_t length, bool numericValue = false);

    size_t length() const { return m_length; }
    bool upperCase() const { return m_upper; }
    // A number picture: only 9, #, "." and "," in the template, with a "."
    // or given for a numeric value. Such a field is typed as free text and
    // laid out right-aligned when the entry is left.
    bool numeric() const { return m_numeric; }

    bool editable(size_t pos) const;  // false for literal positions and past the end
    // The code point stored when `c` is typed at `pos`, or 0 when refused.
    char32_t accept(size_t pos, char32_t c) const;
    // Next / previous editable position from `pos` (inclusive for next);
    // length() / npos when there is none.
    size_t nextEditable(size_t pos) const;
    size_t previousEditable(size_t pos) const;

    // The buffer laid onto the template: padded or cut to length(), the
    // template's literals in place. For a number picture the number of the
    // text, laid out right-aligned with the template's decimals; blank when
    // the text holds no digit.
    std::u32string shape(const std::u32string& text) const;
    // A number laid out in a number picture ("999999.9": 12.25 -> "    12.3");
    // a number too wide for the picture shows as asterisks.
    static std::string formatNumber(double value, const std::string& picture);

private:
    char32_t templateAt(size_t pos) const;
    std::u32string m_template;
    size_t m_length = 0;
    bool m_upper = false;
    bool m_numeric = false;
};

}  // namespace mp
