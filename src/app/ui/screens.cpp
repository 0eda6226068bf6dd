// mixplant-screens: pictures of the operator program's screens for the
// documentation, taken off screen. `mixplant-screens <folder>` writes
// login.png, main-window.png, main-menu.png, exit.png, error-dialog.png and
// reads its pictures from ./library/ (run it in a site folder).

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
#include "app/ui/user_directory.h"
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

// Users are not asked: the pictures show the screens only.
class NobodyAsked : public mp::UserDirectory {
public:
    bool check(const std::string&, const std::string&) override { return false; }
    bool authorize(int, int) override { return false; }
};

void mainWindowPictures(const QFont& font) {
    NobodyAsked users;
    mp::MainWindow window(users, font);
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

    NobodyAsked users;
    grabNextModal("login.png");
    mp::runLogin(nullptr, users, font, {});
    mainWindowPictures(font);
    errorDialogPicture();
    return g_failed ? 1 : 0;
}
