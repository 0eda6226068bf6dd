#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <set>

#include "app/startup.h"
#include "app/ui/main_window.h"
#include "app/ui/shell_dialogs.h"
#include "app/ui/test_site_ui.h"
#include "app/users/users.h"

namespace mp {
namespace {

using testing::answerBox;
using testing::typeInto;
using testing::u;

class Shell : public testing::UiSiteTest {};

const QString kRefusedTitle = u("  ส่วนการกำหนดอำนาจ");
const QString kRefused = u("คุณไม่มีอำนาจที่จะใช้คำสั่งนี้");

TEST_F(Shell, WrongPasswordKeepsTheLoginThenALowerCaseCodeLogsIn) {
    QString refusal;
    testing::whenModal([&](QWidget* login) {
        typeInto(login, "code", "sup");
        typeInto(login, "password", "999999");
        testing::whenModal([&](QWidget* box) {
            refusal = answerBox(box);
            // the dialog stands for another try
            typeInto(login, "password", "123456");
            testing::clickButton(login, qs(T(shelltext::kOk)));
        });
        testing::clickButton(login, qs(T(shelltext::kOk)));
    });
    EXPECT_TRUE(runLogin(nullptr, font, {}));
    EXPECT_TRUE(refusal.startsWith(qs(T(shelltext::kLoginRefusedTitle)) + "|"));
    EXPECT_TRUE(refusal.contains(qs(T(shelltext::kLoginRefused))));
    EXPECT_EQ(settings().CUSER, "SUP");
    EXPECT_EQ(settings().CTRUSTEE, std::string(42, '6'));
    EXPECT_EQ(workAreas().table("USERLIST"), nullptr);  // closed again
}

TEST_F(Shell, CancelledLoginLogsNobodyInAndClosesTheTables) {
    const std::function<void(QWidget*)> closers[] = {
        [](QWidget* w) { testing::clickButton(w, qs(T(shelltext::kCancel))); },
        [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); },
        [](QWidget* w) { w->close(); },  // the close box
    };
    for (const auto& close : closers) {
        ASSERT_TRUE(openTable(*findTable("UNIT")));
        testing::whenModal([&](QWidget* login) {
            typeInto(login, "code", "sup");
            typeInto(login, "password", "123456");  // typed, never confirmed
            close(login);
        });
        EXPECT_FALSE(runLogin(nullptr, font, {}));
        EXPECT_TRUE(settings().CUSER.empty());
        EXPECT_EQ(workAreas().table("UNIT"), nullptr);
    }
}

TEST_F(Shell, WithoutAUsersTableOpensMessageIsFollowedByTheRefusal) {
    workAreas().closeAll();
    ASSERT_EQ(std::remove((tableBase(*findTable("USERLIST")) + ".DBF").c_str()), 0);
    std::vector<QString> boxes;
    testing::whenModal([&](QWidget* login) {
        typeInto(login, "code", "sup");
        typeInto(login, "password", "123456");
        testing::whenModal([&](QWidget* box) {  // the table cannot be opened
            boxes.push_back(box->windowTitle());
            testing::whenModal([&](QWidget* box2) {  // then the refusal
                boxes.push_back(answerBox(box2));
                testing::clickButton(login, qs(T(shelltext::kCancel)));
            });
            testing::clickButton(box, "OK");
        });
        testing::clickButton(login, qs(T(shelltext::kOk)));
    });
    EXPECT_FALSE(runLogin(nullptr, font, {}));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], u("ส่วนการเปิดแฟ้ม"));
    EXPECT_TRUE(boxes[1].contains(qs(T(shelltext::kLoginRefused))));
}

// A user with level 0 everywhere, logged in through USERCHK: the device test,
// calculator, text editor, printer set-up and exit run; every other entry of
// the menu and the bar shows AUTHCHK's refusal and runs nothing.
TEST_F(Shell, LevelZeroUserIsRefusedEverywhereButTheOpenEntries) {
    ASSERT_TRUE(USERCHK("opr", "111111"));
    MainWindow window(font);
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
        ran.clear();
        bool isOpen = open.count(e->fn) > 0;
        QString refusal;
        if (!isOpen) testing::whenModal([&](QWidget* box) { refusal = answerBox(box); });
        window.activate(*e);
        if (isOpen) {
            EXPECT_EQ(ran, std::vector<Fn>{e->fn}) << e->caption;
        } else {
            EXPECT_TRUE(ran.empty()) << e->caption;
            EXPECT_EQ(refusal, kRefusedTitle + "|" + kRefused) << e->caption;
        }
    }
}

