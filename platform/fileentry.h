#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace platform {

/// The Windows file attribute bits that a directory entry carries.
namespace FileAttribute {
inline constexpr quint32 ReadOnly = 0x1;
inline constexpr quint32 Hidden = 0x2;
inline constexpr quint32 System = 0x4;
inline constexpr quint32 Directory = 0x10;
inline constexpr quint32 Archive = 0x20;
inline constexpr quint32 Temporary = 0x100;
inline constexpr quint32 Compressed = 0x800;
} // namespace FileAttribute

/// What a directory look-up tells about one entry. Links are followed (a
/// dangling link describes itself). Times are in UTC with their milliseconds.
struct FileEntry {
    quint32 attributes = 0;
    QDateTime creationTime;
    QDateTime lastAccessTime;
    QDateTime lastWriteTime;
    qint64 size = 0;
    /// The name as stored in its folder.
    QString longName;
    /// The 8.3 name when the volume keeps one; empty here, as none is kept.
    QString shortName;
};

/// Looks one path up. When its last component holds "*" or "?" and no entry of
/// that exact name exists, it is a pattern, and the first entry of the folder
/// (sorted by name) that it matches is taken. Nothing when no entry is found;
/// a volume root has no entry of its own.
std::optional<FileEntry> findFirstFile(const QString &path);

/// The space the file occupies on its volume in bytes (allocated blocks, less
/// than its size for a sparse or compressed file); -1 when it cannot be read.
qint64 onDiskSize(const QString &path);

} // namespace platform
