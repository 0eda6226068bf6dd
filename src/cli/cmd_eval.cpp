// mixplant-cli eval EXPR: evaluates one form expression with the settings and
// the program's functions in place and prints its type letter, a colon and
// its text form ("C: 1234.57" for STR(1234.567,8,2)). An expression that
// fails is reported by the program's error handler on standard error and
// gives exit status 3.

#include "cli/command.h"
#include "expr/evaluator.h"
#include "platform/runtime/cp874.h"

namespace mp::cli {
namespace {

constexpr int kExpressionFailed = 3;

int runEval(Context& ctx) {
    if (ctx.args.size() != 1) {
        err("mixplant-cli: eval takes one expression\nusage: mixplant-cli [--ini PATH] eval EXPR\n");
        return 2;
    }
    // The command line is UTF-8; expressions, like the forms, are code page 874.
    std::optional<Value> value = expr::tryEvaluate(utf8ToCp874(ctx.args[0]));
    if (!value) return kExpressionFailed;  // the handler has already said why
    out(std::string(1, value->typeLetter()) + ":" + value->toDisplay() + "\n");
    return 0;
}

Registrar reg{"eval", "eval EXPR         evaluate a form expression and print TYPE:value", &runEval};

}  // namespace
}  // namespace mp::cli
