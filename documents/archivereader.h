#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

struct archive;

/// The members of an archive (zip, 7z, tar, cpio, iso, rar) or of a single
/// compressed file, read in order through libarchive and streamed: only the
/// current member's next block is held. The caller reads the outer bytes, so
/// an archive inside an archive is read from its parent's member as it
/// unpacks.
class ArchiveReader {
  public:
    /// Fills to with up to room bytes of the container: 0 at its end, -1 on failure.
    using Source = std::function<qint64(char *to, qint64 room)>;

    struct Member {
        QString name;      ///< its path inside the container, as the container stores it
        qint64 size = -1;  ///< unpacked bytes, -1 when the container does not say
        QDateTime modified;
        bool encrypted = false;
    };

    /// name is the container's own name: a single compressed file's member is
    /// named after it without the compression's suffix.
    ArchiveReader(Source source, const QString &name);
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader &) = delete;
    ArchiveReader &operator=(const ArchiveReader &) = delete;

    /// The next regular file, or none at the end or on a failure (errorString()).
    std::optional<Member> next();
    /// The current member's next bytes: 0 at its end, -1 on failure.
    qint64 read(char *to, qint64 room);
    /// Bytes unpacked so far, those of members passed over included.
    qint64 unpackedBytes() const;
    QString errorString() const { return error_; }

    /// True for the names of the containers read: by type, as a tree file's
    /// reader is chosen ("logs.tar.gz", "a.zip", "syslog.2.gz").
    static bool isContainerName(QStringView name);

  private:
    friend struct ArchiveCallbacks;
    qint64 readBlock(const void **buffer);
    void fail();

    Source source_;
    QString compressedName_; ///< a single compressed file's member, when it is one
    std::unique_ptr<archive, int (*)(archive *)> archive_;
    QByteArray block_;
    bool opened_ = false;
    qint64 readBytes_ = 0;
    QString error_;
};
