#pragma once

// One open table: its DBF file, its open NTX indexes, the cursor (current
// record, beginning- and end-of-table flags), the current record's bytes, and
// the locks this open holds. Deleted records stay visible to every move.
//
// Sharing: the record count is re-read from the header whenever a move goes
// to or past the end; a record is re-read when it is locked; a changed record
// reaches the disk and every open index before the cursor leaves it, before
// commit() and before locks are released. Writing needs the record locked,
// the file locked, or the table open exclusive.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/value.h"
#include "platform/xbase/dbf_format.h"
#include "platform/xbase/file_io.h"
#include "platform/xbase/locks.h"
#include "platform/xbase/ntx_index.h"

namespace mp::xbase {

// The current record of a table as a key function or a check sees it.
class Record {
public:
    const FieldList& fields() const { return *m_fields; }
    int fieldIndex(std::string_view name) const;  // without regard to case; -1 when absent
    Value value(int i) const;                     // blank of its kind past the end of the table
    Value value(std::string_view name) const;     // no value (Nil) when there is no such field
    std::string_view raw(int i) const;
    std::string_view bytes() const { return m_bytes; }  // flag byte + fields
    bool deleted() const { return !m_bytes.empty() && m_bytes[0] == kDeletedMark; }
    uint32_t recNo() const { return m_recNo; }

private:
    friend class Table;
    const FieldList* m_fields = nullptr;
    const std::vector<int>* m_offsets = nullptr;
    std::string m_bytes;
    uint32_t m_recNo = 0;
};

// Computes the key of the current record for an index: the evaluator's
// compiled key expression, or any C++ function for tools and tests.
using KeyFunction = std::function<std::string(const Record&)>;

struct OpenOptions {
    bool exclusive = false;
    bool readOnly = false;
};

struct CreateOptions {
    uint8_t languageDriver = kLanguageDriverThai874;
};

class Table {
public:
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;
    ~Table();  // writes a changed record, releases every lock

    // Writes a new empty table (replacing any file of that name). False after
    // raising the error.
    static bool create(const std::string& path, const FieldList& fields, CreateOptions options = {});
    // Opens `path` (found without regard to case; ".DBF" added when the name
    // has no extension). Resets the busy indication first. A table held
    // exclusively elsewhere, or held at all when asking for exclusive use,
    // raises the sharing error (general code open, OS code 32, can default)
    // so the handler can set the busy indication; nullptr then, as after any
    // other failure (missing file, damage).
    static std::unique_ptr<Table> open(const std::string& path, OpenOptions options = {});

    const std::string& path() const { return m_file->path(); }
    bool exclusive() const { return m_exclusive; }
    bool readOnly() const { return m_readOnly; }
    const FieldList& fields() const { return m_layout.fields; }
    int fieldIndex(std::string_view name) const { return m_record.fieldIndex(name); }
    const Record& record() const { return m_record; }
    uint8_t languageDriver() const { return m_layout.header.languageDriver; }

    uint32_t recordCount();  // re-read from the header
    uint32_t recNo() const { return m_record.m_recNo; }
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    bool found() const { return m_found; }
    bool deleted() const { return m_record.deleted(); }

    // Moves, in the controlling index's order when one is set (within its scope).
    bool goTop();
    bool goBottom();
    bool goTo(uint32_t recNo);  // physical; past the end gives end of table
    bool skip(long count = 1);
    // Seeks the first key that begins with `key`; with `soft`, a miss stops at
    // the first greater key instead of the end. Requires a controlling index.
    bool seek(std::string_view key, bool soft = false);

    Value value(int i) const { return m_record.value(i); }
    Value value(std::string_view name) const { return m_record.value(name); }
    // Assigns a field of the current record (held under a lock). Raises and
    // returns false for no lock, a wrong type, a number too wide, read-only use.
    bool setValue(int i, const Value& v);
    bool setValue(std::string_view name, const Value& v);
    bool setDeleted(bool deleted);  // mark / recall, same rules as setValue

