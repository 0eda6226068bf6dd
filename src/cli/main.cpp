// mixplant-cli: the plant's core without a screen, for automation, demos and
// tests. Global options come before the command word:
//   mixplant-cli [--ini PATH] [--user CODE] [--password TEXT] [--yes] COMMAND [ARGS...]
// Exit status: 0 success, 1 refused or failed (also a run-time error that
// ends the program), 2 usage error, 3 an expression or run-time error
// reported by a command.

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "app/startup.h"
#include "cli/command.h"
#include "cli/terminal_operator.h"
#include "errors/errorsys.h"
#include "errors/terminal_dialog.h"
#include "platform/runtime/error.h"

namespace {

using mp::cli::Context;

constexpr int kUsageError = 2;

std::string usageText() {
    std::string text =
        "usage: mixplant-cli [--ini PATH] [--user CODE] [--password TEXT] [--yes] COMMAND [ARGS...]\n"
        "\n"
        "  --ini PATH        configuration file (default: MAIN.INI in the working directory)\n"
        "  --user CODE       user to log in as (or MIXPLANT_USER)\n"
        "  --password TEXT   the user's password (or MIXPLANT_PASSWORD)\n"
        "  --yes             answer Yes to the operator's yes/no questions\n"
        "\n"
        "commands:\n";
    for (const auto& [name, command] : mp::cli::commands()) {
        std::string usage = command.usage;
        for (size_t start = 0; start < usage.size();) {
            const size_t end = usage.find('\n', start);
            text += "  " + usage.substr(start, end - start) + "\n";
            start = end == std::string::npos ? usage.size() : end + 1;
        }
    }
    return text;
}

int usageError(const std::string& why) {
    std::cerr << "mixplant-cli: " << why << "\n\n" << usageText();
    return kUsageError;
}

std::string envOr(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Reads the global options and the command word; a message when they are wrong.
std::optional<std::string> parse(int argc, char** argv, Context& ctx, bool& help) {
    ctx.user = envOr("MIXPLANT_USER");
    ctx.password = envOr("MIXPLANT_PASSWORD");
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.empty() || a[0] != '-') break;
        if (a == "--help" || a == "-h") {
            help = true;
            return std::nullopt;
        }
        if (a == "--yes") {
            ctx.yes = true;
            continue;
        }
        std::string* target = a == "--ini" ? &ctx.iniPath : a == "--user" ? &ctx.user
                            : a == "--password" ? &ctx.password : nullptr;
        if (!target) return "unknown option " + a;
        if (i + 1 >= argc) return "option " + a + " needs a value";
        *target = argv[++i];
    }
    if (i >= argc) return std::string("no command given");
    ctx.command = argv[i];
    if (!mp::cli::commands().count(ctx.command)) return "unknown command " + ctx.command;
    ctx.args.assign(argv + i + 1, argv + argc);
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    // The error handler comes first: nothing may fail before it is in place.
    mp::ERRORSYS();
    mp::TerminalErrorDialog errorDialog(std::cerr);
    mp::errorSystem().setDialog(&errorDialog);

    Context ctx;
    bool help = false;
    if (auto problem = parse(argc, argv, ctx, help)) return usageError(*problem);
    if (help) {
        std::cout << usageText();
        return 0;
    }
    mp::cli::TerminalOperator terminal(ctx.yes);
    mp::ScopedOperator scopedOperator(&terminal);

    mp::Startup startup(ctx.iniPath);
    ctx.iniPath = startup.iniPath();
    // The command word is the outermost level of the error log's "Stack Calls".
    const mp::cli::Command& command = mp::cli::commands().at(ctx.command);
    MP_CALL_LEVEL(command.name);
    const int status = command.run(ctx);
    std::fflush(stdout);
    return status;
}
