#include "platform/xbase/ntx_index.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

#include "platform/runtime/error.h"
#include "platform/xbase/locks.h"

namespace mp::xbase {
namespace {

constexpr int kMaxDepth = 48;             // deeper than any real tree: the pages loop
constexpr size_t kCacheLimit = 32768;     // pages kept between calls

int compareEntry(std::string_view a, uint32_t ar, std::string_view b, uint32_t br) {
    int c = std::memcmp(a.data(), b.data(), a.size());
    if (c != 0) return c;
    return ar < br ? -1 : (ar > br ? 1 : 0);
}

}  // namespace

NtxIndex::NtxIndex(std::unique_ptr<RandomFile> file, bool exclusive, bool readOnly)
    : m_file(std::move(file)), m_exclusive(exclusive), m_readOnly(readOnly),
      m_unlockedCheck(m_file->unlockedReadsCurrent()) {}

NtxIndex::~NtxIndex() = default;

std::string NtxIndex::padKey(std::string_view key) const {
    std::string k(key.substr(0, m_header.keySize));
    k.resize(m_header.keySize, ' ');
    return k;
}

void NtxIndex::fail(const std::string& why) {
    if (m_ok) raiseCorruption(path(), "index", why);
    m_ok = false;
    dropPages();
    m_dirty.clear();
}

// Every cached page goes, and with them the cursor.
void NtxIndex::dropPages() {
    m_cache.clear();
    ++m_epoch;
}

// A full cache lets its leaves go and keeps the branch pages, which every
// search passes through (about one page in fifteen).
void NtxIndex::trimPages() {
    for (auto it = m_cache.begin(); it != m_cache.end();) {
        if (it->second.isLeaf() && m_dirty.count(it->first) == 0) it = m_cache.erase(it);
        else ++it;
    }
    ++m_epoch;
    if (m_cache.size() > kCacheLimit / 2) dropPages();
}

bool NtxIndex::loadHeader() {
    std::string& b = m_scratchHeader;
    IoStatus s = m_file->read(0, kNtxPageSize, b);
    if (!s.ok()) {
        raiseIoError(path(), s, gen::kRead, "index");
        m_ok = false;
        return false;
    }
    if (b.size() < static_cast<size_t>(kNtxPageSize)) {
        fail("file shorter than an index header");
        return false;
    }
    if (m_fileSize != 0 && b == m_headerBytes) return true;  // as checked when last read
    NtxHeader h = NtxHeader::decode(b);
    bool changed = h.changeCounter != m_header.changeCounter || h.version != m_header.version ||
                   h.root != m_header.root || m_fileSize == 0;
    m_header = h;
    m_headerBytes = b;
    if (changed) {
        dropPages();
        if (!(s = m_file->size(m_fileSize)).ok()) {
            raiseIoError(path(), s, gen::kRead, "index");
            m_ok = false;
            return false;
        }
    }
    if (auto why = m_header.check(m_fileSize)) {
        fail(*why);
        return false;
    }
    return true;
}

bool NtxIndex::begin(bool write) {
    m_ok = true;
    if (write && m_readOnly) {
        raiseUsage(path(), gen::kReadOnly, "index", "index opened for reading only");
        return false;
    }
    if (m_exclusive) return true;
    LockKind kind = write ? LockKind::Exclusive : LockKind::Shared;
    if (m_file->lock(kind, kIndexLockOffset, 1, true) != LockResult::Granted) {
        raiseIoError(path(), IoStatus{EDEADLK, "lock"}, gen::kLock, "index");
        m_ok = false;
        return false;
    }
    if (write) ++m_epoch;  // pages change: the cursor's positions no longer hold
    if (m_cache.size() > kCacheLimit) trimPages();
    if (!loadHeader()) {
        m_file->unlock(kIndexLockOffset, 1);
        return false;
    }
    return true;
}

void NtxIndex::end(bool write) {
    if (write && m_ok) flush();
    if (!m_exclusive) m_file->unlock(kIndexLockOffset, 1);
    else if (m_cache.size() > kCacheLimit && m_dirty.empty()) trimPages();
}

bool NtxIndex::flush() {
    for (uint32_t off : m_dirty) {
        IoStatus s = m_file->write(off, m_cache[off].encode(m_header));
        if (!s.ok()) {
            raiseIoError(path(), s, gen::kWrite, "index");
            m_ok = false;
            dropPages();
            m_dirty.clear();
            return false;
        }
    }
    m_dirty.clear();
    ++m_header.version;
    ++m_header.changeCounter;
    m_headerBytes = m_header.encode();
    IoStatus s = m_file->write(0, m_headerBytes);
    if (!s.ok()) {
        raiseIoError(path(), s, gen::kWrite, "index");
        m_ok = false;
        dropPages();
        return false;
    }
    return true;
}

const NtxPage* NtxIndex::page(uint32_t offset) {
    if (!m_ok) return nullptr;
    if (offset < kNtxPageSize || offset % kNtxPageSize != 0 || offset + kNtxPageSize > m_fileSize) {
        fail("page " + std::to_string(offset) + " lies outside the file");
        return nullptr;
    }
    auto it = m_cache.find(offset);
    if (it != m_cache.end()) return &it->second;
    std::string b;
    IoStatus s = m_file->read(offset, kNtxPageSize, b);
    if (!s.ok()) {
        raiseIoError(path(), s, gen::kRead, "index");
        m_ok = false;
        return nullptr;
    }
    std::string why;
    auto p = NtxPage::decode(b, m_header, m_fileSize, why);
    if (!p) {
        fail("page " + std::to_string(offset) + ": " + why);
        return nullptr;
    }
    return &m_cache.emplace(offset, std::move(*p)).first->second;
}

NtxPage* NtxIndex::mutablePage(uint32_t offset) {
    const NtxPage* p = page(offset);
    if (!p) return nullptr;
    m_dirty.insert(offset);
    return const_cast<NtxPage*>(p);
}

uint32_t NtxIndex::allocatePage() {
    auto offset = static_cast<uint32_t>(m_fileSize);
    m_fileSize += kNtxPageSize;
    NtxPage& p = m_cache[offset];
    p = NtxPage{};
    p.left.assign(1, 0);
    m_dirty.insert(offset);
    return offset;
}

IndexEntry NtxIndex::entryAt(const NtxPage& p, int i) const {
    return IndexEntry{std::string(p.key(i, m_header.keySize)), p.recNo[i]};
}

int NtxIndex::lowerPos(const NtxPage& p, std::string_view key, uint32_t recNo) const {
    int lo = 0, hi = p.count();
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (compareEntry(p.key(mid, m_header.keySize), p.recNo[mid], key, recNo) < 0) lo = mid + 1;
        else hi = mid;
    }
    return lo;
}

