#include "platform/qtkit/dialog.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "platform/qtkit/text.h"
#include "platform/qtkit/widgets.h"

namespace mp {
namespace {

QColor colorOf(int value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }

void applyColors(QWidget* w, const ControlSpec& spec) {
    if (spec.foreground == kNoColor && spec.background == kNoColor) return;
    QPalette pal = w->palette();
    if (spec.foreground != kNoColor) {
        pal.setColor(QPalette::WindowText, colorOf(spec.foreground));
        pal.setColor(QPalette::Text, colorOf(spec.foreground));
    }
    if (spec.background != kNoColor) {
        pal.setColor(QPalette::Window, colorOf(spec.background));
        pal.setColor(QPalette::Base, colorOf(spec.background));
        w->setAutoFillBackground(true);
    }
    w->setPalette(pal);
}

bool hasMnemonic(const std::string& text) { return text.find('&') != std::string::npos; }

}  // namespace

KitDialog::KitDialog(QWidget* parent, const std::string& title, int outerWidth, int outerHeight,
                     const QFont& font)
    : QDialog(parent) {
    setWindowTitle(qs(title));
    setFont(font);
    // The declared outer size is the room the controls are placed in.
    setFixedSize(outerWidth, outerHeight);
    setModal(true);
}

void KitDialog::addControls(const std::vector<ControlSpec>& controls) {
    for (const ControlSpec& spec : controls) addControl(spec);
}

QWidget* KitDialog::addControl(const ControlSpec& spec) {
    QWidget* w = makeControl(spec);
    applyColors(w, spec);
    place(w, spec);
    if (!spec.id.empty()) m_controls[spec.id] = w;
    bindBuddy(w);
    return w;
}

QWidget* KitDialog::control(const std::string& id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

PictureEdit* KitDialog::entry(const std::string& id) const { return qobject_cast<PictureEdit*>(control(id)); }

std::string KitDialog::value(const std::string& id) const {
    PictureEdit* e = entry(id);
    return e ? e->value() : std::string();
}

bool KitDialog::clickAllowed() {
    bool allowed = !m_refused;
    m_refused = false;
    return allowed;
}

QWidget* KitDialog::makeControl(const ControlSpec& spec) {
    QSize size(spec.width * kUnit, spec.height * kUnit);
    switch (spec.kind) {
    case ControlKind::Label:
    case ControlKind::CenteredText:
        return makeText(spec);
    case ControlKind::Entry:
    case ControlKind::HiddenEntry:
        return makeEntry(spec);
    case ControlKind::Button:
    case ControlKind::DefaultButton:
    case ControlKind::CancelButton:
    case ControlKind::PictureButton:
    case ControlKind::CancelPictureButton:
        return makeButton(spec);
    case ControlKind::Picture: {
        auto* view = new PictureView(spec.text, size, this);
        if (spec.action) view->setAction(spec.action);
        return view;
    }
    case ControlKind::TextBox: {
        auto* box = new QPlainTextEdit(qs(spec.text), this);
        return box;
    }
    case ControlKind::ListBox: {
        auto* list = new QListWidget(this);
        for (const std::string& item : spec.items) list->addItem(qs(item));
        if (list->count() > 0) list->setCurrentRow(0);
        return list;
    }
    }
    return new QWidget(this);
}

QWidget* KitDialog::makeText(const ControlSpec& spec) {
    auto* label = new QLabel(qs(spec.text), this);
    label->setTextFormat(Qt::PlainText);
    if (spec.kind == ControlKind::CenteredText) label->setAlignment(Qt::AlignCenter);
    if (hasMnemonic(spec.text)) m_waitingBuddy.push_back(label);
    return label;
}

QWidget* KitDialog::makeEntry(const ControlSpec& spec) {
    auto* edit = new PictureEdit(spec.text, spec.picture, this);
    edit->setSecret(spec.kind == ControlKind::HiddenEntry);
    edit->setTextMargins(0, 0, 0, 0);
    if (spec.valid) edit->setValid(spec.valid);
    connect(edit, &PictureEdit::refused, this, [this] { m_refused = true; });
    connect(edit, &QLineEdit::textEdited, this, [this] { m_refused = false; });
    return edit;
}

QWidget* KitDialog::makeButton(const ControlSpec& spec) {
    QSize size(spec.width * kUnit, spec.height * kUnit);
    bool picture = spec.kind == ControlKind::PictureButton || spec.kind == ControlKind::CancelPictureButton;
    bool cancel = spec.kind == ControlKind::CancelButton || spec.kind == ControlKind::CancelPictureButton;
    QPushButton* button = picture ? new mp::PictureButton(spec.text, spec.tooltip, size, this)
                                  : new QPushButton(qs(spec.text), this);
    button->setAutoDefault(false);
    if (spec.kind == ControlKind::DefaultButton) button->setDefault(true);
    if (cancel) button->setFocusPolicy(Qt::TabFocus);  // a click leaves the entry as it is
    auto action = spec.action;
    connect(button, &QPushButton::clicked, this, [this, cancel, action] {
        if (!clickAllowed() && !cancel) return;
        if (action) action();
        else if (cancel) reject();
    });
    return button;
}

void KitDialog::place(QWidget* w, const ControlSpec& spec) {
    QSize hint = w->sizeHint();
    int width = spec.width > 0 ? spec.width * kUnit : hint.width();
    int height = spec.height > 0 ? spec.height * kUnit : hint.height();
    w->setGeometry(spec.col * kUnit, spec.row * kUnit, width, height);
}

// A caption with a shortcut letter leads to the entry that follows it.
void KitDialog::bindBuddy(QWidget* w) {
    if (!qobject_cast<PictureEdit*>(w)) return;
    for (QLabel* label : m_waitingBuddy) label->setBuddy(w);
    m_waitingBuddy.clear();
}

}  // namespace mp
