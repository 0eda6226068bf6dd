#pragma once

#include <QFont>
#include <QMainWindow>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QLabel;
class QAction;

namespace mp {

// The functions the main window starts. Function areas register themselves
// with setFunction(); one that is not there yet says so in a short box.
enum class Fn {
    Production, DeviceTest, Reports,
    CodeCompany, CodeRawMaterial, CodeFormula, CodeUnit, CodeUser, CodeReport,
    Reindex, BackupProduction, BackupCodes, Purge, RestoreProduction, RestoreCodes,
    DateTime, Settings, Font1, Font2, Font3, Font4, Font5, Font6,
    Calculator, TextEditor, Printer, Exit,
};

// One entry of the menu or of the button bar: its texts (code page 874,
// UTF-8 in the tables), its guard (area 0: none) and its function.
struct ShellEntry {
    const char* caption;   // menu caption, or the picture file of a button
    const char* message;   // shown in the message bar while pointed at
    const char* tooltip;   // buttons only
    int area;
    int level;
    Fn fn;
    std::vector<ShellEntry> children;  // a submenu; a caption of "-" is a separator line
};

const std::vector<ShellEntry>& menuEntries();    // BUILDMENU
const std::vector<ShellEntry>& buttonEntries();  // the ten buttons

// The main window (OWND): title, icon, colours and font from the settings,
// the menu, the button bar, the welcome display and the message bar with
// clock, date and lock keys. Closing it in any way asks FINISH first.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const QFont& font);

    void setFunction(Fn fn, std::function<void()> run);
    // Runs an entry as the menu or the button would: the guard, then the function.
    void activate(const ShellEntry& entry);
    QString restingMessage() const;
    QLabel* messageLabel() const { return m_message; }

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void buildMenu();
    void addMenuEntries(class QMenu* menu, const std::vector<ShellEntry>& entries);
    void buildButtonBar();
    void buildMessageBar();
    void buildWelcome();
    void placeWelcome();
    void run(Fn fn, const char* message);
    void tick();

    QFont m_font;
    std::map<Fn, std::function<void()>> m_functions;
    QLabel* m_message = nullptr;
    QLabel* m_clock = nullptr;
    QLabel* m_date = nullptr;
    QLabel* m_locks = nullptr;
    QWidget* m_welcome = nullptr;
    QLabel* m_company = nullptr;
    QWidget* m_picture = nullptr;
    QLabel* m_credit = nullptr;
    bool m_capsLock = false;
    bool m_numLock = false;
    bool m_scrollLock = false;
};

// SAYTEXT's stamp on the welcome picture.
extern const char* const kUpdateStamp;

}  // namespace mp
