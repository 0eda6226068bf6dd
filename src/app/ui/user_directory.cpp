#include "app/ui/user_directory.h"

#include "platform/runtime/cp874.h"
#include "platform/runtime/operator.h"

namespace mp {
namespace {

// Stands in while no users' table is installed: says so, and lets nobody in.
class NoUserDirectory : public UserDirectory {
public:
    bool check(const std::string&, const std::string&) override {
        operatorUi().stop(T("ไม่สามารถเปิดตารางรหัสผู้ใช้โปรแกรม (USERLIST) ได้"), T("ส่วนบันทึกรหัสผ่าน"));
        return false;
    }
    bool authorize(int, int) override {
        operatorUi().alert(T("คุณไม่มีอำนาจที่จะใช้คำสั่งนี้"), T("  ส่วนการกำหนดอำนาจ"));
        return false;
    }
};

UserDirectory*& installed() {
    static UserDirectory* users = nullptr;
    return users;
}

}  // namespace

UserDirectory& userDirectory() {
    static NoUserDirectory none;
    return installed() ? *installed() : none;
}

UserDirectory* setUserDirectory(UserDirectory* users) {
    UserDirectory* prev = installed();
    installed() = users;
    return prev;
}

}  // namespace mp
