#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "platform/qtkit/dialog.h"
#include "platform/qtkit/fonts.h"
#include "platform/qtkit/messages.h"
#include "platform/qtkit/testing.h"
#include "platform/qtkit/text.h"
#include "platform/qtkit/widgets.h"
#include "platform/runtime/cp874.h"

namespace mp {
namespace {

class QtKit : public ::testing::Test {
protected:
    void SetUp() override { testing::testApp(); }

    // A shown, active dialog of two entries and a save button.
    std::unique_ptr<KitDialog> twoEntries(std::function<bool()> firstValid, int* saves) {
        auto d = std::make_unique<KitDialog>(nullptr, "test", 400, 220, QFont());
        KitDialog* raw = d.get();
        d->addControls({
            {10, 100, 80, 18, ControlKind::HiddenEntry, "      ", {}, "old", "@!", "", kNoColor, kNoColor, {}, firstValid},
            {30, 100, 80, 18, ControlKind::Entry, "      ", {}, "new", "@!"},
            {80, 40, 40, 18, ControlKind::Button, "&Save", [raw, saves] { ++*saves; }, "save"},
        });
        d->show();
        d->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(d.get()));
        d->entry("old")->setFocus();
        QApplication::processEvents();
        return d;
    }
};

TEST_F(QtKit, TextCrossesTheQtBoundaryByteForByte) {
    EXPECT_EQ(qs(T("ส่วนบันทึกรหัสผ่าน")), QString::fromUtf8("ส่วนบันทึกรหัสผ่าน"));
    std::string every;
    for (int b = 1; b < 256; ++b) every.push_back(static_cast<char>(b));
    EXPECT_EQ(cp(qs(every)), every);
    EXPECT_EQ(cp(QString::fromUtf8("a€")), std::string("a\x80"));
    EXPECT_EQ(cp(QString::fromUtf8("a\u4e2d")), "a?");  // no room in the code page
}

TEST_F(QtKit, TypingFollowsTheEditPicture) {
    struct Case {
        const char* picture;
        std::string start;
        const char* typed;
        std::string shown;
    };
    const Case cases[] = {
        {"@!", std::string(6, ' '), "ab1c", "AB1C  "},
        {"@!", std::string(6, ' '), "abcdefgh", "ABCDEF"},  // the buffer keeps its length
        {"99/99/9999", "  /  /    ", "01022024", "01/02/2024"},
        {"99:99:99", "  :  :  ", "0a83000", "08:30:00"},  // the letter is refused, typing goes on
        {"9", " ", "x7", "7"},
    };
    for (const Case& c : cases) {
        PictureEdit edit(c.start, c.picture);
        edit.show();
        edit.setCursorPosition(0);
        QTest::keyClicks(&edit, c.typed);
        EXPECT_EQ(edit.value(), c.shown) << c.picture << " " << c.typed;
    }
}

TEST_F(QtKit, ThaiTypedIntoAnUpperCaseEntryStaysThai) {
    PictureEdit edit(std::string(6, ' '), "@!");
    edit.show();
    for (QChar c : QString::fromUtf8("กa")) {  // typed on a Thai keyboard: no key code, only the text
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&edit, &press);
    }
    EXPECT_EQ(edit.value(), T("กA") + "    ");
}

TEST_F(QtKit, BackspaceAndDeleteKeepTheLayout) {
    PictureEdit date("01/02/2024", "99/99/9999");
    date.show();
    date.setCursorPosition(3);
    QTest::keyClick(&date, Qt::Key_Backspace);  // jumps over the "/"
    EXPECT_EQ(date.value(), "0 /02/2024");
    PictureEdit code("ABCD  ", "@!");
    code.show();
    code.setCursorPosition(1);
    QTest::keyClick(&code, Qt::Key_Delete);
    EXPECT_EQ(code.value(), "ACD   ");
}

TEST_F(QtKit, NumberEntryIsLaidOutOnLeaving) {
    KitDialog d(nullptr, "n", 300, 200, QFont());
    d.addControls({{10, 10, 60, 18, ControlKind::Entry, "     0.0", {}, "qty", "999999.9"},
                   {40, 10, 60, 18, ControlKind::Entry, "  ", {}, "other", "@!"}});
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    d.entry("qty")->setFocus();
    QApplication::processEvents();
    QTest::keyClicks(d.entry("qty"), "12.25");  // the first key clears the old number
    QTest::keyClick(d.entry("qty"), Qt::Key_Tab);
    EXPECT_EQ(d.value("qty"), "    12.3");
    EXPECT_TRUE(d.entry("other")->hasFocus());
}

TEST_F(QtKit, RefusedEntryKeepsTheFocusAndBlocksTheNextClick) {
    int saves = 0;
    PictureEdit* first = nullptr;
    auto d = twoEntries([&] { return first->value() != std::string(6, ' '); }, &saves);
    first = d->entry("old");
    QTest::keyClick(first, Qt::Key_Tab);
    QTest::qWait(20);
    EXPECT_TRUE(first->hasFocus());

    auto* save = qobject_cast<QPushButton*>(d->control("save"));
    QTest::mouseClick(save, Qt::LeftButton);
    QTest::qWait(20);
    EXPECT_EQ(saves, 0);
    EXPECT_TRUE(first->hasFocus()) << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none");

    QTest::keyClicks(first, "x");
    QTest::keyClick(first, Qt::Key_Return);  // Enter moves on like Tab
    QTest::qWait(20);
    EXPECT_TRUE(d->entry("new")->hasFocus());
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(saves, 1);
}

