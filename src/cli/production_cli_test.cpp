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

// Each command asks for the level of the button or menu entry it stands for:
// area 1 for orders, lines, plans and batches (new 3, edit 4, delete and
// restore 5, a batch 4, mixing 2, showing and planning 1), the table's own area for the
// code tables (list 1, add 3). The demo operator OPER1 starts with level 4 of
// area 1 and level 1 of the code tables; ADMIN then lowers area 1.
TEST_F(ProductionCli, EachCommandAsksForTheLevelOfItsButton) {
    ASSERT_EQ(cli("order new --company SIAMBUILD").status, 0);
    const Outcome planned = cli("line add 1 --formula MORTAR --qty 1000 --unit KG --plan");
    ASSERT_EQ(planned.status, 0);
    const std::string line = split(planned.out, '\n').at(0);  // its key: lines added later may sort before it
    struct Case {
        const char* rights;  // area digits 1 to 14 of OPER1
        const char* args;
        int status;
    };
    const Case cases[] = {
        {"42111111000000", "order new --company SIAMBUILD", 0},
        {"42111111000000", "order edit 1 --remark1 x", 0},
        {"42111111000000", "--yes order delete 1", 1},
        {"42111111000000", "line add 1 --formula MORTAR --qty 500 --unit KG", 0},
        {"42111111000000", "--yes line delete 1 LINE", 1},
        {"42111111000000", "batch set 1 LINE 1 --actual 1=5", 0},
        {"42111111000000", "code list unit", 0},
        {"42111111000000", "code add unit --code NEWU --name x --qty 1", 1},
        {"30111111000000", "order edit 1 --remark1 y", 1},
        {"30111111000000", "batch set 1 LINE 1 --actual 1=6", 1},
        {"30111111000000", "line add 1 --formula MORTAR --qty 500 --unit KG", 0},
        {"10000000000000", "order new --company SIAMBUILD", 1},
        {"10000000000000", "line add 1 --formula MORTAR --qty 500 --unit KG", 1},
        {"10000000000000", "order show 1", 0},
        {"10000000000000", "line show 1 LINE", 0},
        {"10000000000000", "plan 1 LINE", 0},
        {"10000000000000", "code list unit", 1},
        {"10000000000000", "mix 1 LINE", 1},  // the mix button needs level 2
        {"00000000000000", "order list", 1},
    };
    const std::string refused = "คุณไม่มีอำนาจที่จะใช้คำสั่งนี้";  // printed in UTF-8
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.rights) + " " + c.args);
        ASSERT_EQ(cli(std::string("user rights OPER1 --set ") + c.rights).status, 0);
        std::string args = c.args;
        const size_t at = args.find("LINE");
        if (at != std::string::npos) args.replace(at, 4, line);
        const Outcome o = run("--ini MAIN.INI --user OPER1 --password 1234 " + args);
        EXPECT_EQ(o.status, c.status) << o.err;
        EXPECT_EQ(o.err.find(refused) != std::string::npos, c.status == 1) << o.err;
    }
    // The refused ones wrote nothing: the orders are live, the line too.
    const auto orders = dump("WDATA");
    ASSERT_EQ(orders.size(), 2u);
    for (const auto& o : orders) EXPECT_EQ(o.at("DELETED"), "") << o.at("NUMBER");
    for (const auto& l : dump("DETAIL")) EXPECT_EQ(l.at("DELETED"), "") << l.at("INDENT2");
    int corrected = 0;  // the batch OPER1 corrected at level 4, not again at level 3
    for (const auto& b : dump("BATCHING")) {
        if (b.at("INDENT2") != line || b.at("ITEM") != "0001") continue;
        EXPECT_DOUBLE_EQ(std::stod(b.at("ACTUAL1")), 5);
        ++corrected;
    }
    EXPECT_EQ(corrected, 1);
    EXPECT_EQ(dump("UNIT").size(), 4u);
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
