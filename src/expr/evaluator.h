#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "expr/parser.h"
#include "platform/runtime/value.h"

namespace mp::expr {

// An expression compiled once and evaluated as often as needed (per record of
// a report, per key of an index), against the tables and process-wide values
// in force at the time of each evaluation.
//
// Every fault raises one error record (subsystem "BASE") to the installed
// handler, and the evaluation follows its answer: a substitute value becomes
// the result of the failing operation (0 for a division by zero); retry
// evaluates the failing operation again, its operands included; default (or
// quit, where the handler leaves ending the program to the raiser) gives the
// whole expression up.
class Compiled {
public:
    Compiled() = default;  // an invalid expression

    bool valid() const { return m_tree != nullptr; }
    const std::string& source() const { return m_source; }
    // Why the text is not an expression (when !valid()).
    const SyntaxError& syntaxError() const { return m_error; }

    // The value, or nullopt when an error was given up (or the expression is invalid).
    std::optional<Value> tryEvaluate() const;
    // The value, or the blank value (Nil) when given up.
    Value evaluate() const;

private:
    friend Compiled compile(std::string_view source, bool raise);
    std::string m_source;
    std::shared_ptr<const Tree> m_tree;  // shared by copies: compiled once
    SyntaxError m_error;
    std::optional<Value> m_substitute;  // the handler's value for a syntax error
};

// Compiles `source` (code page 874). A text that is not an expression gives
// an invalid Compiled; with `raise` a syntax error record (with the position)
// goes to the handler first, once.
Compiled compile(std::string_view source, bool raise = true);

// Compiles and evaluates once: the value, or nullopt / Nil when an error was given up.
std::optional<Value> tryEvaluate(std::string_view source);
Value evaluate(std::string_view source);

// Subcodes of the records raised for names and syntax.
namespace subcode {
constexpr int kUndefinedFunction = 1001;
constexpr int kNoAlias = 1002;
constexpr int kNoVariable = 1003;
constexpr int kArrayAccess = 1132;
constexpr int kArrayAssign = 1133;
constexpr int kStringOverflow = 1209;
constexpr int kZeroDivide = 1340;
constexpr int kSyntax = 1449;
}  // namespace subcode

}  // namespace mp::expr
