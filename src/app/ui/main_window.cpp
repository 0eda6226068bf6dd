#include "app/ui/main_window.h"

#include <QApplication>
#include <QFontMetrics>
#include <QCloseEvent>
#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/settings.h"
#include "app/ui/shell_dialogs.h"
#include "app/ui/user_dialogs.h"
#include "app/users/users.h"
#include "platform/qtkit/desktop.h"
#include "platform/qtkit/messages.h"
#include "platform/qtkit/text.h"
#include "platform/qtkit/widgets.h"
#include "platform/runtime/cp874.h"

namespace mp {

const char* const kUpdateStamp = "UPDATE:17/09/2016";

namespace {

QString q(const char* utf8) { return qs(T(utf8)); }

const char* const kTitle = "  โปรแกรมควบคุมการผสม สำหรับ ";
const char* const kResting = "บริษัท ทาริโน จำกัด  โทร. 0-2000-0000  แฟกซ์ 0-2000-0001";
const char* const kCredit = "พัฒนาโดย: ทีมงานโปรแกรมควบคุมการผสม";
const char* const kNotReady = "ส่วนนี้ยังไม่พร้อมใช้งานในโปรแกรมรุ่นนี้";

QColor windowsColor(double value) {
    long v = static_cast<long>(value);
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

}  // namespace

const std::vector<ShellEntry>& menuEntries() {
    static const std::vector<ShellEntry> entries = {
        {"บันทึกการทำงาน", "ส่วนบันทึกข้อมูลและสั่งการทำงาน", nullptr, 1, 1, Fn::Production, {}},
        {"ทดสอบ", "ส่วนทดสอบการควบคุม", nullptr, 0, 0, Fn::DeviceTest, {}},
        {"รายงาน", "ส่วนการทำรายงานต่างๆ", nullptr, 2, 1, Fn::Reports, {}},
        {"ตารางรหัส", "ส่วนกำหนดรหัสข้อมูลต่างๆ", nullptr, 0, 0, Fn::Exit, {
            {"รหัสบริษัท", "ส่วนกำหนดตารางรหัสบริษัท", nullptr, 3, 1, Fn::CodeCompany, {}},
            {"-", "", nullptr, 0, 0, Fn::Exit, {}},
            {"รหัสวัตถุดิบ", "ส่วนกำหนดตารางรหัสวัตถุดิบ", nullptr, 4, 1, Fn::CodeRawMaterial, {}},
            {"-", "", nullptr, 0, 0, Fn::Exit, {}},
            {"รหัสสูตรการผสม", "ส่วนกำหนดตารางรหัสสูตรการผสม", nullptr, 5, 1, Fn::CodeFormula, {}},
            {"-", "", nullptr, 0, 0, Fn::Exit, {}},
            {"รหัสหน่วยนับ", "ส่วนกำหนดตารางรหัสหน่วยนับ", nullptr, 8, 1, Fn::CodeUnit, {}},
            {"-", "", nullptr, 0, 0, Fn::Exit, {}},
            {"รหัสผู้ใช้โปรแกรม", "ส่วนกำหนดตารางรหัสผู้ใช้โปรแกรม", nullptr, 6, 1, Fn::CodeUser, {}},
            {"-", "", nullptr, 0, 0, Fn::Exit, {}},
            {"รหัสรายงาน", "ส่วนกำหนดตารางรหัสรายงาน", nullptr, 7, 1, Fn::CodeReport, {}},
        }},
        {"จัดการแฟ้มข้อมูล", "ส่วนจัดการระบบแฟ้มข้อมูล", nullptr, 0, 0, Fn::Exit, {
            {"บำรุงรักษาแฟ้มข้อมูล", "ส่วนบำรุงรักษาแฟ้มข้อมูล", nullptr, 9, 1, Fn::Reindex, {}},
            {"-", "", nullptr, 0, 0, Fn::Exit, {}},
            {"ทำสำเนาข้อมูล", "ส่วนการทำสำเนาแฟ้มข้อมูล", nullptr, 0, 0, Fn::Exit, {
                {"ข้อมูลการทำงาน", "ทำสำเนาแฟ้มข้อมูลบันทึกการทำงาน", nullptr, 10, 3, Fn::BackupProduction, {}},
                {"-", "", nullptr, 0, 0, Fn::Exit, {}},
                {"สำเนาข้อมูลตารางรหัส", "ส่วนการทำสำเนาแฟ้มข้อมูลตารางรหัสต่างๆ", nullptr, 10, 3, Fn::BackupCodes, {}},
            }},
            {"ลบข้อมูลการทำงาน", "ทำการลบข้อมูลบันทึกการทำงาน", nullptr, 11, 3, Fn::Purge, {}},
            {"อ่านข้อมูลกลับ", "ส่วนการอ่านข้อมูลการทำงานจากสำเนา", nullptr, 0, 0, Fn::Exit, {
                {"อ่านข้อมูลการทำงาน", "ทำการอ่านข้อมูลบันทึกการทำงาน", nullptr, 12, 3, Fn::RestoreProduction, {}},
                {"-", "", nullptr, 0, 0, Fn::Exit, {}},
                {"อ่านข้อมูลตารางรหัส", "ส่วนการอ่านแฟ้มข้อมูลตารางรหัสต่างๆ", nullptr, 12, 3, Fn::RestoreCodes, {}},
            }},
        }},
        {"กำหนดค่าระบบ", "ส่วนการกำหนดและตั้งค่าตัวแปรต่างๆ", nullptr, 0, 0, Fn::Exit, {
            {"วันที่/เวลา", "ส่วนกำหนดค่าวันที่และเวลาของระบบ", nullptr, 13, 1, Fn::DateTime, {}},
            {"-", "", nullptr, 0, 0, Fn::Exit, {}},
            {"กำหนดค่าระบบ", "ส่วนกำหนดค่าตัวแปรของระบบ", nullptr, 14, 1, Fn::Settings, {}},
            {"-", "", nullptr, 0, 0, Fn::Exit, {}},
            {"เครื่องพิมพ์", "ส่วนการตั้งค่าเครื่องพิมพ์", nullptr, 0, 0, Fn::Printer, {}},
            {"-", "", nullptr, 0, 0, Fn::Exit, {}},
            {"อักษรรายงาน 1", "ส่วนกำหนดรูปแบบอักษรข้อมูลรายงาน", nullptr, 14, 1, Fn::Font1, {}},
            {"อักษรรายงาน 2", "ส่วนกำหนดรูปแบบอักษรกลุ่มรายงาน", nullptr, 14, 1, Fn::Font2, {}},
            {"อักษรรายงาน 3", "ส่วนกำหนดรูปแบบอักษรหัวรายงาน", nullptr, 14, 1, Fn::Font3, {}},
            {"-", "", nullptr, 0, 0, Fn::Exit, {}},
            {"อักษรเอกสาร 1", "ส่วนกำหนดรูปแบบอักษรเอกสาร #1", nullptr, 14, 1, Fn::Font4, {}},
            {"อักษรเอกสาร 2", "ส่วนกำหนดรูปแบบอักษรเอกสาร #2", nullptr, 14, 1, Fn::Font5, {}},
            {"อักษรเอกสาร 3", "ส่วนกำหนดรูปแบบอักษรเอกสาร #3", nullptr, 14, 1, Fn::Font6, {}},
            {"-", "", nullptr, 0, 0, Fn::Exit, {}},
            {"NotePad", "ส่วนเรียกใช้ Text editor", nullptr, 0, 0, Fn::TextEditor, {}},
        }},
        {"ออกจากโปรแกรม", "เสร็จการทำงานและออกจากโปรแกรม", nullptr, 0, 0, Fn::Exit, {}},
    };
    return entries;
}

const std::vector<ShellEntry>& buttonEntries() {
    static const std::vector<ShellEntry> entries = {
        {"Process.bmp", "ส่วนบันทึกข้อมูลการทำงาน", "บันทึกการทำงาน", 1, 1, Fn::Production, {}},
        {"Control.bmp", "ส่วนทดสอบการควบคุม", "ทดสอบ", 0, 0, Fn::DeviceTest, {}},
        {"Report.bmp", "ส่วนจัดทำรายงานต่างๆ", "รายงาน", 2, 1, Fn::Reports, {}},
        {"index.bmp", "ส่วนซ่อมบำรุงรักษาแฟ้มข้อมูล", "บำรุงรักษา", 9, 1, Fn::Reindex, {}},
        {"clock.bmp", "ส่วนกำหนดวันที่และเวลาของระบบ", "ตั้งวันและเวลา", 13, 1, Fn::DateTime, {}},
        {"varia.bmp", "ส่วนกำหนดค่าตัวแปรของระบบ", "ตั้งค่าตัวแปร", 14, 1, Fn::Settings, {}},
        {"Calc.bmp", "เรียกใช้เครื่องคิดเลข", "เครื่องคิดเลข", 0, 0, Fn::Calculator, {}},
        {"printer.bmp", "กำหนดและตั้งค่าเครื่องพิมพ์", "ตั้งค่าเครื่องพิมพ์", 0, 0, Fn::Printer, {}},
        {"note.bmp", "เรียกใช้ Text Editor", "Notepad", 0, 0, Fn::TextEditor, {}},
        {"exit.bmp", "เสร็จการทำงานและออกจากโปรแกรม", "ออกจากโปรแกรม", 0, 0, Fn::Exit, {}},
    };
    return entries;
}

MainWindow::MainWindow(const QFont& font) : m_font(font) {
    setWindowTitle(q(kTitle) + qs(settings().CHLINE));
    setFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, windowsColor(settings().CCOLOR));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    m_functions[Fn::Exit] = [this] { close(); };
    m_functions[Fn::Calculator] = [this] {
        if (!startProgram(findCalculator()))
            messageBox(this, MessageKind::Alert, T("ไม่พบโปรแกรมเครื่องคิดเลขในเครื่องนี้"), T("เรียกใช้เครื่องคิดเลข"));
    };
    m_functions[Fn::TextEditor] = [this] {
        if (!startProgram(findTextEditor()))
            messageBox(this, MessageKind::Alert, T("ไม่พบโปรแกรม Text Editor ในเครื่องนี้"), T("เรียกใช้ Text Editor"));
    };
    // The users with their password and rights, until the code tables' own screens stand.
    m_functions[Fn::CodeUser] = [this] { runUserList(this, m_font); };
    m_functions[Fn::Printer] = [this] {
        QPrinter printer;
        QPrintDialog dialog(&printer, this);
        dialog.exec();
    };
    buildMenu();
    buildButtonBar();
    buildMessageBar();
    buildWelcome();
    qApp->installEventFilter(this);
}

void MainWindow::setFunction(Fn fn, std::function<void()> run) { m_functions[fn] = std::move(run); }

void MainWindow::activate(const ShellEntry& entry) {
    if (entry.area > 0 && !AUTHCHK(entry.area, entry.level)) return;
    run(entry.fn, entry.message);
}

void MainWindow::run(Fn fn, const char* message) {
    auto it = m_functions.find(fn);
    if (it != m_functions.end() && it->second) {
        it->second();
        return;
    }
    messageBox(this, MessageKind::Information, T(kNotReady), T("  ") + T(message));
}

QString MainWindow::restingMessage() const { return q(kResting); }

void MainWindow::buildMenu() {
    menuBar()->setFont(m_font);
    for (const ShellEntry& e : menuEntries()) {
        if (e.children.empty()) {
            QAction* a = menuBar()->addAction(q(e.caption));
            a->setStatusTip(q(e.message));
            connect(a, &QAction::triggered, this, [this, &e] { activate(e); });
            continue;
        }
        QMenu* menu = menuBar()->addMenu(q(e.caption));
        menu->menuAction()->setStatusTip(q(e.message));
        addMenuEntries(menu, e.children);
    }
}

void MainWindow::addMenuEntries(QMenu* menu, const std::vector<ShellEntry>& entries) {
    menu->setFont(m_font);
    for (const ShellEntry& e : entries) {
        if (std::string(e.caption) == "-") {
            menu->addSeparator();
        } else if (!e.children.empty()) {
            QMenu* sub = menu->addMenu(q(e.caption));
            sub->menuAction()->setStatusTip(q(e.message));
            addMenuEntries(sub, e.children);
        } else {
            QAction* a = menu->addAction(q(e.caption));
            a->setStatusTip(q(e.message));
            connect(a, &QAction::triggered, this, [this, &e] { activate(e); });
        }
    }
    // Room for the longest caption: Thai marks make the menu's own measure fall short.
    int widest = 0;
    for (QAction* a : menu->actions()) widest = std::max(widest, QFontMetrics(m_font).horizontalAdvance(a->text()));
    menu->setMinimumWidth(widest + 4 * m_font.pixelSize());
}

void MainWindow::buildButtonBar() {
    QToolBar* bar = addToolBar(QStringLiteral("buttons"));
    bar->setMovable(false);
    bar->setIconSize(QSize(48, 48));
    bar->setCursor(handCursor());
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const ShellEntry& e : buttonEntries()) {
        if (bar->actions().size() > 0) bar->addSeparator();  // each button starts a group
        QAction* a = bar->addAction(QIcon(loadPicture(e.caption, QSize(48, 48))), q(e.tooltip));
        a->setToolTip(q(e.tooltip));
        a->setStatusTip(q(e.message));
        a->setObjectName(QString::fromLatin1(e.caption));
        connect(a, &QAction::triggered, this, [this, &e] { activate(e); });
        if (auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(a))) b->setAutoRaise(false);
    }
}

