#include "platform/xbase/table.h"

#include <cctype>
#include <cstring>
#include <ctime>

#include "platform/runtime/error.h"
#include "platform/runtime/files.h"
#include "platform/xbase/byte_order.h"
#include "platform/xbase/field_codec.h"

namespace mp::xbase {
namespace {

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

void today(int& y, int& m, int& d) {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    y = tm.tm_year + 1900;
    m = tm.tm_mon + 1;
    d = tm.tm_mday;
}

void raiseBusy(const std::string& path, int genCode, const std::string& operation) {
    ErrorRecord e;
    e.genCode = genCode;
    e.osCode = oscode::kSharingViolation;
    e.subsystem = "DBFNTX";
    e.description = genCode == gen::kOpen ? "table in use elsewhere" : "append lock held elsewhere";
    e.fileName = path;
    e.operation = operation;
    e.canDefault = true;
    raiseError(e);
}

}  // namespace

std::string tablePath(const std::string& path, const char* extension) {
    std::string native = nativePath(path);
    size_t slash = native.find_last_of('/');
    size_t dot = native.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) native += extension;
    return findFile(native);
}

// ---- Record ---------------------------------------------------------------

int Record::fieldIndex(std::string_view name) const {
    for (size_t i = 0; i < m_fields->size(); ++i)
        if (sameName((*m_fields)[i].name, name)) return static_cast<int>(i);
    return -1;
}

std::string_view Record::raw(int i) const {
    return std::string_view(m_bytes).substr((*m_offsets)[i], (*m_fields)[i].width);
}

Value Record::value(int i) const {
    if (i < 0 || i >= static_cast<int>(m_fields->size())) return Value();
    return decodeField((*m_fields)[i], raw(i));
}

Value Record::value(std::string_view name) const { return value(fieldIndex(name)); }

// ---- create / open --------------------------------------------------------

