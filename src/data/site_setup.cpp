#include "data/site_setup.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "data/table_access.h"
#include "platform/runtime/files.h"
#include "platform/xbase/table.h"

namespace mp {

bool createSiteFolders(std::string& why) {
    std::vector<std::string> folders;
    for (Folder f : {Folder::Tables, Folder::Production, Folder::Backup, Folder::Work})
        folders.push_back(folderSetting(f));
    folders.push_back(folderSetting(Folder::Tables) + "IMAGE\\");
    for (const std::string& plant : folders) {
        // A drive of the plant's Windows computer ("A:\" for the backup
        // diskette) is no folder to make here.
        if (plant.size() >= 2 && std::isalpha(static_cast<unsigned char>(plant[0])) && plant[1] == ':') continue;
        std::string path = findFile(plant);
        if (path.empty()) path = ".";
        std::error_code ec;
        std::filesystem::create_directories(path, ec);
        if (ec && !directoryExists(plant)) {
            why = plant + ": " + ec.message();
            return false;
        }
    }
    return true;
}

std::vector<std::string> existingTables() {
    std::vector<std::string> out;
    for (const TableDef& t : permanentTables())
        if (fileExists(tableBase(t) + ".DBF")) out.push_back(t.alias);
    return out;
}

bool createTable(const TableDef& table) {
    std::string path = findFile(tableBase(table) + ".DBF");
    if (!xbase::Table::create(path, table.fields)) return false;
    if (!table.indexed()) return true;
    // An exclusive open builds the index.
    bool ok = openTable(table, true);
    workAreas().close(table.alias);
    return ok;
}

bool createPermanentTables() {
    for (const TableDef& t : permanentTables())
        if (!createTable(t)) return false;
    const TableDef& consec = *findTable("CONSEC");
    if (!openTable(consec, true)) return false;
    bool ok = appendRecord(consec.alias, {{"CSNO", Value(1)}});
    workAreas().close(consec.alias);
    return ok;
}

bool appendRecord(const std::string& alias, const FieldValues& values) {
    if (!workAreas().select(alias) || !ADD_REC(0)) return false;
    xbase::Table* t = currentTable();
    bool ok = true;
    for (const auto& [name, value] : values) ok = t->setValue(name, value) && ok;
    ok = t->commit() && ok;
    unlockAll();
    return ok;
}

}  // namespace mp
