#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace platform {

/// A file name from the system as text, without loss: valid UTF-8 is decoded,
/// and each byte that is not part of valid UTF-8 becomes the lone surrogate
/// U+DC80 to U+DCFF, which pathBytes() turns back into that byte.
QString pathText(const QByteArray &bytes);

/// The system's bytes for a path made by pathText() or typed by the user.
QByteArray pathBytes(const QString &path);

/// A path as the user reads it: each byte that pathText() could not decode is
/// shown as U+FFFD.
QString displayPath(const QString &path);

/// A file's identity on the system: the same for every path that leads to it.
struct FileId {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileId &) const = default;
};

/// What a path leads to, links followed; nothing when it leads nowhere.
struct PathStatus {
    FileId id;
    bool folder = false;
};
std::optional<PathStatus> pathStatus(const QString &path);

/// Whether path leads to a folder whose names may be read.
bool isReadableFolder(const QString &path);

/// Whether something (a link included) exists at path.
bool pathExists(const QString &path);

/// open(2) that also reaches paths longer than the system's limit, by opening
/// them folder by folder relative to the folder above. -1 with errno on failure.
int openPath(const QString &path, int flags);

} // namespace platform