bool Table::create(const std::string& path, const FieldList& fields, CreateOptions options) {
    std::string native = tablePath(path, ".DBF");
    if (auto why = checkFieldList(fields)) {
        raiseUsage(native, gen::kCreate, "create", *why);
        return false;
    }
    FieldList upper = fields;
    for (FieldDef& f : upper)
        for (char& c : f.name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    DbfHeader h;
    today(h.year, h.month, h.day);
    h.languageDriver = options.languageDriver;
    std::string bytes = encodeHeaderBlock(h, upper) + kEndOfFile;
    IoStatus s;
    auto file = openPosixFile(native, OpenFlags::CreateTruncate, s);
    if (file && (s = file->write(0, bytes)).ok()) s = file->sync();
    if (s.ok()) return true;
    raiseIoError(native, s, gen::kCreate, "create");
    return false;
}

Table::Table(std::unique_ptr<RandomFile> file, DbfLayout layout, bool exclusive, bool readOnly)
    : m_file(std::move(file)), m_locks(m_file.get()), m_layout(std::move(layout)),
      m_exclusive(exclusive), m_readOnly(readOnly) {
    m_record.m_fields = &m_layout.fields;
    m_record.m_offsets = &m_layout.offsets;
    m_count = m_layout.header.recordCount;
}

Table::~Table() {
    flush();
    m_locks.releaseAll();
}

std::unique_ptr<Table> Table::open(const std::string& path, OpenOptions options) {
    resetBusy();
    std::string native = tablePath(path, ".DBF");
    IoStatus s;
    std::unique_ptr<RandomFile> file;
    for (;;) {
        file = openPosixFile(native, options.readOnly ? OpenFlags::ReadOnly : OpenFlags::ReadWrite, s);
        if (file || !raiseIoError(native, s, gen::kOpen, "open")) break;
    }
    if (!file) return nullptr;
    TableLocks use(file.get());
    if (!use.takeUse(options.exclusive)) {
        raiseBusy(native, gen::kOpen, "open");
        return nullptr;
    }
    std::string head;
    uint64_t size = 0;
    if (!(s = file->read(0, 65536 + kDbfHeaderSize, head)).ok() || !(s = file->size(size)).ok()) {
        raiseIoError(native, s, gen::kRead, "open");
        return nullptr;
    }
    std::string why;
    auto layout = decodeHeaderBlock(head, why);
    if (!layout) {
        raiseCorruption(native, "open", why);
        return nullptr;
    }
    std::unique_ptr<Table> t(new Table(std::move(file), std::move(*layout), options.exclusive, options.readOnly));
    if (!t->recoverCount(size)) return nullptr;
    t->doGoTop();
    return t;
}

// The header's count against the file size: fewer records in the header than
// in the file is what a crash between writing a record and updating the
// header leaves, and is mended; more is damage.
bool Table::recoverCount(uint64_t fileSize) {
    const uint64_t hl = m_layout.header.headerLength, rl = m_layout.header.recordLength;
    uint64_t whole = fileSize < hl ? 0 : (fileSize - hl) / rl;
    if (fileSize < hl || m_count > whole) {
        raiseCorruption(path(), "open",
                        "header counts " + std::to_string(m_count) + " records, the file holds " +
                            std::to_string(whole));
        return false;
    }
    if (whole == m_count || m_readOnly) return true;
    if (!m_exclusive && !m_locks.lockAppend()) return true;  // an append is under way elsewhere
    uint32_t count = 0;
    refreshCount();
    std::string flag;
    for (count = m_count; count < whole; ++count) {
        if (!m_file->read(hl + count * rl, 1, flag).ok() || flag.empty() ||
            (flag[0] != kLiveMark && flag[0] != kDeletedMark))
            break;
    }
    bool ok = count == m_count || writeHeaderCount(count);
    m_locks.releaseAppend();
    return ok;
}

bool Table::refreshCount() {
    std::string b;
    IoStatus s = m_file->read(4, 4, b);
    if (!s.ok() || b.size() != 4) {
        raiseIoError(path(), s.ok() ? IoStatus{EIO, "read"} : s, gen::kRead, "count");
        return false;
    }
    m_count = getU32(b.data());
    return true;
}

uint32_t Table::recordCount() {
    refreshCount();
    return m_count;
}

bool Table::writeHeaderCount(uint32_t count) {
    char b[7];
    int y, m, d;
    today(y, m, d);
    b[0] = static_cast<char>(y - 1900);
    b[1] = static_cast<char>(m);
    b[2] = static_cast<char>(d);
    putU32(b + 3, count);
    IoStatus s = m_file->write(1, std::string_view(b, 7));
    if (!s.ok()) {
        raiseIoError(path(), s, gen::kWrite, "append");
        return false;
    }
    m_count = count;
    m_layout.header.recordCount = count;
    return true;
}

// ---- records ---------------------------------------------------------------

std::string Table::blankRecord() const { return std::string(m_layout.header.recordLength, ' '); }

bool Table::readRaw(uint32_t recNo, std::string& out) {
    const uint64_t rl = m_layout.header.recordLength;
    IoStatus s = m_file->read(m_layout.header.headerLength + (recNo - 1) * rl, rl, out);
    if (!s.ok()) {
        raiseIoError(path(), s, gen::kRead, "read");
        return false;
    }
    if (out.size() != rl) {
        raiseCorruption(path(), "read", "record " + std::to_string(recNo) + " cut short: file truncated");
        return false;
    }
    return true;
}

void Table::loadScratch(uint32_t recNo, std::string_view bytes) {
    m_record.m_bytes.assign(bytes);
    m_record.m_recNo = recNo;
    m_keysValid = false;
}

bool Table::load(uint32_t recNo) {
    std::string bytes;
    if (!readRaw(recNo, bytes)) {
        setEof();
        return false;
    }
    m_record.m_bytes = std::move(bytes);
    m_record.m_recNo = recNo;
    m_keysValid = false;
    m_bof = m_eof = false;
    return true;
}

void Table::setEof() {
    m_record.m_bytes = blankRecord();
    m_record.m_recNo = m_count + 1;
    m_eof = true;
    m_keysValid = false;
}

std::string Table::computeKey(const OpenIndex& ix) const {
    return ix.index->padKey(ix.key(m_record));
}

std::string Table::keyOf(int n) const {
    if (n < 1 || n > indexCount()) return {};
    return computeKey(m_indexes[n - 1]);
}

void Table::ensureKeys() {
    if (m_keysValid) return;
    for (OpenIndex& ix : m_indexes) ix.currentKey = computeKey(ix);
    m_keysValid = true;
}

bool Table::canWrite(const char* operation) {
    if (m_readOnly) {
        raiseUsage(path(), gen::kReadOnly, operation, "table opened for reading only");
        return false;
    }
    if (m_eof) {
        raiseUsage(path(), gen::kUnlocked, operation, "no current record (end of table)");
        return false;
    }
    if (!m_exclusive && !m_locks.holdsRecord(recNo())) {
        raiseUsage(path(), gen::kUnlocked, operation, "record " + std::to_string(recNo()) + " not locked");
        return false;
    }
    return true;
}

bool Table::setValue(int i, const Value& v) {
    if (i < 0 || i >= static_cast<int>(fields().size())) {
        raiseUsage(path(), gen::kArgument, "replace", "no field number " + std::to_string(i + 1));
        return false;
    }
    if (!canWrite("replace")) return false;
    ensureKeys();
    const FieldDef& f = fields()[i];
    EncodeResult r = encodeField(f, v, &m_record.m_bytes[m_layout.offsets[i]]);
    if (r != EncodeResult::Ok) {
        bool type = r == EncodeResult::WrongType;
        raiseUsage(path(), type ? gen::kDataType : gen::kDataWidth, "replace",
                   (type ? "value of the wrong type for field " : "number too wide for field ") + f.name);
        return false;
    }
    m_dirty = true;
    return true;
}

bool Table::setValue(std::string_view name, const Value& v) {
    int i = fieldIndex(name);
    if (i < 0) {
        raiseUsage(path(), gen::kNoVariable, "replace", "no field " + std::string(name));
        return false;
    }
    return setValue(i, v);
}

bool Table::setDeleted(bool deleted) {
    if (!canWrite(deleted ? "delete" : "recall")) return false;
    ensureKeys();
    m_record.m_bytes[0] = deleted ? kDeletedMark : kLiveMark;
    m_dirty = true;
    return true;
}

// Record to the file first, then every index whose key changed: a crash in
// between leaves a readable record and an index the check reports.
bool Table::flush() {
    if (!m_dirty) return true;
    m_dirty = false;
    const uint64_t rl = m_layout.header.recordLength;
    IoStatus s = m_file->write(m_layout.header.headerLength + (recNo() - 1) * rl, m_record.m_bytes);
    if (!s.ok()) {
        raiseIoError(path(), s, gen::kWrite, "write");
        return false;
    }
    m_needSync = true;
    bool ok = true;
    for (OpenIndex& ix : m_indexes) {
        std::string key = computeKey(ix);
        if (m_unindexed) ok = ix.index->insert(key, recNo()) && ok;
        else if (key != ix.currentKey) ok = ix.index->replace(ix.currentKey, key, recNo()) && ok;
        ix.currentKey = key;
    }
    m_unindexed = false;
    return ok;
}

bool Table::commit() {
    bool ok = flush();
    if (!m_needSync) return ok;
    IoStatus s = m_file->sync();
    if (!s.ok()) {
        raiseIoError(path(), s, gen::kWrite, "commit");
        ok = false;
    }
    for (OpenIndex& ix : m_indexes) ok = ix.index->sync() && ok;
    m_needSync = false;
    return ok;
}

// ---- locks and append --------------------------------------------------------

bool Table::lockRecord() {
    if (m_eof) return false;
    return lockRecord(recNo());
}

bool Table::lockRecord(uint32_t n) {
    if (m_exclusive) return true;
    bool had = m_locks.holdsRecord(n);
    if (!m_locks.lockRecord(n)) return false;
    if (!had && n == recNo() && !m_eof && !m_dirty) load(n);  // see the last committed version
    return true;
}

bool Table::lockFile() {
    if (m_exclusive) return true;
    if (!m_locks.lockFile()) return false;
    if (!m_eof && !m_dirty) load(recNo());
    return true;
}

void Table::unlockAll() {
    flush();
    m_locks.releaseAll();
}

bool Table::isLocked(uint32_t n) const { return m_exclusive || m_locks.holdsRecord(n); }

bool Table::append() {
    resetBusy();
    if (m_readOnly) {
        raiseUsage(path(), gen::kReadOnly, "append", "table opened for reading only");
        return false;
    }
    if (!flush()) return false;
    if (!m_exclusive && !m_locks.lockAppend()) {
        raiseBusy(path(), gen::kAppendLock, "append");
        return false;
    }
    bool ok = refreshCount();
    uint32_t n = m_count + 1;
    if (ok && n > kMaxRecords) {
        raiseUsage(path(), gen::kLimit, "append", "table full");
        ok = false;
    }
    if (ok && !m_exclusive && !m_locks.lockRecord(n)) {  // the file lock is held elsewhere
        m_locks.releaseAppend();
        raiseBusy(path(), gen::kAppendLock, "append");
        return false;
    }
    std::string bytes = blankRecord() + kEndOfFile;
    const uint64_t rl = m_layout.header.recordLength;
    IoStatus s;
    if (ok && !(s = m_file->write(m_layout.header.headerLength + (n - 1) * rl, bytes)).ok()) {
        raiseIoError(path(), s, gen::kWrite, "append");
        ok = false;
    }
    ok = ok && writeHeaderCount(n);
    m_locks.releaseAppend();
    if (!ok) return false;
    m_needSync = true;
    loadScratch(n, std::string_view(bytes).substr(0, rl));
    m_bof = m_eof = m_found = false;
    ensureKeys();
    // The keys go into the indexes when the record is written (assignments
    // done, or the cursor leaves it), so a new record costs one index change.
    m_unindexed = m_dirty = !m_indexes.empty();
    return moved(ok);
}

}  // namespace mp::xbase
