#include "app/ui/user_dialogs.h"

#include <QLabel>
#include <QPushButton>

#include "app/startup.h"
#include "app/users/users.h"
#include "data/table_access.h"
#include "platform/qtkit/browse.h"
#include "platform/qtkit/dialog.h"
#include "platform/qtkit/text.h"
#include "platform/qtkit/widgets.h"
#include "platform/runtime/cp874.h"

namespace mp {
namespace usertext {
const char* const kSaveTip = "บันทึกข้อมูลนี้";
const char* const kCancelTip = "ยกเลิกการทำงาน";
const char* const kListTitle = "  ส่วนกำหนดตารางรหัสผู้ใช้โปรแกรม";
const char* const kPasswordButton = "&รหัสผ่าน";
const char* const kRightsButton = "&อำนาจ";
}  // namespace usertext

using namespace usertext;

namespace {

constexpr int kUserArea = 6;      // the user codes
constexpr int kFullLevel = 6;     // who sees the password and rights buttons
const std::string kBlankPassword(kPasswordWidth, ' ');

std::string trimmed(std::string s) {
    size_t end = s.find_last_not_of(' ');
    s.erase(end == std::string::npos ? 0 : end + 1);
    return s;
}

xbase::Table* users() { return workAreas().table("USERLIST"); }

// "  CODE<sep>NAME" of the current user record.
std::string userTitle(const char* separator) {
    xbase::Table* t = users();
    if (!t) return "  ";
    return "  " + trimmed(t->value("CODE").text()) + separator + trimmed(t->value("NAME").text());
}

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

// The save and cancel picture buttons of the user dialogs.
std::vector<ControlSpec> saveAndCancel(int row, int saveCol, int cancelCol, std::function<void()> save) {
    ControlSpec ok{row, saveCol, 40, 18, ControlKind::PictureButton, "PopSave.bmp", std::move(save), "save"};
    ok.tooltip = T(kSaveTip);
    ControlSpec cancel{row, cancelCol, 40, 18, ControlKind::CancelPictureButton, "PopCan.bmp", {}, "cancel"};
    cancel.tooltip = T(kCancelTip);
    return {ok, cancel};
}

}  // namespace

void runPasswordDialog(QWidget* parent, const QFont& font) {
    if (!users() || users()->eof()) return;
    KitDialog dlg(parent, userTitle(" - "), 400, 220, font);
    KitDialog* d = &dlg;
    const char* const ids[] = {"old", "new", "repeat"};
    const char* const captions[] = {"รหัสเ&ดิม", "รหัสใ&หม่", "&ทวนรหัสใหม่"};
    for (int i = 0; i < 3; ++i) {
        int row = 10 + 20 * i;
        ControlSpec entry{row, 100, 80, 18, ControlKind::HiddenEntry, kBlankPassword, {}, ids[i], "@!"};
        entry.valid = [d, id = ids[i]] { return !blank(d->value(id)); };
        dlg.addControls({{row, 20, 80, 18, ControlKind::Label, T(captions[i])}, entry});
    }
    // Save: an entry never visited is still blank; the focus goes there instead.
    dlg.addControls(saveAndCancel(80, 40, 120, [d, ids] {
        for (const char* id : ids) {
            if (blank(d->value(id))) {
                d->entry(id)->setFocus();
                return;
            }
        }
        d->accept();
    }));
    dlg.entry("old")->setFocus();
    if (dlg.exec() != QDialog::Accepted) return;
    changePassword(dlg.value("old"), dlg.value("new"), dlg.value("repeat"));
}

void runLevelLegend(QWidget* parent, const QFont& font) {
    KitDialog dlg(parent, levelLegendTitle(), 400, 370, font);
    KitDialog* d = &dlg;
    std::vector<std::string> texts = levelLegend();
    size_t longest = 0;
    for (const std::string& t : texts) longest = std::max(longest, t.size());
    // One face for all seven rows, small enough for the longest text to fit
    // within the dialog.
    QLabel* widest = nullptr;
    std::vector<QLabel*> rows;
    for (size_t i = 0; i < texts.size(); ++i) {
        auto* row = static_cast<QLabel*>(
            dlg.addControl({5 + 20 * static_cast<int>(i), 20, 175, 18, ControlKind::Label, texts[i]}));
        if (texts[i].size() == longest) widest = row;
        rows.push_back(row);
        row->setText(row->text() + QString(static_cast<int>(longest - texts[i].size()), ' '));  // to a common length
    }
    fitToWidth(widest);
    for (QLabel* row : rows) row->setFont(widest->font());
    dlg.addControl({150, 80, 40, 22, ControlKind::Button, T("&ตกลง"), [d] { d->accept(); }, "ok"});
    dlg.exec();
}

void runRightsDialog(QWidget* parent, const QFont& font) {
    if (!users() || users()->eof()) return;
    std::string rights = currentUserRights();  // foreign characters already "0"
    KitDialog dlg(parent, userTitle(" : "), 680, 360, font);
    KitDialog* d = &dlg;
    for (int area = 1; area <= kRightsAreas; ++area) {
        bool left = area <= 7;
        int row = 5 + 20 * ((area - 1) % 7);
        std::string id = "r" + std::to_string(area);
        ControlSpec entry{row, left ? 140 : 310, 12, 18, ControlKind::Entry, rights.substr(area - 1, 1), {}, id, "9"};
        entry.valid = [d, id, &font] {
            if (isLevelDigit(d->value(id))) return true;
            runLevelLegend(d, font);
            return false;
        };
        QWidget* caption = dlg.addControl({row, left ? 10 : 180, 130, 18, ControlKind::Label, areaCaption(area)});
        fitToWidth(static_cast<QLabel*>(caption));
        dlg.addControl(entry);
    }
    dlg.addControls(saveAndCancel(155, 110, 210, [d] { d->accept(); }));
    dlg.entry("r1")->setFocus();
    if (dlg.exec() != QDialog::Accepted) return;
    for (int area = 1; area <= kRightsAreas; ++area) rights[area - 1] = dlg.value("r" + std::to_string(area))[0];
    setRights(rights);
}

void runUserList(QWidget* parent, const QFont& font) {
    if (!openUsers()) return;  // OPEN has said why
    users()->goTop();
    KitDialog dlg(parent, T(kListTitle), 600, 460, font);
    TableBrowseModel model(workAreas(), "USERLIST");
    model.addColumn(expressionColumn(T("รหัส"), "TRIM(CODE)", 120));
    model.addColumn(expressionColumn(T("ชื่อผู้ใช้โปรแกรม"), "TRIM(NAME)", 430));
    model.setRowColors([] {
        RowColors c;
        c.foreground = users()->deleted() ? rgb(255, 0, 0) : rgb(0, 0, 0);
        c.highlightForeground = rgb(255, 255, 255);
        c.highlightBackground = rgb(0, 0, 128);
        return c;
    });
    auto* browse = new TableBrowse(&model, &dlg);
    browse->setObjectName(QStringLiteral("users"));
    browse->setGeometry(5 * KitDialog::kUnit, 5 * KitDialog::kUnit, 290 * KitDialog::kUnit, 190 * KitDialog::kUnit);
    browse->refresh();
    const bool full = userLevel(kUserArea) >= kFullLevel;
    KitDialog* d = &dlg;
    auto edit = [browse, d, &font](void (*dialog)(QWidget*, const QFont&)) {
        if (!users() || users()->eof()) return;
        dialog(d, font);
        browse->refresh();
    };
    if (full) {
        dlg.addControls({
            {205, 20, 60, 18, ControlKind::Button, T(kPasswordButton), [edit] { edit(runPasswordDialog); }, "password"},
            {205, 90, 60, 18, ControlKind::Button, T(kRightsButton), [edit] { edit(runRightsDialog); }, "rights"},
        });
    }
    dlg.addControl({205, 230, 60, 18, ControlKind::CancelButton, T("&ออก"), {}, "close"});
    browse->setDoubleClick([edit, full] {
        if (full) edit(runRightsDialog);
    });
    dlg.exec();
    closeAllTables();
}

}  // namespace mp
