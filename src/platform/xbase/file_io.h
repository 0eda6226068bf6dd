#pragma once

// Files and byte-range locks as the engine uses them. Every operating-system
// failure becomes an IoStatus here and is handed to the error handler in one
// place (raiseIoError), so no other file of the engine looks at errno.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace mp::xbase {

// The outcome of one file operation: ok, or the errno and what was attempted.
struct IoStatus {
    int error = 0;          // errno, 0 when it worked
    const char* operation = "";
    bool ok() const { return error == 0; }
    static IoStatus success() { return {}; }
};

enum class LockKind { Shared, Exclusive };
enum class LockResult { Granted, Busy, Failed };

// A file read and written at byte offsets, with byte-range locks that belong
// to this open file (an open-file description): closing another descriptor of
// the same file never drops them, and two RandomFile objects on one file
// conflict with each other just as two computers do.
class RandomFile {
public:
    virtual ~RandomFile() = default;
    // Reads up to `length` bytes at `offset` into `out`; a short result means end of file.
    virtual IoStatus read(uint64_t offset, size_t length, std::string& out) = 0;
    virtual IoStatus write(uint64_t offset, std::string_view bytes) = 0;
    virtual IoStatus size(uint64_t& out) = 0;
    virtual IoStatus truncate(uint64_t length) = 0;
    virtual IoStatus sync() = 0;  // data on the disk before it returns
    // Never waits unless `wait`; a conflicting lock of another open gives Busy.
    virtual LockResult lock(LockKind kind, uint64_t offset, uint64_t length, bool wait) = 0;
    virtual void unlock(uint64_t offset, uint64_t length) = 0;
    virtual const std::string& path() const = 0;
    // True when a read without any lock sees every write another process has
    // finished: a local disk file system, where all processes share one page
    // cache. False on network file systems (and anything unknown), where only
    // taking a lock makes this computer fetch other computers' changes.
    virtual bool unlockedReadsCurrent() const { return false; }
};

enum class OpenFlags { ReadOnly, ReadWrite, CreateTruncate };

// Opens `path` (already resolved with findFile). nullptr with `status` set on failure.
std::unique_ptr<RandomFile> openPosixFile(const std::string& path, OpenFlags flags, IoStatus& status);

// Hands a failed file operation to the error handler as an error record with
// the operating-system code of the failure. Returns the handler's wish to retry.
bool raiseIoError(const std::string& path, const IoStatus& s, int genCode, const std::string& operation);
// Reports a damaged file: general code "corruption", the file name and why.
void raiseCorruption(const std::string& path, const std::string& operation, const std::string& why);
// Reports misuse by the caller (writing without a lock, a wrong type, ...).
void raiseUsage(const std::string& path, int genCode, const std::string& operation, const std::string& why);

}  // namespace mp::xbase
