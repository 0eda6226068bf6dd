// mixplant-screens: pictures of the operator program's screens for the
// documentation, taken off screen. `mixplant-screens <folder>` writes
// login.png, main-window.png, main-menu.png, exit.png, error-dialog.png,
// password.png, rights.png, level-legend.png, user-list.png and device-test.png, and reads its
// pictures from ./library/ (run it in a site folder). The user dialogs are
// shown over a scratch site made in a temporary folder.

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTimer>
#include <cstdio>

#include "app/settings.h"
#include "app/ui/main_window.h"
#include "app/ui/shell_dialogs.h"
#include "app/ui/user_dialogs.h"
#include "app/users/password_cipher.h"
#include "app/users/users.h"
#include "data/site_setup.h"
#include "platform/runtime/cp874.h"
#include "data/table_access.h"
#include "devices/ui/device_test_dialog.h"
#include <QTemporaryDir>
#include "errors/ui/qt_error_dialog.h"
#include "platform/qtkit/fonts.h"
#include "platform/qtkit/text.h"
#include "platform/runtime/numtext.h"

namespace {

QString g_folder;
int g_failed = 0;

void save(const QPixmap& pm, const char* name) {
    if (!pm.save(g_folder + "/" + name)) {
        std::fprintf(stderr, "cannot write %s\n", name);
        ++g_failed;
    }
}

// Grabs the next modal window once it has been laid out, then closes it.
void grabNextModal(const char* name) {
    QTimer::singleShot(200, [name] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) {
            std::fprintf(stderr, "no window for %s\n", name);
            ++g_failed;
            return;
        }
        save(w->grab(), name);
        if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
    });
}

void mainWindowPictures(const QFont& font) {
    mp::MainWindow window(font);
    window.resize(1280, 1000);
    window.show();
    QApplication::processEvents();
    save(window.grab(), "main-window.png");
    // With the code tables' menu open, drawn where it drops down.
    QAction* codes = window.menuBar()->actions().at(3);
    QMenu* menu = codes->menu();
    QPoint at = window.menuBar()->actionGeometry(codes).bottomLeft() + window.menuBar()->pos();
    menu->popup(window.mapToGlobal(at));
    QApplication::processEvents();
    QPixmap shot = window.grab();
    QPainter p(&shot);
    p.drawPixmap(at, menu->grab());
    p.end();
    menu->hide();
    save(shot, "main-menu.png");
    grabNextModal("exit.png");
    window.close();
}

void errorDialogPicture() {
    mp::ErrorDialogContent c;
    c.caption = mp::errorDialogCaption();
    c.descriptionLine = "   Error description: Error DBFNTX/1012  Corruption detected: WDATA.NTX";
    c.stackLines = {"   Called from: data/open.cpp => OPEN(88)", "   Called from: batching/ui/process.cpp => PROCESS(40)",
                    "   Called from: app/ui/main.cpp => MAIN(52)"};
    c.canRetry = c.canDefault = true;
    grabNextModal("error-dialog.png");
    mp::QtErrorDialog().show(c);
}

// The password, rights and legend dialogs and the user list over a scratch
// site with two users; the supervisor is logged in.
bool userDialogPictures(const QFont& font) {
    QTemporaryDir dir;
    mp::Settings& s = mp::settings();
    const std::string root = dir.path().toStdString();
    s.CDRV1 = root + "/";
    s.CDRV2 = root + "/PROD/";
    s.CDRV3 = root + "/BACKUP/";
    s.CDRV4 = root + "/WORK/";
    std::string why;
    if (!mp::createSiteFolders(why) || !mp::createPermanentTables() || !mp::openTable(*mp::findTable("USERLIST"))) {
        std::fprintf(stderr, "no scratch site: %s\n", why.c_str());
        return false;
    }
    mp::appendRecord("USERLIST", {{"CODE", mp::Value("SUP")}, {"NAME", mp::Value(mp::T("หัวหน้าฝ่ายผลิต"))},
                                  {"PASS_W", mp::Value(mp::encipherPassword("123456"))},
                                  {"TRUSTEE", mp::Value(std::string(42, '6'))}});
    mp::appendRecord("USERLIST", {{"CODE", mp::Value("OPR1")}, {"NAME", mp::Value(mp::T("พนักงานควบคุมเครื่อง"))},
                                  {"PASS_W", mp::Value(mp::encipherPassword("      "))},
                                  {"TRUSTEE", mp::Value("31100000100011")}});
    mp::workAreas().closeAll();
    if (!mp::USERCHK("SUP", "123456") || !mp::openUsers() || !mp::findUser("OPR1")) return false;
    grabNextModal("password.png");
    mp::runPasswordDialog(nullptr, font);
    grabNextModal("rights.png");
    mp::runRightsDialog(nullptr, font);
    grabNextModal("level-legend.png");
    mp::runLevelLegend(nullptr, font);
    mp::workAreas().closeAll();
    grabNextModal("user-list.png");
    mp::runUserList(nullptr, font);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mixplant-screens <folder>\n");
        return 2;
    }
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");  // a 1280 by 1024 screen:
    // QT_QPA_PLATFORM=offscreen:configfile=screen.json with {"screens":[{"width":1280,"height":1024,...}]}
    QApplication app(argc, argv);
    g_folder = QString::fromLocal8Bit(argv[1]);
    mp::defaultSettings(mp::settings());
    const mp::Settings& s = mp::settings();
    QFont font = mp::makeFont(s.CFONT[0], mp::numberOf(s.CWIDTH[0]), mp::numberOf(s.CHEIGHT[0]), mp::FontUse::Screen);
    app.setFont(font);

    grabNextModal("login.png");
    mp::runLogin(nullptr, font, {});
    mainWindowPictures(font);
    errorDialogPicture();
    mp::installTableLayer();
    if (!userDialogPictures(font)) ++g_failed;
    grabNextModal("device-test.png");  // before the start button: the start texts
    mp::runDeviceTest(nullptr, font);
    return g_failed ? 1 : 0;
}