int NtxIndex::upperPos(const NtxPage& p, std::string_view key, uint32_t recNo) const {
    int lo = 0, hi = p.count();
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (compareEntry(p.key(mid, m_header.keySize), p.recNo[mid], key, recNo) <= 0) lo = mid + 1;
        else hi = mid;
    }
    return lo;
}

// The first entry after (greater) or the last entry before (!greater) the
// position (key, recNo). The path down to the entry found becomes the cursor.
std::optional<IndexEntry> NtxIndex::descend(std::string_view key, uint32_t recNo, bool greater) {
    m_cursor.clear();
    const NtxPage* foundPage = nullptr;
    size_t foundDepth = 0;
    int foundSlot = 0;
    uint32_t node = m_header.root;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxDepth) {
            fail("index pages loop");
            m_cursor.clear();
            return std::nullopt;
        }
        const NtxPage* p = page(node);
        if (!p) {
            m_cursor.clear();
            return std::nullopt;
        }
        int i = greater ? upperPos(*p, key, recNo) : lowerPos(*p, key, recNo);
        m_cursor.push_back(Level{node, i});
        if (greater ? i < p->count() : i > 0) {
            foundPage = p;
            foundDepth = static_cast<size_t>(depth);
            foundSlot = greater ? i : i - 1;
        }
        if (p->isLeaf()) break;
        node = p->left[i];
    }
    if (!foundPage) {
        m_cursor.clear();
        return std::nullopt;
    }
    m_cursor.resize(foundDepth + 1);
    m_cursor.back().slot = foundSlot;
    m_cursorEpoch = m_epoch;
    return entryAt(*foundPage, foundSlot);
}

// True when the cursor stands on (key, recNo) in pages still cached.
bool NtxIndex::cursorAt(std::string_view key, uint32_t recNo) const {
    if (m_cursor.empty() || m_cursorEpoch != m_epoch) return false;
    auto it = m_cache.find(m_cursor.back().page);
    if (it == m_cache.end()) return false;
    const NtxPage& p = it->second;
    int i = m_cursor.back().slot;
    return i >= 0 && i < p.count() && p.recNo[i] == recNo && p.key(i, m_header.keySize) == key;
}

