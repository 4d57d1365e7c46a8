#include "platform/outputfile.h"

#include "platform/inputfile.h"
#include "platform/pathname.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

/// Links followed at most, as the system does.
constexpr int MaxLinks = 40;

QByteArray folderOf(const QByteArray &name) {
    const qsizetype cut = name.lastIndexOf('/');
    return cut < 0 ? QByteArray(".") : name.left(qMax<qsizetype>(cut, 1));
}

/// 0 when every link that leads from name to a file may be followed: in a
/// sticky folder anyone may write to, only a link of the writer's or of the
/// folder's owner (the kernel's rule for protected links); else why not.
int linksMayBeFollowed(QByteArray name) {
    for (int hops = 0;; ++hops) {
        struct stat link {};
        if (::lstat(name.constData(), &link) != 0 || !S_ISLNK(link.st_mode))
            return 0;
        if (hops == MaxLinks)
            return ELOOP;
        const QByteArray folder = folderOf(name);
        struct stat dir {};
        if (::stat(folder.constData(), &dir) != 0)
            return errno;
        const bool shared = (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH);
        if (shared && link.st_uid != ::geteuid() && link.st_uid != dir.st_uid)
            return EACCES;
        char to[PATH_MAX];
        const ssize_t length = ::readlink(name.constData(), to, sizeof to);
        if (length < 0)
            return errno;
        name = to[0] == '/' ? QByteArray(to, length) : folder + '/' + QByteArray(to, length);
    }
}

/// Writes are gathered into blocks of this size.
constexpr qsizetype BlockBytes = qsizetype(64) * 1024;

} // namespace

bool writeAll(int fd, QByteArrayView bytes) {
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

/// The report's bytes, gathered into blocks; a block the system refuses
/// leaves its reason as the file's error.
class OutputFile::Device : public QIODevice {
  public:
    explicit Device(OutputFile &file) : file_(file) { QIODevice::open(WriteOnly | Unbuffered); }

    bool writeBlock() {
        const bool written = writeAll(file_.fd_, block_);
        const int error = errno;
        block_.clear();
        if (!written) {
            file_.error_ = errorText(error);
            setErrorString(file_.error_);
        }
        return written;
    }
    void drop() { block_.clear(); }

  protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override {
        block_.append(data, size);
        return block_.size() < BlockBytes || writeBlock() ? size : -1;
    }

  private:
    OutputFile &file_;
    QByteArray block_;
};

OutputFile::OutputFile() : device_(std::make_unique<Device>(*this)) {}

OutputFile::~OutputFile() {
    discard();
}

QIODevice &OutputFile::device() {
    return *device_;
}

bool OutputFile::fail(int errorNumber) {
    error_ = errorText(errorNumber);
    discard();
    return false;
}

void OutputFile::discard() {
    device_->drop();
    if (ownsDescriptor_ && fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.isEmpty())
        ::unlink(temporary_.constData());
    temporary_.clear();
}

bool OutputFile::open(const QString &path) {
    discard();
    target_ = pathBytes(path);
    ownsDescriptor_ = true;
    if (const int refused = linksMayBeFollowed(target_))
        return fail(refused);
    struct stat st {};
    const bool exists = ::stat(target_.constData(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        fd_ = ::open(target_.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        return fd_ >= 0 || fail(errno);
    }
    // A report the user may not write is not replaced behind their back.
    if (exists && ::access(target_.constData(), W_OK) != 0)
        return fail(errno);
    // A link keeps leading to the report: the file it names is replaced.
    if (exists) {
        if (char *real = ::realpath(target_.constData(), nullptr)) {
            target_ = real;
            std::free(real);
        }
    }
    temporary_ = folderOf(target_) + "/." + target_.mid(target_.lastIndexOf('/') + 1) + ".XXXXXX";
    fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        temporary_.clear();
        return fail(error);
    }
    // The report gets the permissions a new file would get, or the old
    // report's owner and permissions; a report never runs as its owner.
    mode_t mode = st.st_mode & 0777;
    if (exists) {
        if (::fchown(fd_, st.st_uid, st.st_gid) != 0)
            (void)::fchown(fd_, uid_t(-1), st.st_gid);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd_, mode);
    return true;
}

std::optional<FileId> OutputFile::identity() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}

bool OutputFile::openStandardOutput() {
    discard();
    ownsDescriptor_ = false;
    fd_ = STDOUT_FILENO;
    return true;
}

bool OutputFile::commit() {
    if (fd_ < 0)
        return fail(EBADF);
    if (!device_->writeBlock()) {
        discard();
        return false;
    }
    if (!ownsDescriptor_) {
        // Standard output stays open; a copy is closed to learn of a late failure.
        const int copy = ::dup(fd_);
        if (copy < 0 || ::close(copy) != 0)
            return fail(errno);
        return true;
    }
    const int fd = fd_;
    fd_ = -1;
    if (!temporary_.isEmpty() && ::fsync(fd) != 0 && errno != EINVAL) {
        const int error = errno;
        ::close(fd);
        return fail(error);
    }
    if (::close(fd) != 0)
        return fail(errno);
    if (!temporary_.isEmpty() && ::rename(temporary_.constData(), target_.constData()) != 0)
        return fail(errno);
    temporary_.clear();
    return true;
}

} // namespace platform
