#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mp {

// An INI file with the Windows private-profile semantics the plant's files
// were written for: sections and keys match without regard to case, a missing
// file, section or key gives the caller's default, writing replaces or adds a
// key and creates the section and the file, every other line (comments,
// unknown keys, their order) is kept, and bytes are kept as they are (code
// page 874). Lines are written with carriage return and line feed; either line
// end is read. Values are taken with surrounding blanks removed.
class IniFile {
public:
    explicit IniFile(std::string path);  // loads the file when it exists

    bool existed() const { return m_existed; }
    const std::string& path() const { return m_path; }
    std::string get(std::string_view section, std::string_view key,
                    std::string_view defaultValue) const;
    bool has(std::string_view section, std::string_view key) const;
    void set(std::string_view section, std::string_view key, std::string_view value);
    bool save() const;  // false when the file cannot be written
    std::vector<std::string> keys(std::string_view section) const;

private:
    struct Line {
        std::string raw;      // the line as read, without its line end
        std::string section;  // section the line belongs to (as written)
        std::string key;      // empty unless the line is key=value
        std::string value;
        bool isHeader = false;
    };
    int findKey(std::string_view section, std::string_view key) const;
    int sectionEnd(std::string_view section) const;  // -1 when the section is missing

    std::string m_path;
    bool m_existed = false;
    std::vector<Line> m_lines;
};

// One-shot read and write, as the settings code and the settings dialogs use them.
std::string iniRead(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view defaultValue);
bool iniWrite(const std::string& path, std::string_view section, std::string_view key,
              std::string_view value);

}  // namespace mp
