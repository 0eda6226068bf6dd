#include "platform/runtime/files.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace mp {
namespace {

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/mp_files_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        ASSERT_EQ(mkdir((m_dir + "/WORK").c_str(), 0755), 0);
        ASSERT_TRUE(writeFile(m_dir + "/WORK/USERLIST.DBF", "u"));
        ASSERT_TRUE(writeFile(m_dir + "/Ticket.txt", "t"));
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }
    std::string m_dir;
};

TEST(NativePath, BackslashesBecomeSlashes) {
    EXPECT_EQ(nativePath(".\\WORK\\"), "./WORK/");
    EXPECT_EQ(nativePath("A:\\"), "A:/");
    EXPECT_EQ(nativePath("plain/path"), "plain/path");
}

TEST_F(FilesTest, FindsFilesWithoutRegardToCase) {
    struct Case {
        std::string given, found;
    } cases[] = {
        {m_dir + "/WORK/USERLIST.DBF", m_dir + "/WORK/USERLIST.DBF"},
        {m_dir + "\\work\\Userlist.dbf", m_dir + "/WORK/USERLIST.DBF"},
        {m_dir + "/TICKET.TXT", m_dir + "/Ticket.txt"},
        {m_dir + "/work/", m_dir + "/WORK/"},
        {m_dir + "/work/./userlist.dbf", m_dir + "/WORK/./USERLIST.DBF"},
        // A new file keeps its spelling but lands in the existing folder.
        {m_dir + "/work/NEW.DBF", m_dir + "/WORK/NEW.DBF"},
        {m_dir + "/none/NEW.DBF", m_dir + "/none/NEW.DBF"},
    };
    for (const Case& c : cases) EXPECT_EQ(findFile(c.given), c.found) << c.given;
    EXPECT_TRUE(fileExists(m_dir + "\\Work\\userlist.DBF"));
    EXPECT_FALSE(fileExists(m_dir + "/WORK"));
    EXPECT_TRUE(directoryExists(m_dir + "\\work\\"));
    EXPECT_FALSE(directoryExists(m_dir + "/ticket.txt"));
    EXPECT_FALSE(fileExists(m_dir + "/missing.txt"));
}

TEST_F(FilesTest, RelativePathsWithDotBackslash) {
    char old[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(m_dir.c_str()), 0);
    EXPECT_EQ(findFile(".\\work\\userlist.dbf"), "./WORK/USERLIST.DBF");
    EXPECT_EQ(findFile("work\\userlist.dbf"), "WORK/USERLIST.DBF");
    EXPECT_TRUE(fileExists(".\\TICKET.TXT"));
    std::string s;
    EXPECT_TRUE(readFile(".\\ticket.TXT", s));
    EXPECT_EQ(s, "t");
    ASSERT_EQ(chdir(old), 0);
}

TEST_F(FilesTest, ReadAndWriteWholeFiles) {
    std::string bytes("a\0b\r\n\xFF", 6);
    ASSERT_TRUE(writeFile(m_dir + "/work/bin.dat", bytes));
    std::string back;
    ASSERT_TRUE(readFile(m_dir + "/WORK/BIN.DAT", back));
    EXPECT_EQ(back, bytes);
    back = "stale";
    EXPECT_FALSE(readFile(m_dir + "/missing", back));
    EXPECT_EQ(back, "");
    EXPECT_FALSE(writeFile(m_dir + "/no/such/dir/x", "x"));
}

}  // namespace
}  // namespace mp
