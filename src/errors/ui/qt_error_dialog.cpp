#include "errors/ui/qt_error_dialog.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <map>

#include "platform/qtkit/desktop.h"
#include "platform/qtkit/messages.h"
#include "platform/qtkit/text.h"
#include "platform/runtime/cp874.h"

namespace mp {
namespace {

const std::map<std::string, ErrorChoice>& choices() {
    static const std::map<std::string, ErrorChoice> m = {
        {"&Quit", ErrorChoice::Quit}, {"&Retry", ErrorChoice::Retry}, {"&Default", ErrorChoice::Default}};
    return m;
}

// The description is shown as it is: an "&" is a character, not a shortcut.
QLabel* descriptionLabel(QWidget* parent, const std::string& line) {
    auto* label = new QLabel(qs(line), parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

QListWidget* stackList(QWidget* parent, const std::vector<std::string>& lines) {
    auto* list = new QListWidget(parent);
    for (const std::string& l : lines) list->addItem(qs(l));
    if (list->count() > 0) list->setCurrentRow(0);
    return list;
}

// The bottom row in its three places; returns the row's layout.
QHBoxLayout* buttonRow(QDialog* dlg, const ErrorDialogContent& c, ErrorChoice& chosen) {
    ErrorButtonRow row = errorDialogButtons(c.canRetry, c.canDefault);
    auto* layout = new QHBoxLayout;
    for (int place = 0; place < 3; ++place) {
        const std::string& text = row.places[place];
        if (text.empty()) {
            layout->addStretch(1);
            continue;
        }
        auto* b = new QPushButton(QString::fromStdString(text), dlg);
        b->setAutoDefault(false);
        b->setDefault(place == row.defaultPlace);
        b->setObjectName(QString::fromStdString(text));
        ErrorChoice choice = choices().at(text);
        QObject::connect(b, &QPushButton::clicked, dlg, [dlg, &chosen, choice] {
            chosen = choice;
            dlg->accept();
        });
        layout->addWidget(b, 1);
    }
    return layout;
}

}  // namespace

QtErrorDialog::QtErrorDialog(QWidget* parent) : m_parent(parent) {}

ErrorChoice QtErrorDialog::show(const ErrorDialogContent& c) {
    QDialog dlg(m_parent ? m_parent : QApplication::activeWindow());
    dlg.setWindowTitle(qs(c.caption));
    // The plain small face of the system's own dialogs, not the screens' large one.
    QFont face(QStringLiteral("Loma"));
    face.setPixelSize(13);
    dlg.setFont(face);
    dlg.setModal(true);
    dlg.setMinimumSize(kWidth, kHeight);
    dlg.resize(kWidth, kHeight);
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(descriptionLabel(&dlg, c.descriptionLine));

    auto* listHead = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("&Stack List"), &dlg);
    auto* list = stackList(&dlg, c.stackLines);
    label->setBuddy(list);
    auto* see = new QPushButton(QStringLiteral("See Error.log file"), &dlg);
    see->setAutoDefault(false);
    std::string logPath = c.logPath;
    QObject::connect(see, &QPushButton::clicked, &dlg, [&dlg, logPath] { openErrorLog(&dlg, logPath); });
    listHead->addWidget(label);
    listHead->addStretch(1);
    listHead->addWidget(see);
    layout->addLayout(listHead);
    layout->addWidget(list, 1);

    ErrorChoice chosen = ErrorChoice::Quit;  // the close box and Escape
    layout->addLayout(buttonRow(&dlg, c, chosen));
    dlg.exec();
    return chosen;
}

void openErrorLog(QWidget* parent, const std::string& logPath) {
    QString editor = findTextEditor();
    if (startProgram(editor, {QString::fromLocal8Bit(logPath.c_str())})) return;
    messageBox(parent, MessageKind::Alert, T("ไม่พบโปรแกรม Text Editor สำหรับเปิด ") + logPath, "Error.log");
}

std::vector<std::string> QtWindowTitles::titles() const {
    std::vector<std::string> out;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->windowTitle().isEmpty()) continue;
        std::string t = cp(w->windowTitle());
        if (std::find(out.begin(), out.end(), t) == out.end()) out.push_back(t);
    }
    return out;
}

}  // namespace mp
