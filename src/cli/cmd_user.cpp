// mixplant-cli user password CODE --old PW --new PW: the password change of
// the user editor. One's own password needs only the login; another user's
// needs the user table at level 6 (area 6), as the editor offers it.
// mixplant-cli user rights CODE --set 14-DIGITS: the rights editor (area 6,
// level 6): positions 1 to 14 take the digits, 15 to 42 keep theirs.

#include <string>

#include "app/settings.h"
#include "app/users/users.h"
#include "cli/login.h"
#include "data/table_access.h"

namespace mp::cli {
namespace {

const char* const kUsage =
    "usage: mixplant-cli --user CODE --password PW user password CODE --old PW --new PW\n"
    "       mixplant-cli --user CODE --password PW user rights CODE --set 14-DIGITS\n";

constexpr int kUserArea = 6;
constexpr int kUserEditorLevel = 6;

int usage(const std::string& why) {
    err("mixplant-cli: user: " + why + "\n" + kUsage);
    return 2;
}

std::string upperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// The value of `--name` in args[2..], or "" with `found` false.
std::string option(const std::vector<std::string>& args, const std::string& name, bool& found) {
    for (size_t i = 2; i + 1 < args.size(); i += 2)
        if (args[i] == name) return found = true, args[i + 1];
    return found = false, "";
}

// Opens the users and stands on `code`; false after saying why.
bool onUser(const std::string& code) {
    if (!openUsers()) return false;
    if (findUser(code)) return true;
    err("mixplant-cli: user: no user " + code + "\n");
    return false;
}

int runPassword(Context& ctx, const std::string& code) {
    bool hasOld = false, hasNew = false;
    const std::string oldPw = option(ctx.args, "--old", hasOld), newPw = option(ctx.args, "--new", hasNew);
    if (!hasOld || !hasNew || ctx.args.size() != 6) return usage("password needs --old PW and --new PW");
    if (oldPw.empty() || newPw.empty()) return usage("a password entry may not be left blank");
    if (oldPw.size() > 6 || newPw.size() > 6) return usage("a password has at most 6 characters");
    if (!cliLogin(ctx, 0, 0)) return 1;
    if (upperAscii(code) != settings().CUSER && !AUTHCHK(kUserArea, kUserEditorLevel)) return 1;
    if (!onUser(code)) return 1;
    return changePassword(oldPw, newPw, newPw) == PasswordChange::Changed ? 0 : 1;
}

int runRights(Context& ctx, const std::string& code) {
    bool hasSet = false;
    const std::string digits = option(ctx.args, "--set", hasSet);
    if (!hasSet || ctx.args.size() != 4) return usage("rights needs --set and 14 digits");
    if (digits.size() != kRightsAreas) return usage("--set needs exactly 14 digits, one per function area");
    for (size_t i = 0; i < digits.size(); ++i)
        if (!TRUSCHK(digits.substr(i, 1))) return usage("position " + std::to_string(i + 1) + " is not a level 0 to 6");
    if (!cliLogin(ctx, kUserArea, kUserEditorLevel)) return 1;
    if (!onUser(code) || !setRights(digits)) return 1;
    out(upperAscii(code) + "\t" + currentUserRights().substr(0, kRightsAreas) + "\n");
    return 0;
}

int runUser(Context& ctx) {
    const std::vector<std::string>& a = ctx.args;
    if (a.size() < 2) return usage("expected password or rights and a user code");
    if (a[0] == "password") return runPassword(ctx, a[1]);
    if (a[0] == "rights") return runRights(ctx, a[1]);
    return usage("unknown user command " + a[0]);
}

Registrar reg{"user",
              "user password CODE --old PW --new PW\n"
              "                  change a password (another user's: area 6, level 6)\n"
              "user rights CODE --set 14-DIGITS\n"
              "                  set a user's rights levels (area 6, level 6)",
              &runUser};

}  // namespace
}  // namespace mp::cli
