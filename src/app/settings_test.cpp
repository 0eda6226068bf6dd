#include "app/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/runtime/cp874.h"
#include "platform/runtime/publics.h"

namespace mp {
namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/mp_settings_XXXXXX";
        m_dir = mkdtemp(tmpl);
        m_ini = m_dir + "/MAIN.INI";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void writeIni(const std::string& bytes) {
        std::ofstream f(m_ini, std::ios::binary);
        f << bytes;
    }
    std::string readIni() const {
        std::ifstream f(m_ini, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    Settings readBack() const {
        Settings s;
        readSettings(s, m_ini);
        return s;
    }

    std::string m_dir, m_ini;
};

// (section, key) pairs of a written file, in file order.
std::vector<std::pair<std::string, std::string>> keysOf(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> keys;
    std::istringstream in(text);
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 1 && line.front() == '[') {
            section = line.substr(1, line.find(']') - 1);
        } else if (auto eq = line.find('='); eq != std::string::npos) {
            keys.emplace_back(section, line.substr(0, eq));
        }
    }
    return keys;
}

TEST_F(SettingsTest, SaveIniWritesExactlyTheFortySevenKeysInOrder) {
    Settings s;
    defaultSettings(s);
    saveIni(s, m_ini);

    std::vector<std::pair<std::string, std::string>> expected = {
        {"Data", "Name"}, {"Data", "Address1"}, {"Data", "Address2"}, {"Data", "Address3"},
        {"Data", "Tax ID"}, {"Data", "Branch"}};
    for (int n = 0; n < 7; ++n) {
        const std::string d = std::to_string(n);
        expected.insert(expected.end(), {{"Font", "Font" + d}, {"Font", "Width" + d}, {"Font", "Height" + d}});
    }
    const std::vector<std::pair<std::string, std::string>> tail = {
        {"Font", "Pen1"}, {"Font", "Pen2"}, {"Font", "Pen3"}, {"Font", "Ratio"},
        {"Path", "Table"}, {"Path", "Exe"}, {"Path", "BackUp"}, {"Path", "Work"},
        {"Comm", "Scale"}, {"Comm", "I/O"},
        {"Misc", "MixType"}, {"Misc", "PageL"}, {"Misc", "Feed"}, {"Misc", "Preview"},
        {"Misc", "AutoComp"}, {"Misc", "W.Limit"}, {"Misc", "W.Still"}, {"Misc", "Discharge"},
        {"Misc", "BackLoop"}, {"Misc", "OutFile"}};
    expected.insert(expected.end(), tail.begin(), tail.end());
    ASSERT_EQ(expected.size(), 47u);
    EXPECT_EQ(keysOf(readIni()), expected);
}

