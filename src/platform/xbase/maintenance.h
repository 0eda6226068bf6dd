#pragma once

// Whole-table operations of the file maintenance and the printing work
// tables: pack, copy with a filter, fill from a text file, and the check.

#include <functional>
#include <string>
#include <vector>

#include "platform/xbase/table.h"

namespace mp::xbase {

// Removes every record marked deleted and rebuilds every open index of the
// table. Requires the table open exclusive; false after raising otherwise.
bool pack(Table& table);

// Writes a new table at `target` with the structure of `source` holding, in
// physical order, the records `keep` accepts (all when empty). The source's
// position is restored afterwards.
bool copyTable(Table& source, const std::string& target,
               const std::function<bool(const Record&)>& keep = {});

// Appends one record per line of the text file (carriage return and line feed
// or a bare line feed end a line) to a table whose first field is character:
// the first bytes of the line, as many as the field holds. An end-of-file
// byte (1A) ends the text. Returns the number
// of records added, or -1 after raising the error.
long fillFromText(Table& table, const std::string& textPath);

// Walks the table and each of its open indexes and lists every inconsistency:
// header against file size, deleted-flag bytes, index entries pointing past
// the table, keys that differ from the record's key, records an index lacks
// or holds twice, entries out of order, pages outside the file or looping.
std::vector<std::string> checkTable(Table& table);

}  // namespace mp::xbase
