#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/date.h"

namespace mp {

// One value of the program's dynamic world: what a process-wide name holds,
// what a form expression yields, what an error record carries as arguments.
// Texts are code page 874 bytes.
class Value {
public:
    enum class Type { Nil, Text, Number, Date, Logical, Array };
    using Array = std::vector<Value>;

    Value() = default;  // no value
    Value(std::string text);
    Value(const char* text);
    Value(double number);
    Value(int number);
    Value(long number);
    Value(long long number);
    Value(unsigned number);  // sizes and counts convert without a cast
    Value(unsigned long number);
    Value(unsigned long long number);
    Value(std::string_view text);
    Value(Date date);
    Value(bool logical);
    static Value array(Array elements);

    Type type() const { return m_type; }
    bool isNil() const { return m_type == Type::Nil; }
    bool isText() const { return m_type == Type::Text; }
    bool isNumber() const { return m_type == Type::Number; }
    bool isDate() const { return m_type == Type::Date; }
    bool isLogical() const { return m_type == Type::Logical; }
    bool isArray() const { return m_type == Type::Array; }

    // The accessors require the matching type; a mismatch gives the blank of
    // the asked kind ("" / 0 / empty date / false / empty array).
    const std::string& text() const;
    double number() const;
    Date date() const;
    bool logical() const;
    const Array& elements() const;
    Array& elements();  // shared with copies, as arrays are in the old runtime

    // "C", "N", "D", "L", "A" or "U": the error log's type letters.
    char typeLetter() const;
    // The log's text form: text unchanged, date dd/mm/yyyy, .T./.F., a number
    // in plain decimal (no exponent, no trailing zeros), "{ ... }" for arrays,
    // "" for no value.
    std::string toDisplay() const;

    bool operator==(const Value& o) const;  // same type and exactly equal content
    bool operator!=(const Value& o) const { return !(*this == o); }

private:
    Type m_type = Type::Nil;
    std::string m_text;
    double m_number = 0;
    Date m_date;
    bool m_logical = false;
    std::shared_ptr<Array> m_array;
};

// Plain decimal text of a number: no exponent, no trailing zeros after the
// point, no point when whole ("12.5", "-3", "0.001").
std::string plainNumber(double n);

}  // namespace mp
