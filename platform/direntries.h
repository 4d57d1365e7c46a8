#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace platform {

/// One entry of a folder listing. Links are resolved: a link to a file is a
/// file, and link tells that it was reached through a link.
struct DirEntry {
    enum class Kind { File, Directory, Other };
    QByteArray name;
    Kind kind = Kind::Other;
    bool link = false;
    /// The inode of the file, or of a link's target; a quick first check
    /// before a file is told apart by its full identity.
    quint64 inode = 0;
};

/// A folder's entries sorted by name (byte order), without "." and "..", with
/// what the walk needs to visit each folder once and to stay out of virtual
/// file systems.
struct DirListing {
    bool opened = false;
    QString error; ///< the system's description when the folder could not be read
    bool virtualFileSystem = false;
    quint64 device = 0;
    quint64 inode = 0;
    std::vector<DirEntry> entries;
};

/// Reads a folder, however long its path. keepGoing, when given, is asked
/// every few thousand entries; false ends the listing early (opened stays true).
DirListing listDirectory(const QString &folder, const std::function<bool()> &keepGoing = {});

} // namespace platform
