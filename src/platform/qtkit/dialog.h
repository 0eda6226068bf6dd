#pragma once

#include <QDialog>
#include <QFont>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QLabel;

namespace mp {

class PictureEdit;

// The kinds of control a screen places.
enum class ControlKind {
    Label,          // text, left-aligned
    CenteredText,   // text, centred in its place
    Entry,          // PictureEdit; text = initial value, picture = edit picture
    HiddenEntry,    // an entry whose typed characters are hidden
    Button,         // push button with a caption
    DefaultButton,  // push button pressed by Enter on a button row
    CancelButton,   // push button that is the dialog's cancel: no validation of the entry left
    PictureButton,  // text = picture file, tooltip
    CancelPictureButton,  // a picture button that is the dialog's cancel
    Picture,        // text = picture file; with an action a click runs it
    TextBox,        // multi-line text that can be scrolled and typed in
    ListBox,        // items, one per line
};

constexpr int kNoColor = -1;
constexpr int rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }  // as the plant's colour values

// One control of a screen, placed in layout units (half the scale of the
// dialog's declared outer size): top row, left column, width and height. A
// size of 0 fits the control to its content.
struct ControlSpec {
    int row = 0;
    int col = 0;
    int width = 0;
    int height = 0;
    ControlKind kind = ControlKind::Label;
    std::string text;                 // code page 874
    std::function<void()> action;     // buttons and pictures
    std::string id;                   // for control() / entry(); may be empty
    std::string picture;              // edit picture of an entry
    std::string tooltip;              // picture buttons
    int foreground = kNoColor;        // rgb(); kNoColor for the dialog's own
    int background = kNoColor;
    std::vector<std::string> items;   // list boxes
    std::function<bool()> valid;      // entries: runs on leaving; false keeps the focus
};

// A modal dialog sized by its declared outer size with its controls placed
// in layout units. Centred on its parent; Escape and the close box cancel it.
class KitDialog : public QDialog {
    Q_OBJECT
public:
    // `title` in code page 874; `outerWidth` by `outerHeight` as the screen declares it.
    KitDialog(QWidget* parent, const std::string& title, int outerWidth, int outerHeight, const QFont& font);

    static constexpr int kUnit = 2;  // pixels per layout unit

    void addControls(const std::vector<ControlSpec>& controls);
    QWidget* addControl(const ControlSpec& def);
    QWidget* control(const std::string& id) const;  // nullptr when there is none
    PictureEdit* entry(const std::string& id) const;
    std::string value(const std::string& id) const;  // an entry's buffer, code page 874

    // A button click right after an entry refused to be left does nothing:
    // the operator has to mend the entry first.
    bool clickAllowed();

private:
    QWidget* makeControl(const ControlSpec& def);
    QWidget* makeText(const ControlSpec& def);
    QWidget* makeEntry(const ControlSpec& def);
    QWidget* makeButton(const ControlSpec& def);
    void place(QWidget* w, const ControlSpec& def);
    void bindBuddy(QWidget* w);

    std::map<std::string, QWidget*> m_controls;
    std::vector<QLabel*> m_waitingBuddy;
    bool m_refused = false;
};

}  // namespace mp
