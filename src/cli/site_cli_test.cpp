// Runs the real mixplant-cli on a fresh site: init-site with the demo data
// read back by an independent reader (Perl's XBase module), the login, the
// rights of the user commands, tables check and dump.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "cli/cli_test_support.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/error.h"
#include "platform/xbase/table.h"

namespace {

namespace fs = std::filesystem;
using mp::clitest::Outcome;
using mp::clitest::slurp;

std::vector<std::string> lines(const std::string& text) { return mp::clitest::split(text); }

class SiteCli : public mp::clitest::CliFixture {
protected:
    // The Perl reader's lines for a table (and its index).
    std::vector<std::string> oracle(const std::string& dbf, const std::string& ntx = "") const {
        const std::string cmd = "perl '" MIXPLANT_SOURCE_DIR "/src/platform/xbase/xbase_oracle.pl' '" + m_dir + "/" +
                                dbf + "' " + (ntx.empty() ? "" : "'" + m_dir + "/" + ntx + "'") + " >" + m_dir +
                                "/oracle.txt 2>&1";
        EXPECT_EQ(0, std::system(cmd.c_str())) << slurp(path("oracle.txt"));
        return lines(slurp(path("oracle.txt")));
    }
    // Field values of the reader's record lines: name -> value.
    static std::map<std::string, std::string> fields(const std::string& rLine) {
        std::map<std::string, std::string> out;
        std::string rest = rLine.substr(rLine.find(' ', rLine.find(' ', 2) + 1) + 1);
        std::istringstream in(rest);
        for (std::string kv; std::getline(in, kv, '|');) {
            size_t eq = kv.find('=');
            out[kv.substr(0, eq)] = kv.substr(eq + 1);
        }
        return out;
    }
};

TEST_F(SiteCli, DemoSiteReadsInAnotherReaderAndItsIndexesWalkInKeyOrder) {
    ASSERT_EQ(0, run("init-site --demo").status);
    struct Table {
        const char *dbf, *ntx;
        size_t minRecords;
    };
    const Table tables[] = {{"COMPANY.DBF", "COMPANY.NTX", 3}, {"RAWMAT.DBF", "RAWMAT.NTX", 8},
                            {"FORMULA.DBF", "FORMULA.NTX", 3}, {"UNIT.DBF", "UNIT.NTX", 2},
                            {"Userlist.DBF", "Userlist.NTX", 2}, {"Replist.DBF", "Replist.NTX", 3},
                            {"WDATA.DBF", "WDATA.NTX", 0},     {"DETAIL.DBF", "DETAIL.NTX", 0},
                            {"BATCHING.DBF", "BATCHING.NTX", 0}, {"consec.DBF", "", 1}};
    for (const Table& t : tables) {
        std::vector<std::string> records, keys;
        for (const std::string& l : oracle(t.dbf, t.ntx)) (l[0] == 'R' ? records : keys).push_back(l);
        EXPECT_GE(records.size(), t.minRecords) << t.dbf;
        if (!*t.ntx) continue;
        EXPECT_EQ(records.size(), keys.size()) << t.ntx;
        for (size_t i = 1; i < keys.size(); ++i)
            EXPECT_LE(keys[i - 1].substr(keys[i - 1].find(' ', 2)), keys[i].substr(keys[i].find(' ', 2))) << t.ntx;
    }
    // Formulas: up to eight slots whose materials exist, quantities adding up
    // to a capacity of 500 to 2000 kg.
    std::map<std::string, bool> materials;
    for (const std::string& l : oracle("RAWMAT.DBF")) materials[fields(l)["CODE"]] = true;
    for (const std::string& l : oracle("FORMULA.DBF")) {
        auto f = fields(l);
        double capacity = std::stod(f["CAPACITY"]), total = 0;
        EXPECT_GE(capacity, 500);
        EXPECT_LE(capacity, 2000);
        for (int n = 1; n <= 8; ++n) {
            const std::string agg = f["AGG" + std::to_string(n)];
            if (!agg.empty()) {
                EXPECT_TRUE(materials[agg]) << agg;
            }
            total += std::stod(f["QTY" + std::to_string(n)]);
        }
        EXPECT_DOUBLE_EQ(capacity, total) << f["CODE"];
    }
    std::vector<double> units;
    for (const std::string& l : oracle("UNIT.DBF")) units.push_back(std::stod(fields(l)["QTY"]));
    EXPECT_NE(units.end(), std::find(units.begin(), units.end(), 1.0));
    EXPECT_GE(*std::max_element(units.begin(), units.end()), 1000.0);
    EXPECT_EQ("1.0000", fields(oracle("consec.DBF").at(0))["CSNO"]);
}

TEST_F(SiteCli, InitSiteRefusesASiteWithTablesUnlessForced) {
    ASSERT_EQ(0, run("init-site --admin boss --admin-password secret").status);
    Outcome again = run("init-site --demo");
    EXPECT_EQ(1, again.status);
    EXPECT_NE(std::string::npos, again.err.find("--force"));
    EXPECT_EQ(1, as("boss", "x", "whoami").status);
    EXPECT_EQ(0, as("boss", "secret", "whoami").status);
    EXPECT_EQ(0, run("init-site --force").status);
    EXPECT_EQ(1, as("boss", "secret", "whoami").status);
    EXPECT_EQ(0, as("ADMIN", "ADMIN", "whoami").status);
    EXPECT_EQ(2, run("init-site --admin").status);
}

// The operator program reads its pictures from ./library/: init-site puts
// them there and keeps a picture the site already has.
TEST_F(SiteCli, InitSitePutsThePicturesOfTheScreensInTheLibrary) {
    fs::create_directories(path("library"));
    std::ofstream(path("library/MAIN.BMP")) << "our own";
    const Outcome made = run("init-site");
    ASSERT_EQ(0, made.status) << made.err;
    size_t templatePictures = 0;
    for (const auto& e : fs::directory_iterator(MIXPLANT_SOURCE_DIR "/site/library")) {
        const std::string name = e.path().filename().string();
        ++templatePictures;
        if (name == "MAIN.BMP") continue;
        EXPECT_EQ(slurp(e.path().string()), slurp(path("library/" + name))) << name;
    }
    for (const char* name : {"Process.bmp", "welcome.bmp", "goodbye.bmp", "mix.bmp", "PopSave.bmp", "zero.bmp"}) {
        EXPECT_EQ("BM", slurp(path(std::string("library/") + name)).substr(0, 2)) << name;
    }
    EXPECT_EQ("our own", slurp(path("library/MAIN.BMP")));
    EXPECT_NE(std::string::npos, made.out.find("pictures: " + std::to_string(templatePictures - 1) + " copied"))
        << made.out;
}

TEST_F(SiteCli, LoginFromOptionsOrEnvironment) {
    ASSERT_EQ(0, run("init-site --demo").status);
    struct Case {
        std::string args, env;
        int status;
    };
    const Case cases[] = {
        {"--user admin --password admin whoami", "", 0},
        {"whoami", "MIXPLANT_USER=oper1 MIXPLANT_PASSWORD=1234", 0},
        {"--user ADMIN --password WRONG whoami", "", 1},
        {"whoami", "", 1},
        {"--user NOBODY --password ADMIN whoami", "", 1},
    };
    for (const Case& c : cases) {
        Outcome r = run(c.args, c.env);
        EXPECT_EQ(c.status, r.status) << c.args << " " << c.env;
        if (c.status == 1) {
            EXPECT_NE(std::string::npos, r.err.find("ชื่อและรหัสผ่านไม่ถูกต้อง")) << c.args;
        }
    }
    Outcome me = as("oper1", "1234", "whoami");
    EXPECT_EQ("OPER1", lines(me.out).at(0));
    EXPECT_EQ("42111111000000", lines(me.out).at(1));
}

TEST_F(SiteCli, UserCommandsFollowThePasswordAndRightsRules) {
    ASSERT_EQ(0, run("init-site --demo").status);
    struct Case {
        const char *user, *pw, *args;
        int status;
        const char* errText;
    };
    const Case cases[] = {
        {"OPER1", "1234", "user password OPER1 --old 1234 --new abcd", 0, "การเปลี่ยนรหัสใหม่เรียบร้อย"},
        {"OPER1", "ABCD", "user password OPER1 --old 1234 --new X", 1, "ระบุรหัสเดิมไม่ถูกต้อง"},
        {"OPER1", "ABCD", "user password OPER2 --old 5678 --new X", 1, "คุณไม่มีอำนาจที่จะใช้คำสั่งนี้"},
        {"OPER1", "ABCD", "user rights OPER1 --set 66666666666666", 1, "คุณไม่มีอำนาจที่จะใช้คำสั่งนี้"},
        {"ADMIN", "ADMIN", "user password OPER2 --old 5678 --new 1111111", 2, "at most 6"},
        {"ADMIN", "ADMIN", "user rights OPER1 --set 6666666666666", 2, "14 digits"},
        {"ADMIN", "ADMIN", "user rights OPER1 --set 6666666666666x", 2, "6 = อำนาจเต็มที่"},
        {"ADMIN", "ADMIN", "user rights oper1 --set 00000000000001", 0, ""},
        {"OPER1", "ABCD", "tables dump COMPANY", 1, "คุณไม่มีอำนาจที่จะใช้คำสั่งนี้"},
        {"ADMIN", "ADMIN", "user rights NOBODY --set 00000000000001", 1, "no user NOBODY"},
    };
    for (const Case& c : cases) {
        Outcome r = as(c.user, c.pw, c.args);
        EXPECT_EQ(c.status, r.status) << c.args << "\n" << r.err;
        EXPECT_NE(std::string::npos, r.err.find(c.errText)) << c.args << "\n" << r.err;
    }
    EXPECT_EQ("00000000000001", lines(as("OPER1", "ABCD", "whoami").out).at(1));
}

TEST_F(SiteCli, TablesDumpInIndexOrderWithTheDeletedMark) {
    ASSERT_EQ(0, run("init-site --demo").status);
    {
        mp::RecordingErrorHandler quiet;
        mp::ScopedErrorHandler guard(&quiet);
        auto t = mp::xbase::Table::open(m_dir + "/UNIT");
        ASSERT_TRUE(t && t->goTo(2) && t->lockRecord() && t->setDeleted(true) && t->commit());
    }
    Outcome r = as("ADMIN", "ADMIN", "tables dump unit");
    ASSERT_EQ(0, r.status) << r.err;
    const std::vector<std::string> rows = lines(r.out);
    ASSERT_EQ(5u, rows.size());
    EXPECT_EQ("DELETED\tCODE\tNAME\tQTY", rows[0]);
    EXPECT_EQ("\tBAG\tถุง (50 กก.)\t50.00", rows[1]);
    EXPECT_EQ("\tKG\tกิโลกรัม\t1.00", rows[2]);
    EXPECT_EQ("\tM3\tลูกบาศก์เมตร\t2400.00", rows[3]);
    EXPECT_EQ("*\tTON\tตัน\t1000.00", rows[4]);
    EXPECT_EQ(2, as("ADMIN", "ADMIN", "tables dump NOSUCH").status);

    // The users' passwords are enciphered reversibly: a dump shows only that
    // one is set, never the stored text.
    r = as("ADMIN", "ADMIN", "tables dump userlist");
    ASSERT_EQ(0, r.status) << r.err;
    const std::vector<std::string> users = lines(r.out);
    ASSERT_EQ("DELETED\tCODE\tNAME\tPASS_W\tTRUSTEE", users.at(0));
    EXPECT_EQ("ADMIN", users.at(1).substr(1, 5));
    EXPECT_NE(std::string::npos, users.at(1).find("\t******\t666666"));
}

TEST_F(SiteCli, TablesCheckListsEveryProblem) {
    ASSERT_EQ(0, run("init-site --demo").status);
    EXPECT_EQ(0, as("ADMIN", "ADMIN", "tables check").status);
    EXPECT_EQ(1, as("OPER1", "1234", "tables check").status);  // no maintenance right
    fs::remove(fs::path(m_dir) / "RAWMAT.NTX");
    {  // an index entry that no longer matches its record
        std::fstream f(fs::path(m_dir) / "COMPANY.DBF", std::ios::in | std::ios::out | std::ios::binary);
        std::string head(12, '\0');
        f.read(&head[0], 12);
        const int headerLength = static_cast<unsigned char>(head[8]) | static_cast<unsigned char>(head[9]) << 8;
        f.seekp(headerLength + 1);
        f.write("ZZZZZZ", 6);
    }
    fs::remove(fs::path(m_dir) / "DETAIL.DBF");
    Outcome r = as("ADMIN", "ADMIN", "tables check");
    EXPECT_EQ(1, r.status);
    int problems = 0;
    for (const std::string& l : lines(r.out))
        if (l.find("\tPROBLEM\t") != std::string::npos) {
            ++problems;
            EXPECT_TRUE(l.rfind("RAWMAT", 0) == 0 || l.rfind("COMPANY", 0) == 0 || l.rfind("DETAIL", 0) == 0) << l;
        }
    EXPECT_GE(problems, 3) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("UNIT\tok"));
}

}  // namespace
