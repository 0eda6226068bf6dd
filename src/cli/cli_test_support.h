#pragma once

// Support for the tests that run the real mixplant-cli as the plant or a
// script would: each test gets a fresh folder, the program runs in it with
// standard input closed, and the test reads what it printed and its exit
// status.

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mp::clitest {

// What one run of the program left behind.
struct Outcome {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out, err;
};

// The whole of a file as bytes; "" when it cannot be read.
std::string slurp(const std::string& path);
// `text` cut at every `sep`, the separators dropped.
std::vector<std::string> split(const std::string& text, char sep = '\n');
// The program's path quoted for the shell, with a space after it.
std::string cliCommand();

// A fixture with a fresh temporary folder per test, removed afterwards.
class CliFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs mixplant-cli with `args` (shell words) in the folder, standard
    // input closed; `env` (NAME=value ...) is set for it.
    Outcome run(const std::string& args, const std::string& env = "") const;
    // Runs it logged in as `user` with `password`.
    Outcome as(const std::string& user, const std::string& password, const std::string& args) const;
    // Makes the demo site in the folder (init-site --demo); a failure fails the test.
    void makeDemoSite() const;
    // A file of the folder.
    std::string path(const std::string& name) const { return m_dir + "/" + name; }

    std::string m_dir;
};

}  // namespace mp::clitest
