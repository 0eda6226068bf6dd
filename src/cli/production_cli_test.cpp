// Runs the real mixplant-cli on a fresh demo site: the production commands'
// refusals and their exit status, and eight processes creating orders and
// lines on one site at once.

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/cli_test_support.h"

namespace {

using mp::clitest::Outcome;
using mp::clitest::split;

class ProductionCli : public mp::clitest::CliFixture {
protected:
    void SetUp() override {
        CliFixture::SetUp();
        makeDemoSite();
    }

    std::string base() const { return mp::clitest::cliCommand() + "--ini MAIN.INI --user ADMIN --password ADMIN "; }
    // Runs a command as ADMIN on the demo site.
    Outcome cli(const std::string& args) const { return run("--ini MAIN.INI --user ADMIN --password ADMIN " + args); }
    // Rows of `tables dump TABLE` as field maps.
    std::vector<std::map<std::string, std::string>> dump(const std::string& table) const {
        Outcome o = cli("tables dump " + table);
        EXPECT_EQ(o.status, 0) << o.err;
        std::vector<std::string> rows = split(o.out, '\n');
        std::vector<std::map<std::string, std::string>> out;
        if (rows.empty()) return out;
        const std::vector<std::string> header = split(rows[0], '\t');
        for (size_t i = 1; i < rows.size(); ++i) {
            std::vector<std::string> cells = split(rows[i], '\t');
            std::map<std::string, std::string> m;
            for (size_t c = 0; c < header.size() && c < cells.size(); ++c) m[header[c]] = cells[c];
            out.push_back(m);
        }
        return out;
    }
};

TEST_F(ProductionCli, RefusedEntriesExitOneAndWriteNothing) {
    struct Case {
        const char* args;
        int status;
    };
    const Case cases[] = {
        {"order new --remark1 x", 1},                                 // no company: incomplete
        {"order new --company", 2},                                   // option without its value
        {"order show 42", 1},                                         // no such order
        {"line add 42 --formula MORTAR --qty 1 --unit KG", 1},        // no such order
        {"code add unit --code KG --name Kilo --qty 1", 1},           // duplicate code
        {"code add unit --code NEWU --name '' --qty 1", 1},           // empty name
        {"code add unit --code NEWU --name x --qty many", 1},         // not a number
        {"code list nothing", 2},
    };
    for (const Case& c : cases) EXPECT_EQ(cli(c.args).status, c.status) << c.args;
    EXPECT_EQ(dump("WDATA").size(), 0u);
    EXPECT_EQ(dump("UNIT").size(), 4u);

    ASSERT_EQ(cli("order new --company SIAMBUILD").status, 0);
    EXPECT_EQ(cli("line add 1 --formula MORTAR --qty 0 --unit KG").status, 1);  // weight 0: incomplete
    EXPECT_EQ(dump("DETAIL").size(), 0u);
    ASSERT_EQ(cli("--yes code delete formula MORTAR").status, 0);
    EXPECT_EQ(cli("line add 1 --formula MORTAR --qty 1 --unit KG").status, 1);  // a marked formula
    EXPECT_EQ(dump("DETAIL").size(), 0u);
    // A number two orders share is refused; the key names each.
    ASSERT_EQ(cli("order new --company SIAMBUILD").status, 0);
    ASSERT_EQ(cli("order edit 2 --number 0000000001").status, 0);
    Outcome shared = cli("order show 1");
    EXPECT_EQ(shared.status, 1);
    EXPECT_NE(shared.err.find("several orders"), std::string::npos);
}

TEST_F(ProductionCli, EightProcessesCreateOrdersAndLinesAtOnce) {
    constexpr int kProcesses = 8, kOrders = 2, kLines = 2;
    const std::string script = "cd '" + m_dir + "' && for p in $(seq " + std::to_string(kProcesses) +
                               "); do ( for o in $(seq " + std::to_string(kOrders) + "); do k=$(" + base() +
                               "order new --company SIAMBUILD | cut -f2) || exit 1; for l in $(seq " +
                               std::to_string(kLines) + "); do " + base() +
                               "line add \"$k\" --formula MORTAR --qty 1200 --unit KG --plan >/dev/null 2>&1 "
                               "|| exit 1; done; done ) & done; wait";
    ASSERT_EQ(std::system(script.c_str()), 0);

    const auto orders = dump("WDATA");
    const auto lines = dump("DETAIL");
    const auto batches = dump("BATCHING");
    ASSERT_EQ(orders.size(), size_t{kProcesses * kOrders});
    ASSERT_EQ(lines.size(), size_t{kProcesses * kOrders * kLines});
    EXPECT_EQ(batches.size(), lines.size() * 3);  // 1200 kg on a capacity of 500

    std::set<std::string> orderKeys, lineKeys, batchKeys;
    for (const auto& o : orders) orderKeys.insert(o.at("INDENT"));
    EXPECT_EQ(orderKeys.size(), orders.size());
    std::map<std::string, int> linesPerOrder;
    for (const auto& l : lines) {
        lineKeys.insert(l.at("INDENT") + l.at("INDENT2"));
        ++linesPerOrder[l.at("INDENT")];
    }
    EXPECT_EQ(lineKeys.size(), lines.size());
    for (const std::string& k : orderKeys) EXPECT_EQ(linesPerOrder[k], kLines) << k;
    for (const auto& b : batches) batchKeys.insert(b.at("INDENT") + b.at("INDENT2") + b.at("ITEM"));
    EXPECT_EQ(batchKeys.size(), batches.size());
    Outcome check = cli("tables check");
    EXPECT_EQ(check.status, 0) << check.out << check.err;
}

}  // namespace
