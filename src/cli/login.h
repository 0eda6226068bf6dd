#pragma once

#include "cli/command.h"

namespace mp::cli {

// The login of every command that touches data: the user and password of
// the global options (or MIXPLANT_USER / MIXPLANT_PASSWORD) through USERCHK,
// then AUTHCHK of `area` at `level` (area 0 or level 0: the login alone).
// A failed login prints "ชื่อและรหัสผ่านไม่ถูกต้อง"; a refused right prints
// AUTHCHK's message. The command then exits with status 1.
bool cliLogin(Context& ctx, int area, int level);


}  // namespace mp::cli
