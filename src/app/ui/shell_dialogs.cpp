#include "app/ui/shell_dialogs.h"

#include <algorithm>

#include "app/settings.h"
#include "app/startup.h"
#include "app/users/users.h"
#include "platform/qtkit/dialog.h"
#include "platform/qtkit/messages.h"
#include "platform/qtkit/widgets.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/files.h"

namespace mp {
namespace shelltext {
const char* const kLoginTitle = "  ส่วนการระบุชื่อผู้ใช้โปรแกรม";
const char* const kLoginRefused = "ชื่อและรหัสผ่านไม่ถูกต้อง";
const char* const kLoginRefusedTitle = "ส่วนบันทึกรหัสผ่าน";
const char* const kFinishTitle = "  ออกจากโปรแกรม";
const char* const kFinishQuestion = "คุณต้องการออกจากโปรแกรม";
const char* const kOk = "&ตกลง";
const char* const kCancel = "&ยกเลิก";
}  // namespace shelltext

using namespace shelltext;

bool runLogin(QWidget* parent, const QFont& font, std::function<void()> welcome) {
    KitDialog dlg(parent, T(kLoginTitle), 490, 540, font);
    KitDialog* d = &dlg;
    auto tryLogin = [d] {
        if (USERCHK(d->value("code"), d->value("password"))) {
            d->accept();
            return;
        }
        messageBox(d, MessageKind::Alert, T(kLoginRefused), T(kLoginRefusedTitle));
    };
    dlg.addControls({
        {10, 10, 225, 175, ControlKind::Picture, "welcome.bmp", welcome},
        {190, 50, 0, 0, ControlKind::Label, T("ผู้ใช้โปรแกรม")},
        {210, 50, 0, 0, ControlKind::Label, T("รหัสผ่าน")},
        {190, 130, 60, 18, ControlKind::Entry, std::string(15, ' '), {}, "code", "@!"},
        {210, 130, 60, 18, ControlKind::HiddenEntry, std::string(6, ' '), {}, "password", "@!"},
        {235, 50, 50, 22, ControlKind::Button, T(kOk), tryLogin, "ok"},
        {235, 140, 50, 22, ControlKind::CancelButton, T(kCancel), {}, "cancel"},
    });
    dlg.entry("code")->setFocus();
    dlg.exec();
    if (!settings().CUSER.empty()) return true;
    closeAllTables();
    return false;
}

bool runFinish(QWidget* parent, const QFont& font) {
    KitDialog dlg(parent, T(kFinishTitle), 390, 410, font);
    KitDialog* d = &dlg;
    dlg.addControls({
        {10, 10, 175, 125, ControlKind::Picture, "goodbye.bmp"},
        {145, 10, 180, 18, ControlKind::CenteredText, T(kFinishQuestion)},
        {170, 30, 50, 24, ControlKind::Button, T(kOk), [d] { d->accept(); }, "ok"},
        {170, 110, 50, 24, ControlKind::CancelButton, T(kCancel), {}, "cancel"},
    });
    if (dlg.exec() != QDialog::Accepted) return false;
    closeAllTables();
    return true;
}

bool runWelcomeText(QWidget* parent, const QFont& font) {
    std::string text;
    if (!readFile(sitePath(settings().CDRV1, "DocFile.TXT"), text)) return false;
    // Shown as lines: the carriage returns and the end-of-file mark are the file's, not the text's.
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\x1a'; }), text.end());
    KitDialog dlg(parent, "  KAVRON", 600, 600, font);
    dlg.addControls({
        {10, 10, 280, 240, ControlKind::TextBox, text},
        {260, 100, 80, 24, ControlKind::CancelButton, T("&กลับสู่โปรแกรม")},
    });
    dlg.exec();
    return false;
}

}  // namespace mp
