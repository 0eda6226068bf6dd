#pragma once

// The plant's tables: every permanent table with the folder setting that
// holds it, the alias the program addresses it by, the file name it opens,
// its fields, its index file and key expression; the code tables' numbers and
// titles; the status values; the per-user work tables. doc/tables.md explains
// the widths chosen for the fields whose width the site decides.

#include <string>
#include <string_view>
#include <vector>

#include "platform/xbase/dbf_format.h"

namespace mp {

// Which folder setting of MAIN.INI holds a table.
enum class Folder { Tables /* CDRV1 */, Production /* CDRV2 */, Backup /* CDRV3 */, Work /* CDRV4 */ };

// The folder's text as the settings hold it (".\", ".\WORK\"...).
const std::string& folderSetting(Folder folder);
// "CDRV1".."CDRV4".
const char* folderSettingName(Folder folder);

struct TableDef {
    std::string alias;          // upper case: "USERLIST"
    std::string fileName;       // as the program opens it: "Userlist", "consec"
    Folder folder;
    std::string keyExpression;  // as opened ("code"); empty: no index (CONSEC)
    std::string indexName;      // index file without extension; empty when none
    std::string description;    // for OPEN's messages (code page 874)
    int codeTable = 0;          // 1..6 for the code tables, else 0
    xbase::FieldList fields;

    bool indexed() const { return !keyExpression.empty(); }
};

// Every permanent table: the six code tables in the order of their numbers,
// CONSEC, then WDATA, DETAIL, BATCHING.
const std::vector<TableDef>& permanentTables();
// The table of that alias (any case), or nullptr.
const TableDef* findTable(std::string_view alias);
// True when two names (aliases, field names) are the same without regard to
// case, as the program matches them.
bool sameName(std::string_view a, std::string_view b);
// The code table of number 1..6, or nullptr.
const TableDef* codeTable(int number);
// The picker's title of code table 1..6 ("  ส่วนจัดการตารางรหัสบริษัท"...); "" otherwise.
std::string codeTableTitle(int number);

// The table's file path without extension: folder setting + file name.
std::string tableBase(const TableDef& t);

// The key expression the maintenance writes when it rebuilds an index: the
// code tables' "code" spelled "CODE"; the others as they are.
std::string rebuildKeyExpression(const TableDef& t);

// Status values (STAT) of lines and batches.
namespace status {
constexpr char kLineWaiting = ' ';   // DETAIL: waiting to be mixed (any unknown value too)
constexpr char kLinePartly = '1';    // DETAIL: partly mixed (shown only)
constexpr char kLineFinished = '2';  // DETAIL: finished, cannot run again
constexpr char kBatchPlanned = '0';  // BATCHING: planned
constexpr char kBatchWeighed = '2';  // BATCHING: at least one slot recorded
}  // namespace status

// Thai caption of a DETAIL status: "เสร็จเรียบร้อย" for "2", "ผสมบางส่วน" for
// "1", "รอการผสม" for anything else.
std::string lineStatusText(std::string_view stat);

// Key widths.
constexpr int kIndentWidth = 24;  // INDENT, INDENT2
constexpr int kItemWidth = 4;     // ITEM
constexpr int kNumberWidth = 10;  // NUMBER
constexpr int kUserCodeWidth = 6;
constexpr int kPasswordWidth = 6;
constexpr int kRightsWidth = 42;
constexpr int kSlots = 8;         // material slots of a formula, line and batch

// Per-user work tables in CDRV4. Their file is a prefix and the logged-in
// user's trimmed code.
struct WorkTableDef {
    std::string alias;     // "DOCPRN", "REPPRN", "DETAIL" (report data), ...
    std::string openedAs;  // "DocPrn", "RepPrn", "detail"
    std::string prefix;    // "P_", "R_", "D_"
};
const WorkTableDef& docketFormTable();  // P_ + user, one field CODE C 200
const WorkTableDef& reportFormTable();  // R_ + user, one field CODE C 200
const WorkTableDef& reportDataTable();  // D_ + user, fields of the reports
// "P_" + trimmed code of `user`: the file name (no folder, no extension).
std::string workTableFile(const WorkTableDef& t, std::string_view user);
// The one field of the form work tables: CODE C 200.
xbase::FieldList formTableFields();
constexpr int kFormLineWidth = 200;

}  // namespace mp
