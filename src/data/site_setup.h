#pragma once

// Making a site: its folders and its permanent tables, empty, each with its
// index, and the running-number record. Only `mixplant-cli init-site` (and
// tests) do this; the program itself never creates permanent tables.

#include <string>
#include <utility>
#include <vector>

#include "data/catalogue.h"
#include "platform/runtime/value.h"

namespace mp {

// Creates the folders CDRV1..CDRV4 of the settings and the picture folder
// CDRV1 + "IMAGE"; a Windows drive ("A:\") is left alone. False (with `why`) when one cannot be made.
bool createSiteFolders(std::string& why);
// The aliases of the permanent tables whose file exists.
std::vector<std::string> existingTables();
// Writes `table` anew, empty, with its index; the table is left closed.
bool createTable(const TableDef& table);
// Every permanent table, then record 1 of CONSEC holding 1.
bool createPermanentTables();

using FieldValues = std::vector<std::pair<std::string, Value>>;
// Appends one record to the open table `alias` (write pattern 1: append,
// assign, commit, release). False when a field is refused.
bool appendRecord(const std::string& alias, const FieldValues& values);

}  // namespace mp
