#include "documents/archivereader.h"

#include <archive.h>
#include <archive_entry.h>

#include <QFileInfo>

#include <cstdio>

namespace {

/// Bytes asked of the source at a time.
constexpr qsizetype BlockSize = qsizetype{64} * 1024;

const QStringList &archiveTypes() {
    static const QStringList types{
        QStringLiteral("zip"), QStringLiteral("7z"),   QStringLiteral("tar"),
        QStringLiteral("tgz"), QStringLiteral("tbz"),  QStringLiteral("tbz2"),
        QStringLiteral("txz"), QStringLiteral("tzst"), QStringLiteral("cpio"),
        QStringLiteral("iso"), QStringLiteral("rar")};
    return types;
}

const QStringList &compressionTypes() {
    static const QStringList types{QStringLiteral("gz"), QStringLiteral("bz2"),
                                   QStringLiteral("xz"), QStringLiteral("zst"),
                                   QStringLiteral("lz4")};
    return types;
}

QString typeOf(QStringView name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    const qsizetype slash = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    return dot > slash + 1 ? name.mid(dot + 1).toString().toLower() : QString();
}

bool isAscii(const char *text) {
    for (; *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80)
            return false;
    return true;
}

// A name from a member header: UTF-8 where the container says so, else its
// bytes decoded as text is. Most names are ASCII, the same in every
// encoding, and are taken as they are, without libarchive's conversion.
QString memberName(archive_entry *entry) {
    const char *raw = archive_entry_pathname(entry);
    if (raw && isAscii(raw))
        return QString::fromLatin1(raw);
    if (const char *utf8 = archive_entry_pathname_utf8(entry))
        return QString::fromUtf8(utf8);
    return raw ? QString::fromLocal8Bit(raw) : QString();
}

} // namespace

ArchiveReader::ArchiveReader(Source source, const QString &name, Seek seek, qint64 size)
    : source_(std::move(source)), seek_(std::move(seek)), size_(size),
      archive_(archive_read_new(), archive_read_free) {
    archive *a = archive_.get();
    archive_read_support_filter_all(a);
    // Only formats with a signature: those that parse any text (mtree) would
    // take a compressed log for a list of names.
    archive_read_support_format_tar(a);
    archive_read_support_format_cpio(a);
    const QString type = typeOf(name);
    if (!compressionTypes().contains(type)) {
        archive_read_support_format_zip(a);
        archive_read_support_format_7zip(a);
        archive_read_support_format_iso9660(a);
        archive_read_support_format_rar(a);
        archive_read_support_format_rar5(a);
    } else {
        // Read as the file it holds when no archive format claims what it unpacks to.
        archive_read_support_format_raw(a);
        const QString base = QFileInfo(name).fileName();
        compressedName_ = base.left(base.size() - type.size() - 1);
    }
}

ArchiveReader::ArchiveReader(Blocks blocks, const QString &name) : ArchiveReader(Source(), name) {
    blocks_ = std::move(blocks);
}

ArchiveReader::~ArchiveReader() = default;

bool ArchiveReader::isContainerName(QStringView name) {
    const QString type = typeOf(name);
    return !type.isEmpty() && (archiveTypes().contains(type) || compressionTypes().contains(type));
}

bool ArchiveReader::isCompressedName(QStringView name) {
    static const QStringList tarTypes{QStringLiteral("tgz"), QStringLiteral("tbz"),
                                      QStringLiteral("tbz2"), QStringLiteral("txz"),
                                      QStringLiteral("tzst")};
    const QString type = typeOf(name);
    return compressionTypes().contains(type) || tarTypes.contains(type);
}

bool ArchiveReader::needsSeeking(QStringView name) {
    return typeOf(name) == u"7z";
}

/// libarchive's way in to the reader's source.
struct ArchiveCallbacks {
    static la_ssize_t read(archive *, void *self, const void **buffer) {
        const qint64 n = static_cast<ArchiveReader *>(self)->readBlock(buffer);
        return n < 0 ? ARCHIVE_FATAL : static_cast<la_ssize_t>(n);
    }
    static la_int64_t seek(archive *, void *self, la_int64_t offset, int whence) {
        const qint64 at = static_cast<ArchiveReader *>(self)->seekTo(offset, whence);
        return at < 0 ? ARCHIVE_FATAL : at;
    }
};

qint64 ArchiveReader::seekTo(qint64 offset, int whence) {
    const qint64 base = whence == SEEK_END ? size_ : whence == SEEK_CUR ? position_ : 0;
    const qint64 at = seek_(base + offset);
    if (at >= 0)
        position_ = at;
    return at;
}

qint64 ArchiveReader::readBlock(const void **buffer) {
    qint64 n = 0;
    if (blocks_) {
        const char *bytes = nullptr;
        n = blocks_(&bytes);
        *buffer = bytes;
    } else {
        if (block_.isEmpty())
            block_.resize(BlockSize);
        *buffer = block_.constData();
        n = source_(block_.data(), block_.size());
    }
    position_ += std::max<qint64>(n, 0);
    return n;
}

void ArchiveReader::fail() {
    const char *text = archive_error_string(archive_.get());
    error_ = text ? QString::fromUtf8(text) : QStringLiteral("The archive cannot be read");
}

std::optional<ArchiveReader::Member> ArchiveReader::next() {
    if (!opened_) {
        opened_ = true;
        if (seek_ && size_ >= 0)
            archive_read_set_seek_callback(archive_.get(), ArchiveCallbacks::seek);
        if (archive_read_open(archive_.get(), this, nullptr, ArchiveCallbacks::read, nullptr) !=
            ARCHIVE_OK) {
            fail();
            return std::nullopt;
        }
    }
    archive_entry *entry = nullptr;
    for (;;) {
        const int status = archive_read_next_header(archive_.get(), &entry);
        if (status == ARCHIVE_EOF)
            return std::nullopt;
        if (status < ARCHIVE_WARN) {
            fail();
            return std::nullopt;
        }
        if (archive_entry_filetype(entry) == AE_IFREG)
            break;
    }
    Member member;
    const bool raw = archive_format(archive_.get()) == ARCHIVE_FORMAT_RAW;
    member.name = raw ? compressedName_ : memberName(entry);
    member.size = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : -1;
    if (archive_entry_mtime_is_set(entry))
        member.modified = QDateTime::fromSecsSinceEpoch(archive_entry_mtime(entry));
    member.encrypted = archive_entry_is_encrypted(entry) > 0;
    return member;
}

qint64 ArchiveReader::read(char *to, qint64 room) {
    const la_ssize_t n = archive_read_data(archive_.get(), to, static_cast<size_t>(room));
    if (n < 0) {
        fail();
        return -1;
    }
    readBytes_ += n;
    return n;
}

qint64 ArchiveReader::unpackedBytes() const {
    // The filters' output counts what a compressed stream unpacked for
    // members passed over; a zip's members are unpacked only when read.
    return std::max<qint64>(readBytes_, archive_filter_bytes(archive_.get(), 0));
}