void MainWindow::buildMessageBar() {
    QStatusBar* bar = statusBar();
    bar->setFont(m_font);
    m_message = new QLabel(restingMessage(), bar);
    m_message->setAlignment(Qt::AlignCenter);
    bar->addWidget(m_message, 1);
    m_locks = new QLabel(bar);
    m_date = new QLabel(bar);
    m_clock = new QLabel(bar);
    for (QLabel* l : {m_locks, m_date, m_clock}) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        bar->addPermanentWidget(l);
    }
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &MainWindow::tick);
    timer->start(1000);
    tick();
}

void MainWindow::tick() {
    m_clock->setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
    m_date->setText(QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
    QStringList keys;
    keys << (m_capsLock ? "CAPS" : "    ") << (m_numLock ? "NUM" : "   ") << (m_scrollLock ? "SCRL" : "    ");
    m_locks->setText(keys.join(' '));
}

// The lock keys: each press seen by the program turns its mark on or off.
bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(e)->key()) {
        case Qt::Key_CapsLock: m_capsLock = !m_capsLock; tick(); break;
        case Qt::Key_NumLock: m_numLock = !m_numLock; tick(); break;
        case Qt::Key_ScrollLock: m_scrollLock = !m_scrollLock; tick(); break;
        default: break;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void MainWindow::buildWelcome() {
    m_welcome = new QWidget(this);
    m_welcome->setAutoFillBackground(true);
    setCentralWidget(m_welcome);
    m_company = new QLabel(qs(settings().CHLINE), m_welcome);
    m_company->setAlignment(Qt::AlignCenter);
    m_company->setStyleSheet(QStringLiteral("color: rgb(255,255,255); background: rgb(0,0,40);"));
    auto* picture = new PictureView("MAIN.BMP", QSize(720, 480), m_welcome);
    picture->setCursor(handCursor());
    picture->setAfterPaint([](QPainter& p) {  // SAYTEXT, in the plain small face of the system
        QFont stamp(QStringLiteral("Loma"));
        stamp.setPixelSize(13);
        p.setFont(stamp);
        p.setPen(QColor(200, 200, 255));
        p.setBackgroundMode(Qt::TransparentMode);
        p.drawText(500, 160 + p.fontMetrics().ascent(), QString::fromLatin1(kUpdateStamp));
    });
    m_picture = picture;
    m_credit = new QLabel(q(kCredit), m_welcome);
    m_credit->setAlignment(Qt::AlignCenter);
    m_credit->setStyleSheet(QStringLiteral("color: rgb(255,255,0); background: rgb(255,0,0);"));
    placeWelcome();
}

// Positions from the screen's size: V high, H wide, as the plant's screens
// were laid out; on a small screen the picture starts left of the edge.
void MainWindow::placeWelcome() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const int V = screen->geometry().height();
    const int H = screen->geometry().width();
    const int top = (V - 480) / 3;
    m_company->setGeometry((H - 720) / 2, top - 25, 720, 30);
    m_picture->setGeometry((H - 720) / 2, top + 17, 720, 480);
    m_credit->setGeometry((H - 560) / 2, top + 510, 560, 30);
}

void MainWindow::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    placeWelcome();
}

void MainWindow::closeEvent(QCloseEvent* e) {
    if (runFinish(this, m_font)) {
        e->accept();
        return;
    }
    e->ignore();
}

}  // namespace mp