// The header compared with the one the cached pages were read under,
// without the lock: only on a local disk (see the class comment).
bool NtxIndex::headerUnchanged() {
    if (m_exclusive) return true;
    if (!m_unlockedCheck || m_headerBytes.empty()) return false;
    IoStatus s = m_file->read(0, kNtxPageSize, m_scratchHeader);
    return s.ok() && m_scratchHeader == m_headerBytes;
}

const NtxPage* NtxIndex::reach(uint32_t offset, bool mayRead) {
    if (mayRead) return page(offset);
    auto it = m_cache.find(offset);
    return it == m_cache.end() ? nullptr : &it->second;
}

// Moves `path` to the next (forward) or previous entry in key order: down
// the neighbouring subtree of an entry of a branch page, else along the
// page, else up to the first ancestor with an entry on that side. Empty
// leaves are passed over. Unknown when a page is not cached and may not be
// read (the path is then half moved: the caller works on a copy).
NtxIndex::Step NtxIndex::advance(std::vector<Level>& path, bool forward, bool mayRead, IndexEntry& out) {
    Level& top = path.back();
    const NtxPage* p = reach(top.page, mayRead);
    if (!p) return Step::Unknown;
    if (!p->isLeaf()) {
        top.slot = forward ? top.slot + 1 : top.slot;  // the child on that side of the entry
        uint32_t node = p->left[top.slot];
        for (;;) {
            if (path.size() > kMaxDepth) {
                if (mayRead) fail("index pages loop");
                return Step::Unknown;
            }
            const NtxPage* c = reach(node, mayRead);
            if (!c) return Step::Unknown;
            if (c->isLeaf()) {
                if (c->count() == 0) break;  // empty leaf: the entry is above
                int i = forward ? 0 : c->count() - 1;
                path.push_back(Level{node, i});
                out = entryAt(*c, i);
                return Step::Moved;
            }
            int i = forward ? 0 : c->count();
            path.push_back(Level{node, i});
            node = c->left[i];
        }
    } else {
        int i = forward ? top.slot + 1 : top.slot - 1;
        if (i >= 0 && i < p->count()) {
            top.slot = i;
            out = entryAt(*p, i);
            return Step::Moved;
        }
        path.pop_back();
    }
    // Up: the last level now holds the child we came from.
    while (!path.empty()) {
        Level& up = path.back();
        const NtxPage* q = reach(up.page, mayRead);
        if (!q) return Step::Unknown;
        int i = forward ? up.slot : up.slot - 1;
        if (i >= 0 && i < q->count()) {
            up.slot = i;
            out = entryAt(*q, i);
            return Step::Moved;
        }
        path.pop_back();
    }
    return Step::End;
}

// next() and prev(): from the cursor when it stands on (key, recNo) and the
// header is unchanged; else a search from the root under the lock.
std::optional<IndexEntry> NtxIndex::step(std::string_view key, uint32_t recNo, bool forward) {
    std::string k = padKey(key);
    IndexEntry e;
    if (cursorAt(k, recNo) && headerUnchanged()) {
        m_scratchPath = m_cursor;
        Step r = advance(m_scratchPath, forward, false, e);
        if (r == Step::Moved) {
            m_cursor.swap(m_scratchPath);
            return e;
        }
        if (r == Step::End) {
            m_cursor.clear();
            return std::nullopt;
        }
    }
    if (!begin(false)) return std::nullopt;
    std::optional<IndexEntry> found;
    Step r = Step::Unknown;
    if (cursorAt(k, recNo)) {  // the header read under the lock left the pages in place
        m_scratchPath = m_cursor;
        r = advance(m_scratchPath, forward, true, e);
        if (r == Step::Moved) {
            m_cursor.swap(m_scratchPath);
            found = std::move(e);
        } else {
            m_cursor.clear();
        }
    }
    if (r == Step::Unknown && m_ok) found = descend(k, recNo, forward);
    end(false);
    return m_ok ? found : std::nullopt;
}

std::optional<IndexEntry> NtxIndex::first() { return lowerBound(""); }

std::optional<IndexEntry> NtxIndex::last() {
    if (!begin(false)) return std::nullopt;
    std::string top(m_header.keySize, '\xFF');
    auto e = descend(top, UINT32_MAX, false);
    // A key of all 0xFF bytes with the largest record number cannot sort after it.
    end(false);
    return m_ok ? e : std::nullopt;
}