    // Writes the changed record and its keys, then forces the table and its
    // indexes to the disk (fdatasync).
    bool commit();

    bool lockRecord();               // the current record; re-read once locked
    bool lockRecord(uint32_t recNo);
    bool lockFile();
    void unlockAll();                // after writing a changed record
    bool isLocked(uint32_t recNo) const;
    // Appends a blank record, locks it and makes it current; the busy
    // indication is reset first and a refused append lock raises the append
    // lock error (can default) for the handler to set it.
    bool append();

    // Indexes. Build writes the file anew from every record; the index
    // becomes the controlling one. The key function must give keys of one
    // width (that of a blank record).
    bool createIndex(const std::string& path, const std::string& keyExpression, KeyFunction key);
    bool openIndex(const std::string& path, KeyFunction key);
    void closeIndexes();
    int indexCount() const { return static_cast<int>(m_indexes.size()); }
    NtxIndex* index(int n);  // 1-based; nullptr out of range
    void setOrder(int n);    // 0: physical order
    int order() const { return m_order; }
    // Limits the controlling index to keys from `top` to `bottom` (each a
    // prefix, empty for no limit on that side).
    void setScope(std::string top, std::string bottom);
    void clearScope() { setScope({}, {}); }
    std::string keyOf(int n) const;  // key of the current record for index n
    std::vector<KeyFunction> keyFunctions() const;  // of the open indexes, in order

    // Called after every move (relations of the work areas hang here).
    void setMoveListener(std::function<void()> listener) { m_moveListener = std::move(listener); }

    // For maintenance and checks: the layout and raw record access.
    const DbfLayout& layout() const { return m_layout; }
    bool readRaw(uint32_t recNo, std::string& out);
    RandomFile& file() { return *m_file; }
    // Makes `bytes` the current record for key functions (no move, no write).
    void loadScratch(uint32_t recNo, std::string_view bytes);

private:
    struct OpenIndex {
        std::unique_ptr<NtxIndex> index;
        KeyFunction key;
        std::string currentKey;  // key of the current record as the index holds it
    };
    Table(std::unique_ptr<RandomFile> file, DbfLayout layout, bool exclusive, bool readOnly);

    bool doGoTop();
    bool doGoBottom();
    bool doGoTo(uint32_t recNo);
    bool doSkip(long count);
    bool doSeek(std::string_view key, bool soft);
    bool moved(bool result);
    void placeInOrder();
    bool refreshCount();
    bool recoverCount(uint64_t fileSize);
    bool load(uint32_t recNo);
    void setEof();
    bool flush();
    bool canWrite(const char* operation);
    void ensureKeys();
    bool writeHeaderCount(uint32_t count);
    std::string computeKey(const OpenIndex& ix) const;
    bool positionAt(const std::optional<IndexEntry>& e, bool forward);
    bool inScope(const std::string& key) const;
    bool skipIndexed(long count);
    bool skipPhysical(long count);
    std::string blankRecord() const;

    std::unique_ptr<RandomFile> m_file;
    TableLocks m_locks;
    DbfLayout m_layout;
    bool m_exclusive;
    bool m_readOnly;
    uint32_t m_count = 0;
    Record m_record;
    bool m_bof = false, m_eof = true, m_found = false;
    bool m_dirty = false;
    bool m_keysValid = false;
    bool m_needSync = false;
    bool m_unindexed = false;  // appended record whose keys are not yet in the indexes
    std::vector<OpenIndex> m_indexes;
    int m_order = 0;
    std::string m_scopeTop, m_scopeBottom;
    std::function<void()> m_moveListener;
};

// The path with ".DBF" / ".NTX" added when the file name has no extension,
// then found without regard to case.
std::string tablePath(const std::string& path, const char* extension);

}  // namespace mp::xbase
