#include "platform/runtime/ini.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/runtime/files.h"

namespace mp {

namespace {

bool isBlankChar(char c) { return c == ' ' || c == '\t'; }

std::string trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && isBlankChar(s[b])) ++b;
    while (e > b && isBlankChar(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

// A line break inside a written name or value would split the line and
// corrupt the file; it is written as a blank instead.
std::string oneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

}  // namespace

// Reads the file line by line. "[name]" opens a section; "key=value" (key
// not empty, not a ";" comment) is a key line; any other line is kept as it
// is and means nothing.
IniFile::IniFile(std::string path) : m_path(std::move(path)) {
    std::string bytes;
    m_existed = fileExists(m_path) && readFile(m_path, bytes);
    if (!m_existed) return;
    std::string section;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t nl = bytes.find('\n', start);
        size_t end = nl == std::string::npos ? bytes.size() : nl;
        Line line;
        line.raw = bytes.substr(start, end - start);
        if (!line.raw.empty() && line.raw.back() == '\r') line.raw.pop_back();
        start = nl == std::string::npos ? bytes.size() : nl + 1;

        std::string t = trim(line.raw);
        size_t close = t.find(']');
        if (!t.empty() && t[0] == '[' && close != std::string::npos) {
            section = trim(std::string_view(t).substr(1, close - 1));
            line.isHeader = true;
        } else if (!t.empty() && t[0] != ';') {
            size_t eq = t.find('=');
            if (eq != std::string::npos && eq > 0) {
                line.key = trim(std::string_view(t).substr(0, eq));
                line.value = trim(std::string_view(t).substr(eq + 1));
            }
        }
        line.section = section;
        m_lines.push_back(std::move(line));
    }
}

namespace {
template <class Lines>
int firstHeader(const Lines& lines, std::string_view section) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].isHeader && equalNoCase(lines[i].section, section)) return static_cast<int>(i);
    return -1;
}
}  // namespace

// Only the first section of a name counts, as on Windows; the first of
// duplicate keys in it is the one read and replaced.
int IniFile::findKey(std::string_view section, std::string_view key) const {
    int h = firstHeader(m_lines, section);
    if (h < 0) return -1;
    for (size_t i = h + 1; i < m_lines.size() && !m_lines[i].isHeader; ++i)
        if (!m_lines[i].key.empty() && equalNoCase(m_lines[i].key, key)) return static_cast<int>(i);
    return -1;
}

// Where a new key of `section` goes: right after its last key line (after
// its header when it has none), so blank lines and comments that stand
// before the next section stay there.
int IniFile::sectionEnd(std::string_view section) const {
    int h = firstHeader(m_lines, section);
    if (h < 0) return -1;
    int last = h;
    for (size_t i = h + 1; i < m_lines.size() && !m_lines[i].isHeader; ++i)
        if (!m_lines[i].key.empty()) last = static_cast<int>(i);
    return last + 1;
}

std::string IniFile::get(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const {
    int i = findKey(section, key);
    return i < 0 ? std::string(defaultValue) : m_lines[i].value;
}

bool IniFile::has(std::string_view section, std::string_view key) const {
    return findKey(section, key) >= 0;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
    std::string k = trim(oneLine(key));
    std::string v = oneLine(value);
    std::string s = trim(oneLine(section));
    if (k.empty()) return;  // a line "=value" could never be read back
    int i = findKey(s, k);
    if (i >= 0) {
        Line& line = m_lines[i];
        line.raw = line.key + "=" + v;
        line.value = trim(v);
        return;
    }
    Line line;
    line.raw = k + "=" + v;
    line.section = s;
    line.key = k;
    line.value = trim(v);
    int at = sectionEnd(s);
    if (at >= 0) {
        line.section = m_lines[at - 1].section;
        m_lines.insert(m_lines.begin() + at, std::move(line));
        return;
    }
    if (!m_lines.empty() && !trim(m_lines.back().raw).empty()) {
        Line blank;
        blank.section = m_lines.back().section;
        m_lines.push_back(std::move(blank));
    }
    Line header;
    header.raw = "[" + s + "]";
    header.section = s;
    header.isHeader = true;
    m_lines.push_back(std::move(header));
    m_lines.push_back(std::move(line));
}

// Writes to a new file beside the old one and renames it over, so a failed
// write never leaves half a settings file behind. A file that may not be
// written stays as it is, and the new one keeps the old one's permissions.
bool IniFile::save() const {
    std::string bytes;
    for (const Line& line : m_lines) {
        bytes += line.raw;
        bytes += "\r\n";
    }
    std::string target = findFile(m_path);
    struct stat st;
    bool present = ::stat(target.c_str(), &st) == 0;
    if (present && (S_ISDIR(st.st_mode) || ::access(target.c_str(), W_OK) != 0)) return false;
    std::string temp = target + ".tmp" + std::to_string(::getpid());
    if (writeFile(temp, bytes)) {
        if (present) ::chmod(temp.c_str(), st.st_mode & 07777);
        if (std::rename(temp.c_str(), target.c_str()) == 0) return true;
        std::remove(temp.c_str());
    }
    return writeFile(target, bytes);
}

std::vector<std::string> IniFile::keys(std::string_view section) const {
    std::vector<std::string> out;
    int h = firstHeader(m_lines, section);
    if (h < 0) return out;
    for (size_t i = h + 1; i < m_lines.size() && !m_lines[i].isHeader; ++i) {
        const std::string& k = m_lines[i].key;
        if (k.empty()) continue;
        bool seen = false;
        for (const std::string& o : out) seen = seen || equalNoCase(o, k);
        if (!seen) out.push_back(k);
    }
    return out;
}

std::string iniRead(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view defaultValue) {
    return IniFile(path).get(section, key, defaultValue);
}

bool iniWrite(const std::string& path, std::string_view section, std::string_view key,
              std::string_view value) {
    IniFile ini(path);
    ini.set(section, key, value);
    return ini.save();
}

}  // namespace mp
