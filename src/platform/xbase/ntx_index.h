#pragma once

// One Clipper index file: a B-tree of (key, record number) over a table.
// Entries are ordered by key, byte by byte, then by record number, so every
// record has exactly one place and equal keys run in record order.
//
// Sharing: every change, and every lookup that needs a page not yet cached,
// takes the index lock of the file (shared to read, exclusive to change;
// waiting only for the moment another process takes to finish its own
// change) and re-reads the header; when the header has changed, every cached
// page is dropped. A change bumps the header's change counter.
//
// The index keeps a cursor: the path of pages from the root to the entry the
// last lookup found. next() and prev() from that entry walk the path through
// cached pages while the header is byte for byte the one the pages were read
// under. On a local disk that check is one unlocked read of the header (every
// change writes its pages before the header, so an unchanged header means
// the cached pages are the file's current tree); on a network file system it
// is made under the lock. An index opened for exclusive use skips both.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/xbase/file_io.h"
#include "platform/xbase/ntx_format.h"

namespace mp::xbase {

struct IndexEntry {
    std::string key;  // exactly keySize() bytes
    uint32_t recNo = 0;
};

// One entry to build from: the key bytes (keySize long) and its record.
struct BuildEntry {
    const char* key;
    uint32_t recNo;
};

class NtxIndex {
public:
    NtxIndex(const NtxIndex&) = delete;
    NtxIndex& operator=(const NtxIndex&) = delete;
    ~NtxIndex();

    // Writes a new index file at `path` holding `entries` (any order; sorted
    // here). Returns the open index, or nullptr after raising the error.
    static std::unique_ptr<NtxIndex> build(const std::string& path, const std::string& keyExpression,
                                           int keySize, std::vector<BuildEntry>& entries, bool exclusive);
    // Opens an existing index; nullptr after raising the error (missing,
    // unreadable or damaged).
    static std::unique_ptr<NtxIndex> open(const std::string& path, bool exclusive, bool readOnly);

    const std::string& path() const { return m_file->path(); }
    const std::string& keyExpression() const { return m_header.keyExpression; }
    int keySize() const { return m_header.keySize; }
    // False once a call met damage or an I/O failure (already reported).
    bool ok() const { return m_ok; }

    // Lookups: nullopt when there is no such entry (or on failure: see ok()).
    std::optional<IndexEntry> first();
    std::optional<IndexEntry> last();
    // The first entry whose key begins with `prefix` or sorts after it.
    std::optional<IndexEntry> lowerBound(std::string_view prefix);
    // The first entry after / the last entry before the position (key, recNo).
    std::optional<IndexEntry> next(std::string_view key, uint32_t recNo);
    std::optional<IndexEntry> prev(std::string_view key, uint32_t recNo);

    // Changes. `key` is padded or cut to keySize(). remove() returns false
    // when the entry is not there.
    bool insert(std::string_view key, uint32_t recNo);
    bool remove(std::string_view key, uint32_t recNo);
    // Moves a record from one key to another in one locked change.
    bool replace(std::string_view oldKey, std::string_view newKey, uint32_t recNo);

    bool sync();  // write through to disk

    // Walks every entry in order, checking every page it reaches (each page
    // reached once, children inside the file). Calls `visit` per entry;
    // returns problems found (empty when sound).
    std::vector<std::string> walk(const std::function<void(const IndexEntry&)>& visit);

    std::string padKey(std::string_view key) const;

private:
    class Session;
    struct Cursor;
    NtxIndex(std::unique_ptr<RandomFile> file, bool exclusive, bool readOnly);

    // One level of the cursor: a page and, on the last level, the entry's
    // position in it; on the levels above, the child taken.
    struct Level {
        uint32_t page;
        int slot;
    };
    enum class Step { Moved, End, Unknown };

    bool loadHeader();
    void dropPages();
    void trimPages();
    bool headerUnchanged();
    bool cursorAt(std::string_view key, uint32_t recNo) const;
    std::optional<IndexEntry> step(std::string_view key, uint32_t recNo, bool forward);
    Step advance(std::vector<Level>& path, bool forward, bool mayRead, IndexEntry& out);
    const NtxPage* reach(uint32_t offset, bool mayRead);
    bool begin(bool write);
    void end(bool write);
    const NtxPage* page(uint32_t offset);
    NtxPage* mutablePage(uint32_t offset);
    uint32_t allocatePage();
    bool flush();
    void fail(const std::string& why);
    IndexEntry entryAt(const NtxPage& p, int i) const;
    int lowerPos(const NtxPage& p, std::string_view key, uint32_t recNo) const;
    int upperPos(const NtxPage& p, std::string_view key, uint32_t recNo) const;
    std::optional<IndexEntry> descend(std::string_view key, uint32_t recNo, bool greater);
    bool insertAt(std::string key, uint32_t recNo);
    bool removeAt(std::string_view key, uint32_t recNo);
    void splitUpwards(std::vector<std::pair<uint32_t, int>>& path, uint32_t full);
    void collapse(uint32_t branch, const std::vector<std::pair<uint32_t, int>>& path, size_t depth);
    bool takePredecessor(uint32_t branch, int i, std::vector<std::pair<uint32_t, int>>& path);

    std::unique_ptr<RandomFile> m_file;
    bool m_exclusive;
    bool m_readOnly;
    bool m_ok = true;
    NtxHeader m_header;
    uint64_t m_fileSize = 0;
    std::unordered_map<uint32_t, NtxPage> m_cache;
    std::set<uint32_t> m_dirty;
    bool m_headerDirty = false;
    std::string m_headerBytes;      // the header as last read or written under the lock
    std::string m_scratchHeader;    // buffer of the unlocked header check
    bool m_unlockedCheck = false;   // local disk: the header may be compared without the lock
    uint64_t m_epoch = 0;           // bumped whenever cached pages are dropped or changed
    std::vector<Level> m_cursor;    // empty: no cursor
    std::vector<Level> m_scratchPath;
    uint64_t m_cursorEpoch = 0;
};

}  // namespace mp::xbase
