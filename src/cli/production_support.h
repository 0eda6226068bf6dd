#pragma once

// What the production and code commands share (order, line, plan, batch,
// code): their options, the login with the rights of the button each stands
// for, opening the production tables, finding the order and line named on
// the command line, and the strict reading of numbers and dates.
// Arguments arrive in UTF-8 and are turned into code page 874 here.

#include <map>
#include <string>
#include <vector>

#include "cli/command.h"
#include "platform/runtime/date.h"

namespace mp::cli {

// The words of a command line: positional words and "--name value" options
// (an option may repeat). Flags take no value.
struct Options {
    std::vector<std::string> words;                         // code page 874
    std::multimap<std::string, std::string> values;         // name without "--" -> value (code page 874)
    std::vector<std::string> flags;                         // names of the flags given

    bool has(const std::string& name) const { return values.count(name) > 0; }
    bool flag(const std::string& name) const;
    std::string value(const std::string& name) const;       // the last one given; "" when none
    std::vector<std::string> all(const std::string& name) const;
};

// Reads `args`: `flagNames` take no value, `valueNames` one each. False
// (after printing why) for an unknown option or a missing value.
bool parseOptions(const std::string& command, const std::vector<std::string>& args,
                  const std::vector<std::string>& flagNames, const std::vector<std::string>& valueNames,
                  Options& out);

// A whole number or decimal ("12", "12.5", "-3"); false for anything else.
bool parseNumber(const std::string& text, double& out);
// "dd/mm/yyyy" with a real date; false otherwise.
bool parseDate(const std::string& text, Date& out);
// "hh:mm:ss" with hours below 24 and minutes and seconds below 60.
bool validTime(const std::string& text);

// The login, AUTHCHK of (area, level), then the production tables. False
// after the message.
bool openProduction(Context& ctx, int area, int level);
// Positions WDATA on ORDER (number or key); false after the message (not
// found, or a number several orders share).
bool locateOrder(const std::string& order);
// Positions DETAIL on LINE of the current order; false after the message.
bool locateLine(const std::string& line);

// Prints `text` in UTF-8 to standard error with the command's name first.
void fail(const std::string& command, const std::string& text);
// A number as the tables show it: two decimals.
std::string kg(double n);

}  // namespace mp::cli
