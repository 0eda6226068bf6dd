#include "platform/qtkit/testing.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <memory>

namespace mp::testing {

QApplication& testApp() {
    static int argc = 1;
    static char name[] = "mixplant_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

namespace {

void poll(QPointer<QWidget> before, std::function<void(QWidget*)> answer, std::shared_ptr<QElapsedTimer> clock) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != before) {
        if (modal->isVisible()) {
            answer(modal);
            return;
        }
    }
    if (clock->elapsed() > 5000) {  // whatever stands is rejected, so the test fails and ends
        if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
        return;
    }
    QTimer::singleShot(10, [before, answer, clock] { poll(before, answer, clock); });
}

QString plain(QString s) { return s.remove('&'); }

}  // namespace

void whenModal(std::function<void(QWidget*)> answer) {
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QPointer<QWidget> before = QApplication::activeModalWidget();
    QTimer::singleShot(10, [before, answer, clock] { poll(before, answer, clock); });
}

QAbstractButton* findButton(QWidget* window, const QString& text) {
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (plain(b->text()) == plain(text)) return b;
    return nullptr;
}

bool clickButton(QWidget* window, const QString& text) {
    QAbstractButton* b = findButton(window, text);
    if (!b) return false;
    b->click();
    return true;
}

QString labelsOf(QWidget* window) {
    QStringList texts;
    for (QLabel* l : window->findChildren<QLabel*>())
        if (!l->text().isEmpty()) texts << l->text();
    return texts.join('\n');
}

}  // namespace mp::testing
