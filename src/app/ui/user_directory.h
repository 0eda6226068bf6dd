#pragma once

#include <string>

namespace mp {

// What the screens need of the users' table: the credential check of the
// login and the rights check before a guarded function. Site data implements
// it on USERLIST; the screens only ask.
class UserDirectory {
public:
    virtual ~UserDirectory() = default;
    // USERCHK: true when the code and password (as typed) match a user; then
    // CUSER and CTRUSTEE are set. A failure to open the table has shown its
    // own message and counts as no match.
    virtual bool check(const std::string& code, const std::string& password) = 0;
    // AUTHCHK: true when the logged-in user's level for `area` is at least
    // `level`; otherwise the refusal has been shown.
    virtual bool authorize(int area, int level) = 0;
};

}  // namespace mp

namespace mp {

// The users' table of this program. Site data installs its directory at
// start-up; without one no login can succeed, and the program says so.
UserDirectory& userDirectory();
UserDirectory* setUserDirectory(UserDirectory* users);  // not owned; returns the previous one

}  // namespace mp
