#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "platform/runtime/operator.h"

class QProgressDialog;

namespace mp {

enum class MessageKind { Information, Alert, Stop };

// Modal message boxes with the system's texts and titles (code page 874).
// An empty title takes the box's plain default ("Information", "Alert",
// "Stop", "Question").
void messageBox(QWidget* parent, MessageKind kind, const std::string& text, const std::string& title);
// A Yes/No question; No is the default answer, and Escape or the close box
// answer No.
bool yesNoBox(QWidget* parent, const std::string& text, const std::string& title);

// The small please-wait box: stands, painted, for the lifetime of the object.
class WaitBox : public QDialog {
    Q_OBJECT
public:
    WaitBox(QWidget* parent, const std::string& text);
    ~WaitBox() override;
};

// The operator interface of the screens: Qt message boxes parented to the
// window given (the main window once it stands).
class QtOperator : public Operator {
public:
    explicit QtOperator(QWidget* parent = nullptr);
    ~QtOperator() override;
    void setParent(QWidget* parent) { m_parent = parent; }

    void message(const std::string& text, const std::string& title) override;
    void alert(const std::string& text, const std::string& title) override;
    void stop(const std::string& text, const std::string& title) override;
    bool yesNo(const std::string& text, const std::string& title) override;
    void wait(const std::string& text, const std::function<void()>& step) override;
    void beep(int hertz, int milliseconds) override;
    void progress(const std::string& text, long done, long total) override;

private:
    QWidget* m_parent;
    std::unique_ptr<QProgressDialog> m_progress;
};

}  // namespace mp
