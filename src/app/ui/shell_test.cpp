#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <set>

#include "app/settings.h"
#include "app/ui/main_window.h"
#include "app/ui/shell_dialogs.h"
#include "app/ui/user_directory.h"
#include "platform/qtkit/dialog.h"
#include "platform/qtkit/messages.h"
#include "platform/qtkit/testing.h"
#include "platform/qtkit/text.h"
#include "platform/qtkit/widgets.h"
#include "platform/runtime/cp874.h"

namespace mp {
namespace {

// The users' table as the tests need it: one user, SUP with password 123456,
// and a rights string the test sets; every call recorded.
class TestUsers : public UserDirectory {
public:
    bool check(const std::string& code, const std::string& password) override {
        checks.push_back({code, password});
        if (code.substr(0, 6) != "SUP   " || password != "123456") return false;
        settings().CUSER = "SUP";
        settings().CTRUSTEE = trustee;
        return true;
    }
    bool authorize(int area, int level) override {
        asked.push_back({area, level});
        int have = area <= static_cast<int>(trustee.size()) && isdigit(trustee[area - 1]) ? trustee[area - 1] - '0' : 0;
        return level <= have;
    }
    std::vector<std::pair<std::string, std::string>> checks;
    std::vector<std::pair<int, int>> asked;
    std::string trustee;
};

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        testing::testApp();
        defaultSettings(settings());
        settings().CUSER.clear();
    }
    QFont font = QFont("Loma", 12);
};

void typeInto(QWidget* dlg, const char* id, const char* text) {
    auto* d = static_cast<KitDialog*>(dlg);
    d->entry(id)->setFocus();
    d->entry(id)->setCursorPosition(0);
    QTest::keyClicks(d->entry(id), text);
}

TEST_F(Shell, WrongPasswordKeepsTheLoginThenALowerCaseCodeLogsIn) {
    TestUsers users;
    QString refusal;
    testing::whenModal([&](QWidget* login) {
        typeInto(login, "code", "sup");
        typeInto(login, "password", "999999");
        testing::whenModal([&](QWidget* box) {
            refusal = box->windowTitle() + "|" + testing::labelsOf(box);
            testing::clickButton(box, "OK");
            // the dialog stands for another try
            typeInto(login, "password", "123456");
            testing::clickButton(login, qs(T(shelltext::kOk)));
        });
        testing::clickButton(login, qs(T(shelltext::kOk)));
    });
    EXPECT_TRUE(runLogin(nullptr, users, font, {}));
    EXPECT_TRUE(refusal.startsWith(qs(T(shelltext::kLoginRefusedTitle))));
    EXPECT_TRUE(refusal.contains(qs(T(shelltext::kLoginRefused))));
    ASSERT_EQ(users.checks.size(), 2u);
    EXPECT_EQ(users.checks[0].first, "SUP" + std::string(12, ' '));  // typed in lower case
    EXPECT_EQ(settings().CUSER, "SUP");
}

TEST_F(Shell, CancelledLoginLogsNobodyIn) {
    struct Case {
        std::function<void(QWidget*)> close;
    };
    const Case cases[] = {
        {[](QWidget* w) { testing::clickButton(w, qs(T(shelltext::kCancel))); }},
        {[](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }},
        {[](QWidget* w) { w->close(); }},  // the close box
    };
    for (const Case& c : cases) {
        TestUsers users;
        testing::whenModal(c.close);
        EXPECT_FALSE(runLogin(nullptr, users, font, {}));
        EXPECT_TRUE(users.checks.empty());
        EXPECT_TRUE(settings().CUSER.empty());
    }
}

TEST_F(Shell, WithoutAUsersTableNobodyLogsIn) {
    QtOperator op;
    ScopedOperator guard(&op);
    std::vector<QString> boxes;
    testing::whenModal([&](QWidget* login) {
        typeInto(login, "code", "sup");
        typeInto(login, "password", "123456");
        testing::whenModal([&](QWidget* box) {  // the table cannot be opened
            boxes.push_back(box->windowTitle());
            testing::whenModal([&](QWidget* box2) {  // then the refusal
                boxes.push_back(testing::labelsOf(box2));
                testing::clickButton(box2, "OK");
                testing::clickButton(login, qs(T(shelltext::kCancel)));
            });
            testing::clickButton(box, "OK");
        });
        testing::clickButton(login, qs(T(shelltext::kOk)));
    });
    EXPECT_FALSE(runLogin(nullptr, userDirectory(), font, {}));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[1].contains(qs(T(shelltext::kLoginRefused))));
}