std::optional<IndexEntry> NtxIndex::lowerBound(std::string_view prefix) {
    if (!begin(false)) return std::nullopt;
    // Entries whose first bytes equal the prefix sort at or after
    // (prefix padded with 0x00, record 0): the first entry not before it.
    std::string k(prefix.substr(0, m_header.keySize));
    k.resize(m_header.keySize, '\0');
    auto e = descend(k, 0, true);
    end(false);
    return m_ok ? e : std::nullopt;
}

std::optional<IndexEntry> NtxIndex::next(std::string_view key, uint32_t recNo) { return step(key, recNo, true); }

std::optional<IndexEntry> NtxIndex::prev(std::string_view key, uint32_t recNo) { return step(key, recNo, false); }

bool NtxIndex::insert(std::string_view key, uint32_t recNo) {
    if (!begin(true)) return false;
    bool done = insertAt(padKey(key), recNo);
    end(true);
    return done && m_ok;
}

bool NtxIndex::remove(std::string_view key, uint32_t recNo) {
    if (!begin(true)) return false;
    bool done = removeAt(padKey(key), recNo);
    end(true);
    return done && m_ok;
}

bool NtxIndex::replace(std::string_view oldKey, std::string_view newKey, uint32_t recNo) {
    if (!begin(true)) return false;
    removeAt(padKey(oldKey), recNo);
    bool done = m_ok && insertAt(padKey(newKey), recNo);
    end(true);
    return done && m_ok;
}

bool NtxIndex::insertAt(std::string key, uint32_t recNo) {
    std::vector<std::pair<uint32_t, int>> path;
    uint32_t node = m_header.root;
    int i = 0;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxDepth) {
            fail("index pages loop");
            return false;
        }
        const NtxPage* p = page(node);
        if (!p) return false;
        i = lowerPos(*p, key, recNo);
        if (i < p->count() && compareEntry(p->key(i, m_header.keySize), p->recNo[i], key, recNo) == 0)
            return true;  // already there
        if (p->isLeaf()) break;
        path.emplace_back(node, i);
        node = p->left[i];
    }
    NtxPage* leaf = mutablePage(node);
    leaf->keys.insert(static_cast<size_t>(i) * m_header.keySize, key);
    leaf->recNo.insert(leaf->recNo.begin() + i, recNo);
    leaf->left.push_back(0);
    if (leaf->count() > m_header.maxItems) splitUpwards(path, node);
    return m_ok;
}

void NtxIndex::splitUpwards(std::vector<std::pair<uint32_t, int>>& path, uint32_t full) {
    const size_t ks = m_header.keySize;
    for (;;) {
        NtxPage* p = mutablePage(full);
        if (!p || p->count() <= m_header.maxItems) return;
        int n = p->count(), mid = n / 2;
        uint32_t rightOff = allocatePage();
        NtxPage& r = m_cache[rightOff];
        r.keys = p->keys.substr((mid + 1) * ks);
        r.recNo.assign(p->recNo.begin() + mid + 1, p->recNo.end());
        r.left.assign(p->left.begin() + mid + 1, p->left.end());
        std::string midKey = p->keys.substr(mid * ks, ks);
        uint32_t midRec = p->recNo[mid];
        p->keys.resize(mid * ks);
        p->recNo.resize(mid);
        p->left.resize(mid + 1);
        if (path.empty()) {
            uint32_t rootOff = allocatePage();
            NtxPage& root = m_cache[rootOff];
            root.keys = midKey;
            root.recNo = {midRec};
            root.left = {full, rightOff};
            m_header.root = rootOff;
            return;
        }
        auto [parent, slot] = path.back();
        path.pop_back();
        NtxPage* q = mutablePage(parent);
        if (!q) return;
        q->keys.insert(slot * ks, midKey);
        q->recNo.insert(q->recNo.begin() + slot, midRec);
        q->left.insert(q->left.begin() + slot + 1, rightOff);
        full = parent;
    }
}

bool NtxIndex::removeAt(std::string_view key, uint32_t recNo) {
    std::vector<std::pair<uint32_t, int>> path;
    uint32_t node = m_header.root;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxDepth) {
            fail("index pages loop");
            return false;
        }
        const NtxPage* p = page(node);
        if (!p) return false;
        int i = lowerPos(*p, key, recNo);
        if (i < p->count() && compareEntry(p->key(i, m_header.keySize), p->recNo[i], key, recNo) == 0) {
            if (!p->isLeaf()) return takePredecessor(node, i, path);
            NtxPage* leaf = mutablePage(node);
            leaf->keys.erase(static_cast<size_t>(i) * m_header.keySize, m_header.keySize);
            leaf->recNo.erase(leaf->recNo.begin() + i);
            leaf->left.pop_back();
            return true;
        }
        if (p->isLeaf()) return false;
        path.emplace_back(node, i);
        node = p->left[i];
    }
}

