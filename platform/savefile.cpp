#include "platform/savefile.h"

#include "platform/inputfile.h"
#include "platform/outputfile.h"
#include "platform/pathname.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

/// Closes a descriptor on every way out.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

QByteArray realTarget(const QByteArray &name) {
    char resolved[PATH_MAX];
    return ::realpath(name.constData(), resolved) ? QByteArray(resolved) : name;
}

/// Every extended attribute of from (access control lists among them) set on
/// to; false when one of them could not be kept.
bool copyAttributes(int from, int to) {
    const ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size <= 0)
        return size == 0 || errno == ENOTSUP;
    std::vector<char> names(size_t(size) + 1, '\0');
    const ssize_t listed = ::flistxattr(from, names.data(), names.size());
    if (listed < 0)
        return false;
    for (const char *name = names.data(); name < names.data() + listed; name += strlen(name) + 1) {
        const ssize_t length = ::fgetxattr(from, name, nullptr, 0);
        if (length < 0)
            return false;
        std::vector<char> value(size_t(length) + 1);
        const ssize_t read = ::fgetxattr(from, name, value.data(), value.size());
        if (read < 0 || ::fsetxattr(to, name, value.data(), size_t(read), 0) != 0)
            return false;
    }
    return true;
}

bool writeInPlace(const QByteArray &target, QByteArrayView bytes, QString &error) {
    Descriptor file{::open(target.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0 || !writeAll(file.fd, bytes) || ::ftruncate(file.fd, bytes.size()) != 0 ||
        ::fsync(file.fd) != 0) {
        error = errorText(errno);
        return false;
    }
    return true;
}

} // namespace

std::optional<FileStamp> fileStamp(const QString &path) {
    struct stat st {};
    if (::stat(pathBytes(path).constData(), &st) != 0)
        return std::nullopt;
    return FileStamp{qint64(st.st_size),
                     qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                     quint64(st.st_dev), quint64(st.st_ino)};
}

bool replaceFileContent(const QString &path, QByteArrayView bytes, SaveWay &way, QString &error) {
    const QByteArray target = realTarget(pathBytes(path));
    Descriptor old{::open(target.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY)};
    struct stat st {};
    if (old.fd < 0 || ::fstat(old.fd, &st) != 0) {
        error = errorText(errno);
        return false;
    }
    if (::access(target.constData(), W_OK) != 0) {
        error = errorText(errno);
        return false;
    }
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : target.left(qMax<qsizetype>(slash, 1));
    QByteArray copyName = folder + "/." + target.mid(slash + 1) + ".saving-XXXXXX";
    Descriptor copy{::mkostemp(copyName.data(), O_CLOEXEC)};
    if (copy.fd < 0) {
        way = SaveWay::InPlaceNoFolder;
        return writeInPlace(target, bytes, error);
    }
    if (!writeAll(copy.fd, bytes) || ::fsync(copy.fd) != 0) {
        error = errorText(errno);
        ::unlink(copyName.constData());
        return false;
    }
    const bool keepsAll = st.st_nlink == 1 && ::fchown(copy.fd, st.st_uid, st.st_gid) == 0 &&
                          ::fchmod(copy.fd, st.st_mode & 07777) == 0 &&
                          copyAttributes(old.fd, copy.fd) && ::fsync(copy.fd) == 0;
    if (keepsAll && ::rename(copyName.constData(), target.constData()) == 0) {
        way = SaveWay::Replaced;
        Descriptor dir{::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
        if (dir.fd >= 0)
            ::fsync(dir.fd);
        return true;
    }
    way = SaveWay::InPlace;
    if (!writeInPlace(target, bytes, error)) {
        error += QStringLiteral("; the new content is kept in ") + displayPath(pathText(copyName));
        return false;
    }
    ::unlink(copyName.constData());
    return true;
}

} // namespace platform
