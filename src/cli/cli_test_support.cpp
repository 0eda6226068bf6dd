#include "cli/cli_test_support.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace mp::clitest {

std::string slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, sep);) out.push_back(part);
    return out;
}

std::string cliCommand() { return "'" MIXPLANT_CLI "' "; }

void CliFixture::SetUp() {
    char tmpl[] = "/tmp/mp_cli_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    m_dir = tmpl;
}

void CliFixture::TearDown() {
    if (!m_dir.empty()) std::filesystem::remove_all(m_dir);
}

Outcome CliFixture::run(const std::string& args, const std::string& env) const {
    const std::string cmd = "cd '" + m_dir + "' && " + env + " " + cliCommand() + args +
                            " >stdout.txt 2>stderr.txt <&-";
    Outcome r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(path("stdout.txt"));
    r.err = slurp(path("stderr.txt"));
    return r;
}

Outcome CliFixture::as(const std::string& user, const std::string& password, const std::string& args) const {
    return run("--user " + user + " --password '" + password + "' " + args);
}

void CliFixture::makeDemoSite() const {
    const Outcome made = run("init-site --demo");
    ASSERT_EQ(made.status, 0) << made.err;
}

}  // namespace mp::clitest
