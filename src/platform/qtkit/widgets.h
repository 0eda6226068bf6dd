#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <functional>
#include <string>

#include "platform/qtkit/edit_picture.h"

class QPainter;

namespace mp {

// The folder the pictures of the screens are read from (".\library\" by
// default, relative to the working directory).
void setPictureFolder(const std::string& folder);
const std::string& pictureFolder();
// A picture file of the picture folder (or a path with a folder part), found
// without regard to letter case. A picture that is missing or unreadable gives
// a neutral placeholder of `fallbackSize` (a grey frame with a cross), never a
// failure.
QPixmap loadPicture(const std::string& file, QSize fallbackSize = QSize(48, 48));
QPixmap placeholderPicture(QSize size);
// The hand cursor over pictures that can be clicked and over picture buttons.
QCursor handCursor();
// A caption wider than its place in the screen's font is drawn a little
// smaller (down to three quarters of the size), so it is not cut off.
void fitToWidth(QLabel* label);

// An entry field with an edit picture and a fixed-length buffer that typing
// overwrites (see EditPicture). A validation runs when the entry is left by
// the keyboard or the mouse; when it refuses, the focus stays in the entry.
// Enter moves on to the next control, as Tab does.
class PictureEdit : public QLineEdit {
    Q_OBJECT
public:
    // `value` in code page 874; its length is the length of the buffer.
    PictureEdit(const std::string& value, const std::string& picture, QWidget* parent = nullptr,
                bool numericValue = false);

    void setSecret(bool hidden);                       // typed characters hidden
    void setValid(std::function<bool()> valid);        // runs on leaving; false keeps the focus
    std::string value() const;                         // code page 874, the full buffer
    void setValue(const std::string& value);
    const EditPicture& picture() const { return m_picture; }
    // Runs the validation now (as leaving would); true when there is none.
    bool validate();

signals:
    void refused();  // the validation refused a leave

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void typeText(const QString& text);
    void eraseBack();
    void eraseHere();
    void setBuffer(const std::u32string& buffer, size_t cursor);
    std::u32string buffer() const;

    EditPicture m_picture;
    std::function<bool()> m_valid;
    bool m_validating = false;
    bool m_fresh = false;  // a number field clears on the first key typed
};

// A picture from the picture folder, scaled to its place. With an action it
// shows the hand cursor and runs the action on a click; `afterPaint` draws
// over the picture each time it has been painted.
class PictureView : public QLabel {
    Q_OBJECT
public:
    PictureView(const std::string& file, QSize size, QWidget* parent = nullptr);
    void setAction(std::function<void()> action);
    void setAfterPaint(std::function<void(QPainter&)> paint);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    std::function<void()> m_action;
    std::function<void(QPainter&)> m_afterPaint;
};

// A button showing a picture only, with a tooltip and the hand cursor.
class PictureButton : public QPushButton {
    Q_OBJECT
public:
    PictureButton(const std::string& file, const std::string& tooltip, QSize size, QWidget* parent = nullptr);
};

}  // namespace mp
