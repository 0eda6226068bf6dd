#include "app/users/users.h"

#include <gtest/gtest.h>

#include "app/settings.h"
#include "app/users/password_cipher.h"
#include "data/test_site.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/files.h"

namespace mp {
namespace {

class Users : public testing::SiteTest {
protected:
    void SetUp() override {
        SiteTest::SetUp();
        ASSERT_TRUE(openUsers());
        addUser("ADMIN", "ADMIN", std::string(42, '6'));
        addUser("OPER", "", "11100000000000");
        addUser("SHORT", "PW", "1");
        addUser("ODD", "PW", "6x9-6 ");
        workAreas().closeAll();
        settings().CUSER.clear();
        settings().CTRUSTEE.clear();
        m_operator.calls.clear();
    }
    void addUser(const char* code, const char* password, const std::string& rights) {
        std::string pw = password;
        pw.resize(6, ' ');
        ASSERT_TRUE(appendRecord("USERLIST", {{"CODE", Value(code)}, {"NAME", Value(code)},
                                              {"PASS_W", Value(encipherPassword(pw))},
                                              {"TRUSTEE", Value(rights)}}));
    }
    std::string stored(const char* code, const char* field) {
        EXPECT_TRUE(openUsers());
        EXPECT_TRUE(findUser(code));
        std::string v = currentTable()->value(field).text();
        workAreas().closeAll();
        return v;
    }
};

TEST_F(Users, LoginMatchesCodeAndPassword) {
    struct Case {
        const char* code;
        const char* password;
        bool ok;
        const char* user;
    };
    const Case cases[] = {
        {"ADMIN", "ADMIN", true, "ADMIN"}, {"admin", "admin", true, "ADMIN"},   // lower case logs in
        {"ADMIN  ", "ADMIN ", true, "ADMIN"}, {"ADMIN", "ADMINX", false, ""},
        {"ADMIN", "ADMIN12", false, ""},  // longer than the entry
        {"AD", "ADMIN", false, ""},        // no prefix match
        {"OPER", "", true, "OPER"},        // no password set: the empty entry
        {"OPER", "X", false, ""},          {"NOBODY", "", false, ""},
    };
    for (const Case& c : cases) {
        settings().CUSER.clear();
        EXPECT_EQ(c.ok, USERCHK(c.code, c.password)) << c.code << "/" << c.password;
        EXPECT_EQ(c.user, settings().CUSER) << c.code;
        EXPECT_EQ(nullptr, workAreas().table("USERLIST"));
    }
    EXPECT_TRUE(m_operator.calls.empty());
}

TEST_F(Users, ADeletedUserCannotLogInUntilRestored) {
    auto mark = [this](bool deleted) {
        ASSERT_TRUE(openUsers());
        ASSERT_TRUE(findUser("OPER"));
        xbase::Table* t = currentTable();
        ASSERT_TRUE(t->lockRecord());
        ASSERT_TRUE(t->setDeleted(deleted));
        ASSERT_TRUE(t->commit());
        t->unlockAll();
        workAreas().closeAll();
    };
    mark(true);
    EXPECT_FALSE(USERCHK("OPER", ""));
    EXPECT_EQ("", settings().CUSER);
    mark(false);
    EXPECT_TRUE(USERCHK("OPER", ""));
    EXPECT_EQ("OPER", settings().CUSER);
}

TEST_F(Users, LoginFailsWithOpensMessageWhenTheUsersCannotBeOpened) {
    std::remove(findFile(pathOf("USERLIST") + ".DBF").c_str());
    EXPECT_FALSE(USERCHK("ADMIN", "ADMIN"));
    ASSERT_EQ(1u, m_operator.calls.size());
    EXPECT_EQ(0u, m_operator.calls[0].text.find(T("ไม่พบแฟ้ม ")));
}

TEST_F(Users, RightsLevelsCountMissingAndForeignCharactersAsZero) {
    struct Case {
        const char* code;
        int area;
        int level;
    };
    const Case cases[] = {{"ADMIN", 1, 6}, {"ADMIN", 14, 6}, {"OPER", 3, 1}, {"OPER", 4, 0},
                          {"SHORT", 1, 1}, {"SHORT", 2, 0},  {"SHORT", 14, 0}, {"ODD", 1, 6},
                          {"ODD", 2, 0},   {"ODD", 3, 0},    {"ODD", 4, 0},   {"ODD", 5, 6},
                          {"ODD", 6, 0},   {"ADMIN", 0, 0},  {"ADMIN", 43, 0}};
    for (const Case& c : cases) {
        std::string pw = std::string(c.code) == "ADMIN" ? "ADMIN" : std::string(c.code) == "OPER" ? "" : "PW";
        ASSERT_TRUE(USERCHK(c.code, pw));
        EXPECT_EQ(c.level, userLevel(c.area)) << c.code << " area " << c.area;
    }
    EXPECT_EQ("0000000000000000000000000000000000000000", editableRights("").substr(0, 40));
    EXPECT_EQ(std::string("600060") + std::string(36, '0'), editableRights("6x9-6 "));
}

TEST_F(Users, AuthchkRefusesBelowTheLevelWithItsMessage) {
    ASSERT_TRUE(USERCHK("OPER", ""));
    EXPECT_TRUE(AUTHCHK(1, 1));
    EXPECT_TRUE(AUTHCHK(9, 0));  // level 0 always admits
    EXPECT_TRUE(m_operator.calls.empty());
    EXPECT_FALSE(AUTHCHK(1, 2));
    EXPECT_FALSE(AUTHCHK(9, 1));
    ASSERT_EQ(2u, m_operator.calls.size());
    EXPECT_EQ(T("คุณไม่มีอำนาจที่จะใช้คำสั่งนี้"), m_operator.calls[0].text);
    EXPECT_EQ(T("  ส่วนการกำหนดอำนาจ"), m_operator.calls[0].title);
}

TEST_F(Users, TruschkAcceptsLevelDigitsAndShowsTheLegendOtherwise) {
    for (const char* ok : {"0", "3", "6"}) EXPECT_TRUE(TRUSCHK(ok));
    EXPECT_TRUE(m_operator.calls.empty());
    for (const char* bad : {"7", "9", "a", " ", "", "12"}) EXPECT_FALSE(TRUSCHK(bad)) << bad;
    ASSERT_EQ(6u, m_operator.calls.size());
    EXPECT_EQ(levelLegendTitle(), m_operator.calls[0].title);
    EXPECT_NE(std::string::npos, m_operator.calls[0].text.find(T("6 = อำนาจเต็มที่")));
}

TEST_F(Users, PasswordChangeFollowsTheStoredPassword) {
    struct Step {
        const char* user;
        const char* oldPw;
        const char* newPw;
        const char* repeat;
        PasswordChange outcome;
        const char* message;
    };
    const Step steps[] = {
        {"OPER", "ANY", "NEW1", "NEW1", PasswordChange::Changed, "การเปลี่ยนรหัสใหม่เรียบร้อย"},  // none set
        {"OPER", "ANY", "NEW2", "NEW2", PasswordChange::OldWrong, "ระบุรหัสเดิมไม่ถูกต้อง"},     // now set
        {"OPER", "new1", "NEW2", "NEW3", PasswordChange::RepeatMismatch, "การทวนรหัสใหม่ไม่ถูกต้อง"},
        {"OPER", "new1", "new2", "NEW2", PasswordChange::Changed, "การเปลี่ยนรหัสใหม่เรียบร้อย"},
        {"OPER", "", "X", "X", PasswordChange::BlankEntry, nullptr},
    };
    for (const Step& s : steps) {
        m_operator.calls.clear();
        ASSERT_TRUE(openUsers());
        ASSERT_TRUE(findUser(s.user));
        EXPECT_EQ(s.outcome, changePassword(s.oldPw, s.newPw, s.repeat)) << s.oldPw << " " << s.newPw;
        workAreas().closeAll();
        if (!s.message) {
            EXPECT_TRUE(m_operator.calls.empty());
            continue;
        }
        ASSERT_EQ(2u, m_operator.calls.size());
        EXPECT_EQ("beep", m_operator.calls[0].kind);
        EXPECT_EQ("alert", m_operator.calls[1].kind);
        EXPECT_EQ(T(s.message), m_operator.calls[1].text);
        EXPECT_EQ(T("  ส่วนการกำหนดรหัสผ่าน"), m_operator.calls[1].title);
    }
    EXPECT_TRUE(USERCHK("oper", "NEW2"));
    EXPECT_FALSE(USERCHK("OPER", "NEW1"));
}

TEST_F(Users, RightsEditorStoresFortyTwoLevelsAndOwnRightsApplyAtOnce) {
    ASSERT_TRUE(USERCHK("ADMIN", "ADMIN"));
    ASSERT_TRUE(openUsers());
    ASSERT_TRUE(findUser("ODD"));
    EXPECT_EQ(std::string("600060") + std::string(36, '0'), currentUserRights());
    ASSERT_TRUE(setRights("12"));
    workAreas().closeAll();
    EXPECT_EQ(std::string("120060") + std::string(36, '0'), stored("ODD", "TRUSTEE"));
    EXPECT_EQ(std::string(42, '6'), settings().CTRUSTEE);  // another user: no change here

    ASSERT_TRUE(AUTHCHK(14, 1));
    ASSERT_TRUE(openUsers());
    ASSERT_TRUE(findUser("ADMIN"));
    ASSERT_TRUE(setRights("6666666666666a0"));  // area 14 to level 0, area 15 foreign
    workAreas().closeAll();
    const std::string expected = std::string(13, '6') + "00" + std::string(27, '6');
    EXPECT_EQ(expected, settings().CTRUSTEE);
    EXPECT_EQ(expected, stored("ADMIN", "TRUSTEE"));
    EXPECT_FALSE(AUTHCHK(14, 1));  // without a new login
}

}  // namespace
}  // namespace mp