TEST_F(QtKit, DialogPlacesControlsInLayoutUnits) {
    KitDialog d(nullptr, T("  ส่วนการระบุชื่อผู้ใช้โปรแกรม"), 490, 540, QFont());
    QWidget* w = d.addControl({190, 130, 60, 18, ControlKind::Entry, std::string(15, ' '), {}, "code", "@!"});
    QWidget* l = d.addControl({190, 50, 0, 0, ControlKind::Label, T("ผู้ใช้โปรแกรม")});
    EXPECT_EQ(d.size(), QSize(490, 540));
    EXPECT_EQ(w->geometry(), QRect(260, 380, 120, 36));
    EXPECT_EQ(l->pos(), QPoint(100, 380));
    EXPECT_GT(l->width(), 0);
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("  ส่วนการระบุชื่อผู้ใช้โปรแกรม"));
    EXPECT_EQ(d.control("nothing"), nullptr);
}

TEST_F(QtKit, LabelsTakeTheirColours) {
    KitDialog d(nullptr, "c", 300, 200, QFont());
    auto* l = qobject_cast<QLabel*>(d.addControl({5, 5, 100, 15, ControlKind::CenteredText, "x", {}, "", "", "",
                                                  rgb(255, 255, 0), rgb(255, 0, 0)}));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    EXPECT_EQ(l->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_TRUE(l->alignment() & Qt::AlignHCenter);
}

TEST_F(QtKit, YesNoDefaultsToNo) {
    struct Case {
        std::function<void(QWidget*)> answer;
        bool expected;
    };
    const Case cases[] = {
        {[](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }, false},
        {[](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }, false},
        {[](QWidget* w) { testing::clickButton(w, "Yes"); }, true},
    };
    for (const Case& c : cases) {
        QString title;
        testing::whenModal([&](QWidget* w) {
            title = w->windowTitle();
            c.answer(w);
        });
        EXPECT_EQ(yesNoBox(nullptr, T("ลบ?"), T("  ส่วนลบ")), c.expected);
        EXPECT_EQ(title, QString::fromUtf8("  ส่วนลบ"));
    }
}

TEST_F(QtKit, OperatorShowsItsBoxesAndTheWaitBox) {
    QtOperator op;
    QString text;
    testing::whenModal([&](QWidget* w) {
        text = testing::labelsOf(w);
        testing::clickButton(w, "OK");
    });
    op.alert(T("ผิด"), T("  ส่วน"));
    EXPECT_TRUE(text.contains(QString::fromUtf8("ผิด")));

    bool boxStood = false;
    op.wait(T("กรุณารอสักครู่"), [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<WaitBox*>(w) && w->isVisible()) boxStood = true;
    });
    EXPECT_TRUE(boxStood);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<WaitBox*>(w)) EXPECT_FALSE(w->isVisible());
}

TEST_F(QtKit, WindowsFacesMapToInstalledThaiFaces) {
    struct Case {
        const char* face;
        FontUse use;
        const char* mapped;
    };
    const Case cases[] = {
        {"MS Sans Serif", FontUse::Screen, "Loma"},
        {"EucrosiaUPC", FontUse::Print, "Norasi"},
        {"AngsanaUPC", FontUse::Print, "Norasi"},
        {"BrowalliaUPC", FontUse::Print, "Kinnari"},
        {"Tlwg Mono", FontUse::Screen, "Loma"},
        {"Tlwg Mono", FontUse::Print, "Kinnari"},
        {"Kinnari", FontUse::Print, "Kinnari"},
    };
    for (const Case& c : cases) EXPECT_EQ(mapFaceName(c.face, c.use), QString::fromLatin1(c.mapped)) << c.face;
    QFont screen = makeFont("MS Sans Serif", 0, -25, FontUse::Screen);
    EXPECT_EQ(screen.pixelSize(), 25);
    EXPECT_EQ(QFontInfo(screen).family(), QString("Loma"));
    QFont cell = makeFont("EucrosiaUPC", 0, 30, FontUse::Print);
    EXPECT_GT(cell.pixelSize(), 0);
    EXPECT_LT(cell.pixelSize(), 30);  // the cell holds the marks too
}

TEST_F(QtKit, MissingPictureShowsAPlaceholder) {
    QPixmap pm = loadPicture("NoSuchPicture.bmp", QSize(40, 20));
    EXPECT_EQ(pm.size(), QSize(40, 20));
    PictureButton b("NoSuchPicture.bmp", T("บันทึก"), QSize(80, 36));
    EXPECT_EQ(b.toolTip(), QString::fromUtf8("บันทึก"));
    EXPECT_EQ(b.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(b.icon().isNull());
}

}  // namespace
}  // namespace mp
