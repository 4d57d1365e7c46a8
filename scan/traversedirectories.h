#pragma once

#include <QString>
#include <QStringList>

class StatusSink;

/// The directory walk of a directory-tree scan.
namespace TraverseDirectories {

/// Appends the full path of every regular file under folder to found: a
/// folder's files (sorted by name) before its subfolders, subfolders walked
/// depth first in name order. Each folder is visited once however links lead
/// to it, virtual file systems are not entered, and a folder that cannot be
/// read is skipped. Shows "Checking <folder>..." for each folder.
void TraverseFolder(const QString &folder, bool recurse, QStringList &found, StatusSink &status);

/// The characters before the first NUL.
QString CutAtNul(const QString &text);

} // namespace TraverseDirectories
