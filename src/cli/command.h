#pragma once

#include <map>
#include <string>
#include <vector>

namespace mp::cli {

// What a command of mixplant-cli is given: its own arguments (after the
// command word) and the global options. Start-up has run before the command
// is called (settings are process-wide names, MAIN.INI exists).
struct Context {
    std::string command;                // e.g. "settings", "order"
    std::vector<std::string> args;      // the rest of the command line
    std::string iniPath;                // --ini, or MAIN.INI in the working directory
    std::string user, password;         // --user/--password or MIXPLANT_USER/MIXPLANT_PASSWORD
    bool yes = false;                   // --yes: answers the operator's yes/no questions with Yes
};

// A command returns the process exit status: 0 success, 1 refused or failed,
// 2 usage error, 3 an expression or run-time error reported by the handler.
using CommandFunction = int (*)(Context&);

struct Command {
    const char* name;
    const char* usage;  // one or more lines, shown by the usage text
    CommandFunction run;
};

// Every command registers itself from its own source file (cmd_*.cpp):
//   static mp::cli::Registrar reg{"settings", "settings   print every setting", &runSettings};
class Registrar {
public:
    Registrar(const char* name, const char* usage, CommandFunction run);
};
const std::map<std::string, Command>& commands();

// Prints `text` (code page 874) on standard output / error as UTF-8, exactly
// as given: a line needs its own "\n".
void out(const std::string& cp874Text);
void err(const std::string& cp874Text);

}  // namespace mp::cli
