#include "platform/qtkit/widgets.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

#include "platform/qtkit/text.h"
#include "platform/runtime/files.h"

namespace mp {
namespace {

std::string& folderSetting() {
    static std::string folder = ".\\library\\";
    return folder;
}

bool hasFolderPart(const std::string& file) {
    return file.find('/') != std::string::npos || file.find('\\') != std::string::npos;
}

}  // namespace

void setPictureFolder(const std::string& folder) { folderSetting() = folder; }
const std::string& pictureFolder() { return folderSetting(); }

QPixmap placeholderPicture(QSize size) {
    QPixmap pm(size.isValid() && !size.isEmpty() ? size : QSize(48, 48));
    pm.fill(QColor(224, 224, 224));
    QPainter p(&pm);
    p.setPen(QPen(QColor(150, 150, 150), 1));
    p.drawRect(0, 0, pm.width() - 1, pm.height() - 1);
    p.drawLine(0, 0, pm.width() - 1, pm.height() - 1);
    p.drawLine(0, pm.height() - 1, pm.width() - 1, 0);
    return pm;
}

QPixmap loadPicture(const std::string& file, QSize fallbackSize) {
    std::string path = findFile(hasFolderPart(file) ? file : pictureFolder() + file);
    QPixmap pm;
    if (!file.empty() && fileExists(path)) pm.load(QString::fromLocal8Bit(path.c_str()));
    return pm.isNull() ? placeholderPicture(fallbackSize) : pm;
}

QCursor handCursor() { return QCursor(Qt::PointingHandCursor); }

void fitToWidth(QLabel* label) {
    QFont f = label->font();
    const bool pixels = f.pixelSize() > 0;
    const double full = pixels ? f.pixelSize() : f.pointSizeF();
    for (double size = full; size >= full * 0.75; size -= full / 20) {
        if (pixels) f.setPixelSize(static_cast<int>(size));
        else f.setPointSizeF(size);
        if (QFontMetrics(f).horizontalAdvance(label->text()) <= label->width()) break;
    }
    label->setFont(f);
}

// ---- PictureEdit ----

PictureEdit::PictureEdit(const std::string& value, const std::string& picture, QWidget* parent,
                         bool numericValue)
    : QLineEdit(parent), m_picture(picture, value.size(), numericValue) {
    setContextMenuPolicy(Qt::NoContextMenu);
    setDragEnabled(false);
    setAcceptDrops(false);
    setMaxLength(static_cast<int>(m_picture.length()));
    setValue(value);
}

void PictureEdit::setSecret(bool hidden) {
    setEchoMode(hidden ? QLineEdit::Password : QLineEdit::Normal);
    // An asterisk per character: the buffer's places fit as the plain text does.
    if (hidden) setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}
void PictureEdit::setValid(std::function<bool()> valid) { m_valid = std::move(valid); }
std::string PictureEdit::value() const { return cp(text()); }

void PictureEdit::setValue(const std::string& value) {
    QString q = qs(value);
    std::u32string raw(reinterpret_cast<const char32_t*>(q.toUcs4().constData()), q.size());
    setBuffer(m_picture.shape(raw), 0);
}

std::u32string PictureEdit::buffer() const {
    QList<uint> ucs = text().toUcs4();
    std::u32string out;
    for (uint c : ucs) out.push_back(static_cast<char32_t>(c));
    out.resize(m_picture.length(), U' ');
    return out;
}

void PictureEdit::setBuffer(const std::u32string& buffer, size_t cursor) {
    setText(QString::fromUcs4(buffer.data(), static_cast<qsizetype>(buffer.size())));
    setCursorPosition(static_cast<int>(std::min(cursor, buffer.size())));
}

bool PictureEdit::validate() {
    if (!m_valid || m_validating) return true;
    m_validating = true;
    bool ok = m_valid();
    m_validating = false;
    return ok;
}

void PictureEdit::typeText(const QString& text) {
    std::u32string buf = buffer();
    size_t pos = static_cast<size_t>(cursorPosition());
    if (m_fresh && m_picture.numeric()) buf.assign(buf.size(), U' '), pos = 0;
    m_fresh = false;
    for (uint ch : text.toUcs4()) {
        pos = m_picture.nextEditable(pos);
        char32_t c = pos < buf.size() ? m_picture.accept(pos, static_cast<char32_t>(ch)) : 0;
        if (c == 0) {
            QApplication::beep();
            break;
        }
        buf[pos] = c;
        pos = m_picture.nextEditable(pos + 1);
    }
    setBuffer(buf, pos);
}

void PictureEdit::eraseBack() {
    size_t pos = m_picture.previousEditable(static_cast<size_t>(cursorPosition()));
    if (pos == std::u32string::npos) return;
    std::u32string buf = buffer();
    buf[pos] = U' ';
    setBuffer(buf, pos);
}

void PictureEdit::eraseHere() {
    std::u32string buf = buffer();
    size_t pos = static_cast<size_t>(cursorPosition());
    if (!m_picture.editable(pos)) return;
    // Within a run of editable positions the rest moves one to the left.
    size_t end = pos;
    while (end + 1 < buf.size() && m_picture.editable(end + 1)) ++end;
    for (size_t i = pos; i < end; ++i) buf[i] = buf[i + 1];
    buf[end] = U' ';
    setBuffer(buf, pos);
}

void PictureEdit::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        focusNextChild();
        return;
    case Qt::Key_Backspace:
        eraseBack();
        return;
    case Qt::Key_Delete:
        eraseHere();
        return;
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Home: case Qt::Key_End:
        m_fresh = false;
        QLineEdit::keyPressEvent(e);
        return;
    default:
        break;
    }
    bool plain = !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain && !e->text().isEmpty() && e->text().at(0).unicode() >= 0x20) {
        typeText(e->text());
        return;
    }
    e->ignore();  // Escape, shortcuts: the dialog's
}

void PictureEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    m_fresh = m_picture.numeric();
    QTimer::singleShot(0, this, [this] { setCursorPosition(0); });
}

void PictureEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (m_picture.numeric()) setBuffer(m_picture.shape(buffer()), 0);
    Qt::FocusReason r = e->reason();
    bool leaving = r == Qt::TabFocusReason || r == Qt::BacktabFocusReason || r == Qt::MouseFocusReason ||
                   r == Qt::ShortcutFocusReason || r == Qt::OtherFocusReason;
    if (!leaving || !m_valid || m_validating) return;
    if (validate()) return;
    emit refused();
    QTimer::singleShot(0, this, [this] { setFocus(Qt::OtherFocusReason); });
}

// ---- PictureView ----

PictureView::PictureView(const std::string& file, QSize size, QWidget* parent) : QLabel(parent) {
    QPixmap pm = loadPicture(file, size);
    setPixmap(pm.size() == size ? pm : pm.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    setFixedSize(size);
}

void PictureView::setAction(std::function<void()> action) {
    m_action = std::move(action);
    setCursor(m_action ? handCursor() : QCursor());
}

void PictureView::setAfterPaint(std::function<void(QPainter&)> paint) { m_afterPaint = std::move(paint); }

void PictureView::mousePressEvent(QMouseEvent* e) {
    if (m_action) m_action();
    else QLabel::mousePressEvent(e);
}

void PictureView::paintEvent(QPaintEvent* e) {
    QLabel::paintEvent(e);
    if (!m_afterPaint) return;
    QPainter p(this);
    m_afterPaint(p);
}

// ---- PictureButton ----

PictureButton::PictureButton(const std::string& file, const std::string& tooltip, QSize size, QWidget* parent)
    : QPushButton(parent) {
    setFixedSize(size);
    QSize iconSize(std::max(8, size.width() - 6), std::max(8, size.height() - 6));
    QPixmap pm = loadPicture(file, iconSize);
    setIcon(QIcon(pm));
    setIconSize(pm.size().boundedTo(iconSize));
    if (!tooltip.empty()) setToolTip(qs(tooltip));
    setCursor(handCursor());
}

}  // namespace mp