// The levels the entries ask for: a user with level 1 everywhere opens the
// level-1 entries and is refused the level-3 ones (backup, purge, restore).
TEST_F(Shell, EntriesAskForTheirLevel) {
    addUser("LOW", "Low", "222222", std::string(14, '1'));
    ASSERT_TRUE(USERCHK("LOW", "222222"));
    MainWindow window(font);
    std::vector<Fn> ran;
    for (Fn f : {Fn::Production, Fn::BackupProduction, Fn::Purge})
        window.setFunction(f, [&ran, f] { ran.push_back(f); });
    window.activate(buttonEntries()[0]);
    const ShellEntry& purge = menuEntries()[4].children[3];
    ASSERT_EQ(purge.fn, Fn::Purge);
    QString refusal;
    testing::whenModal([&](QWidget* box) { refusal = answerBox(box); });
    window.activate(purge);
    EXPECT_EQ(ran, std::vector<Fn>{Fn::Production});
    EXPECT_TRUE(refusal.contains(kRefused));
}

TEST_F(Shell, FunctionNotYetThereSaysSoInAShortBox) {
    ASSERT_TRUE(USERCHK("SUP", "123456"));
    MainWindow window(font);
    QString title;
    testing::whenModal([&](QWidget* box) {
        title = box->windowTitle();
        testing::clickButton(box, "OK");
    });
    window.activate(buttonEntries()[2]);  // reports
    EXPECT_EQ(title, u("  ส่วนจัดทำรายงานต่างๆ"));
}

TEST_F(Shell, WindowShowsTitleMenuAndRestingMessage) {
    MainWindow window(font);
    EXPECT_EQ(window.windowTitle(), u("  โปรแกรมควบคุมการผสม สำหรับ บริษัท ทาริโน จำกัด"));
    QStringList captions;
    for (QAction* a : window.menuBar()->actions()) captions << a->text();
    EXPECT_EQ(captions.size(), 7);
    EXPECT_EQ(captions.front(), u("บันทึกการทำงาน"));
    EXPECT_EQ(captions.back(), u("ออกจากโปรแกรม"));
    EXPECT_TRUE(window.messageLabel()->text().startsWith(u("บริษัท ทาริโน จำกัด")));
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(250, 250, 255));
}

// The pointer on a menu entry or a button shows its message text in the
// message bar; leaving it brings back the resting text.
TEST_F(Shell, HoverShowsEachEntrysMessageTextInTheMessageBar) {
    MainWindow window(font);
    window.show();
    QStringList expected, hovered;
    std::function<void(const std::vector<ShellEntry>&)> messages = [&](const std::vector<ShellEntry>& es) {
        for (const ShellEntry& e : es) {
            if (std::string(e.caption) == "-") continue;
            expected << u(e.message);
            messages(e.children);
        }
    };
    messages(menuEntries());
    messages(buttonEntries());
    std::function<void(const QList<QAction*>&)> hover = [&](const QList<QAction*>& actions) {
        for (QAction* a : actions) {
            if (a->isSeparator()) continue;
            a->showStatusText(&window);
            hovered << window.statusBar()->currentMessage();
            if (a->menu()) hover(a->menu()->actions());
        }
    };
    hover(window.menuBar()->actions());
    QToolBar* bar = window.findChild<QToolBar*>();
    ASSERT_NE(bar, nullptr);
    hover(bar->actions());
    EXPECT_EQ(hovered, expected);
    QStatusTipEvent leave{QString()};
    QApplication::sendEvent(&window, &leave);
    EXPECT_TRUE(window.statusBar()->currentMessage().isEmpty());
    EXPECT_EQ(window.messageLabel()->text(), window.restingMessage());
    EXPECT_TRUE(window.messageLabel()->isVisible());
}

// Cancel leaves the tables open and the settings and the user as they were;
// the exit button asks too, and OK closes the window and every table.
TEST_F(Shell, CancellingTheExitLeavesEverythingAsItWas) {
    ASSERT_TRUE(USERCHK("SUP", "123456"));
    ASSERT_TRUE(openTable(*findTable("UNIT")));
    ASSERT_TRUE(openTable(*findTable("COMPANY")));
    const int area = workAreas().selected();
    Settings before = settings();
    MainWindow window(font);
    window.show();
    testing::whenModal([](QWidget* w) { testing::clickButton(w, qs(T(shelltext::kCancel))); });
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(settings().CUSER, before.CUSER);
    EXPECT_EQ(settings().CTRUSTEE, before.CTRUSTEE);
    EXPECT_EQ(settings().CHLINE, before.CHLINE);
    EXPECT_EQ(settings().CDRV1, before.CDRV1);
    EXPECT_NE(workAreas().table("UNIT"), nullptr);
    EXPECT_NE(workAreas().table("COMPANY"), nullptr);
    EXPECT_EQ(workAreas().selected(), area);
    EXPECT_EQ(window.messageLabel()->text(), window.restingMessage());

    QString question;
    testing::whenModal([&](QWidget* w) {
        question = testing::labelsOf(w);
        testing::clickButton(w, qs(T(shelltext::kOk)));
    });
    window.activate(buttonEntries().back());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(question.contains(qs(T(shelltext::kFinishQuestion))));
    EXPECT_EQ(workAreas().table("UNIT"), nullptr);
    EXPECT_EQ(workAreas().table("COMPANY"), nullptr);
}

}  // namespace
}  // namespace mp
