#pragma once

#include <string>
#include <string_view>

namespace mp {

// Paths as the plant writes them in MAIN.INI (".\WORK\", "A:\"): a backslash
// separates folders like a slash. Returns the path with slashes.
std::string nativePath(std::string_view plantPath);

// File names match without regard to case: returns the existing file or
// folder whose path equals `path` but for letter case (each component looked
// up in its folder). When there is none, the folders that exist are still
// matched and the rest keeps the spelling the program gives it, so a new file
// lands in the existing folder ("work\NEW.DBF" -> "WORK/NEW.DBF").
std::string findFile(std::string_view path);

bool fileExists(std::string_view path);        // after findFile
bool directoryExists(std::string_view path);   // after findFile

// Whole-file read and write of bytes; false / nullopt-like empty on failure.
bool readFile(std::string_view path, std::string& out);
bool writeFile(std::string_view path, std::string_view bytes);

}  // namespace mp
