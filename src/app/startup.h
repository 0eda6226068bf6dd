#pragma once

#include <functional>
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

// "Close all tables" as start-up (step 8) and shut-down call it. The table
// layer installs its own when it comes up; until then there is nothing to close.
void setCloseAllTables(std::function<void()> closeAll);
void closeAllTables();

// The help file the platform's help key opens (start-up names "Main.hlp").
const std::string& helpFile();

// The configuration file used when none is given: MAIN.INI in the working directory.
constexpr const char* kDefaultIniPath = ".\\MAIN.INI";

}  // namespace mp
