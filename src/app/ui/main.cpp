// mixplant: the operator program. `mixplant [path/to/MAIN.INI]`

#include <QApplication>
#include <QIcon>

#include "app/settings.h"
#include "app/startup.h"
#include "app/ui/main_window.h"
#include "app/ui/shell_dialogs.h"
#include "app/users/users.h"
#include "data/table_access.h"
#include "devices/device_ops.h"
#include "devices/ui/device_test_dialog.h"
#include "errors/errorsys.h"
#include "errors/ui/qt_error_dialog.h"
#include "platform/qtkit/fonts.h"
#include "platform/qtkit/messages.h"
#include "platform/runtime/numtext.h"
#include "platform/runtime/operator.h"

namespace {

QFont screenFont() {  // OFONT0
    const mp::Settings& s = mp::settings();
    return mp::makeFont(s.CFONT[0], mp::numberOf(s.CWIDTH[0]), mp::numberOf(s.CHEIGHT[0]), mp::FontUse::Screen);
}

}  // namespace

int main(int argc, char** argv) {
    mp::ERRORSYS();  // before any other work
    mp::installTableLayer();  // the work areas: USERLIST for the login, "close all tables" for the exit
    mp::setDeviceRightsCheck(mp::AUTHCHK);
    QApplication app(argc, argv);
    mp::QtOperator op;
    mp::ScopedOperator operatorGuard(&op);
    mp::QtErrorDialog errorDialog;
    mp::errorSystem().setDialog(&errorDialog);
    mp::QtWindowTitles windowTitles;
    mp::setWindowTitlesProvider(&windowTitles);

    mp::Startup startup(argc > 1 ? argv[1] : "");  // steps 1 to 9; its end is the shut-down
    app.setWindowIcon(QIcon(QPixmap(QStringLiteral(":/MAIN"))));
    const QFont font0 = screenFont();
    app.setFont(font0);

    if (!mp::runLogin(nullptr, font0, [&font0] { mp::runWelcomeText(nullptr, font0); }))
        return 0;
    int code = 0;
    {
        mp::MainWindow window(font0);
        window.setFunction(mp::Fn::DeviceTest, [&window, &font0] { mp::runDeviceTest(&window, font0); });
        op.setParent(&window);
        errorDialog.setParent(&window);
        window.showMaximized();
        mp::setMainEventLoopRunning(true);
        code = app.exec();
        mp::setMainEventLoopRunning(false);
        op.setParent(nullptr);
        errorDialog.setParent(nullptr);
    }
    mp::setWindowTitlesProvider(nullptr);
    return code;
}
