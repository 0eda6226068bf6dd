#include "expr/functions.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cstdio>
#include <cmath>
#include <unordered_map>

#include "platform/runtime/dayclock.h"
#include "platform/runtime/error.h"
#include "platform/runtime/numtext.h"

namespace mp::expr {
namespace {

using Registry = std::unordered_map<std::string, FunctionEntry>;

std::string upperAscii(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return u;
}

std::string lowerAscii(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return u;
}

// A count that a text function is asked for, limited to the longest text.
size_t countArg(const Arguments& args, size_t i) {
    long long n = wholeNumber(numberArg(args, i));
    return n <= 0 ? 0 : static_cast<size_t>(std::min<long long>(n, static_cast<long long>(kMaxText)));
}

// The length of a text a function is asked to build: beyond the longest
// text is a string overflow, not a silent cut.
size_t lengthArg(const Arguments& args, size_t i) {
    long long n = wholeNumber(numberArg(args, i));
    if (n > static_cast<long long>(kMaxText)) stringOverflow();
    return n <= 0 ? 0 : static_cast<size_t>(n);
}

std::string checked(std::string s) {
    if (s.size() > kMaxText) stringOverflow();
    return s;
}

// Fixed-point text with `decimals` places, independent of the C locale.
std::string fixed(double n, int decimals) {
    char buf[512];
    auto r = std::to_chars(buf, buf + sizeof buf, n, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return std::string(1, '*');
    return std::string(buf, r.ptr);
}

// ---- numbers ----------------------------------------------------------------

Value fnStr(const Arguments& a) {
    double n = numberArg(a, 0);
    if (arg(a, 1).isNil()) return formatStrDefault(n);
    return formatStr(n, static_cast<int>(lengthArg(a, 1)), static_cast<int>(wholeNumber(numberArg(a, 2, 0))));
}

// STR with leading zeros in place of the leading blanks; a minus sign goes first.
Value fnStrZero(const Arguments& a) {
    std::string s = fnStr(a).text();
    size_t firstNonBlank = s.find_first_not_of(' ');
    if (firstNonBlank == std::string::npos || s[firstNonBlank] == '*') return s;
    bool negative = s[firstNonBlank] == '-';
    for (size_t i = 0; i < firstNonBlank; ++i) s[i] = '0';
    if (negative) std::swap(s[0], s[firstNonBlank]);
    return s;
}

Value fnRound(const Arguments& a) {
    return roundHalfAway(numberArg(a, 0), static_cast<int>(wholeNumber(numberArg(a, 1))));
}

// MAX and MIN of two numbers or two dates.
Value extreme(const Arguments& a, bool greatest) {
    const Value& l = arg(a, 0);
    const Value& r = arg(a, 1);
    if (l.isNumber() && r.isNumber())
        return (greatest ? l.number() >= r.number() : l.number() <= r.number()) ? l : r;
    if (l.isDate() && r.isDate()) return (greatest ? l.date() >= r.date() : l.date() <= r.date()) ? l : r;
    argumentError();
}

// ---- texts ------------------------------------------------------------------

Value fnSubstr(const Arguments& a) {
    const std::string& s = textArg(a, 0);
    long long start = wholeNumber(numberArg(a, 1));
    long long size = static_cast<long long>(s.size());
    if (start < 0) start = std::max(1LL, size + start + 1);
    if (start == 0) start = 1;
    if (start > size) return std::string();
    long long count = arg(a, 2).isNil() ? size : wholeNumber(numberArg(a, 2));
    if (count <= 0) return std::string();
    return s.substr(static_cast<size_t>(start - 1), static_cast<size_t>(std::min(count, size)));
}

Value fnLeft(const Arguments& a) { return textArg(a, 0).substr(0, countArg(a, 1)); }

Value fnRight(const Arguments& a) {
    const std::string& s = textArg(a, 0);
    size_t n = std::min(countArg(a, 1), s.size());
    return s.substr(s.size() - n);
}

std::string trimmed(const std::string& s, bool left, bool right) {
    size_t b = left ? s.find_first_not_of(' ') : 0;
    if (b == std::string::npos) return std::string();
    size_t e = right ? s.find_last_not_of(' ') : s.size() - 1;
    if (e == std::string::npos) return std::string();
    return s.substr(b, e - b + 1);
}

// The text form PADL, PADR and PADC give numbers, dates and logicals.
std::string padText(const Value& v) {
    switch (v.type()) {
        case Value::Type::Text: return v.text();
        case Value::Type::Number: return plainNumber(v.number());
        case Value::Type::Date: return v.date().toText();
        case Value::Type::Logical: return v.logical() ? "T" : "F";
        default: return std::string();
    }
}

enum class Side { Left, Right, Centre };

Value pad(const Arguments& a, Side side) {
    std::string s = padText(arg(a, 0));
    size_t width = lengthArg(a, 1);
    std::string fill = textArg(a, 2, " ");
    char c = fill.empty() ? ' ' : fill[0];
    if (s.size() >= width) return s.substr(0, width);
    size_t missing = width - s.size();
    size_t before = side == Side::Left ? missing : side == Side::Centre ? missing / 2 : 0;
    return std::string(before, c) + s + std::string(missing - before, c);
}

Value fnReplicate(const Arguments& a) {
    const std::string& s = textArg(a, 0);
    long long times = wholeNumber(numberArg(a, 1));
    size_t n = times <= 0 || s.empty() ? 0 : static_cast<size_t>(times);
    if (n > 0 && n > kMaxText / s.size()) stringOverflow();
    std::string out;
    out.reserve(s.size() * n);
    for (size_t i = 0; i < n; ++i) out += s;
    return out;
}

Value fnLen(const Arguments& a) {
    const Value& v = arg(a, 0);
    if (v.isArray()) return static_cast<double>(v.elements().size());
    return static_cast<double>(textArg(a, 0).size());
}

Value fnAt(const Arguments& a) {
    const std::string& sought = textArg(a, 0);
    const std::string& s = textArg(a, 1);
    if (sought.empty()) return 0.0;
    size_t at = s.find(sought);
    return at == std::string::npos ? 0.0 : static_cast<double>(at + 1);
}

// STRTRAN(text, sought, replacement, first occurrence, how many).
Value fnStrTran(const Arguments& a) {
    const std::string& s = textArg(a, 0);
    const std::string& sought = textArg(a, 1);
    std::string with = textArg(a, 2, "");
    long long first = arg(a, 3).isNil() ? 1 : wholeNumber(numberArg(a, 3));
    long long limit = arg(a, 4).isNil() ? -1 : wholeNumber(numberArg(a, 4));
    if (sought.empty() || limit == 0) return s;
    std::string out;
    size_t from = 0;
    long long seen = 0, done = 0;
    for (size_t at; (at = s.find(sought, from)) != std::string::npos; from = at + sought.size()) {
        out.append(s, from, at - from);
        bool replace = ++seen >= first && (limit < 0 || done < limit);
        out += replace ? with : sought;
        done += replace ? 1 : 0;
        if (out.size() > kMaxText) stringOverflow();
    }
    out.append(s, from, std::string::npos);
    return checked(std::move(out));
}

Value fnTransform(const Arguments& a) {
    const Value& v = arg(a, 0);
    std::string picture = textArg(a, 1, "");
    switch (v.type()) {
        case Value::Type::Number: return transformNumber(v.number(), picture);
        case Value::Type::Date: return v.date().toText();
        case Value::Type::Logical: return v.logical() ? "T" : "F";
        case Value::Type::Text: break;
        default: argumentError();
    }
    if (picture.rfind("@!", 0) == 0) return upperAscii(v.text());
    if (picture.empty() || picture[0] == '@') return v.text();
    // A template: "!" upper-cases the character at its place, other letters of
    // the template keep it, anything else stands as written.
    std::string out = picture;
    const std::string& s = v.text();
    for (size_t i = 0; i < out.size(); ++i) {
        char p = picture[i];
        char c = i < s.size() ? s[i] : ' ';
        if (p == '!') out[i] = upperAscii(std::string(1, c))[0];
        else if (std::string_view("X9#ANLY").find(p) != std::string_view::npos) out[i] = c;
    }
    return out;
}

// ---- dates ------------------------------------------------------------------

Value fnCtod(const Arguments& a) {
    const Value& v = arg(a, 0);
    if (v.isNil()) return Date();
    return Date::parse(textArg(a, 0));
}

Value fnTime(const Arguments&) {
    double s = dayClock().seconds();
    long long t = std::clamp<long long>(wholeNumber(s), 0, 86399);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", t / 3600, t / 60 % 60, t % 60);
    return std::string(buf);
}

// ---- others -----------------------------------------------------------------

Value fnEmpty(const Arguments& a) {
    const Value& v = arg(a, 0);
    switch (v.type()) {
        case Value::Type::Text: return v.text().find_first_not_of(" \t\r\n") == std::string::npos;
        case Value::Type::Number: return v.number() == 0;
        case Value::Type::Date: return v.date().isEmpty();
        case Value::Type::Logical: return !v.logical();
        case Value::Type::Array: return v.elements().empty();
        default: return true;
    }
}

Value fnChr(const Arguments& a) {
    return std::string(1, static_cast<char>(static_cast<unsigned char>(wholeNumber(numberArg(a, 0)) & 0xFF)));
}

Value fnAsc(const Arguments& a) {
    const std::string& s = textArg(a, 0);
    return s.empty() ? 0.0 : static_cast<double>(static_cast<unsigned char>(s[0]));
}

struct Standard {
    const char* name;
    int minArgs, maxArgs;
    Value (*function)(const Arguments&);
    int subCode;
};

// The standard functions of the forms, with the classic subcodes of their argument errors.
const Standard kStandard[] = {
    {"STR", 1, 3, fnStr, 1099},
    {"STRZERO", 1, 3, fnStrZero, 0},
    {"VAL", 1, 1, [](const Arguments& a) -> Value { return numberOf(textArg(a, 0)); }, 1098},
    {"TRANSFORM", 2, 2, fnTransform, 1122},
    {"ROUND", 2, 2, fnRound, 1094},
    {"INT", 1, 1, [](const Arguments& a) -> Value { return std::trunc(numberArg(a, 0)); }, 1090},
    {"ABS", 1, 1, [](const Arguments& a) -> Value { return std::fabs(numberArg(a, 0)); }, 1089},
    {"MAX", 2, 2, [](const Arguments& a) { return extreme(a, true); }, 1093},
    {"MIN", 2, 2, [](const Arguments& a) { return extreme(a, false); }, 1092},
    {"DTOC", 1, 1, [](const Arguments& a) -> Value { return dateArg(a, 0).toText(); }, 1118},
    {"DTOS", 1, 1, [](const Arguments& a) -> Value { return dateArg(a, 0).dtos(); }, 1120},
    {"CTOD", 1, 1, fnCtod, 1119},
    {"DATE", 0, 0, [](const Arguments&) -> Value { return dayClock().today(); }, 0},
    {"TIME", 0, 0, fnTime, 0},
    {"SECONDS", 0, 0, [](const Arguments&) -> Value { return dayClock().seconds(); }, 0},
    {"DAY", 1, 1, [](const Arguments& a) -> Value { return dateArg(a, 0).day(); }, 1114},
    {"MONTH", 1, 1, [](const Arguments& a) -> Value { return dateArg(a, 0).month(); }, 1113},
    {"YEAR", 1, 1, [](const Arguments& a) -> Value { return dateArg(a, 0).year(); }, 1112},
    {"DOW", 1, 1, [](const Arguments& a) -> Value { return dateArg(a, 0).dayOfWeek(); }, 1115},
    {"SUBSTR", 2, 3, fnSubstr, 1110},
    {"LEFT", 2, 2, fnLeft, 1124},
    {"RIGHT", 2, 2, fnRight, 0},
    {"ALLTRIM", 1, 1, [](const Arguments& a) -> Value { return trimmed(textArg(a, 0), true, true); }, 0},
    {"LTRIM", 1, 1, [](const Arguments& a) -> Value { return trimmed(textArg(a, 0), true, false); }, 1101},
    {"RTRIM", 1, 1, [](const Arguments& a) -> Value { return trimmed(textArg(a, 0), false, true); }, 1100},
    {"TRIM", 1, 1, [](const Arguments& a) -> Value { return trimmed(textArg(a, 0), false, true); }, 1100},
    {"UPPER", 1, 1, [](const Arguments& a) -> Value { return upperAscii(textArg(a, 0)); }, 1102},
    {"LOWER", 1, 1, [](const Arguments& a) -> Value { return lowerAscii(textArg(a, 0)); }, 1103},
    {"PADL", 2, 3, [](const Arguments& a) { return pad(a, Side::Left); }, 0},
    {"PADR", 2, 3, [](const Arguments& a) { return pad(a, Side::Right); }, 0},
    {"PADC", 2, 3, [](const Arguments& a) { return pad(a, Side::Centre); }, 0},
    {"SPACE", 1, 1, [](const Arguments& a) -> Value { return std::string(lengthArg(a, 0), ' '); }, 1105},
    {"REPLICATE", 2, 2, fnReplicate, 1106},
    {"LEN", 1, 1, fnLen, 1111},
    {"AT", 2, 2, fnAt, 1108},
    {"STRTRAN", 2, 5, fnStrTran, 1126},
    {"EMPTY", 1, 1, fnEmpty, 0},
    {"CHR", 1, 1, fnChr, 1104},
    {"ASC", 1, 1, fnAsc, 1107},
};

Registry& registry() {
    static Registry* r = [] {
        auto* reg = new Registry;
        for (const Standard& s : kStandard)
            (*reg)[s.name] = FunctionEntry{s.name, s.minArgs, s.maxArgs, s.function, s.subCode};
        return reg;
    }();
    return *r;
}

}  // namespace

void registerFunction(std::string_view name, int minArgs, int maxArgs, Function function, int subCode) {
    std::string key = upperAscii(name);
    FunctionEntry& e = registry()[key];  // replaced in place: compiled calls keep their pointer
    e = FunctionEntry{key, minArgs, maxArgs, std::move(function), subCode};
}

const FunctionEntry* findFunction(std::string_view name) {
    Registry& r = registry();
    auto it = r.find(upperAscii(name));
    return it == r.end() ? nullptr : &it->second;
}

void argumentError() { throw CallFault{gen::kArgument, 0, "Argument error"}; }
void stringOverflow() { throw CallFault{gen::kStringOverflow, 1209, "String overflow"}; }

const Value& arg(const Arguments& args, size_t i) {
    static const Value kMissing;
    return i < args.size() ? args[i] : kMissing;
}

double numberArg(const Arguments& args, size_t i) {
    if (!arg(args, i).isNumber()) argumentError();
    return args[i].number();
}

double numberArg(const Arguments& args, size_t i, double whenMissing) {
    return arg(args, i).isNil() ? whenMissing : numberArg(args, i);
}

const std::string& textArg(const Arguments& args, size_t i) {
    if (!arg(args, i).isText()) argumentError();
    return args[i].text();
}

std::string textArg(const Arguments& args, size_t i, std::string_view whenMissing) {
    return arg(args, i).isNil() ? std::string(whenMissing) : textArg(args, i);
}

Date dateArg(const Arguments& args, size_t i) {
    if (!arg(args, i).isDate()) argumentError();
    return args[i].date();
}

bool logicalArg(const Arguments& args, size_t i) {
    if (!arg(args, i).isLogical()) argumentError();
    return args[i].logical();
}

long long wholeNumber(double n) {
    if (std::isnan(n)) return 0;
    return static_cast<long long>(std::clamp(std::trunc(n), -1e15, 1e15));
}

double roundHalfAway(double n, int decimals) {
    if (!std::isfinite(n)) return n;
    decimals = std::clamp(decimals, -15, 15);
    double scale = std::pow(10.0, std::abs(decimals));
    double s = decimals >= 0 ? n * scale : n / scale;
    double m = std::fabs(s);
    if (!std::isfinite(s) || m >= 4503599627370496.0) return n;  // no fraction left to round
    double whole = std::floor(m);
    // A half written in decimal is often a hair below .5 in binary (1.005 * 100).
    double tolerance = m * 4 * DBL_EPSILON;
    double r = std::copysign(whole + (m - whole + tolerance >= 0.5 ? 1.0 : 0.0), s);
    return decimals >= 0 ? r / scale : r * scale;
}

std::string formatStr(double n, int length, int decimals) {
    if (length <= 0) return std::string();
    length = std::min(length, static_cast<int>(kMaxText));
    decimals = std::clamp(decimals, 0, 30);
    if (!std::isfinite(n)) return std::string(static_cast<size_t>(length), '*');
    double r = roundHalfAway(n, decimals);
    std::string s = fixed(r == 0 ? 0.0 : r, decimals);  // no "-0.00"
    if (s.size() > static_cast<size_t>(length)) return std::string(static_cast<size_t>(length), '*');
    return std::string(static_cast<size_t>(length) - s.size(), ' ') + s;
}

std::string formatStrDefault(double n) {
    if (std::isfinite(n) && n == std::trunc(n)) return formatStr(n, 10, 0);
    return formatStr(n, 13, 2);
}

namespace {

bool isDigitPlace(char c) { return c == '9' || c == '#'; }

// The picture with every digit place showing an asterisk: the number does not fit.
std::string overflowPicture(std::string_view picture) {
    std::string out(picture);
    for (char& c : out)
        if (isDigitPlace(c)) c = '*';
    return out;
}

}  // namespace

std::string transformNumber(double n, std::string_view picture) {
    if (!picture.empty() && picture[0] == '@') {  // function letters are not used by the forms
        size_t blank = picture.find(' ');
        picture = blank == std::string_view::npos ? std::string_view() : picture.substr(blank + 1);
    }
    if (picture.empty()) return formatStrDefault(n);
    size_t point = picture.find('.');
    std::string_view intPicture = picture.substr(0, point);
    std::string_view fracPicture = point == std::string_view::npos ? std::string_view() : picture.substr(point + 1);
    int decimals = static_cast<int>(std::count_if(fracPicture.begin(), fracPicture.end(), isDigitPlace));
    if (!std::isfinite(n)) return overflowPicture(picture);
    double r = roundHalfAway(std::fabs(n), decimals);
    bool negative = n < 0 && r != 0;
    std::string digits = fixed(r, decimals);
    std::string intDigits = digits.substr(0, digits.find('.'));
    std::string fracDigits = decimals > 0 ? digits.substr(digits.find('.') + 1) : std::string();

    if (intDigits == "0" && std::none_of(intPicture.begin(), intPicture.end(), isDigitPlace)) intDigits.clear();
    std::string out(picture);
    long j = static_cast<long>(intDigits.size()) - 1;  // next integer digit, from the right
    long leftmost = -1;
    for (long i = static_cast<long>(intPicture.size()) - 1; i >= 0; --i) {
        char p = intPicture[static_cast<size_t>(i)];
        if (isDigitPlace(p)) {
            out[static_cast<size_t>(i)] = ' ';
            if (j >= 0) {
                out[static_cast<size_t>(i)] = intDigits[static_cast<size_t>(j--)];
                leftmost = i;
            }
        } else if (p == ',') {
            out[static_cast<size_t>(i)] = j >= 0 ? ',' : ' ';
        }
    }
    if (j >= 0) return overflowPicture(picture);
    if (negative) {
        if (leftmost <= 0 || out[static_cast<size_t>(leftmost - 1)] != ' ') return overflowPicture(picture);
        out[static_cast<size_t>(leftmost - 1)] = '-';
    }
    size_t f = 0;
    for (size_t i = 0; i < fracPicture.size(); ++i)
        if (isDigitPlace(fracPicture[i])) out[point + 1 + i] = fracDigits[f++];
    return out;
}

}  // namespace mp::expr