// Removes entry i of a branch page: the entry before it in key order (the
// last entry of the right-most spine below its left child) takes its place.
// Empty leaves may stay; a branch left without entries gives way to its
// only child, so no branch page is ever empty.
bool NtxIndex::takePredecessor(uint32_t branch, int i, std::vector<std::pair<uint32_t, int>>& path) {
    const size_t ks = m_header.keySize;
    std::vector<uint32_t> spine;
    uint32_t cur = page(branch)->left[i];
    for (;;) {
        if (spine.size() > kMaxDepth) {
            fail("index pages loop");
            return false;
        }
        spine.push_back(cur);
        const NtxPage* p = page(cur);
        if (!p) return false;
        if (p->isLeaf()) break;
        cur = p->left[p->count()];
    }
    int j = static_cast<int>(spine.size()) - 1;
    while (j >= 0 && page(spine[j])->count() == 0) --j;
    NtxPage* x = mutablePage(branch);
    if (j < 0) {  // nothing on the left: drop the entry with its empty left subtree
        x->keys.erase(i * ks, ks);
        x->recNo.erase(x->recNo.begin() + i);
        x->left.erase(x->left.begin() + i);
        if (x->count() == 0) collapse(branch, path, path.size());
        return m_ok;
    }
    NtxPage* donor = mutablePage(spine[j]);
    int last = donor->count() - 1;
    x->keys.replace(i * ks, ks, donor->keys, last * ks, ks);
    x->recNo[i] = donor->recNo[last];
    donor->keys.resize(last * ks);
    donor->recNo.pop_back();
    donor->left.pop_back();
    if (donor->count() == 0 && !donor->isLeaf()) {
        std::vector<std::pair<uint32_t, int>> donorPath = path;
        donorPath.emplace_back(branch, i);
        for (int k = 0; k < j; ++k) donorPath.emplace_back(spine[k], page(spine[k])->count());
        collapse(spine[j], donorPath, donorPath.size());
    }
    return m_ok;
}

// Replaces the empty branch page by its only child in its parent
// (path[depth-1]) or as the root.
void NtxIndex::collapse(uint32_t branch, const std::vector<std::pair<uint32_t, int>>& path, size_t depth) {
    uint32_t child = page(branch)->left[0];
    if (depth == 0) {
        m_header.root = child;
        return;
    }
    auto [parent, slot] = path[depth - 1];
    NtxPage* q = mutablePage(parent);
    if (q) q->left[slot] = child;
}

bool NtxIndex::sync() {
    IoStatus s = m_file->sync();
    if (s.ok()) return true;
    raiseIoError(path(), s, gen::kWrite, "commit");
    return false;
}

}  // namespace mp::xbase

namespace mp::xbase {
namespace {

// Entries a subtree of `height` levels holds when every page is full.
uint64_t capacity(int height, int maxItems) {
    uint64_t c = maxItems;
    for (int h = 1; h < height; ++h) c = maxItems + (maxItems + 1) * c;
    return c;
}

// Lays out a balanced tree over sorted entries, children before parents, each
// page appended to the image as it is finished.
class TreeWriter {
public:
    TreeWriter(const NtxHeader& h, const std::vector<BuildEntry>& e, std::string& image)
        : m_header(h), m_entries(e), m_image(image) {}

