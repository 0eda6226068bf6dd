#include "platform/runtime/ini.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/runtime/cp874.h"
#include "platform/runtime/files.h"

namespace mp {
namespace {

class IniTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/mp_ini_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        m_path = m_dir + "/MAIN.INI";
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }
    std::string contents() {
        std::string s;
        readFile(m_path, s);
        return s;
    }
    std::string m_dir, m_path;
};

TEST_F(IniTest, MissingFileGivesDefaultsAndWritingCreatesIt) {
    IniFile ini(m_path);
    EXPECT_FALSE(ini.existed());
    EXPECT_EQ(ini.get("Misc", "Timer", "100"), "100");
    EXPECT_FALSE(ini.has("Misc", "Timer"));
    ASSERT_TRUE(iniWrite(m_path, "Data", "Name", "X"));
    ASSERT_TRUE(iniWrite(m_path, "Path", "Table", ".\\"));
    ASSERT_TRUE(iniWrite(m_path, "Data", "Branch", "000"));
    EXPECT_EQ(contents(), "[Data]\r\nName=X\r\nBranch=000\r\n\r\n[Path]\r\nTable=.\\\r\n");
    EXPECT_EQ(iniRead(m_path, "data", "BRANCH", "?"), "000");
    EXPECT_TRUE(IniFile(m_path).existed());
}

TEST_F(IniTest, ReadsWindowsSemantics) {
    writeFile(m_path,
              "[Misc]\n"
              "W.Limit=  15.5\t\n"
              "  PageL = 60  \r\n"
              "Format=999999.9\n"
              "Dup=first\n"
              "dup=second\n"
              "Empty=\n"
              "Eq=a=b\n"
              ";Timer=5\n"
              "[Other]\n"
              "Timer=7\n"
              "[MISC]\n"
              "Late=1\n");
    IniFile ini(m_path);
    struct Case {
        const char *section, *key, *expected;
    } cases[] = {
        {"Misc", "W.Limit", "15.5"}, {"misc", "pagel", "60"},    {"MISC", "FORMAT", "999999.9"},
        {"Misc", "DUP", "first"},    {"Misc", "Empty", ""},      {"Misc", "Eq", "a=b"},
        {"Misc", "Timer", "def"},    {"Other", "timer", "7"},    {"Misc", "Late", "def"},
        {"Nope", "Timer", "def"},
    };
    for (const Case& c : cases) EXPECT_EQ(ini.get(c.section, c.key, "def"), c.expected) << c.section << "/" << c.key;
    EXPECT_EQ(ini.keys("misc"), (std::vector<std::string>{"W.Limit", "PageL", "Format", "Dup", "Empty", "Eq"}));
}

// A hand-edited file full of surprises keeps every line it had when a key is
// written; the first of duplicate keys is the one replaced.
TEST_F(IniTest, UglyFileKeepsItsLinesWhenWritten) {
    std::string longLine(100000, 'x');
    std::string thai = T("บริษัท ทาริโน จำกัด");
    std::string original =
        "garbage before any section\r\n"
        "[Data]\r\n"
        "; a comment = with equals\r\n"
        "Name=" + thai + "\r\n"
        "no equals sign here\r\n"
        "name=shadowed duplicate\r\n"
        "\x01\x02\xFF binary junk\r\n"
        "[Broken section\r\n"
        + longLine + "\r\n"
        "Long=" + longLine + "\r\n"
        "\r\n"
        "; trailing comment of Data\r\n"
        "[Misc]\r\n"
        "Timer=100\r\n";
    writeFile(m_path, original);
    IniFile ini(m_path);
    EXPECT_EQ(ini.get("Data", "Name", ""), thai);
    EXPECT_EQ(ini.get("Data", "Long", ""), longLine);
    ini.set("data", "NAME", "New");
    ini.set("Data", "Branch", "000");
    ini.set("Misc", "Timer", "200");
    ini.set("Fresh", "Key", thai);
    ASSERT_TRUE(ini.save());
    std::string expected =
        "garbage before any section\r\n"
        "[Data]\r\n"
        "; a comment = with equals\r\n"
        "Name=New\r\n"
        "no equals sign here\r\n"
        "name=shadowed duplicate\r\n"
        "\x01\x02\xFF binary junk\r\n"
        "[Broken section\r\n"
        + longLine + "\r\n"
        "Long=" + longLine + "\r\n"
        "Branch=000\r\n"
        "\r\n"
        "; trailing comment of Data\r\n"
        "[Misc]\r\n"
        "Timer=200\r\n"
        "\r\n"
        "[Fresh]\r\n"
        "Key=" + thai + "\r\n";
    EXPECT_EQ(contents(), expected);
    IniFile back(m_path);
    EXPECT_EQ(back.get("DATA", "name", ""), "New");
    EXPECT_EQ(back.get("Fresh", "Key", ""), thai);
}

TEST_F(IniTest, LinesEndingsAndValuesThatCannotBreakTheFile) {
    writeFile(m_path, "[A]\nK=1");  // LF only and no final line end
    IniFile ini(m_path);
    EXPECT_EQ(ini.get("A", "K", ""), "1");
    ini.set("A", "K", "two\r\nInjected=1");
    ini.set("A", "", "nokey");
    ini.set("A", "Pad", "   20");  // right-aligned numbers keep their blanks in the file
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(contents(), "[A]\r\nK=two  Injected=1\r\nPad=   20\r\n");
    IniFile back(m_path);
    EXPECT_FALSE(back.has("A", "Injected"));
    EXPECT_EQ(back.get("A", "Pad", ""), "20");
}

TEST_F(IniTest, SaveFailsCleanlyWhereNothingCanBeWritten) {
    IniFile ini(m_dir + "/no/such/folder/MAIN.INI");
    ini.set("A", "K", "1");
    EXPECT_FALSE(ini.save());

    // A read-only settings file is refused, not replaced behind its back
    // (unless the tests run as root, who may write anything).
    writeFile(m_path, "[A]\r\nK=1\r\n");
    ASSERT_EQ(chmod(m_path.c_str(), 0444), 0);
    if (geteuid() != 0) {
        EXPECT_FALSE(iniWrite(m_path, "A", "K", "2"));
        EXPECT_EQ(contents(), "[A]\r\nK=1\r\n");
    }
    // A folder of the name cannot be written as a file either.
    std::string folder = m_dir + "/DIR.INI";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    EXPECT_FALSE(iniWrite(folder, "A", "K", "1"));
}

TEST_F(IniTest, SaveKeepsThePermissionsOfTheFile) {
    writeFile(m_path, "[A]\r\nK=1\r\n");
    ASSERT_EQ(chmod(m_path.c_str(), 0640), 0);
    ASSERT_TRUE(iniWrite(m_path, "A", "K", "2"));
    struct stat st;
    ASSERT_EQ(stat(m_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(IniTest, PathIsFoundWithoutRegardToCaseAndBackslashes) {
    writeFile(m_path, "[A]\r\nK=1\r\n");
    std::string windowsPath = m_dir + "\\main.ini";
    EXPECT_EQ(iniRead(windowsPath, "a", "k", ""), "1");
    ASSERT_TRUE(iniWrite(windowsPath, "A", "K", "2"));
    EXPECT_EQ(contents(), "[A]\r\nK=2\r\n");
}

}  // namespace
}  // namespace mp
