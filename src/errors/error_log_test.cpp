#include "errors/error_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace mp {
namespace {

ErrorRecord sampleRecord() {
    ErrorRecord e;
    e.genCode = gen::kNoVariable;
    e.severity = 2;
    e.subsystem = "BASE";
    e.subCode = 1003;
    e.description = "Variable does not exist";
    e.operation = "CNAME";
    return e;
}

TEST(ErrorMessage, FormatsOfEveryPart) {
    struct Case {
        const char* what;
        ErrorRecord e;
        const char* expected;
    };
    ErrorRecord warning;
    warning.severity = 1;
    ErrorRecord dos = sampleRecord();
    dos.osCode = 2;
    dos.genCode = gen::kOpen;
    dos.subsystem = "DBFNTX";
    dos.subCode = 1001;
    dos.description = "Open error";
    dos.fileName = "WDATA.DBF";
    ErrorRecord noDetail = sampleRecord();
    noDetail.description.reset();
    noDetail.operation.clear();
    ErrorRecord severeNoNames;
    severeNoNames.severity = 3;
    severeNoNames.description = "x";
    const Case cases[] = {
        {"example", sampleRecord(), "Error BASE/1003  Variable does not exist: CNAME"},
        {"bare warning", warning, "Warning ???/???"},
        {"os code, file before operation", dos, "(DOS Error 2) DBFNTX/1001  Open error: WDATA.DBF"},
        {"no description, no operation", noDetail, "Error BASE/1003"},
        {"no subsystem or subcode", severeNoNames, "Error ???/???  x"},
    };
    for (const auto& c : cases) EXPECT_EQ(ERRORMESSAGE(c.e), c.expected) << c.what;
}

TEST(ErrorLog, ValueForms) {
    struct Case {
        Value v;
        char letter;
        const char* display;
        const char* info;
    };
    const Case cases[] = {
        {Value("abc"), 'C', "abc", "\"abc\""},
        {Value(12.5), 'N', "12.5", "12.5"},
        {Value(-3), 'N', "-3", "-3"},
        {Value(Date::fromYmd(2016, 9, 17)), 'D', "17/09/2016", "17/09/2016"},
        {Value(true), 'L', ".T.", ".T."},
        {Value(false), 'L', ".F.", ".F."},
        {Value(), 'U', "", ""},
        {Value::array({Value(1), Value("x"), Value(2)}), 'A', "{ ... }", "Len:    3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.v.typeLetter(), c.letter) << c.info;
        EXPECT_EQ(c.v.toDisplay(), c.display) << c.info;
        EXPECT_EQ(CGETINFO(c.v), c.info);
    }
}

TEST(ErrorLog, NumberFormats) {
    EXPECT_EQ(withThousands(0), "        0");
    EXPECT_EQ(withThousands(999), "      999");
    EXPECT_EQ(withThousands(1234567), "1,234,567");
    EXPECT_EQ(withThousands(12345678), "12,345,678");  // a larger program keeps every digit
    EXPECT_EQ(padLeft("7", 3), "  7");
    EXPECT_EQ(padRight("WDATA", 7), "WDATA  ");
}

LogFacts sampleFacts() {
    LogFacts f;
    f.exePath = "/opt/mixplant/mixplant";
    f.exeSize = 1234567;
    f.secondsFromStart = 3725;
    f.date = Date::fromYmd(2026, 1, 5);
    f.secondsOfDay = 8 * 3600 + 5 * 60 + 9;
    f.callLevels = {{"/work/src/batching/mixproc.cpp", "MIXPROC", 120}, {"main.cpp", "", 3},
                    {"main.cpp", "MAIN", 40}};
    f.cpuName = "Intel(R) Xeon(R) CPU E5-2680";
    f.cpuMhz = 2400;
    f.memoryBytes = 16ull * 1024 * 1024 * 1024;
    f.compilerVersion = "GCC 12.2.0";
    f.osMajor = 6;
    f.osMinor = 1;
    f.osBuild = 0;
    f.osServicePack = "Linux 6.1.0-18-amd64";
    f.windowTitles = {"mixplant", "Calculator"};
    f.drivers = {"DBFNTX"};
    LoggedTable detail{2, false, "DETAIL", "DBFNTX", 7, 12, false, false,
                       {{"INDENT+INDENT2", "DETAIL", true}, {"", "EMPTY", false}}, {}};
    LoggedTable wdata{1, true, "WDATA", "DBFNTX", 3, 1200, false, true,
                      {{"INDENT", "WDATA", true}, {"NUMBER", "WDATA2", false}},
                      {{"INDENT", "DETAIL"}}};
    f.tables = {detail, wdata};  // logged by slot number
    f.staticCount = 63;
    f.memoryInUse = 1048576;
    f.memoryHighest = 2097152;
    return f;
}

std::vector<std::string> splitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t p; (p = text.find("\r\n", start)) != std::string::npos; start = p + 2)
        lines.push_back(text.substr(start, p - start));
    EXPECT_EQ(start, text.size()) << "text must end with CRLF";
    return lines;
}

