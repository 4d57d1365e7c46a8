#pragma once

#include <QIcon>
#include <QString>

namespace platform {

/// What the desktop shell says about a file.
struct ShellFileInfo {
    /// The name the shell shows for the file: its file name.
    QString displayName;
    /// The description of the file's type; empty when the type is not known.
    QString typeName;
    /// The type's large icon; a plain page when the icon theme has none.
    QIcon icon;
};

/// Asks the shell about one file; nothing is filled for a path that does not exist.
ShellFileInfo shellFileInfo(const QString &path);

} // namespace platform
