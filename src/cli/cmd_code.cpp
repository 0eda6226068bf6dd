// mixplant-cli code: the six code tables, as the code picker in its
// management mode keeps them.
//   code list TABLE
//   code add TABLE --code C --name N [field options]
//   code edit TABLE CODE [--code NEW] [--name N] [field options]
//   code delete TABLE CODE | code restore TABLE CODE   (the question answered by --yes)
// TABLE is company, rawmat, formula, unit, user or report. Field options are
// the table's field names in lower case; a formula's slots are given as
// --slot N:AGG,QTY,BIG,FAST,SLOW,ADJUST,FEED. Rights: the table's own digit,
// level 1 to list, 3 to add, 4 to edit, 5 to mark and restore.

#include <cctype>

#include "cli/login.h"
#include "cli/production_support.h"
#include "data/catalogue.h"
#include "data/table_access.h"
#include "masterdata/codes.h"
#include "platform/runtime/cp874.h"

namespace mp::cli {
namespace {

struct TableName {
    const char* name;
    int number;
};
constexpr TableName kTables[] = {{"company", 1}, {"rawmat", 2}, {"formula", 3},
                                 {"user", 4},    {"report", 5}, {"unit", 6}};
const char* const kSlotParts[] = {"AGG", "QTY", "BIG", "FAST", "SLOW", "ADJUST", "FEED"};

int usage(const std::string& why) {
    err("mixplant-cli: code: " + why +
        "\nusage: mixplant-cli code list TABLE\n"
        "       mixplant-cli code add TABLE --code C --name N [field options]\n"
        "       mixplant-cli code edit TABLE CODE [--code NEW] [--name N] [field options]\n"
        "       mixplant-cli code delete|restore TABLE CODE\n"
        "TABLE: company, rawmat, formula, unit, user, report\n");
    return 2;
}

int tableNumber(const std::string& name) {
    for (const TableName& t : kTables)
        if (name == t.name) return t.number;
    return 0;
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The options a table's editor takes: its field names in lower case (a
// formula's slot fields through --slot).
std::vector<std::string> fieldOptions(int table) {
    std::vector<std::string> names;
    for (const std::string& f : editedFields(table)) {
        if (table == 3 && f.size() > 0 && std::isdigit(static_cast<unsigned char>(f.back()))) continue;
        names.push_back(lower(f));
    }
    if (table == 3) names.push_back("slot");
    return names;
}

bool isNumeric(int table, const std::string& field) {
    const TableDef* def = codeTable(table);
    for (const auto& f : def->fields)
        if (f.name == field) return f.type == 'N';
    return false;
}

bool setField(CodeEditor& e, int table, const std::string& field, const std::string& text) {
    if (!isNumeric(table, field)) return e.set(field, Value(text));
    double n = 0;
    return parseNumber(text, n) && e.set(field, Value(n));
}

// "N:AGG,QTY,BIG,FAST,SLOW,ADJUST,FEED"; a material that is marked is refused.
bool applySlot(CodeEditor& e, const std::string& slotText) {
    const size_t colon = slotText.find(':');
    double slot = 0;
    if (colon == std::string::npos || !parseNumber(slotText.substr(0, colon), slot) || slot < 1 || slot > kSlots ||
        slot != static_cast<int>(slot))
        return false;
    std::vector<std::string> parts;
    std::string rest = slotText.substr(colon + 1) + ",";
    for (size_t start = 0, comma; (comma = rest.find(',', start)) != std::string::npos; start = comma + 1)
        parts.push_back(rest.substr(start, comma - start));
    if (parts.size() != 7) return false;
    const std::string n = std::to_string(static_cast<int>(slot));
    std::string material = parts[0];
    if (!material.empty()) {
        workAreas().select("RAWMAT");
        const PickResult r = pickCode(2, material);
        workAreas().select("FORMULA");
        if (r == PickResult::Marked) return false;
    }
    if (!e.set("AGG" + n, Value(material))) return false;
    for (int i = 1; i < 7; ++i)
        if (!setField(e, 3, kSlotParts[i] + n, parts[i].empty() ? "0" : parts[i])) return false;
    return true;
}

bool applyFields(CodeEditor& e, int table, const Options& o) {
    for (const auto& [name, value] : o.values) {
        if (name == "slot") {
            if (!applySlot(e, value)) return fail("code", "--slot " + value + " cannot be taken"), false;
            continue;
        }
        std::string field = name;
        for (char& c : field) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (!setField(e, table, field, value)) return fail("code", "--" + name + " " + value + " cannot be taken"), false;
    }
    return true;
}

// The checks of the code and name fields, told on the terminal.
bool checked(CodeEditor& e) {
    if (e.get("CODE").text().find_first_not_of(' ') == std::string::npos) return fail("code", "the code may not be empty"), false;
    if (!e.codeAccepted()) return false;
    if (!e.nameAccepted()) return fail("code", "the name may not be empty"), false;
    return true;
}


// Opens the code table with the login and the rights of the action.
bool openCodes(Context& ctx, int table, int level) {
    if (!cliLogin(ctx, codeRightsDigit(table), level)) return false;
    if (table == 3 && !openCodeTable(2)) return false;  // the slots' materials
    return openCodeTable(table);
}

// Positions the table on CODE exactly; false after the message.
bool seekCode(int table, const std::string& code) {
    xbase::Table* t = workAreas().table(codeTable(table)->alias);
    std::string key = code;
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const int width = t->fields()[t->fieldIndex("CODE")].width;
    if (static_cast<int>(key.size()) <= width) {
        key.resize(width, ' ');
        workAreas().select(codeTable(table)->alias);
        if (t->seek(key)) return true;
    }
    fail("code", "no code " + code);
    return false;
}

int codeList(Context& ctx, int table) {
    if (!openCodes(ctx, table, 1)) return 1;
    xbase::Table* t = workAreas().table(codeTable(table)->alias);
    const std::vector<std::string> fields = editedFields(table);
    std::string header = "DELETED";
    for (const std::string& f : fields) header += "\t" + f;
    out(header + "\n");
    for (t->goTop(); !t->eof(); t->skip()) {
        std::string row = t->deleted() ? "*" : "";
        for (const std::string& f : fields) {
            const std::string raw(t->record().raw(t->fieldIndex(f)));
            const size_t b = raw.find_first_not_of(' ');
            row += "\t" + (b == std::string::npos ? "" : raw.substr(b, raw.find_last_not_of(' ') - b + 1));
        }
        out(row + "\n");
    }
    return 0;
}

int codeAdd(Context& ctx, int table, const Options& o) {
    if (!o.words.empty()) return usage("code add takes no CODE; give --code");
    if (!openCodes(ctx, table, 3)) return 1;
    workAreas().select(codeTable(table)->alias);
    CodeEditor e(table, true);
    if (!e.start() || !applyFields(e, table, o) || !checked(e)) return 1;
    return e.save() ? 0 : 1;
}

int codeEdit(Context& ctx, int table, const Options& o) {
    if (o.words.size() != 1) return usage("give one CODE");
    if (!openCodes(ctx, table, 4) || !seekCode(table, o.words[0])) return 1;
    CodeEditor e(table, false);
    if (!e.start() || !applyFields(e, table, o) || !checked(e)) return 1;
    return e.save() ? 0 : 1;
}

int codeMark(Context& ctx, int table, const Options& o, bool mark) {
    if (o.words.size() != 1) return usage("give one CODE");
    if (!openCodes(ctx, table, 5) || !seekCode(table, o.words[0])) return 1;
    if (currentTable()->deleted() == mark) {
        fail("code", mark ? "the record is already marked deleted" : "the record is not marked deleted");
        return 1;
    }
    return CDELETE() ? 0 : 1;
}

int runCode(Context& ctx) {
    if (ctx.args.size() < 2) return usage("give an action and a TABLE");
    const std::string action = ctx.args[0];
    const int table = tableNumber(ctx.args[1]);
    if (!table) return usage("unknown table " + ctx.args[1]);
    Options o;
    const bool editing = action == "add" || action == "edit";
    if (!parseOptions("code", {ctx.args.begin() + 2, ctx.args.end()}, {},
                      editing ? fieldOptions(table) : std::vector<std::string>{}, o))
        return 2;
    if (action == "list") return o.words.empty() ? codeList(ctx, table) : usage("code list takes only TABLE");
    if (action == "add") return codeAdd(ctx, table, o);
    if (action == "edit") return codeEdit(ctx, table, o);
    if (action == "delete" || action == "restore") return codeMark(ctx, table, o, action == "delete");
    return usage("unknown action " + action);
}

Registrar reg{"code",
              "code list TABLE   (TABLE: company, rawmat, formula, unit, user, report)\n"
              "code add TABLE --code C --name N [--field value ...] [--slot N:AGG,QTY,BIG,FAST,SLOW,ADJUST,FEED]\n"
              "code edit TABLE CODE [--code NEW] [--name N] [--field value ...]\n"
              "code delete|restore TABLE CODE",
              &runCode};

}  // namespace
}  // namespace mp::cli
