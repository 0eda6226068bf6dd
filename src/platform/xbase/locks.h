#pragma once

// The lock scheme shared by every process that opens our tables. All locks
// are byte-range locks on the table (.DBF) file far beyond its data, so they
// never stop anyone reading; doc/xbase.md lists the ranges.
//
//   append lock     byte  1,000,000,000                 (length 1)
//   record n lock   byte  1,000,000,000 + n             (length 1, n >= 1)
//   file lock       bytes 1,000,000,001 .. 1,999,999,999 (covers every record lock)
//   use lock        byte  2,000,000,000: shared (read) lock while open shared,
//                   exclusive (write) lock while open exclusive
//   index update    byte  1,000,000,000 of the .NTX file: exclusive while a
//                   process changes the index, shared while one reads it

#include <cstdint>
#include <set>

#include "platform/xbase/file_io.h"

namespace mp::xbase {

constexpr uint64_t kLockBase = 1'000'000'000;
constexpr uint64_t kAppendLockOffset = kLockBase;
constexpr uint64_t kFileLockOffset = kLockBase + 1;
constexpr uint64_t kFileLockLength = 999'999'999;
constexpr uint64_t kUseLockOffset = 2'000'000'000;
constexpr uint64_t kIndexLockOffset = kLockBase;

inline uint64_t recordLockOffset(uint32_t recNo) { return kLockBase + recNo; }

// The locks one open table holds. Every attempt is non-blocking: a lock held
// elsewhere gives false at once; waiting is the caller's policy.
class TableLocks {
public:
    explicit TableLocks(RandomFile* file) : m_file(file) {}
    TableLocks(const TableLocks&) = delete;
    TableLocks& operator=(const TableLocks&) = delete;

    // The use lock taken at open: exclusive for exclusive use.
    bool takeUse(bool exclusive);
    bool lockRecord(uint32_t recNo);   // true at once when already held
    bool lockFile();
    bool lockAppend();
    void releaseAppend();
    void releaseRecord(uint32_t recNo);
    // Drops every record, file and append lock; the use lock stays.
    void releaseAll();

    bool holdsRecord(uint32_t recNo) const { return m_fileLocked || m_records.count(recNo) > 0; }
    bool holdsFile() const { return m_fileLocked; }
    const std::set<uint32_t>& records() const { return m_records; }

private:
    RandomFile* m_file;
    std::set<uint32_t> m_records;
    bool m_fileLocked = false;
    bool m_appendLocked = false;
};

}  // namespace mp::xbase
