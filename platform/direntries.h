#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace platform {

/// One entry of a folder listing. Links are resolved: a link to a file is a file.
struct DirEntry {
    enum class Kind { File, Directory, Other };
    QByteArray name;
    Kind kind = Kind::Other;
};

/// A folder's entries sorted by name (byte order), without "." and "..", with
/// what the walk needs to visit each folder once and to stay out of virtual
/// file systems.
struct DirListing {
    bool opened = false;
    bool virtualFileSystem = false;
    quint64 device = 0;
    quint64 inode = 0;
    std::vector<DirEntry> entries;
};

DirListing listDirectory(const QString &folder);

} // namespace platform
