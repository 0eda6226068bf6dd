// Runs the real mixplant-cli in a fresh folder, as the plant or a script would.

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/cli_test_support.h"

namespace {

namespace fs = std::filesystem;
using mp::clitest::Outcome;
using mp::clitest::slurp;

class CliTest : public mp::clitest::CliFixture {
protected:
    static std::map<std::string, std::string> values(const std::string& out) {
        std::map<std::string, std::string> v;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) {
            const auto eq = line.find('=');
            if (eq != std::string::npos) v[line.substr(0, eq)] = line.substr(eq + 1);
        }
        return v;
    }
};

TEST_F(CliTest, SettingsOnAFirstStartCreatesMainIni) {
    const Outcome r = run("settings");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string ini = slurp(path("MAIN.INI"));
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
