#include "platform/xbase/locks.h"

namespace mp::xbase {

bool TableLocks::takeUse(bool exclusive) {
    LockKind kind = exclusive ? LockKind::Exclusive : LockKind::Shared;
    return m_file->lock(kind, kUseLockOffset, 1, false) == LockResult::Granted;
}

bool TableLocks::lockRecord(uint32_t recNo) {
    if (holdsRecord(recNo)) return true;
    if (m_file->lock(LockKind::Exclusive, recordLockOffset(recNo), 1, false) != LockResult::Granted)
        return false;
    m_records.insert(recNo);
    return true;
}

bool TableLocks::lockFile() {
    if (m_fileLocked) return true;
    if (m_file->lock(LockKind::Exclusive, kFileLockOffset, kFileLockLength, false) != LockResult::Granted)
        return false;
    m_fileLocked = true;
    return true;
}

bool TableLocks::lockAppend() {
    if (m_appendLocked) return true;
    if (m_file->lock(LockKind::Exclusive, kAppendLockOffset, 1, false) != LockResult::Granted) return false;
    m_appendLocked = true;
    return true;
}

void TableLocks::releaseAppend() {
    if (!m_appendLocked) return;
    m_file->unlock(kAppendLockOffset, 1);
    m_appendLocked = false;
}

void TableLocks::releaseRecord(uint32_t recNo) {
    if (m_records.erase(recNo) && !m_fileLocked) m_file->unlock(recordLockOffset(recNo), 1);
}

void TableLocks::releaseAll() {
    if (m_fileLocked || !m_records.empty()) m_file->unlock(kFileLockOffset, kFileLockLength);
    m_records.clear();
    m_fileLocked = false;
    releaseAppend();
}

}  // namespace mp::xbase
