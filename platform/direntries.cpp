#include "platform/direntries.h"

#include "platform/inputfile.h"
#include "platform/pathname.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace platform {
namespace {

// Kernel file systems whose "files" are not data: scanning them never ends
// (/proc/kcore) or blocks (/sys, /dev), so a scan of "/" stays out of them.
bool isVirtualType(long type) {
    switch (static_cast<unsigned long>(type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case 0x62656570: // configfs
    case 0x19800202: // mqueue
    case HUGETLBFS_MAGIC:
    case 0x65735543: // fusectl
    case EFIVARFS_MAGIC:
    case BINFMTFS_MAGIC:
    case AUTOFS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

// /dev is a tmpfs, not told apart by its type: recognise it by its device.
bool isDevFileSystem(dev_t device) {
    static const dev_t devDevice = [] {
        struct stat dev {
        }, root{};
        if (::stat("/dev", &dev) != 0 || ::stat("/", &root) != 0 || dev.st_dev == root.st_dev)
            return static_cast<dev_t>(-1);
        return dev.st_dev;
    }();
    return device == devDevice;
}

DirEntry::Kind kindOfMode(mode_t mode) {
    if (S_ISREG(mode))
        return DirEntry::Kind::File;
    return S_ISDIR(mode) ? DirEntry::Kind::Directory : DirEntry::Kind::Other;
}

DirEntry entryOf(int dirFd, const dirent64 *entry) {
    DirEntry result{QByteArray(entry->d_name), DirEntry::Kind::Other, entry->d_type == DT_LNK,
                    entry->d_ino};
    switch (entry->d_type) {
    case DT_REG:
        result.kind = DirEntry::Kind::File;
        break;
    case DT_DIR:
        result.kind = DirEntry::Kind::Directory;
        break;
    case DT_LNK:
    case DT_UNKNOWN: {
        struct stat st {};
        if (result.link || ::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            S_ISLNK(st.st_mode)) {
            result.link = true;
            if (::fstatat(dirFd, entry->d_name, &st, 0) != 0)
                break;
        }
        result.kind = kindOfMode(st.st_mode);
        result.inode = st.st_ino;
        break;
    }
    default:
        break;
    }
    return result;
}

bool isDotOrDotDot(const char *name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// The entries are read in large batches straight from the system: a tree has
// a folder for every few files, and each costs the calls of its listing.
void readEntries(int fd, DirListing &listing, const std::function<bool()> &keepGoing) {
    constexpr size_t AskEvery = 4096;
    alignas(dirent64) char buffer[32 * 1024];
    size_t read = 0;
    for (;;) {
        const ssize_t size = ::getdents64(fd, buffer, sizeof buffer);
        if (size < 0 && errno == EINTR)
            continue;
        if (size <= 0) {
            // A folder that opens but cannot be read to its end (a failing
            // disk, a vanished share) is reported; what was read is kept.
            if (size < 0)
                listing.error = errorText(errno);
            return;
        }
        for (ssize_t at = 0; at < size;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer + at);
            at += entry->d_reclen;
            if (!isDotOrDotDot(entry->d_name))
                listing.entries.push_back(entryOf(fd, entry));
            if (keepGoing && ++read % AskEvery == 0 && !keepGoing())
                return;
        }
    }
}

} // namespace

DirListing listDirectory(const QString &folder, const std::function<bool()> &keepGoing) {
    DirListing listing;
    const int fd = openPath(folder.isEmpty() ? QStringLiteral("/") : folder,
                            O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        listing.error = errorText(errno);
        return listing;
    }
    struct stat st {};
    struct statfs fs {};
    if (::fstat(fd, &st) != 0 || ::fstatfs(fd, &fs) != 0) {
        listing.error = errorText(errno);
        ::close(fd);
        return listing;
    }
    listing.device = st.st_dev;
    listing.inode = st.st_ino;
    listing.virtualFileSystem = isVirtualType(fs.f_type) || isDevFileSystem(st.st_dev);
    listing.opened = true;
    if (!listing.virtualFileSystem)
        readEntries(fd, listing, keepGoing);
    ::close(fd);
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const DirEntry &a, const DirEntry &b) { return a.name < b.name; });
    return listing;
}

} // namespace platform
