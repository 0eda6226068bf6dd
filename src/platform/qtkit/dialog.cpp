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

void applyColors(QWidget* w, const ControlSpec& def) {
    if (def.foreground == kNoColor && def.background == kNoColor) return;
    QPalette pal = w->palette();
    if (def.foreground != kNoColor) {
        pal.setColor(QPalette::WindowText, colorOf(def.foreground));
        pal.setColor(QPalette::Text, colorOf(def.foreground));
    }
    if (def.background != kNoColor) {
        pal.setColor(QPalette::Window, colorOf(def.background));
        pal.setColor(QPalette::Base, colorOf(def.background));
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
    for (const ControlSpec& def : controls) addControl(def);
}

QWidget* KitDialog::addControl(const ControlSpec& def) {
    QWidget* w = makeControl(def);
    applyColors(w, def);
    place(w, def);
    if (!def.id.empty()) m_controls[def.id] = w;
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

QWidget* KitDialog::makeControl(const ControlSpec& def) {
    QSize size(def.width * kUnit, def.height * kUnit);
    switch (def.kind) {
    case ControlKind::Label:
    case ControlKind::CenteredText:
        return makeText(def);
    case ControlKind::Entry:
    case ControlKind::HiddenEntry:
        return makeEntry(def);
    case ControlKind::Button:
    case ControlKind::DefaultButton:
    case ControlKind::CancelButton:
    case ControlKind::PictureButton:
    case ControlKind::CancelPictureButton:
        return makeButton(def);
    case ControlKind::Picture: {
        auto* view = new PictureView(def.text, size, this);
        if (def.action) view->setAction(def.action);
        return view;
    }
    case ControlKind::TextBox: {
        auto* box = new QPlainTextEdit(qs(def.text), this);
        return box;
    }
    case ControlKind::ListBox: {
        auto* list = new QListWidget(this);
        for (const std::string& item : def.items) list->addItem(qs(item));
        if (list->count() > 0) list->setCurrentRow(0);
        return list;
    }
    }
    return new QWidget(this);
}

QWidget* KitDialog::makeText(const ControlSpec& def) {
    auto* label = new QLabel(qs(def.text), this);
    label->setTextFormat(Qt::PlainText);
    if (def.kind == ControlKind::CenteredText) label->setAlignment(Qt::AlignCenter);
    if (hasMnemonic(def.text)) m_waitingBuddy.push_back(label);
    return label;
}

QWidget* KitDialog::makeEntry(const ControlSpec& def) {
    auto* edit = new PictureEdit(def.text, def.picture, this);
    edit->setSecret(def.kind == ControlKind::HiddenEntry);
    edit->setTextMargins(0, 0, 0, 0);
    if (def.valid) edit->setValid(def.valid);
    connect(edit, &PictureEdit::refused, this, [this] { m_refused = true; });
    connect(edit, &QLineEdit::textEdited, this, [this] { m_refused = false; });
    return edit;
}

QWidget* KitDialog::makeButton(const ControlSpec& def) {
    QSize size(def.width * kUnit, def.height * kUnit);
    bool picture = def.kind == ControlKind::PictureButton || def.kind == ControlKind::CancelPictureButton;
    bool cancel = def.kind == ControlKind::CancelButton || def.kind == ControlKind::CancelPictureButton;
    QPushButton* button = picture ? new mp::PictureButton(def.text, def.tooltip, size, this)
                                  : new QPushButton(qs(def.text), this);
    button->setAutoDefault(false);
    if (def.kind == ControlKind::DefaultButton) button->setDefault(true);
    if (cancel) button->setFocusPolicy(Qt::TabFocus);  // a click leaves the entry as it is
    auto action = def.action;
    connect(button, &QPushButton::clicked, this, [this, cancel, action] {
        if (!clickAllowed() && !cancel) return;
        if (action) action();
        else if (cancel) reject();
    });
    return button;
}

void KitDialog::place(QWidget* w, const ControlSpec& def) {
    QSize hint = w->sizeHint();
    int width = def.width > 0 ? def.width * kUnit : hint.width();
    int height = def.height > 0 ? def.height * kUnit : hint.height();
    w->setGeometry(def.col * kUnit, def.row * kUnit, width, height);
}

// A caption with a shortcut letter leads to the entry that follows it.
void KitDialog::bindBuddy(QWidget* w) {
    if (!qobject_cast<PictureEdit*>(w)) return;
    for (QLabel* label : m_waitingBuddy) label->setBuddy(w);
    m_waitingBuddy.clear();
}

}  // namespace mp
