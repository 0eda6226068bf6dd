#include "data/form_functions.h"

#include "data/helpers.h"
#include "data/keys.h"
#include "data/table_access.h"
#include "expr/functions.h"

namespace mp {

using expr::Arguments;
using expr::dateArg;
using expr::logicalArg;
using expr::numberArg;
using expr::registerFunction;
using expr::textArg;

namespace {
int intArg(const Arguments& a, size_t i) { return static_cast<int>(expr::wholeNumber(numberArg(a, i))); }
}  // namespace

void registerDataFunctions() {
    registerFunction("ZERO", 2, 2, [](const Arguments& a) -> Value { return ZERO(numberArg(a, 0), intArg(a, 1)); });
    registerFunction("ZERO2", 2, 2, [](const Arguments& a) -> Value { return ZERO2(numberArg(a, 0), intArg(a, 1)); });
    registerFunction("XROUND", 2, 2, [](const Arguments& a) -> Value { return XROUND(numberArg(a, 0), intArg(a, 1)); });
    registerFunction("EQCHECK", 3, 4, [](const Arguments& a) -> Value {
        return EQCHECK(textArg(a, 0), numberArg(a, 1), numberArg(a, 2), a.size() > 3 && !a[3].isNil() && logicalArg(a, 3));
    });
    registerFunction("SELCOLOR", 1, 1, [](const Arguments& a) -> Value { return SELCOLOR(logicalArg(a, 0)); });
    registerFunction("MONTHNAME", 1, 1, [](const Arguments& a) -> Value { return MONTHNAME(intArg(a, 0)); });
    registerFunction("BCYEAR", 1, 1, [](const Arguments& a) -> Value { return BCYEAR(dateArg(a, 0)); });
    registerFunction("FIRSTDAY", 1, 1, [](const Arguments& a) -> Value { return FIRSTDAY(dateArg(a, 0)); });
    registerFunction("LASTDAY", 1, 1, [](const Arguments& a) -> Value { return LASTDAY(dateArg(a, 0)); });
    registerFunction("BIN2DEC", 1, 1, [](const Arguments& a) -> Value { return BIN2DEC(textArg(a, 0)); });
    registerFunction("DEC2BIN", 1, 1, [](const Arguments& a) -> Value { return DEC2BIN(numberArg(a, 0)); });
    registerFunction("HEX2DEC", 1, 1, [](const Arguments& a) -> Value { return HEX2DEC(textArg(a, 0)); });
    registerFunction("HEX2BIN", 1, 1, [](const Arguments& a) -> Value { return HEX2BIN(textArg(a, 0)); });
    registerFunction("TDELAY", 1, 1, [](const Arguments& a) -> Value { return TDELAY(numberArg(a, 0)), Value(); });
    registerFunction("SPLIT", 2, 4, [](const Arguments& a) -> Value {
        return SPLIT(textArg(a, 0), intArg(a, 1), textArg(a, 2, ","), textArg(a, 3, "N"));
    });
    registerFunction("INDENT", 0, 0, [](const Arguments&) -> Value { return INDENT(); });
    registerFunction("INDENT2", 1, 1, [](const Arguments& a) -> Value { return INDENT2(textArg(a, 0)); });
    registerFunction("CONSEC", 1, 2, [](const Arguments& a) -> Value { return CONSEC(textArg(a, 0), numberArg(a, 1, 0)); });
}

}  // namespace mp
