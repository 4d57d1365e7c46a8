#include "platform/direntries.h"

#include <QFile>
#include <algorithm>
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

DirEntry::Kind kindOf(int dirFd, const dirent *entry) {
    switch (entry->d_type) {
    case DT_REG:
        return DirEntry::Kind::File;
    case DT_DIR:
        return DirEntry::Kind::Directory;
    case DT_LNK:
    case DT_UNKNOWN: {
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, 0) != 0)
            return DirEntry::Kind::Other;
        if (S_ISREG(st.st_mode))
            return DirEntry::Kind::File;
        return S_ISDIR(st.st_mode) ? DirEntry::Kind::Directory : DirEntry::Kind::Other;
    }
    default:
        return DirEntry::Kind::Other;
    }
}

} // namespace

DirListing listDirectory(const QString &folder) {
    DirListing listing;
    const QByteArray path = QFile::encodeName(folder.isEmpty() ? QStringLiteral("/") : folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return listing;
    struct stat st {};
    struct statfs fs {};
    if (::fstat(fd, &st) != 0 || ::fstatfs(fd, &fs) != 0) {
        ::close(fd);
        return listing;
    }
    listing.device = st.st_dev;
    listing.inode = st.st_ino;
    listing.virtualFileSystem = isVirtualType(fs.f_type) || isDevFileSystem(st.st_dev);
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return listing;
    }
    listing.opened = true;
    if (!listing.virtualFileSystem) {
        while (const dirent *entry = ::readdir(dir)) {
            const char *name = entry->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            listing.entries.push_back({QByteArray(name), kindOf(fd, entry)});
        }
    }
    ::closedir(dir);
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const DirEntry &a, const DirEntry &b) { return a.name < b.name; });
    return listing;
}

} // namespace platform
