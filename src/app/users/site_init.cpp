#include "app/users/site_init.h"

#include "app/users/password_cipher.h"
#include "data/catalogue.h"
#include "data/site_setup.h"
#include "data/table_access.h"
#include "platform/runtime/cp874.h"

namespace mp {
namespace {

std::string upperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
    return out;
}

}  // namespace

bool createUser(const std::string& code, const std::string& name, const std::string& password,
                const std::string& rights) {
    std::string pw = upperAscii(password);
    pw.resize(kPasswordWidth, ' ');
    return appendRecord("USERLIST", {{"CODE", Value(upperAscii(code))},
                                     {"NAME", Value(name)},
                                     {"PASS_W", Value(encipherPassword(pw))},
                                     {"TRUSTEE", Value(rights)}});
}

std::string initSite(const SiteInitOptions& o) {
    const std::string code = upperAscii(o.adminCode);
    if (code.empty() || code.size() > kUserCodeWidth) return "the first user's code needs 1 to 6 characters";
    if (o.adminPassword.size() > kPasswordWidth) return "the first user's password has at most 6 characters";
    workAreas().closeAll();
    std::string why;
    if (!createSiteFolders(why)) return "cannot create the folder " + why;
    const std::vector<std::string> existing = existingTables();
    if (!existing.empty() && !o.force)
        return "the site already has tables (" + joined(existing) + "); --force replaces them";
    if (!createPermanentTables()) return "cannot create the tables";
    bool ok = openTable(*findTable("USERLIST")) &&
              createUser(code, T("ผู้ดูแลระบบ"), o.adminPassword, std::string(kRightsWidth, '6'));
    workAreas().closeAll();
    if (!ok) return "cannot store the first user";
    if (o.demo && !fillDemoData()) return "cannot store the demo data";
    return "";
}

}  // namespace mp
