#pragma once

// A scratch site for the tests of the operator program's screens: the
// settings' folders in a fresh folder, every permanent table made by the site
// set-up, users in USERLIST with enciphered passwords, the table layer in
// place and the Qt operator, so every message is a real box.

#include <gtest/gtest.h>

#include <QFont>
#include <QLineEdit>
#include <QTest>

#include "app/settings.h"
#include "app/users/password_cipher.h"
#include "data/site_setup.h"
#include "data/table_access.h"
#include "platform/qtkit/dialog.h"
#include "platform/qtkit/messages.h"
#include "platform/qtkit/testing.h"
#include "platform/qtkit/text.h"
#include "platform/qtkit/widgets.h"
#include "platform/runtime/cp874.h"
#include "platform/xbase/test_support.h"

namespace mp::testing {

class UiSiteTest : public ::testing::Test {
protected:
    void SetUp() override {
        testApp();
        installTableLayer();
        defaultSettings(settings());
        settings().CDRV1 = m_dir.dir() + "/";
        settings().CDRV2 = m_dir.dir() + "/PROD/";
        settings().CDRV3 = m_dir.dir() + "/BACKUP/";
        settings().CDRV4 = m_dir.dir() + "/WORK/";
        settings().CUSER.clear();
        settings().CTRUSTEE.clear();
        std::string why;
        ASSERT_TRUE(createSiteFolders(why)) << why;
        ASSERT_TRUE(createPermanentTables());
        addUser("SUP", "Supervisor", "123456", std::string(42, '6'));
        addUser("OPR", "Operator", "111111", "");  // level 0 everywhere
    }
    void TearDown() override { workAreas().closeAll(); }

    // A USERLIST record; the password is stored enciphered, blank-filled to six.
    void addUser(const std::string& code, const std::string& name, std::string password, const std::string& rights) {
        ASSERT_TRUE(openTable(*findTable("USERLIST")));
        password.resize(kPasswordWidth, ' ');
        ASSERT_TRUE(appendRecord("USERLIST", {{"CODE", Value(code)}, {"NAME", Value(name)},
                                              {"PASS_W", Value(encipherPassword(password))},
                                              {"TRUSTEE", Value(rights)}}));
        workAreas().close("USERLIST");
    }
    // USERLIST open and positioned on `code`, as the user editor leaves it.
    void standOn(const std::string& code) {
        ASSERT_TRUE(openTable(*findTable("USERLIST")));
        std::string key = code;
        key.resize(kUserCodeWidth, ' ');
        ASSERT_TRUE(workAreas().table("USERLIST")->seek(key));
    }
    std::string stored(const std::string& code, const char* field) {
        standOn(code);
        std::string v = workAreas().table("USERLIST")->value(field).text();
        workAreas().close("USERLIST");
        return v;
    }

    xbase::testing::ScratchDir m_dir;
    xbase::testing::BusyHandler m_handler;
    ScopedErrorHandler m_handlerGuard{&m_handler};
    QtOperator m_operator;
    ScopedOperator m_operatorGuard{&m_operator};
    QFont font = QFont("Loma", 12);
};

// Types `text` into the entry `id` of a kit dialog from its first place.
inline void typeInto(QWidget* dlg, const char* id, const char* text) {
    if (!dlg->isActiveWindow()) {  // focus moves, and entries are left, only in the active window
        dlg->activateWindow();
        QTest::qWaitForWindowActive(dlg, 1000);
    }
    auto* d = static_cast<KitDialog*>(dlg);
    d->entry(id)->setFocus();
    d->entry(id)->setCursorPosition(0);
    QTest::keyClicks(d->entry(id), text);
}

// "title|labels" of a message box, then its OK.
inline QString answerBox(QWidget* box) {
    QString seen = box->windowTitle() + "|" + labelsOf(box);
    clickButton(box, "OK");
    return seen;
}

inline QString u(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace mp::testing
