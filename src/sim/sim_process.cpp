#include "sim/sim_process.h"

#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

namespace mp::sim {
namespace {

pid_t spawn(const std::vector<std::string>& argv, int& outFd) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(pipeFds[1]);
    outFd = pipeFds[0];
    return pid;
}

std::string readAll(int fd) {
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
    return out;
}

}  // namespace

SimProcess::SimProcess(const std::string& simPath, const std::vector<std::string>& extraArgs) {
    char tmpl[] = "/tmp/mixplant-sim-XXXXXX";
    if (!mkdtemp(tmpl)) return;
    m_folder = tmpl;
    m_link = m_folder + "/link";
    m_ini = m_folder + "/MAIN.INI";
    std::ofstream(m_ini, std::ios::binary) << "[Comm]\r\nScale=1:9600,N,8,1\r\nI/O=01234578\r\nCOM1=" << m_link
                                           << "\r\n";
    std::vector<std::string> argv{simPath, "--link", m_link};
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    m_pid = spawn(argv, m_out);
    if (m_pid < 0) return;
    std::string line = readLine(10.0);
    m_output += line;
    m_ready = line == "ready " + m_link + "\n";
}

std::string SimProcess::readLine(double timeoutSeconds) {
    std::string line;
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    char c;
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{m_out, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        if (read(m_out, &c, 1) != 1) break;
        line += c;
        if (c == '\n') break;
    }
    return line;
}

std::string SimProcess::stop() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        m_output += readAll(m_out);
        waitpid(m_pid, nullptr, 0);
        close(m_out);
        m_pid = -1;
    }
    return m_output;
}

SimProcess::~SimProcess() {
    stop();
    if (!m_folder.empty()) {
        unlink(m_ini.c_str());
        unlink(m_link.c_str());
        rmdir(m_folder.c_str());
    }
}

std::string runCommand(const std::vector<std::string>& argv, int& status) {
    int out = -1;
    pid_t pid = spawn(argv, out);
    if (pid < 0) {
        status = -1;
        return "";
    }
    std::string text = readAll(out);
    close(out);
    int st = 0;
    waitpid(pid, &st, 0);
    status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return text;
}

}  // namespace mp::sim
