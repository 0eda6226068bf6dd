#pragma once

#include <string>

namespace mp {

// A pseudo-terminal pair: the master side stands for the devices at the far
// end of the line, the slave path is what the program opens as its port.
// The slave is opened once here and kept open, so the master never sees a
// hang-up while the program closes and reopens the port, and it is put in
// raw mode at once so nothing the devices send is echoed back to them.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Creates the pair; false (with errno set) when the system refuses.
    bool create();
    int masterFd() const { return m_master; }
    const std::string& slavePath() const { return m_slavePath; }
    void close();

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

}  // namespace mp
