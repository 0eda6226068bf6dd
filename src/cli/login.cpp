#include "cli/login.h"

#include "app/users/users.h"
#include "data/table_access.h"
#include "devices/device_ops.h"
#include "platform/runtime/cp874.h"

namespace mp::cli {
namespace {

// The work areas, the form functions and "close all tables" are in place
// before start-up runs, as in the operator program.
[[maybe_unused]] const bool g_tableLayer = (installTableLayer(), true);

}  // namespace

bool cliLogin(Context& ctx, int area, int level) {
    installTableLayer();
    if (ctx.user.empty() || !USERCHK(ctx.user, ctx.password)) {
        err(T("ชื่อและรหัสผ่านไม่ถูกต้อง") + "\n");
        return false;
    }
    // Guarded device actions ask the same rights check.
    setDeviceRightsCheck([](int a, int l) { return AUTHCHK(a, l); });
    return area <= 0 || AUTHCHK(area, level);
}

}  // namespace mp::cli
