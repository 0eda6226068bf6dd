#include "platform/runtime/files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <vector>

namespace mp {

namespace {

bool exists(const std::string& p) {
    struct stat st;
    return ::stat(p.empty() ? "." : p.c_str(), &st) == 0;
}

bool sameButCase(const char* a, const std::string& b) {
    size_t i = 0;
    for (; a[i] && i < b.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return a[i] == '\0' && i == b.size();
}

// The entry of `folder` named `name` but for letter case; the smallest such
// name when a folder holds several, empty when there is none.
std::string matchInFolder(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return "";
    std::string best;
    while (dirent* e = ::readdir(dir)) {
        if (sameButCase(e->d_name, name) && (best.empty() || best > e->d_name)) best = e->d_name;
    }
    ::closedir(dir);
    return best;
}

std::vector<std::string> splitPath(const std::string& p) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= p.size(); ++i) {
        if (i == p.size() || p[i] == '/') {
            parts.push_back(p.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

}  // namespace

std::string nativePath(std::string_view plantPath) {
    std::string p(plantPath);
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

// Walks the path one component at a time; a component that does not exist
// as written is looked up in its folder without regard to case. Components
// from the first one that cannot be found keep the spelling given, so a new
// file in an existing folder lands in that folder.
std::string findFile(std::string_view path) {
    std::string p = nativePath(path);
    if (p.empty() || exists(p)) return p;
    std::vector<std::string> parts = splitPath(p);
    std::string out;
    bool found = true;
    for (size_t i = 0; i < parts.size(); ++i) {
        std::string part = parts[i];
        if (found && !part.empty() && part != "." && part != "..") {
            std::string candidate = out + part;
            if (!exists(candidate)) {
                std::string match = matchInFolder(out, part);
                if (match.empty())
                    found = false;
                else
                    part = match;
            }
        }
        out += part;
        if (i + 1 < parts.size()) out += '/';
    }
    return out;
}

bool fileExists(std::string_view path) {
    struct stat st;
    std::string p = findFile(path);
    return !p.empty() && ::stat(p.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool directoryExists(std::string_view path) {
    struct stat st;
    std::string p = findFile(path);
    return !p.empty() && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool readFile(std::string_view path, std::string& out) {
    out.clear();
    std::FILE* f = std::fopen(findFile(path).c_str(), "rb");
    if (!f) return false;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    if (!ok) out.clear();
    return ok;
}

bool writeFile(std::string_view path, std::string_view bytes) {
    std::FILE* f = std::fopen(findFile(path).c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

}  // namespace mp
