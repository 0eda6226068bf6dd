// mixplant-cli tables check: walks every permanent table of the site and its
// index and prints every problem (exit 1 when there is any). Needs the file
// maintenance right (area 9, level 1).
// mixplant-cli tables dump ALIAS: the records in index order as tab-separated
// UTF-8 lines, a header line first, the deleted mark ("*") in the first
// column. Needs the viewing right of the table's function area.

#include <cctype>
#include <string>
#include <vector>

#include "cli/login.h"
#include "data/catalogue.h"
#include "data/keys.h"
#include "data/table_access.h"
#include "platform/runtime/files.h"
#include "platform/xbase/maintenance.h"

namespace mp::cli {
namespace {

const char* const kUsage = "usage: mixplant-cli --user CODE --password PW tables check | tables dump ALIAS\n";

constexpr int kMaintenanceArea = 9;
constexpr int kProductionArea = 1;
constexpr int kSettingsArea = 14;

bool sameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The catalogue's fields the file lacks or holds with another type.
void checkFields(const TableDef& def, const xbase::Table& t, std::vector<std::string>& problems) {
    for (const xbase::FieldDef& f : def.fields) {
        const int i = t.fieldIndex(f.name);
        if (i < 0)
            problems.push_back("field " + f.name + " missing");
        else if (t.fields()[static_cast<size_t>(i)].type != f.type)
            problems.push_back("field " + f.name + " is not of type " + std::string(1, f.type));
    }
}

void checkIndex(const TableDef& def, xbase::Table& t, std::vector<std::string>& problems) {
    const std::string index = folderSetting(def.folder) + def.indexName + ".NTX";
    if (!fileExists(index)) {
        problems.push_back("index " + findFile(index) + " missing");
        return;
    }
    xbase::KeyFunction key = keyFunction(def.keyExpression, def.alias);
    if (!key || !t.openIndex(folderSetting(def.folder) + def.indexName, key)) {
        problems.push_back("index " + findFile(index) + " cannot be opened");
        return;
    }
    const std::string stored = t.index(1)->keyExpression();
    if (!sameText(stored, def.keyExpression))
        problems.push_back("index key is \"" + stored + "\", not \"" + def.keyExpression + "\"");
}

// Problems of one table; `records` gets its record count.
std::vector<std::string> checkOne(const TableDef& def, long& records) {
    std::vector<std::string> problems;
    const std::string path = tableBase(def) + ".DBF";
    if (!fileExists(path)) return {"table " + findFile(path) + " missing"};
    auto t = xbase::Table::open(tableBase(def), {false, true});
    if (!t) return {"table " + findFile(path) + " cannot be opened"};
    records = t->recordCount();
    checkFields(def, *t, problems);
    if (def.indexed()) checkIndex(def, *t, problems);
    for (const std::string& p : xbase::checkTable(*t)) problems.push_back(p);
    if (def.alias == "CONSEC" && records < 1) problems.push_back("record 1 (the running number) missing");
    return problems;
}

int runCheck(Context& ctx) {
    if (!cliLogin(ctx, kMaintenanceArea, 1)) return 1;
    workAreas().closeAll();
    int bad = 0;
    for (const TableDef& def : permanentTables()) {
        long records = 0;
        const std::vector<std::string> problems = checkOne(def, records);
        if (problems.empty()) out(def.alias + "\tok\t" + std::to_string(records) + " records\n");
        for (const std::string& p : problems) out(def.alias + "\tPROBLEM\t" + p + "\n");
        bad += problems.empty() ? 0 : 1;
    }
    return bad ? 1 : 0;
}

// The function area whose viewing right a dump of `def` needs.
int areaOf(const TableDef& def) {
    if (def.codeTable) return def.codeTable + 2;
    return def.folder == Folder::Production ? kProductionArea : kSettingsArea;
}

std::string cell(const xbase::Table& t, int i) {
    const xbase::FieldDef& f = t.fields()[static_cast<size_t>(i)];
    std::string text;
    if (f.type == 'D') {
        Date d = t.value(i).date();
        text = d.isEmpty() ? "" : d.toText();
    } else {
        text = std::string(t.record().raw(i));
        size_t b = f.type == 'C' ? 0 : text.find_first_not_of(' ');
        size_t e = text.find_last_not_of(' ');
        text = e == std::string::npos ? "" : text.substr(b, e - b + 1);
    }
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return text;
}

// The stored passwords are enciphered reversibly, so a dump shows only
// whether a user has one ("******") and never the stored text.
std::string shownCell(const xbase::Table& t, int i) {
    std::string text = cell(t, i);
    if (t.fields()[static_cast<size_t>(i)].name == "PASS_W" && !text.empty()) return "******";
    return text;
}

int runDump(Context& ctx, const std::string& alias) {
    const TableDef* def = findTable(alias);
    if (!def) {
        err("mixplant-cli: tables dump: no table " + alias + "\n");
        return 2;
    }
    if (!cliLogin(ctx, areaOf(*def), 1)) return 1;
    if (!openTable(*def)) return 1;
    xbase::Table& t = *currentTable();
    std::string line = "DELETED";
    for (const xbase::FieldDef& f : t.fields()) line += "\t" + f.name;
    out(line + "\n");
    for (t.goTop(); !t.eof(); t.skip(1)) {
        line = t.deleted() ? "*" : "";
        for (int i = 0; i < static_cast<int>(t.fields().size()); ++i) line += "\t" + shownCell(t, i);
        out(line + "\n");
    }
    return 0;
}

int runTables(Context& ctx) {
    const std::vector<std::string>& a = ctx.args;
    if (a.size() == 1 && a[0] == "check") return runCheck(ctx);
    if (a.size() == 2 && a[0] == "dump") return runDump(ctx, a[1]);
    err(std::string("mixplant-cli: tables: expected check or dump ALIAS\n") + kUsage);
    return 2;
}

Registrar reg{"tables",
              "tables check      walk every table and index, list every problem (rights: area 9, level 1)\n"
              "tables dump ALIAS the records in index order, tab-separated, deleted mark first",
              &runTables};

}  // namespace
}  // namespace mp::cli
