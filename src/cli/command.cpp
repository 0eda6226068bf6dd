#include "cli/command.h"

#include <cstdio>

#include "platform/runtime/cp874.h"

namespace mp::cli {

namespace {

std::map<std::string, Command>& registry() {
    static std::map<std::string, Command> commands;
    return commands;
}

void write(std::FILE* stream, const std::string& cp874Text) {
    const std::string utf8 = cp874ToUtf8(cp874Text);
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

}  // namespace

Registrar::Registrar(const char* name, const char* usage, CommandFunction run) {
    registry()[name] = Command{name, usage, run};
}

const std::map<std::string, Command>& commands() { return registry(); }

void out(const std::string& cp874Text) { write(stdout, cp874Text); }

void err(const std::string& cp874Text) {
    std::fflush(stdout);  // keep the order of what a command says on both streams
    write(stderr, cp874Text);
}

}  // namespace mp::cli
