#include "app/startup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/settings.h"
#include "platform/runtime/publics.h"

namespace mp {
namespace {

namespace fs = std::filesystem;

// Runs each test in a fresh working directory, as the plant starts the
// program in its own folder.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_oldCwd = fs::current_path();
        char tmpl[] = "/tmp/mp_startup_XXXXXX";
        m_dir = mkdtemp(tmpl);
        fs::current_path(m_dir);
    }
    void TearDown() override {
        fs::current_path(m_oldCwd);
        fs::remove_all(m_dir);
    }
    static std::string slurp(const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }

    fs::path m_oldCwd;
    std::string m_dir;
};

TEST_F(StartupTest, FirstStartCreatesMainIniInTheWorkingDirectory) {
    {
        Startup start("");
        EXPECT_TRUE(start.iniWasCreated());
        EXPECT_EQ(start.iniPath(), ".\\MAIN.INI");
        EXPECT_EQ(Publics::instance().get("VARFILE")->text(), ".\\MAIN.INI");
        EXPECT_EQ(Publics::instance().get("CUSER")->text(), "");
        EXPECT_DOUBLE_EQ(Publics::instance().get("CCOLOR")->number(), 250 + 256 * 250 + 65536 * 255);
    }
    ASSERT_TRUE(fs::exists("MAIN.INI"));
    const std::string text = slurp("MAIN.INI");
    size_t keys = 0;
    for (size_t p = 0; (p = text.find('=', p)) != std::string::npos; ++p) ++keys;
    EXPECT_EQ(keys, 47u);
    EXPECT_EQ(text.find("Timer"), std::string::npos);
    EXPECT_EQ(text.find("[Name]"), std::string::npos);
    // The site's folders are used by plain concatenation; names match in any case.
    EXPECT_TRUE(fs::equivalent(sitePath(".\\", "main.ini"), "MAIN.INI"));
}

TEST_F(StartupTest, ExistingFileIsReadAndNotRewritten) {
    const std::string hand = "[Misc]\r\nW.Limit=  15.5\r\nColor_R=300\r\n";
    std::ofstream("main.ini", std::ios::binary) << hand;  // any spelling of the name
    {
        Startup start("");
        EXPECT_FALSE(start.iniWasCreated());
        EXPECT_DOUBLE_EQ(settings().CWLIMIT, 15.5);
        EXPECT_EQ(static_cast<long>(settings().CCOLOR) % 256, 44);
    }
    EXPECT_EQ(slurp("main.ini"), hand);
}

TEST_F(StartupTest, ShutDownReleasesNamesAndClosesTables) {
    int closed = 0;
    setCloseAllTables([&closed] { ++closed; });
    {
        Startup start(m_dir + "/site.ini");
        EXPECT_EQ(closed, 1);  // step 8
        EXPECT_TRUE(Publics::instance().exists("CDRV1"));
        EXPECT_EQ(helpFile(), "Main.hlp");
    }
    EXPECT_EQ(closed, 2);
    EXPECT_FALSE(Publics::instance().exists("CDRV1"));
    EXPECT_FALSE(Publics::instance().exists("VARFILE"));
    setCloseAllTables(nullptr);
}

TEST_F(StartupTest, SaveIniWritesBackToVarfile) {
    Startup start(m_dir + "/site.ini");
    settings().CWLIMIT = 42;
    Publics::instance().assign("CDRV3", Value("B:\\"));
    SAVEINI();
    Settings back;
    readSettings(back, m_dir + "/site.ini");
    EXPECT_DOUBLE_EQ(back.CWLIMIT, 42);
    EXPECT_EQ(back.CDRV3, "B:\\");
}

}  // namespace
}  // namespace mp
