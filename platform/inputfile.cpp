#include "platform/inputfile.h"

#include "platform/pathname.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace platform {

namespace {
constexpr off_t kSequentialAdviceBytes = off_t(256) * 1024;
}

QString errorText(int errorNumber) {
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

InputFile::~InputFile() {
    close();
    reuseFolders(false);
}

void InputFile::reuseFolders(bool on) {
    reuseFolders_ = on;
    if (!on)
        closeFolder();
}

void InputFile::closeFolder() {
    if (folderFd_ >= 0)
        ::close(folderFd_);
    folderFd_ = -1;
    folder_.clear();
}

int InputFile::openFile(const QString &path, int flags) {
    if (!reuseFolders_)
        return openPath(path, flags);
    const QByteArray bytes = pathBytes(path);
    const qsizetype slash = bytes.lastIndexOf('/');
    // A name at the root, a path ending in a separator and a path too long
    // for one call go the usual way.
    if (slash <= 0 || slash == bytes.size() - 1 || bytes.size() >= PATH_MAX)
        return openPath(path, flags);
    const QByteArrayView folder(bytes.constData(), slash);
    if (folderFd_ < 0 || folder != folder_) {
        closeFolder();
        folder_ = folder.toByteArray();
        folderFd_ = ::open(folder_.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folderFd_ < 0) // the whole path tells what is wrong
            return openPath(path, flags);
    }
    return ::openat(folderFd_, bytes.constData() + slash + 1, flags);
}

bool InputFile::open(const QString &path) {
    close();
    error_.clear();
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below anyway.
    const int fd = openFile(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        error_ = errorText(errno);
        return false;
    }
    return adopt(fd);
}

bool InputFile::adopt(int fd) {
    close();
    error_.clear();
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error_ = S_ISDIR(st.st_mode) ? errorText(EISDIR) : QStringLiteral("Not a regular file");
        ::close(fd);
        return false;
    }
    // A regular file ignores O_NONBLOCK, so it stays set: clearing it cost two calls per file.
    // Read-ahead advice pays only beyond the kernel's own first read-ahead window.
    if (st.st_size > kSequentialAdviceBytes)
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    fd_ = fd;
    size_ = st.st_size;
    position_ = 0;
    firstRead_ = true;
    waited_ = false;
    return true;
}

// The first read asks the cache only; when the start of the file is not there
// it is read from the device as usual, and the wait is noted.
qint64 InputFile::readFirst(char *buffer, qint64 size) {
    firstRead_ = false;
    iovec part{buffer, static_cast<size_t>(size)};
    const ssize_t n = ::preadv2(fd_, &part, 1, -1, RWF_NOWAIT);
    if (n >= 0)
        return n;
    waited_ = errno == EAGAIN;
    return -2;
}

bool InputFile::adoptBytes(QByteArrayView bytes) {
    close();
    const int fd = ::memfd_create("quarrix-member", MFD_CLOEXEC);
    if (fd < 0) {
        error_ = errorText(errno);
        return false;
    }
    const char *at = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = errorText(n < 0 ? errno : ENOSPC);
            ::close(fd);
            return false;
        }
        at += n;
        left -= n;
    }
    return ::lseek(fd, 0, SEEK_SET) == 0 ? adopt(fd) : (::close(fd), false);
}

qint64 InputFile::seek(qint64 offset) {
    const off_t at = fd_ < 0 ? -1 : ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET);
    if (at < 0) {
        error_ = errorText(fd_ < 0 ? EBADF : errno);
        return -1;
    }
    firstRead_ = false;
    position_ = at;
    return at;
}

qint64 InputFile::read(char *buffer, qint64 size) {
    if (fd_ < 0) {
        error_ = errorText(EBADF);
        return -1;
    }
    // Most files are read in one go: the size they had when opened spares
    // the call that would find their end. A file of no size (as the kernel's
    // own files say) is read until the system finds its end.
    if (size_ > 0 && position_ >= size_)
        return 0;
    if (firstRead_ && size > 0) {
        if (const qint64 n = readFirst(buffer, size); n >= 0) {
            position_ += n;
            return n;
        }
    }
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, static_cast<size_t>(size));
        if (n >= 0) {
            position_ += n;
            return n;
        }
        if (errno != EINTR) {
            error_ = errorText(errno);
            return -1;
        }
    }
}

void InputFile::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

} // namespace platform
