#include "platform/xbase/file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include "platform/runtime/error.h"

namespace mp::xbase {
namespace {

IoStatus failed(const char* op) { return IoStatus{errno ? errno : EIO, op}; }

// Local disk file systems: every process of this computer reads and writes
// the file through one page cache. Anything else (NFS, SMB, FUSE, unknown)
// counts as shared over a network; so does overlayfs, where a reader opened
// before a copy-up keeps reading the lower file.
bool onLocalDisk(int fd) {
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // xfs
    case 0x9123683E:  // btrfs
    case 0x01021994:  // tmpfs
    case 0xF2F52010:  // f2fs
    case 0x2FC12FC1:  // zfs
        return true;
    default:
        return false;
    }
}

class PosixFile final : public RandomFile {
public:
    PosixFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)), m_local(onLocalDisk(fd)) {}
    ~PosixFile() override { ::close(m_fd); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    IoStatus read(uint64_t offset, size_t length, std::string& out) override {
        out.resize(length);
        size_t done = 0;
        while (done < length) {
            ssize_t n = ::pread(m_fd, &out[done], length - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return failed("read");
            if (n == 0) break;
            done += static_cast<size_t>(n);
        }
        out.resize(done);
        return IoStatus::success();
    }
    IoStatus write(uint64_t offset, std::string_view bytes) override {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::pwrite(m_fd, bytes.data() + done, bytes.size() - done,
                                 static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return failed("write");
            done += static_cast<size_t>(n);
        }
        return IoStatus::success();
    }
    IoStatus size(uint64_t& out) override {
        struct stat st;
        if (::fstat(m_fd, &st) != 0) return failed("stat");
        out = static_cast<uint64_t>(st.st_size);
        return IoStatus::success();
    }
    IoStatus truncate(uint64_t length) override {
        if (::ftruncate(m_fd, static_cast<off_t>(length)) != 0) return failed("truncate");
        return IoStatus::success();
    }
    IoStatus sync() override {
        if (::fdatasync(m_fd) != 0) return failed("sync");
        return IoStatus::success();
    }
    LockResult lock(LockKind kind, uint64_t offset, uint64_t length, bool wait) override {
        struct flock fl;
        std::memset(&fl, 0, sizeof fl);
        fl.l_type = kind == LockKind::Shared ? F_RDLCK : F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = static_cast<off_t>(offset);
        fl.l_len = static_cast<off_t>(length);
        for (;;) {
            if (::fcntl(m_fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return LockResult::Granted;
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EACCES) return LockResult::Busy;
            return LockResult::Failed;
        }
    }
    void unlock(uint64_t offset, uint64_t length) override {
        struct flock fl;
        std::memset(&fl, 0, sizeof fl);
        fl.l_type = F_UNLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = static_cast<off_t>(offset);
        fl.l_len = static_cast<off_t>(length);
        while (::fcntl(m_fd, F_OFD_SETLK, &fl) != 0 && errno == EINTR) {
        }
    }
    const std::string& path() const override { return m_path; }
    bool unlockedReadsCurrent() const override { return m_local; }

private:
    int m_fd;
    std::string m_path;
    bool m_local;
};

int osCodeOf(int err) {
    switch (err) {
    case ENOENT: return oscode::kFileNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return oscode::kAccessDenied;
    case EAGAIN: return oscode::kSharingViolation;
    default: return err;
    }
}

}  // namespace

std::unique_ptr<RandomFile> openPosixFile(const std::string& path, OpenFlags flags, IoStatus& status) {
    int mode = O_RDWR;
    if (flags == OpenFlags::ReadOnly) mode = O_RDONLY;
    if (flags == OpenFlags::CreateTruncate) mode = O_RDWR | O_CREAT | O_TRUNC;
    int fd = ::open(path.c_str(), mode | O_CLOEXEC, 0666);
    if (fd < 0) {
        status = failed("open");
        return nullptr;
    }
    status = IoStatus::success();
    return std::make_unique<PosixFile>(fd, path);
}

bool raiseIoError(const std::string& path, const IoStatus& s, int genCode, const std::string& operation) {
    ErrorRecord e;
    e.genCode = genCode;
    e.osCode = osCodeOf(s.error);
    e.subsystem = "DBFNTX";
    e.description = std::string(s.operation) + ": " + std::strerror(s.error);
    e.fileName = path;
    e.operation = operation;
    e.canRetry = true;
    e.canDefault = true;
    return raiseError(e).kind == ErrorAnswer::Kind::Retry;
}

void raiseCorruption(const std::string& path, const std::string& operation, const std::string& why) {
    ErrorRecord e;
    e.genCode = gen::kCorruption;
    e.subsystem = "DBFNTX";
    e.description = "damaged file: " + why;
    e.fileName = path;
    e.operation = operation;
    e.canDefault = true;
    raiseError(e);
}

void raiseUsage(const std::string& path, int genCode, const std::string& operation, const std::string& why) {
    ErrorRecord e;
    e.genCode = genCode;
    e.subsystem = "DBFNTX";
    e.description = why;
    e.fileName = path;
    e.operation = operation;
    e.canDefault = true;
    raiseError(e);
}

}  // namespace mp::xbase