    uint32_t write(size_t lo, size_t hi, int height) {
        NtxPage p;
        if (height == 1) {
            for (size_t k = lo; k < hi; ++k) add(p, k);
            p.left.assign(p.recNo.size() + 1, 0);
            return emit(p);
        }
        uint64_t childCap = capacity(height - 1, m_header.maxItems);
        size_t n = hi - lo;
        size_t children = std::max<size_t>(2, (n + 1 + childCap) / (childCap + 1));
        size_t childTotal = n - (children - 1);
        size_t base = childTotal / children, extra = childTotal % children;
        size_t pos = lo;
        for (size_t c = 0; c < children; ++c) {
            size_t size = base + (c < extra ? 1 : 0);
            p.left.push_back(write(pos, pos + size, height - 1));
            pos += size;
            if (c + 1 < children) add(p, pos++);
        }
        return emit(p);
    }

private:
    void add(NtxPage& p, size_t k) {
        p.keys.append(m_entries[k].key, m_header.keySize);
        p.recNo.push_back(m_entries[k].recNo);
    }
    uint32_t emit(const NtxPage& p) {
        auto offset = static_cast<uint32_t>(m_image.size());
        m_image += p.encode(m_header);
        return offset;
    }
    const NtxHeader& m_header;
    const std::vector<BuildEntry>& m_entries;
    std::string& m_image;
};

}  // namespace

std::unique_ptr<NtxIndex> NtxIndex::build(const std::string& path, const std::string& keyExpression,
                                          int keySize, std::vector<BuildEntry>& entries, bool exclusive) {
    if (keySize < 1 || keySize > kNtxMaxKeySize) {
        raiseUsage(path, gen::kDataWidth, "index", "key of " + std::to_string(keySize) + " bytes");
        return nullptr;
    }
    std::sort(entries.begin(), entries.end(), [keySize](const BuildEntry& a, const BuildEntry& b) {
        int c = std::memcmp(a.key, b.key, keySize);
        return c != 0 ? c < 0 : a.recNo < b.recNo;
    });
    NtxHeader h = NtxHeader::forKey(keySize, keyExpression, false);
    int height = 1;
    while (capacity(height, h.maxItems) < entries.size()) ++height;
    std::string image(kNtxPageSize, '\0');
    image.reserve(kNtxPageSize * (entries.size() / std::max(1, h.maxItems - 1) + 4));
    h.root = TreeWriter(h, entries, image).write(0, entries.size(), height);
    // A counter no earlier version of the file had, so every reader drops its pages.
    h.changeCounter = static_cast<uint32_t>(std::random_device{}());
    h.version = static_cast<uint16_t>(h.changeCounter);
    image.replace(0, kNtxPageSize, h.encode());
    IoStatus s;
    auto file = openPosixFile(path, OpenFlags::CreateTruncate, s);
    if (file && (s = file->write(0, image)).ok()) s = file->sync();
    if (!s.ok()) {
        raiseIoError(path, s, gen::kCreate, "index");
        return nullptr;
    }
    std::unique_ptr<NtxIndex> index(new NtxIndex(std::move(file), exclusive, false));
    index->m_header = h;
    index->m_headerBytes = image.substr(0, kNtxPageSize);
    index->m_fileSize = image.size();
    return index;
}

std::unique_ptr<NtxIndex> NtxIndex::open(const std::string& path, bool exclusive, bool readOnly) {
    IoStatus s;
    auto file = openPosixFile(path, readOnly ? OpenFlags::ReadOnly : OpenFlags::ReadWrite, s);
    if (!file) {
        raiseIoError(path, s, gen::kOpen, "index");
        return nullptr;
    }
    std::unique_ptr<NtxIndex> index(new NtxIndex(std::move(file), exclusive, readOnly));
    index->m_exclusive = false;  // read the header under the lock once, as a shared open does
    bool ok = index->begin(false);
    if (ok) index->end(false);
    index->m_exclusive = exclusive;
    if (!ok || !index->m_ok) return nullptr;
    return index;
}

std::vector<std::string> NtxIndex::walk(const std::function<void(const IndexEntry&)>& visit) {
    std::vector<std::string> problems;
    if (!begin(false)) return {"index cannot be read"};
    std::set<uint32_t> seen;
    std::optional<IndexEntry> previous;
    std::function<bool(uint32_t, int)> walkPage = [&](uint32_t off, int depth) -> bool {
        if (depth > kMaxDepth || !seen.insert(off).second) {
            problems.push_back("page " + std::to_string(off) + " reached twice: the pages loop");
            return false;
        }
        const NtxPage* cached = page(off);
        if (!cached) {
            problems.push_back("page " + std::to_string(off) + " unreadable");
            return false;
        }
        NtxPage p = *cached;  // the cache may be dropped while walking below
        for (int i = 0; i <= p.count(); ++i) {
            if (!p.isLeaf() && !walkPage(p.left[i], depth + 1)) return false;
            if (i == p.count()) break;
            IndexEntry e = entryAt(p, i);
            if (previous && compareEntry(previous->key, previous->recNo, e.key, e.recNo) >= 0)
                problems.push_back("key of record " + std::to_string(e.recNo) + " out of order");
            visit(e);
            previous = e;
        }
        return true;
    };
    walkPage(m_header.root, 0);
    end(false);
    return problems;
}

}  // namespace mp::xbase
