#pragma once

#include <string>

#include "platform/runtime/publics.h"

namespace mp {

// Start-up steps 1 to 9 and the orderly shut-down, shared by the operator
// program and mixplant-cli. Lives for the whole run: its destructor is the
// shut-down (tables closed, process-wide values released).
class Startup {
public:
    // `iniPath` empty means ".\MAIN.INI" in the working directory.
    explicit Startup(std::string iniPath);
    ~Startup();
    Startup(const Startup&) = delete;
    Startup& operator=(const Startup&) = delete;

    const std::string& iniPath() const;
    bool iniWasCreated() const { return m_created; }

private:
    PublicsScope m_names;
    bool m_created = false;
};

}  // namespace mp
