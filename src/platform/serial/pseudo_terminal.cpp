#include "platform/serial/pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace mp {

PseudoTerminal::~PseudoTerminal() { close(); }

bool PseudoTerminal::create() {
    close();
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0) return false;
    char name[128];
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
        ptsname_r(m_master, name, sizeof name) != 0) {
        close();
        return false;
    }
    m_slavePath = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_slave < 0) {
        close();
        return false;
    }
    termios t{};
    tcgetattr(m_slave, &t);
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    tcsetattr(m_slave, TCSANOW, &t);
    return true;
}

void PseudoTerminal::close() {
    if (m_slave >= 0) ::close(m_slave);
    if (m_master >= 0) ::close(m_master);
    m_slave = m_master = -1;
    m_slavePath.clear();
}

}  // namespace mp
