#pragma once

// Test helper: runs mixplant-sim as a child process on a link in a fresh
// temporary folder, with a MAIN.INI whose [Comm] COM1 names that link.

#include <string>
#include <vector>

namespace mp::sim {

class SimProcess {
public:
    // Starts `simPath` with --link and `extraArgs`; waits for its "ready" line.
    SimProcess(const std::string& simPath, const std::vector<std::string>& extraArgs);
    ~SimProcess();  // stops the simulator
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ready() const { return m_ready; }
    const std::string& folder() const { return m_folder; }
    const std::string& link() const { return m_link; }
    const std::string& iniPath() const { return m_ini; }
    // Stops the simulator (SIGTERM) and returns all it printed.
    std::string stop();

private:
    std::string readLine(double timeoutSeconds);

    int m_pid = -1;
    int m_out = -1;
    bool m_ready = false;
    std::string m_folder, m_link, m_ini, m_output;
};

// Runs a command, returns its standard output; `status` gets the exit status.
std::string runCommand(const std::vector<std::string>& argv, int& status);

}  // namespace mp::sim
