#pragma once

#include "scan/scaninterfaces.h"

#include <QString>
#include <QStringList>

/// The directory walk of a directory-tree scan.
namespace TraverseDirectories {

/// What the walk reports as it goes. Every call may answer Quit, which ends
/// the walk at once.
class WalkVisitor {
  public:
    virtual ~WalkVisitor() = default;
    /// A folder is about to be read (its path ends in a separator); Skip
    /// leaves it and everything below it out.
    virtual WalkState enterFolder(const QString &path) = 0;
    /// A regular file, or a link to one, and its inode (the target's for a
    /// link). Skip and Continue both go on.
    virtual WalkState visitFile(const QString &path, quint64 inode) = 0;
    /// A folder that could not be read, with the system's description.
    virtual WalkState folderError(const QString &path, const QString &description) = 0;
    /// A kernel file system (/proc, /sys, /dev) that the walk does not enter.
    virtual void kernelFileSystemSkipped(const QString &path) { (void)path; }
    /// Asked now and then while a large folder is read.
    virtual bool keepGoing() { return true; }
};

/// Offers every regular file under folder to the visitor: a folder's files
/// (sorted by name) before its subfolders, subfolders walked depth first in
/// name order. Links to files are files; links to folders are not followed
/// (the folder itself may be one). Each folder is visited once, kernel file
/// systems are not entered, and paths have no length limit. Quit when the
/// visitor stopped the walk, else Continue.
WalkState TraverseFolder(const QString &folder, bool recurse, WalkVisitor &visitor);

/// The same walk appending every file to found, with "Checking <folder>..."
/// for each folder and "Error: <description> (<path>)" for one that cannot be
/// read.
void TraverseFolder(const QString &folder, bool recurse, QStringList &found, StatusSink &status);

/// The characters before the first NUL.
QString CutAtNul(const QString &text);

} // namespace TraverseDirectories
