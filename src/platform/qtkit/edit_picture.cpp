#include "platform/qtkit/edit_picture.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cwctype>

namespace mp {
namespace {

bool isTemplateChar(char32_t t) {
    switch (t) {
    case U'9': case U'#': case U'A': case U'L': case U'N': case U'X': case U'!':
        return true;
    default:
        return false;
    }
}

bool isAsciiDigit(char32_t c) { return c >= U'0' && c <= U'9'; }
bool isLetter(char32_t c) { return std::iswalpha(static_cast<wint_t>(c)) || (c >= 0x0E01 && c <= 0x0E5B); }

char32_t upper(char32_t c) { return (c >= U'a' && c <= U'z') ? c - 32 : c; }

std::u32string widen(const std::string& s) {
    std::u32string out;
    for (unsigned char ch : s) out.push_back(ch);
    return out;
}

// Decimals of a number template: the positions after its ".".
int decimalsOf(const std::string& tpl) {
    size_t dot = tpl.find('.');
    return dot == std::string::npos ? 0 : static_cast<int>(tpl.size() - dot - 1);
}

}  // namespace

EditPicture::EditPicture(const std::string& picture, size_t length, bool numericValue) {
    std::string tpl = picture;
    if (!tpl.empty() && tpl[0] == '@') {
        size_t end = tpl.find(' ');
        std::string functions = tpl.substr(1, end == std::string::npos ? std::string::npos : end - 1);
        m_upper = functions.find('!') != std::string::npos;
        tpl = end == std::string::npos ? std::string() : tpl.substr(end + 1);
    }
    m_template = widen(tpl);
    bool numberChars = !tpl.empty() && tpl.find_first_not_of("9#.,") == std::string::npos;
    m_numeric = numberChars && (numericValue || tpl.find('.') != std::string::npos);
    m_length = std::max(length, m_template.size());
}

char32_t EditPicture::templateAt(size_t pos) const {
    if (pos < m_template.size()) return m_template[pos];
    return m_template.empty() ? U'X' : 0;  // past a template: not editable
}

bool EditPicture::editable(size_t pos) const {
    if (pos >= m_length) return false;
    if (m_numeric) return true;
    return isTemplateChar(templateAt(pos));
}

char32_t EditPicture::accept(size_t pos, char32_t c) const {
    if (!editable(pos) || c < 0x20) return 0;
    if (m_numeric) return (isAsciiDigit(c) || c == U'.' || c == U'-' || c == U' ') ? c : 0;
    char32_t t = templateAt(pos);
    switch (t) {
    case U'9': return isAsciiDigit(c) ? c : 0;
    case U'#': return (isAsciiDigit(c) || c == U' ' || c == U'+' || c == U'-' || c == U'.') ? c : 0;
    case U'A': return isLetter(c) ? (m_upper ? upper(c) : c) : 0;
    case U'N': return (isLetter(c) || isAsciiDigit(c)) ? (m_upper ? upper(c) : c) : 0;
    case U'L': {
        char32_t u = upper(c);
        return (u == U'T' || u == U'F' || u == U'Y' || u == U'N') ? u : 0;
    }
    case U'!': return upper(c);
    default: return m_upper ? upper(c) : c;  // 'X' and the free buffer
    }
}

size_t EditPicture::nextEditable(size_t pos) const {
    while (pos < m_length && !editable(pos)) ++pos;
    return pos < m_length ? pos : m_length;
}

size_t EditPicture::previousEditable(size_t pos) const {
    while (pos > 0) {
        --pos;
        if (editable(pos)) return pos;
    }
    return std::u32string::npos;
}

std::u32string EditPicture::shape(const std::u32string& text) const {
    if (m_numeric) {
        std::string ascii;
        for (char32_t c : text) ascii.push_back(c < 0x80 ? static_cast<char>(c) : ' ');
        if (ascii.find_first_of("0123456789") == std::string::npos) return std::u32string(m_length, U' ');
        std::string tpl(m_template.begin(), m_template.end());
        return widen(formatNumber(std::strtod(ascii.c_str(), nullptr), tpl));
    }
    std::u32string out = text.substr(0, m_length);
    out.resize(m_length, U' ');
    for (size_t i = 0; i < m_template.size() && i < m_length; ++i)
        if (!isTemplateChar(m_template[i])) out[i] = m_template[i];
    return out;
}

std::string EditPicture::formatNumber(double value, const std::string& picture) {
    std::string tpl = picture;
    if (!tpl.empty() && tpl[0] == '@') {
        size_t end = tpl.find(' ');
        tpl = end == std::string::npos ? std::string() : tpl.substr(end + 1);
    }
    int decimals = decimalsOf(tpl);
    double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;  // half away from zero, as the plant expects
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, rounded);
    std::string digits = buf;  // "-1234.5"
    if (digits[0] == '-' && digits.find_first_not_of("-0.") == std::string::npos) digits.erase(0, 1);
    std::string out(tpl.size(), ' ');
    long src = static_cast<long>(digits.size()) - 1;
    for (long i = static_cast<long>(tpl.size()) - 1; i >= 0; --i) {
        char t = tpl[i];
        if (t == ',') {
            out[i] = (src >= 0 && digits[src] != '-') ? ',' : ' ';
            continue;
        }
        if (src >= 0) out[i] = digits[src--];
    }
    if (src >= 0) return std::string(tpl.size(), '*');
    return out;
}

}  // namespace mp
