#pragma once

// init-site: a new site from the settings' folders. Creates the folders,
// every permanent table empty with its index, record 1 of CONSEC and a first
// user with full rights; with the demo, plausible data of a concrete plant.

#include <string>

namespace mp {

struct SiteInitOptions {
    bool demo = false;
    bool force = false;  // replace the tables of a site that has some
    std::string adminCode = "ADMIN";
    std::string adminPassword = "ADMIN";
};

// Empty on success, else why nothing (or not everything) was made. A site
// that already has tables is refused unless `force`.
std::string initSite(const SiteInitOptions& options);

// Appends a user: upper-cased code, name, the cipher of the upper-cased
// password (six characters) and the rights string. USERLIST must be open.
bool createUser(const std::string& code, const std::string& name, const std::string& password,
                const std::string& rights);

// The demo data: companies, raw materials, units, formulas, users and report
// codes. Opens and closes the code tables itself.
bool fillDemoData();

}  // namespace mp
