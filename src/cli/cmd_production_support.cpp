// The shared parts of the production and code commands (see
// production_support.h). This file registers no command of its own.

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "batching/orders.h"
#include "cli/login.h"
#include "cli/production_support.h"
#include "platform/runtime/cp874.h"

namespace mp::cli {

bool Options::flag(const std::string& name) const {
    for (const std::string& f : flags)
        if (f == name) return true;
    return false;
}

std::string Options::value(const std::string& name) const {
    std::string v;
    for (auto [it, end] = values.equal_range(name); it != end; ++it) v = it->second;
    return v;
}

std::vector<std::string> Options::all(const std::string& name) const {
    std::vector<std::string> v;
    for (auto [it, end] = values.equal_range(name); it != end; ++it) v.push_back(it->second);
    return v;
}

bool parseOptions(const std::string& command, const std::vector<std::string>& args,
                  const std::vector<std::string>& flagNames, const std::vector<std::string>& valueNames,
                  Options& out) {
    auto known = [](const std::vector<std::string>& names, const std::string& n) {
        for (const std::string& k : names)
            if (k == n) return true;
        return false;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 3 || a.compare(0, 2, "--") != 0) {
            out.words.push_back(utf8ToCp874(a));
            continue;
        }
        const std::string name = a.substr(2);
        if (known(flagNames, name)) {
            out.flags.push_back(name);
        } else if (known(valueNames, name) && i + 1 < args.size()) {
            out.values.emplace(name, utf8ToCp874(args[++i]));
        } else {
            err("mixplant-cli: " + command + ": " +
                (known(valueNames, name) ? "option " + a + " needs a value" : "unknown option " + a) + "\n");
            return false;
        }
    }
    return true;
}

bool parseNumber(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    if (*end != '\0') return false;
    for (char c : text)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+')) return false;
    return true;
}

bool parseDate(const std::string& text, Date& out) {
    if (text.size() != 10 || text[2] != '/' || text[5] != '/') return false;
    out = Date::parse(text);
    return !out.isEmpty();
}

bool validTime(const std::string& t) {
    if (t.size() != 8 || t[2] != ':' || t[5] != ':') return false;
    for (int i : {0, 1, 3, 4, 6, 7})
        if (!std::isdigit(static_cast<unsigned char>(t[i]))) return false;
    return std::atoi(t.substr(0, 2).c_str()) < 24 && std::atoi(t.substr(3, 2).c_str()) < 60 &&
           std::atoi(t.substr(6, 2).c_str()) < 60;
}

bool openProduction(Context& ctx, int area, int level) {
    if (!cliLogin(ctx, area, level)) return false;
    return openProductionTables();
}

void fail(const std::string& command, const std::string& text) { err("mixplant-cli: " + command + ": " + text + "\n"); }

bool locateOrder(const std::string& order) {
    switch (findOrder(order)) {
        case OrderLookup::Found: return true;
        case OrderLookup::Ambiguous:
            fail("order", "several orders carry the number " + order + "; give the order key instead");
            return false;
        case OrderLookup::NotFound: break;
    }
    fail("order", "no order " + order);
    return false;
}

bool locateLine(const std::string& line) {
    if (findLine(line)) return true;
    fail("line", "the order has no line " + line);
    return false;
}

std::string kg(double n) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", n);
    return buf;
}

}  // namespace mp::cli
