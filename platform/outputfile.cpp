#include "platform/outputfile.h"

#include "platform/inputfile.h"
#include "platform/pathname.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

OutputFile::~OutputFile() {
    discard();
}

bool OutputFile::fail(int errorNumber) {
    error_ = errorText(errorNumber);
    discard();
    return false;
}

void OutputFile::discard() {
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
    const qsizetype cut = target_.lastIndexOf('/');
    temporary_ = target_.left(cut + 1) + '.' + target_.mid(cut + 1) + ".XXXXXX";
    fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        temporary_.clear();
        return fail(error);
    }
    // The report gets the permissions a new file would get, or the old report's.
    mode_t mode = st.st_mode & 07777;
    if (!exists) {
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
