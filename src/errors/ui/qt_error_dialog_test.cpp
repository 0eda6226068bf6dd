#include "errors/ui/qt_error_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "platform/qtkit/testing.h"
#include "platform/qtkit/messages.h"

namespace mp {
namespace {

ErrorDialogContent content(bool retry, bool def) {
    ErrorDialogContent c;
    c.caption = errorDialogCaption();
    c.descriptionLine = "   Error description: Error DBFNTX/1001  Open error & more: WDATA.DBF";
    c.stackLines = {"   Called from: process.cpp => OPEN(12)", "   Called from: main.cpp => MAIN(3)"};
    c.canRetry = retry;
    c.canDefault = def;
    c.logPath = "Error.log";
    return c;
}

// The bottom row's buttons, left to right.
std::vector<QPushButton*> bottomRow(QWidget* dlg) {
    std::vector<QPushButton*> row;
    for (QPushButton* b : dlg->findChildren<QPushButton*>())
        if (b->text().startsWith('&')) row.push_back(b);
    std::sort(row.begin(), row.end(), [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    return row;
}

class ErrorDialogUi : public ::testing::Test {
protected:
    void SetUp() override { testing::testApp(); }
};

TEST_F(ErrorDialogUi, ButtonRowsFollowWhatTheOperationAllows) {
    struct Case {
        bool retry, def;
        std::vector<QString> order;
        QString defaultButton;  // "" for none
    };
    const Case cases[] = {
        {true, true, {"&Retry", "&Quit", "&Default"}, "&Quit"},
        {true, false, {"&Quit", "&Retry"}, ""},
        {false, true, {"&Quit", "&Default"}, ""},
        {false, false, {"&Quit"}, "&Quit"},
    };
    for (const Case& c : cases) {
        std::vector<QString> shown;
        QString shownDefault;
        int dialogWidth = 0, quitCentre = 0;
        bool gap = false;
        testing::whenModal([&](QWidget* w) {
            for (QPushButton* b : bottomRow(w)) {
                shown.push_back(b->text());
                if (b->isDefault()) shownDefault = b->text();
                if (b->text() == "&Quit") quitCentre = b->geometry().center().x();
            }
            auto row = bottomRow(w);
            if (row.size() == 2) gap = row[1]->x() - row[0]->geometry().right() > row[0]->width() / 2;
            dialogWidth = w->width();
            static_cast<QDialog*>(w)->reject();
        });
        QtErrorDialog dialog;
        EXPECT_EQ(dialog.show(content(c.retry, c.def)), ErrorChoice::Quit);  // the close box is Quit
        EXPECT_EQ(shown, c.order);
        EXPECT_EQ(shownDefault, c.defaultButton);
        if (!c.retry && c.def) {
            EXPECT_TRUE(gap) << "a gap between Quit and Default";
        }
        if (!c.retry && !c.def) {
            EXPECT_NEAR(quitCentre, dialogWidth / 2, 4) << "Quit alone in the middle";
        }
    }
}

TEST_F(ErrorDialogUi, EachButtonGivesItsAnswer) {
    struct Case {
        QString button;
        ErrorChoice choice;
    };
    const Case cases[] = {
        {"Retry", ErrorChoice::Retry}, {"Quit", ErrorChoice::Quit}, {"Default", ErrorChoice::Default}};
    for (const Case& c : cases) {
        QString description, firstStackLine;
        testing::whenModal([&](QWidget* w) {
            for (QLabel* l : w->findChildren<QLabel*>())
                if (l->text().contains("Error description")) description = l->text();
            auto* list = w->findChild<QListWidget*>();
            if (list && list->currentItem()) firstStackLine = list->currentItem()->text();
            testing::clickButton(w, c.button);
        });
        QtErrorDialog dialog;
        EXPECT_EQ(dialog.show(content(true, true)), c.choice) << c.button.toStdString();
        EXPECT_TRUE(description.contains("Open error & more")) << "the ampersand is shown as it is";
        EXPECT_EQ(firstStackLine, "   Called from: process.cpp => OPEN(12)");
    }
}

// The handler with this dialog: Default and Retry are answered, Quit and a
// Retry before the main window's loop runs end the program with exit code 1.
TEST_F(ErrorDialogUi, HandlerAnswersThroughTheDialog) {
    std::vector<int> exits;
    TerminateHook previous = setTerminateHook([&](int code, bool) { exits.push_back(code); });
    QtErrorDialog dialog;
    ErrorSystem system;
    system.setDialog(&dialog);
    std::string log = (std::filesystem::temp_directory_path() / "mixplant_gui_error.log").string();
    system.setLogPath(log);
    ErrorRecord e;
    e.genCode = gen::kOpen;
    e.osCode = oscode::kFileNotFound;
    e.subsystem = "DBFNTX";
    e.subCode = 1001;
    e.description = "Open error";
    e.fileName = "WDATA.DBF";
    e.canRetry = e.canDefault = true;

    struct Case {
        QString button;
        bool loopRunning;
        ErrorAnswer::Kind kind;
        size_t exitsAfter;
    };
    const Case cases[] = {
        {"Default", true, ErrorAnswer::Kind::Default, 0},
        {"Retry", true, ErrorAnswer::Kind::Retry, 0},
        {"Retry", false, ErrorAnswer::Kind::Quit, 1},
        {"Quit", true, ErrorAnswer::Kind::Quit, 2},
    };
    for (const Case& c : cases) {
        setMainEventLoopRunning(c.loopRunning);
        testing::whenModal([&](QWidget* w) { testing::clickButton(w, c.button); });
        EXPECT_EQ(system.handle(e).kind, c.kind) << c.button.toStdString();
        EXPECT_EQ(exits.size(), c.exitsAfter);
        EXPECT_FALSE(system.active());
    }
    EXPECT_EQ(exits, (std::vector<int>{1, 1}));
    setMainEventLoopRunning(false);
    setTerminateHook(previous);
    std::filesystem::remove(log);
}

}  // namespace
}  // namespace mp
