// Moves of the cursor and the indexes of a table.

#include "platform/xbase/table.h"

#include "platform/runtime/error.h"

namespace mp::xbase {

bool Table::doGoTo(uint32_t n) {
    flush();
    m_found = false;
    m_bof = false;
    if (n > m_count) refreshCount();
    if (n < 1 || n > m_count) {
        setEof();
        return false;
    }
    if (!load(n)) return false;
    placeInOrder();
    return true;
}

// After a move by record number or a change of order, the cursor stands in
// the controlling index at the current record's own key, so a skip goes on
// from there.
void Table::placeInOrder() {
    if (m_order > 0 && !m_eof) m_indexes[m_order - 1].currentKey = computeKey(m_indexes[m_order - 1]);
}

bool Table::doGoTop() {
    flush();
    m_found = false;
    if (m_order == 0) {
        refreshCount();
        if (m_count == 0) {
            setEof();
            m_bof = true;
            return false;
        }
        m_bof = false;
        return load(1);
    }
    OpenIndex& ix = m_indexes[m_order - 1];
    return positionAt(ix.index->lowerBound(m_scopeTop), true) || (m_bof = true, false);
}

bool Table::doGoBottom() {
    flush();
    m_found = false;
    refreshCount();
    if (m_order == 0) {
        if (m_count == 0) {
            setEof();
            m_bof = true;
            return false;
        }
        return load(m_count);
    }
    OpenIndex& ix = m_indexes[m_order - 1];
    std::optional<IndexEntry> e;
    if (m_scopeBottom.empty()) {
        e = ix.index->last();
    } else {
        std::string top = m_scopeBottom.substr(0, ix.index->keySize());
        top.resize(ix.index->keySize(), '\xFF');
        e = ix.index->prev(top, UINT32_MAX);
    }
    return positionAt(e, false) || (m_bof = true, false);
}

bool Table::inScope(const std::string& key) const {
    if (!m_scopeTop.empty() && key.compare(0, m_scopeTop.size(), m_scopeTop) < 0) return false;
    if (!m_scopeBottom.empty() && key.compare(0, m_scopeBottom.size(), m_scopeBottom) > 0) return false;
    return true;
}

// Makes the index entry `e` current; no entry, or one outside the scope,
// gives the end of the table.
bool Table::positionAt(const std::optional<IndexEntry>& e, bool) {
    if (!e || !inScope(e->key)) {
        refreshCount();
        setEof();
        return false;
    }
    if (e->recNo > m_count) refreshCount();
    if (e->recNo < 1 || e->recNo > m_count) {
        raiseCorruption(m_indexes[m_order - 1].index->path(), "seek",
                        "entry for record " + std::to_string(e->recNo) + " beyond the table's " +
                            std::to_string(m_count));
        setEof();
        return false;
    }
    if (!load(e->recNo)) return false;
    m_indexes[m_order - 1].currentKey = e->key;
    // The other indexes' keys are computed when first needed.
    if (m_indexes.size() == 1) m_keysValid = true;
    return true;
}

bool Table::doSkip(long count) {
    flush();
    m_found = false;
    return m_order == 0 ? skipPhysical(count) : skipIndexed(count);
}

bool Table::skipPhysical(long count) {
    if (count == 0) return m_eof ? false : load(recNo());
    if (m_eof && count > 0) return false;
    int64_t target = static_cast<int64_t>(recNo()) + count;
    if (target > m_count) refreshCount();
    if (target > static_cast<int64_t>(m_count)) {
        setEof();
        return false;
    }
    if (target < 1) {
        if (m_count == 0) {
            setEof();
            m_bof = true;
            return false;
        }
        load(1);
        m_bof = true;
        return false;
    }
    return load(static_cast<uint32_t>(target));
}

bool Table::skipIndexed(long count) {
    OpenIndex& ix = m_indexes[m_order - 1];
    if (count == 0) return m_eof ? false : load(recNo());
    if (m_eof) {
        if (count > 0) return false;
        if (!goBottom()) return false;
        ++count;
    }
    if (!m_keysValid && m_indexes.size() > 1) ix.currentKey = computeKey(ix);
    for (; count > 0; --count) {
        if (!positionAt(ix.index->next(ix.currentKey, recNo()), true)) return false;
    }
    for (; count < 0; ++count) {
        auto e = ix.index->prev(ix.currentKey, recNo());
        if (!e || !inScope(e->key)) {  // before the first key: stay on the first record
            goTop();
            m_bof = true;
            return false;
        }
        positionAt(e, false);
    }
    return !m_eof;
}

bool Table::doSeek(std::string_view key, bool soft) {
    flush();
    m_found = false;
    if (m_order == 0) {
        raiseUsage(path(), gen::kNoOrder, "seek", "no controlling index");
        return false;
    }
    OpenIndex& ix = m_indexes[m_order - 1];
    auto e = ix.index->lowerBound(key);
    std::string_view want = key.substr(0, ix.index->keySize());
    m_found = e && e->key.compare(0, want.size(), want) == 0 && inScope(e->key);
    if (!m_found && !soft) {
        refreshCount();
        setEof();
        m_bof = false;
        return false;
    }
    positionAt(e, true);
    return m_found;
}

// ---- indexes -------------------------------------------------------------------

NtxIndex* Table::index(int n) {
    if (n < 1 || n > indexCount()) return nullptr;
    return m_indexes[n - 1].index.get();
}

void Table::setOrder(int n) {
    flush();
    m_order = (n >= 0 && n <= indexCount()) ? n : 0;
    m_keysValid = false;
    placeInOrder();
}

void Table::setScope(std::string top, std::string bottom) {
    m_scopeTop = std::move(top);
    m_scopeBottom = std::move(bottom);
}

std::vector<KeyFunction> Table::keyFunctions() const {
    std::vector<KeyFunction> keys;
    for (const OpenIndex& ix : m_indexes) keys.push_back(ix.key);
    return keys;
}

void Table::closeIndexes() {
    flush();
    m_indexes.clear();
    m_order = 0;
    m_scopeTop.clear();
    m_scopeBottom.clear();
}

bool Table::openIndex(const std::string& path, KeyFunction key) {
    flush();
    auto index = NtxIndex::open(tablePath(path, ".NTX"), m_exclusive, m_readOnly);
    if (!index) return false;
    m_indexes.push_back(OpenIndex{std::move(index), std::move(key), {}});
    if (m_order == 0) m_order = 1;
    m_keysValid = false;
    return true;
}

// Reads every record in large slices, computes its key through the table's
// current record (so a key function that reads fields by name sees it), and
// writes the whole tree at once.
bool Table::createIndex(const std::string& path, const std::string& keyExpression, KeyFunction key) {
    flush();
    uint32_t keep = m_eof ? 0 : recNo();
    refreshCount();
    loadScratch(0, blankRecord());
    const size_t keySize = key(m_record).size();
    std::string keys;
    keys.reserve(keySize * m_count);
    const uint64_t rl = m_layout.header.recordLength;
    const uint32_t slice = static_cast<uint32_t>(std::max<uint64_t>(1, (4u << 20) / rl));
    std::string chunk;
    bool ok = true;
    for (uint32_t first = 1; ok && first <= m_count; first += slice) {
        uint32_t n = std::min(slice, m_count - first + 1);
        IoStatus s = m_file->read(m_layout.header.headerLength + (first - 1) * rl, n * rl, chunk);
        if (!s.ok() || chunk.size() != n * rl) {
            raiseCorruption(this->path(), "index", "records cut short: file truncated");
            ok = false;
            break;
        }
        for (uint32_t i = 0; i < n; ++i) {
            loadScratch(first + i, std::string_view(chunk).substr(i * rl, rl));
            std::string k = key(m_record);
            k.resize(keySize, ' ');
            keys += k;
        }
    }
    std::unique_ptr<NtxIndex> index;
    if (ok) {
        std::vector<BuildEntry> entries(m_count);
        for (uint32_t i = 0; i < m_count; ++i) entries[i] = BuildEntry{keys.data() + i * keySize, i + 1};
        index = NtxIndex::build(tablePath(path, ".NTX"), keyExpression, static_cast<int>(keySize), entries,
                                m_exclusive);
    }
    const bool built = index != nullptr;
    if (built) {
        m_indexes.push_back(OpenIndex{std::move(index), std::move(key), {}});
        m_order = indexCount();
    }
    if (keep) goTo(keep);
    else setEof();
    m_keysValid = false;
    return built;
}

}  // namespace mp::xbase

namespace mp::xbase {

// Every move ends here, so relations follow the table whatever moved it.
bool Table::goTo(uint32_t n) { return moved(doGoTo(n)); }
bool Table::goTop() { return moved(doGoTop()); }
bool Table::goBottom() { return moved(doGoBottom()); }
bool Table::skip(long count) { return moved(doSkip(count)); }
bool Table::seek(std::string_view key, bool soft) { return moved(doSeek(key, soft)); }

bool Table::moved(bool result) {
    if (m_moveListener) m_moveListener();
    return result;
}

}  // namespace mp::xbase
