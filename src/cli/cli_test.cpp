// Runs the real mixplant-cli in a fresh folder, as the plant or a script would.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out, err;
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/mp_cli_XXXXXX";
        m_dir = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    static std::string slurp(const fs::path& p) {
        std::ifstream f(p, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    // Runs the program in the test folder with standard input closed.
    Outcome run(const std::string& args) const {
        const std::string cmd = "cd '" + m_dir + "' && '" MIXPLANT_CLI "' " + args +
                                " >stdout.txt 2>stderr.txt <&-";
        Outcome r;
        const int raw = std::system(cmd.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = slurp(fs::path(m_dir) / "stdout.txt");
        r.err = slurp(fs::path(m_dir) / "stderr.txt");
        return r;
    }
    static std::map<std::string, std::string> values(const std::string& out) {
        std::map<std::string, std::string> v;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) {
            const auto eq = line.find('=');
            if (eq != std::string::npos) v[line.substr(0, eq)] = line.substr(eq + 1);
        }
        return v;
    }

    std::string m_dir;
};

TEST_F(CliTest, SettingsOnAFirstStartCreatesMainIni) {
    const Outcome r = run("settings");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string ini = slurp(fs::path(m_dir) / "MAIN.INI");
    size_t keys = 0;
    std::istringstream in(ini);
    for (std::string line; std::getline(in, line);) keys += line.find('=') != std::string::npos;
    EXPECT_EQ(keys, 47u);

    const auto v = values(r.out);
    EXPECT_EQ(v.size(), 66u);  // 62 settings and VARFILE, CCOLOR, CUSER, CTRUSTEE
    EXPECT_EQ(v.at("CHLINE"), "บริษัท ทาริโน จำกัด");  // printed in UTF-8
    EXPECT_EQ(v.at("CRNAME1"), "หมายเหตุ");
    EXPECT_EQ(v.at("CWLIMIT"), "20");
    EXPECT_EQ(v.at("NFONTRATIO"), "1");
    EXPECT_EQ(v.at("CDRV4"), ".\\WORK\\");
    EXPECT_EQ(v.at("CCOLOR"), "16775930");
    EXPECT_EQ(v.at("VARFILE"), ".\\MAIN.INI");
    EXPECT_EQ(v.at("CUSER"), "");
    EXPECT_EQ(v.at("CTIMER"), "100");
}

TEST_F(CliTest, SettingsReadsTheNamedFile) {
    fs::create_directory(fs::path(m_dir) / "site");
    std::ofstream(fs::path(m_dir) / "site" / "plant.ini", std::ios::binary)
        << "[Misc]\r\nW.Limit=  15.5\r\nColor_R=300\r\n[Font]\r\nRatio=-3\r\n";
    const Outcome r = run("--ini site/plant.ini --yes settings");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto v = values(r.out);
    EXPECT_EQ(v.at("CWLIMIT"), "15.5");
    EXPECT_EQ(v.at("NFONTRATIO"), "3");
    EXPECT_EQ(v.at("CCOLOR"), std::to_string(300 + 256 * 250 + 65536 * 255));
    EXPECT_EQ(v.at("VARFILE"), "site/plant.ini");
    EXPECT_FALSE(fs::exists(fs::path(m_dir) / "MAIN.INI"));
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
    const char* cases[] = {"", "nosuchcommand", "--ini", "--bogus settings", "settings extra"};
    for (const char* args : cases) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage: mixplant-cli"), std::string::npos) << args << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << args;
    }
    const Outcome help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("settings"), std::string::npos);
}

}  // namespace
