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
    /// Moves the container's bytes to offset from their start: the new
    /// position, -1 on failure. Formats with a directory at the end (7z, and
    /// zip read by its directory) need it.
    using Seek = std::function<qint64(qint64 offset)>;
    /// Hands over the container's next bytes in place, valid until the next
    /// call: their count, 0 at the end, -1 on failure. Spares a copy where
    /// the bytes already lie in blocks (unpacked ahead).
    using Blocks = std::function<qint64(const char **bytes)>;

    struct Member {
        QString name;     ///< its path inside the container, as the container stores it
        qint64 size = -1; ///< unpacked bytes, -1 when the container does not say
        QDateTime modified;
        bool encrypted = false;
    };

    /// name is the container's own name: a single compressed file's member is
    /// named after it without the compression's suffix.
    /// seek and size, where the container can be moved in, let it be read
    /// by its directory.
    ArchiveReader(Source source, const QString &name, Seek seek = {}, qint64 size = -1);
    ArchiveReader(Blocks blocks, const QString &name);
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
    /// True for a name whose type says it is compressed as a whole
    /// ("logs.tar.gz", "src.tgz", "syslog.2.gz").
    static bool isCompressedName(QStringView name);
    /// True for the names of containers read only by moving in them (7z):
    /// inside another container they are held whole first.
    static bool needsSeeking(QStringView name);

  private:
    friend struct ArchiveCallbacks;
    qint64 readBlock(const void **buffer);
    qint64 seekTo(qint64 offset, int whence);
    void fail();

    Source source_;
    Blocks blocks_;
    Seek seek_;
    qint64 size_ = -1;
    qint64 position_ = 0;    ///< of the container's bytes read
    QString compressedName_; ///< a single compressed file's member, when it is one
    std::unique_ptr<archive, int (*)(archive *)> archive_;
    QByteArray block_; ///< what source_ fills, made at its first read
    bool opened_ = false;
    qint64 readBytes_ = 0;
    QString error_;
};