TEST_F(SettingsTest, SaveIniNumberFormatsAndCrLf) {
    Settings s;
    defaultSettings(s);
    s.CWLIMIT = 15.5;
    s.NFONTRATIO = 1.25;
    saveIni(s, m_ini);
    const std::string text = readIni();
    for (const char* line : {"Ratio=1.25\r\n", "W.Limit=15.5\r\n", "W.Still=0\r\n", "Discharge=0\r\n",
                             "BackLoop=0\r\n", "Table=.\\\r\n", "Work=.\\WORK\\\r\n", "I/O=01234578\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(SettingsTest, WrittenDefaultsReadBackEqual) {
    Settings s;
    defaultSettings(s);
    saveIni(s, m_ini);
    EXPECT_EQ(settingValues(readBack()), settingValues(s));
}

TEST_F(SettingsTest, DefaultsOfTheKeysSaveIniNeverWrites) {
    writeIni("[Data]\r\nName=X\r\n");
    const Settings s = readBack();
    EXPECT_EQ(s.CHLINE, "X");
    EXPECT_EQ(s.CTIMER, "100");
    EXPECT_EQ(s.CINDIC, "HP04");
    EXPECT_EQ(s.CFORMAT, "999999.9");
    EXPECT_EQ(s.CDFIX, "10");
    EXPECT_EQ(s.CRNAME1, T("หมายเหตุ"));
    EXPECT_EQ(s.CRNAME2, "");
    EXPECT_EQ(s.CDRV4, ".\\WORK\\");
    EXPECT_EQ(s.CFONT[0], "MS Sans Serif");
    EXPECT_EQ(s.CHEIGHT[6], "80");
    EXPECT_DOUBLE_EQ(s.CCOLOR, 250 + 256 * 250 + 65536 * 255);
}

TEST_F(SettingsTest, NumericConversions) {
    struct Case {
        const char* line;
        double Settings::*member;
        double expected;
    };
    const Case cases[] = {
        {"Ratio=0", &Settings::NFONTRATIO, 1},
        {"Ratio=-3", &Settings::NFONTRATIO, 3},
        {"Ratio=abc", &Settings::NFONTRATIO, 1},
        {"Ratio=0.5", &Settings::NFONTRATIO, 1},
        {"Ratio=2.5", &Settings::NFONTRATIO, 2.5},
        {"W.Limit=  15.5", &Settings::CWLIMIT, 15.5},
        {"W.Limit=12.5kg", &Settings::CWLIMIT, 12.5},
        {"W.Still=x", &Settings::CSTILLW, 0},
        {"Discharge=-25", &Settings::CDISTIME, -25},
        {"Decimal=", &Settings::CDEC, 0},
    };
    for (const auto& c : cases) {
        const std::string line = c.line;
        const std::string section = line.rfind("Ratio", 0) == 0 ? "Font" : "Misc";
        writeIni("[" + section + "]\r\n" + line + "\r\n");
        const Settings s = readBack();
        EXPECT_DOUBLE_EQ(s.*c.member, c.expected) << c.line;
    }
}

TEST_F(SettingsTest, LeadingBlanksAsWrittenByHandStillRead) {
    // The value itself (not just the key) carries the blanks: "W.Limit=  15.5".
    writeIni("[Misc]\nW.Limit=  15.5\n");
    EXPECT_DOUBLE_EQ(readBack().CWLIMIT, 15.5);
}

TEST_F(SettingsTest, RedAbove255SpillsIntoGreen) {
    writeIni("[Misc]\r\nColor_R=300\r\n");
    const long color = static_cast<long>(readBack().CCOLOR);
    EXPECT_EQ(color % 256, 44);
    EXPECT_EQ((color / 256) % 256, 251);
    EXPECT_EQ(color / 65536, 255);
}

TEST_F(SettingsTest, GarbageIniLoadsAndKeepsItsUnknownLines) {
    const std::string longLine(20000, 'x');
    const std::string thai = T("ชื่อโรงงาน");
    const std::string garbage = "; plant notes\r\n"
                                "no equals sign here\r\n"
                                "[Misc\r\n"
                                "=value without key\r\n" +
                                longLine + "\r\n" +
                                "[Data]\r\n"
                                "Name=" + thai + "\r\n"
                                "Custom=\xFF\xFE\x80\r\n"
                                "[Misc]\r\n"
                                "W.Limit=  30\r\n"
                                "Unknown.Key=kept\r\n";
    writeIni(garbage);
    Settings s = readBack();
    EXPECT_EQ(s.CHLINE, thai);
    EXPECT_DOUBLE_EQ(s.CWLIMIT, 30);

    saveIni(s, m_ini);
    const std::string after = readIni();
    for (const std::string& kept : {std::string("; plant notes"), std::string("no equals sign here"),
                                    std::string("=value without key"), longLine,
                                    std::string("Custom=\xFF\xFE\x80"), std::string("Unknown.Key=kept")})
        EXPECT_NE(after.find(kept), std::string::npos) << kept.substr(0, 40);
    Settings again = readBack();
    EXPECT_EQ(again.CHLINE, thai);
    EXPECT_DOUBLE_EQ(again.CWLIMIT, 30);
}

TEST_F(SettingsTest, ProcessWideNamesReachTheSettings) {
    Settings s;
    defaultSettings(s);
    {
        PublicsScope scope;
        registerSettings(s, scope);
        Publics& p = Publics::instance();
        EXPECT_EQ(p.get("cfont4")->text(), "EucrosiaUPC");
        EXPECT_EQ(p.get("CWIDTH6")->text(), "24");
        EXPECT_DOUBLE_EQ(p.get("NFONTRATIO")->number(), 1);
        EXPECT_EQ(p.get("chline")->text(), T("บริษัท ทาริโน จำกัด"));
        EXPECT_EQ(p.assign("CHEIGHT0", Value("-30")), Publics::Result::Ok);
        EXPECT_EQ(s.CHEIGHT[0], "-30");
        EXPECT_EQ(p.assign("CWLIMIT", Value(12.0)), Publics::Result::Ok);
        EXPECT_DOUBLE_EQ(s.CWLIMIT, 12);
        for (const char* name : {"VARFILE", "CCOLOR", "CUSER", "CTRUSTEE", "CTIMER", "CRNAME3"})
            EXPECT_TRUE(p.exists(name)) << name;
    }
    EXPECT_FALSE(Publics::instance().exists("CHLINE"));
}

TEST(SettingsKeys, EveryNameAppearsOnceAndStoredKeysAreASubset) {
    const auto all = allSettingKeys();
    std::set<std::string> names;
    for (const auto& k : all) EXPECT_TRUE(names.insert(k.name).second) << k.name;
    EXPECT_EQ(all.size(), 62u);  // 47 stored + Timer + 11 further Misc keys + 3 of Name
    for (const auto& k : storedSettingKeys()) EXPECT_TRUE(names.count(k.name)) << k.name;
}

}  // namespace
}  // namespace mp
