#include "platform/qtkit/messages.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qtkit/text.h"

namespace mp {
namespace {

struct BoxLook {
    QMessageBox::Icon icon;
    const char* defaultTitle;
};

BoxLook lookOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Information: return {QMessageBox::Information, "Information"};
    case MessageKind::Alert: return {QMessageBox::Warning, "Alert"};
    case MessageKind::Stop: return {QMessageBox::Critical, "Stop"};
    }
    return {QMessageBox::NoIcon, ""};
}

QString titleOr(const std::string& title, const char* fallback) {
    return title.empty() ? QString::fromLatin1(fallback) : qs(title);
}

QWidget* parentOr(QWidget* parent) { return parent ? parent : QApplication::activeWindow(); }

}  // namespace

void messageBox(QWidget* parent, MessageKind kind, const std::string& text, const std::string& title) {
    BoxLook look = lookOf(kind);
    QMessageBox box(look.icon, titleOr(title, look.defaultTitle), qs(text), QMessageBox::Ok, parentOr(parent));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool yesNoBox(QWidget* parent, const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::Question, titleOr(title, "Question"), qs(text),
                    QMessageBox::Yes | QMessageBox::No, parentOr(parent));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

WaitBox::WaitBox(QWidget* parent, const std::string& text) : QDialog(parentOr(parent)) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QString());
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(qs(text), this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    setMinimumWidth(260);
    show();
    // Painted before the step starts: the step may not let the window system run.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

WaitBox::~WaitBox() { hide(); }

QtOperator::QtOperator(QWidget* parent) : m_parent(parent) {}
QtOperator::~QtOperator() = default;

void QtOperator::message(const std::string& text, const std::string& title) {
    messageBox(m_parent, MessageKind::Information, text, title);
}
void QtOperator::alert(const std::string& text, const std::string& title) {
    messageBox(m_parent, MessageKind::Alert, text, title);
}
void QtOperator::stop(const std::string& text, const std::string& title) {
    messageBox(m_parent, MessageKind::Stop, text, title);
}
bool QtOperator::yesNo(const std::string& text, const std::string& title) { return yesNoBox(m_parent, text, title); }

void QtOperator::wait(const std::string& text, const std::function<void()>& step) {
    WaitBox box(m_parent, text);
    step();
}

// The pitch and length belong to the PC speaker; the desktop gives one bell.
void QtOperator::beep(int, int) { QApplication::beep(); }

void QtOperator::progress(const std::string& text, long done, long total) {
    if (total <= 0 || done >= total) {
        m_progress.reset();
        return;
    }
    if (!m_progress) {
        m_progress = std::make_unique<QProgressDialog>(qs(text), QString(), 0, 1000, parentOr(m_parent));
        m_progress->setWindowModality(Qt::WindowModal);
        m_progress->setMinimumDuration(0);
    }
    m_progress->setLabelText(qs(text));
    m_progress->setValue(static_cast<int>(done * 1000 / total));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace mp