TEST(ErrorLog, WholeTextLineForLine) {
    ErrorRecord e = sampleRecord();
    e.args = std::vector<Value>{Value("abc"), Value(12.5), Value(Date::fromYmd(2016, 9, 17)), Value(true), Value()};
    const std::string bits = std::to_string(sizeof(void*) * 8);
    const std::vector<std::string> expected = {
        "Application",
        "===========",
        "   Path and name: /opt/mixplant/mixplant (" + bits + " bits)",
        "   Size: 1,234,567 bytes",
        "   Time from start: 1 hours 2 mins 5 secs ",
        "   Error occurred at: 05/01/2026, 08:05:09",
        "   Error description: Error BASE/1003  Variable does not exist: CNAME",
        "   Args:",
        "     [   1] = C   abc",
        "     [   2] = N   12.5",
        "     [   3] = D   17/09/2016",
        "     [   4] = L   .T.",
        "     [   5] = U   ",
        "",
        "Stack Calls",
        "===========",
        "   Called from: mixproc.cpp => MIXPROC(120)",
        "   Called from: main.cpp => MAIN(40)",
        "",
        "System",
        "======",
        "   CPU type: Intel(R) Xeon(R) CPU E5-2680 2400 Mhz",
        "   Hardware memory: 16385 megs",
        "",
        "   Free System resources: 90 %",
        "        GDI    resources: 90 %",
        "        User   resources: 90 %",
        "",
        "   Compiler version: GCC 12.2.0",
        "   Windows version: 6.1, Build 0 Linux 6.1.0-18-amd64",
        "",
        "   Windows total applications running: 2",
        "      1 mixplant",
        "      2 Calculator",
        "",
        "Variables in use",
        "================",
        "   Procedure     Type   Value",
        "   ==========================",
        "   MIXPROC",
        "   MAIN",
        "",
        "Linked RDDs",
        "===========",
        "   DBFNTX",
        "",
        "DataBases in use",
        "================",
        "",
        "  1: => WDATA                              RddName: DBFNTX",
        "     ==============================",
        "     RecNo    RecCount    BOF   EOF",
        "          3         1200      .F.   .T.",
        "",
        "     Indexes in use                        TagName",
        "        => INDENT                             WDATA",
        "           NUMBER                             WDATA2",
        "",
        "     Relations in use",
        "                 1: TO INDENT INTO DETAIL",
        "",
        "  2:    DETAIL                             RddName: DBFNTX",
        "     ==============================",
        "     RecNo    RecCount    BOF   EOF",
        "          7           12      .F.   .F.",
        "",
        "     Indexes in use                        TagName",
        "        => INDENT+INDENT2                     DETAIL",
        "",
        "     Relations in use",
        "",
        "Classes in use:",
        "===============",
        "",
        "Memory Analysis",
        "===============",
        "      63 Static variables",
        "",
        "   Dynamic memory consume:",
        "      Actual  Value:    1048576 bytes",
        "      Highest Value:    2097152 bytes",
    };
    const auto lines = splitCrLf(errorLogText(e, sampleFacts()));
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
}

TEST(ErrorLog, WarningWithoutArgsOrFactsKeepsEveryHeading) {
    ErrorRecord e;
    e.severity = 1;
    const auto lines = splitCrLf(errorLogText(e, LogFacts{}));
    EXPECT_EQ(lines[6], "   Error description: Warning ???/???");
    EXPECT_EQ(lines[7], "");  // no "Args:" without arguments
    for (const char* heading : {"Stack Calls", "System", "Variables in use", "Linked RDDs", "DataBases in use",
                                "Classes in use:", "Memory Analysis"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), heading), lines.end()) << heading;
}

TEST(ErrorLog, FileHasCrLfAndEndOfFileByte) {
    const auto path = std::filesystem::temp_directory_path() / ("mp_error_log_" + std::to_string(::getpid()) + ".log");
    const std::string text = errorLogText(sampleRecord(), sampleFacts());
    ASSERT_TRUE(writeErrorLog(path.string(), "old text that is longer than nothing"));
    ASSERT_TRUE(writeErrorLog(path.string(), text));  // replaces the earlier log
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), text + "\x1A");
    std::filesystem::remove(path);
    EXPECT_FALSE(writeErrorLog("/nonexistent-dir/Error.log", text));
}

TEST(ErrorLog, FactsFromThisMachine) {
    const LogFacts f = gatherLogFacts();
    EXPECT_NE(f.exePath.find("errors_test"), std::string::npos);
    EXPECT_GT(f.exeSize, 0u);
    EXPECT_GT(f.memoryBytes, 0u);
    EXPECT_GT(f.memoryInUse, 0u);
    EXPECT_GE(f.memoryHighest, f.memoryInUse);
    EXPECT_GE(f.secondsFromStart, 0);
    EXPECT_GT(f.osMajor, 0);
    EXPECT_FALSE(f.compilerVersion.empty());
}

TEST(ErrorLog, StackLinesFromCallLevels) {
    MP_CALL_LEVEL("OUTER");
    const auto lines = stackLines(callLevels());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().rfind("   Called from: error_log_test.cpp => OUTER(", 0), 0u) << lines.front();
}

}  // namespace
}  // namespace mp
