#include "app/ui/user_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>

#include "app/startup.h"
#include "app/ui/main_window.h"
#include "app/ui/test_site_ui.h"
#include "app/users/users.h"
#include "platform/qtkit/browse.h"

namespace mp {
namespace {

using testing::answerBox;
using testing::typeInto;
using testing::u;

class UserDialogs : public testing::UiSiteTest {
protected:
    // Clicks the picture button whose tooltip is `tip`.
    static void press(QWidget* dlg, const char* tip) {
        for (QAbstractButton* b : dlg->findChildren<QAbstractButton*>())
            if (b->toolTip() == u(tip)) return b->click();
        ADD_FAILURE() << "no button " << tip;
    }
};

const char* const kPwTitle = "  ส่วนการกำหนดรหัสผ่าน";

// Each way the save can go: what is stored and what is said.
TEST_F(UserDialogs, PasswordChangeAsTyped) {
    struct Case {
        const char* storedBefore;  // plain, "" for none set
        const char *old, *fresh, *repeat;
        const char* message;       // UTF-8
        const char* storedAfter;   // plain
    };
    const Case cases[] = {
        {"123456", "123456", "abc", "ABC", "การเปลี่ยนรหัสใหม่เรียบร้อย", "ABC   "},
        {"123456", "654321", "abc", "abc", "ระบุรหัสเดิมไม่ถูกต้อง", "123456"},
        {"123456", "123456", "abc", "abd", "การทวนรหัสใหม่ไม่ถูกต้อง", "123456"},
        {"", "xyz", "new1", "new1", "การเปลี่ยนรหัสใหม่เรียบร้อย", "NEW1  "},  // none set: any old entry
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string code = "U" + std::to_string(++n);
        addUser(code, "First user", c.storedBefore, "");
        standOn(code);
        QString said;
        testing::whenModal([&](QWidget* dlg) {
            EXPECT_EQ(dlg->windowTitle(), qs("  " + code + " - First user"));
            typeInto(dlg, "old", c.old);
            typeInto(dlg, "new", c.fresh);
            typeInto(dlg, "repeat", c.repeat);
            testing::whenModal([&](QWidget* box) { said = answerBox(box); });
            press(dlg, "บันทึกข้อมูลนี้");
        });
        runPasswordDialog(nullptr, font);
        workAreas().closeAll();
        EXPECT_EQ(said, u(kPwTitle) + "|" + u(c.message)) << c.old << "/" << c.fresh;
        EXPECT_EQ(decipherPassword(stored(code, "PASS_W")), c.storedAfter);
        EXPECT_TRUE(USERCHK(code, c.storedAfter));  // the login takes the stored password
    }
}

// An entry left blank is refused: the focus stays there, nothing is stored;
// cancel stores nothing and says nothing.
TEST_F(UserDialogs, PasswordBlankEntryAndCancel) {
    standOn("SUP");
    const std::string before = stored("SUP", "PASS_W");
    standOn("SUP");
    testing::whenModal([&](QWidget* w) {
        auto* dlg = static_cast<KitDialog*>(w);
        typeInto(dlg, "old", "123456");
        press(dlg, "บันทึกข้อมูลนี้");  // new and repeat never visited
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_TRUE(dlg->entry("new")->hasFocus());
        dlg->entry("repeat")->setFocus();  // leaving a blank entry is refused
        QApplication::processEvents();
        EXPECT_TRUE(dlg->entry("new")->hasFocus());
        press(dlg, "ยกเลิกการทำงาน");
    });
    runPasswordDialog(nullptr, font);
    EXPECT_EQ(stored("SUP", "PASS_W"), before);
}

// Foreign characters show as "0" and are stored as "0"; a non-level digit
// shows the legend and keeps the focus; one's own rights apply at once.
TEST_F(UserDialogs, RightsEditorNormalisesAndAppliesOwnRightsAtOnce) {
    addUser("MIX", "Mixed rights", "333333", "9A6123x5666666" + std::string(10, 'Z') + "45");
    ASSERT_TRUE(USERCHK("MIX", "333333"));
    EXPECT_TRUE(AUTHCHK(14, 1));
    standOn("MIX");
    QString shown, legend;
    testing::whenModal([&](QWidget* w) {
        auto* dlg = static_cast<KitDialog*>(w);
        EXPECT_EQ(dlg->windowTitle(), u("  MIX : Mixed rights"));
        for (int a = 1; a <= 14; ++a) shown += qs(dlg->value("r" + std::to_string(a)));
        typeInto(dlg, "r2", "7");
        testing::whenModal([&](QWidget* box) {
            legend = box->windowTitle() + "|" + testing::labelsOf(box);
            testing::clickButton(box, u("ตกลง"));
        });
        EXPECT_FALSE(dlg->entry("r2")->validate());  // as leaving "7" does: the legend, and the focus kept
        typeInto(dlg, "r2", "2");
        typeInto(dlg, "r14", "0");
        press(dlg, "บันทึกข้อมูลนี้");
    });
    runRightsDialog(nullptr, font);
    EXPECT_EQ(shown, "00612305666666");
    EXPECT_TRUE(legend.startsWith(u("  การกำหนดระดับอำนาจ|")));
    EXPECT_TRUE(legend.contains(u("0 = ไม่มีอำนาจ")));
    EXPECT_TRUE(legend.contains(u("6 = อำนาจเต็มที่")));
    const std::string expected = "02612305666660" + std::string(10, '0') + "45" + std::string(16, '0');
    EXPECT_EQ(stored("MIX", "TRUSTEE"), expected);
    EXPECT_EQ(settings().CTRUSTEE, expected);
    testing::whenModal([](QWidget* box) { testing::clickButton(box, "OK"); });
    EXPECT_FALSE(AUTHCHK(14, 1));  // the settings are closed to the user at once
}

// Another user's rights are stored but the logged-in user's stay; cancel stores nothing.
TEST_F(UserDialogs, RightsOfAnotherUserAndCancel) {
    ASSERT_TRUE(USERCHK("SUP", "123456"));
    for (bool save : {false, true}) {
        standOn("OPR");
        testing::whenModal([&](QWidget* w) {
            typeInto(w, "r1", "3");
            press(w, save ? "บันทึกข้อมูลนี้" : "ยกเลิกการทำงาน");
        });
        runRightsDialog(nullptr, font);
        EXPECT_EQ(stored("OPR", "TRUSTEE").substr(0, 2), save ? "30" : "  ");
    }
    EXPECT_EQ(settings().CTRUSTEE, std::string(42, '6'));
}

// The user list of the main window's user codes entry: the browse of
// USERLIST, the password and rights buttons for full rights only, and every
// table closed when it ends.
TEST_F(UserDialogs, UserListFromTheMainWindow) {
    struct Case {
        const char *code, *password;
        bool buttons;
    };
    addUser("ED6", "Editor", "444444", "111116");
    addUser("ED5", "Viewer", "555555", "111115");
    for (const Case& c : {Case{"ED6", "444444", true}, Case{"ED5", "555555", false}}) {
        ASSERT_TRUE(USERCHK(c.code, c.password));
        MainWindow window(font);
        QStringList codes;
        bool hasButtons = false;
        testing::whenModal([&](QWidget* dlg) {
            auto* browse = dlg->findChild<TableBrowse*>("users");
            for (int r = 0; r < browse->model()->rowCount(); ++r)
                codes << browse->model()->index(r, 0).data().toString().trimmed();
            hasButtons = testing::findButton(dlg, u("รหัสผ่าน")) && testing::findButton(dlg, u("อำนาจ"));
            if (hasButtons) {
                browse->selectRow(codes.indexOf("OPR"));
                testing::whenModal([](QWidget* rights) {
                    EXPECT_EQ(rights->windowTitle(), u("  OPR : Operator"));
                    typeInto(rights, "r5", "4");
                    for (QAbstractButton* b : rights->findChildren<QAbstractButton*>())
                        if (b->toolTip() == u("บันทึกข้อมูลนี้")) b->click();
                });
                testing::clickButton(dlg, u("อำนาจ"));
            }
            testing::clickButton(dlg, u("ออก"));
        });
        window.activate(menuEntries()[3].children[8]);  // user codes
        EXPECT_EQ(codes, (QStringList{"ED5", "ED6", "OPR", "SUP"}));
        EXPECT_EQ(hasButtons, c.buttons);
        EXPECT_EQ(workAreas().table("USERLIST"), nullptr);
    }
    EXPECT_EQ(stored("OPR", "TRUSTEE").substr(0, 5), "00004");
}

}  // namespace
}  // namespace mp
