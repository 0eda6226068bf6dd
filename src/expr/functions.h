#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/value.h"

namespace mp::expr {

// The functions a form expression can call, in one registry. The standard
// functions are there from the start; other parts of the program add theirs
// with one line each:
//   registerFunction("FORMQTY", 1, 2, [](const Arguments& a) { ... });
// A function receives the arguments actually written (trailing arguments
// left out are missing, an argument left empty in the middle is a blank value)
// and checks their kinds with the helpers below.
using Arguments = std::vector<Value>;
using Function = std::function<Value(const Arguments& args)>;

struct FunctionEntry {
    std::string name;  // upper case
    int minArgs = 0;
    int maxArgs = 0;
    Function function;
    int subCode = 0;  // the argument error's subcode, 0 when it has none
};

// Registers `name` (any case) or replaces the function of that name.
// Expressions compiled earlier see the replacement.
void registerFunction(std::string_view name, int minArgs, int maxArgs, Function function,
                      int subCode = 0);
// nullptr when the program has no function of that name (any case).
const FunctionEntry* findFunction(std::string_view name);

// Thrown by a function that cannot do its work with what it was given; the
// evaluator turns it into one error record naming the function and its
// arguments and follows the handler's answer.
struct CallFault {
    int genCode;
    int subCode;  // 0: the function's registered subcode
    const char* description;
};
[[noreturn]] void argumentError();   // "Argument error"
[[noreturn]] void stringOverflow();  // "String overflow": a text longer than kMaxText

// Longest text an expression may build, in bytes.
constexpr size_t kMaxText = 65535;

// Argument helpers: the argument at `i` (from 0) of the required kind, or
// argumentError(). The forms with a default give it for a missing or blank argument.
const Value& arg(const Arguments& args, size_t i);  // a blank value when missing
double numberArg(const Arguments& args, size_t i);
double numberArg(const Arguments& args, size_t i, double whenMissing);
const std::string& textArg(const Arguments& args, size_t i);
std::string textArg(const Arguments& args, size_t i, std::string_view whenMissing);
Date dateArg(const Arguments& args, size_t i);
bool logicalArg(const Arguments& args, size_t i);
// A number turned into a count or position without overflow: NaN gives 0,
// values beyond +-1e15 are clamped.
long long wholeNumber(double n);

// Number formatting shared with the helpers of the data layer.
// Rounds half away from zero to `decimals` places (negative: tens, hundreds...),
// immune to the binary representation of halves such as 1.005.
double roundHalfAway(double n, int decimals);
// STR(n, length, decimals): right-aligned, rounded half away from zero;
// `length` asterisks when the number does not fit.
std::string formatStr(double n, int length, int decimals);
// STR(n) without a length: 10 places, and 2 decimals when n is not whole.
std::string formatStrDefault(double n);
// TRANSFORM of a number with a picture of 9 (digit place), "," (thousands
// separator, a blank where no digit stands to its left) and "." (decimal
// point); other characters stand as they are. Asterisks in the digit places
// when the number does not fit.
std::string transformNumber(double n, std::string_view picture);

}  // namespace mp::expr
