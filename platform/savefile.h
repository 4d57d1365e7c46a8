#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace platform {

/// What identifies one version of a file on disk: a change by another
/// program changes at least one of these.
struct FileStamp {
    qint64 size = 0;
    qint64 modifiedNs = 0;
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileStamp &) const = default;
};

/// The stamp of the file at path; nothing when it cannot be read.
std::optional<FileStamp> fileStamp(const QString &path);

/// How replaceFileContent wrote the file.
enum class SaveWay {
    Replaced,        ///< a new file beside took the old one's name, attributes copied
    InPlace,         ///< written into the file itself after a synced copy beside
    InPlaceNoFolder, ///< written into the file itself: its folder cannot be written
};

/// Gives the file at path (through links) the content bytes and keeps all
/// else: owner, group, mode, access control lists, extended attributes and
/// hard links. Normally the content goes to a new file beside it, synced,
/// with the old file's attributes, which then takes the old file's name. A
/// file with several names, or whose owner or attributes the new file could
/// not keep, is written in place, after a complete copy of the content was
/// synced beside it; that copy stays, and error names it, if writing in place
/// fails. A folder that cannot be written leaves only writing in place. On
/// failure error says why and the file is as before, or the copy named.
bool replaceFileContent(const QString &path, QByteArrayView bytes, SaveWay &way, QString &error);

} // namespace platform
