#include "platform/runtime/value.h"

#include <charconv>
#include <cmath>

namespace mp {

Value::Value(std::string text) : m_type(Type::Text), m_text(std::move(text)) {}
Value::Value(const char* text) : m_type(Type::Text), m_text(text ? text : "") {}
Value::Value(double number) : m_type(Type::Number), m_number(number) {}
Value::Value(int number) : Value(static_cast<double>(number)) {}
Value::Value(long number) : Value(static_cast<double>(number)) {}
Value::Value(long long number) : Value(static_cast<double>(number)) {}
Value::Value(unsigned number) : Value(static_cast<double>(number)) {}
Value::Value(unsigned long number) : Value(static_cast<double>(number)) {}
Value::Value(unsigned long long number) : Value(static_cast<double>(number)) {}
Value::Value(std::string_view text) : m_type(Type::Text), m_text(text) {}
Value::Value(Date date) : m_type(Type::Date), m_date(date) {}
Value::Value(bool logical) : m_type(Type::Logical), m_logical(logical) {}

Value Value::array(Array elements) {
    Value v;
    v.m_type = Type::Array;
    v.m_array = std::make_shared<Array>(std::move(elements));
    return v;
}

const std::string& Value::text() const {
    static const std::string blank;
    return m_type == Type::Text ? m_text : blank;
}

double Value::number() const { return m_type == Type::Number ? m_number : 0.0; }
Date Value::date() const { return m_type == Type::Date ? m_date : Date(); }
bool Value::logical() const { return m_type == Type::Logical && m_logical; }

const Value::Array& Value::elements() const {
    static const Array blank;
    return m_type == Type::Array && m_array ? *m_array : blank;
}

Value::Array& Value::elements() {
    if (m_type == Type::Array && m_array) return *m_array;
    // Not an array: hand out a scratch array so callers never touch a
    // shared blank; it is emptied on every such call.
    thread_local Array scratch;
    scratch.clear();
    return scratch;
}

char Value::typeLetter() const {
    switch (m_type) {
    case Type::Text: return 'C';
    case Type::Number: return 'N';
    case Type::Date: return 'D';
    case Type::Logical: return 'L';
    case Type::Array: return 'A';
    case Type::Nil: break;
    }
    return 'U';
}

std::string Value::toDisplay() const {
    switch (m_type) {
    case Type::Text: return m_text;
    case Type::Number: return plainNumber(m_number);
    case Type::Date: return m_date.toText();
    case Type::Logical: return m_logical ? ".T." : ".F.";
    case Type::Array: return "{ ... }";
    case Type::Nil: break;
    }
    return "";
}

bool Value::operator==(const Value& o) const {
    if (m_type != o.m_type) return false;
    switch (m_type) {
    case Type::Nil: return true;
    case Type::Text: return m_text == o.m_text;
    case Type::Number: return m_number == o.m_number;
    case Type::Date: return m_date == o.m_date;
    case Type::Logical: return m_logical == o.m_logical;
    case Type::Array: return elements() == o.elements();
    }
    return false;
}

namespace {

// Decimals shown for a number: at most 10, and no more than keep the whole
// text within 15 significant digits, so the binary noise of sums such as
// 0.1 + 0.2 never shows ("0.3", not "0.30000000000000004").
int shownDecimals(double magnitude) {
    if (magnitude < 1) return 10;
    int intDigits = static_cast<int>(std::floor(std::log10(magnitude))) + 1;
    int decimals = 15 - intDigits;
    return decimals < 0 ? 0 : (decimals > 10 ? 10 : decimals);
}

}  // namespace

std::string plainNumber(double n) {
    if (std::isnan(n)) return "nan";
    if (std::isinf(n)) return n < 0 ? "-inf" : "inf";
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, n, std::chars_format::fixed,
                             shownDecimals(std::fabs(n)));
    std::string s(buf, res.ptr);
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

}  // namespace mp