// Every entry of the menu and the bar: guarded ones ask AUTHCHK with their
// area and level and run nothing when refused; the others run at once.
TEST_F(Shell, EveryEntryIsGuardedAsTheRightsTableSays) {
    TestUsers users;
    users.trustee = std::string(42, '0');  // level 0 everywhere
    MainWindow window(users, font);
    std::vector<Fn> ran;
    for (int f = 0; f <= static_cast<int>(Fn::Exit); ++f)
        window.setFunction(static_cast<Fn>(f), [&ran, f] { ran.push_back(static_cast<Fn>(f)); });

    std::vector<const ShellEntry*> leaves;
    std::function<void(const std::vector<ShellEntry>&)> collect = [&](const std::vector<ShellEntry>& es) {
        for (const ShellEntry& e : es) {
            if (!e.children.empty()) collect(e.children);
            else if (std::string(e.caption) != "-") leaves.push_back(&e);
        }
    };
    collect(menuEntries());
    collect(buttonEntries());
    EXPECT_EQ(leaves.size(), 36u);  // 26 menu entries, 10 buttons

    const std::set<Fn> open = {Fn::DeviceTest, Fn::Calculator, Fn::TextEditor, Fn::Printer, Fn::Exit};
    for (const ShellEntry* e : leaves) {
        users.asked.clear();
        ran.clear();
        window.activate(*e);
        bool isOpen = open.count(e->fn) > 0;
        EXPECT_EQ(users.asked.empty(), isOpen) << e->caption;
        if (!isOpen) {
            EXPECT_EQ(users.asked, (std::vector<std::pair<int, int>>{{e->area, e->level}})) << e->caption;
            EXPECT_TRUE(ran.empty()) << e->caption;
        } else {
            EXPECT_EQ(ran, std::vector<Fn>{e->fn}) << e->caption;
        }
    }
    // With the rights the functions run.
    users.trustee = std::string(42, '6');
    ran.clear();
    window.activate(buttonEntries()[0]);
    EXPECT_EQ(ran, std::vector<Fn>{Fn::Production});
}

TEST_F(Shell, FunctionNotYetThereSaysSoInAShortBox) {
    TestUsers users;
    users.trustee = std::string(42, '6');
    MainWindow window(users, font);
    QString title;
    testing::whenModal([&](QWidget* box) {
        title = box->windowTitle();
        testing::clickButton(box, "OK");
    });
    window.activate(buttonEntries()[2]);  // reports
    EXPECT_EQ(title, QString::fromUtf8("  ส่วนจัดทำรายงานต่างๆ"));
}

TEST_F(Shell, WindowShowsTitleMenuAndRestingMessage) {
    TestUsers users;
    MainWindow window(users, font);
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("  โปรแกรมควบคุมการผสม สำหรับ บริษัท ทาริโน จำกัด"));
    QStringList captions;
    for (QAction* a : window.menuBar()->actions()) captions << a->text();
    EXPECT_EQ(captions.size(), 7);
    EXPECT_EQ(captions.front(), QString::fromUtf8("บันทึกการทำงาน"));
    EXPECT_EQ(captions.back(), QString::fromUtf8("ออกจากโปรแกรม"));
    EXPECT_TRUE(window.messageLabel()->text().startsWith(QString::fromUtf8("บริษัท ทาริโน จำกัด")));
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(250, 250, 255));
}

TEST_F(Shell, CancellingTheExitLeavesEverythingAsItWas) {
    TestUsers users;
    settings().CUSER = "SUP";
    Settings before = settings();
    MainWindow window(users, font);
    window.show();
    testing::whenModal([](QWidget* w) { testing::clickButton(w, qs(T(shelltext::kCancel))); });
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(settings().CUSER, before.CUSER);
    EXPECT_EQ(settings().CHLINE, before.CHLINE);
    EXPECT_EQ(window.messageLabel()->text(), window.restingMessage());

    // The exit button asks too, and OK closes.
    QString question;
    testing::whenModal([&](QWidget* w) {
        question = testing::labelsOf(w);
        testing::clickButton(w, qs(T(shelltext::kOk)));
    });
    window.activate(buttonEntries().back());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(question.contains(qs(T(shelltext::kFinishQuestion))));
}

}  // namespace
}  // namespace mp
