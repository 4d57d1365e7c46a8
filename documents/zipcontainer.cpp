#include "documents/zipcontainer.h"

#include <zip.h>

#include <QtEndian>

#include <cstring>

namespace {

void appendLittleEndian(QByteArray &to, quint32 value) {
    const quint32 le = qToLittleEndian(value);
    to.append(reinterpret_cast<const char *>(&le), 4);
}

// The entries that are whole from the start of the bytes, each with its
// local header, then a central directory and end record naming them; empty
// when not one is whole. An entry whose sizes follow its data (a streamed
// zip) cannot be measured, so the walk ends there.
QByteArray completeEntries(QByteArrayView bytes) {
    constexpr qsizetype LocalHeaderSize = 30;
    QByteArray entries, directory;
    quint16 count = 0;
    qsizetype at = 0;
    while (at + LocalHeaderSize <= bytes.size() && bytes.sliced(at).startsWith("PK\x03\x04") &&
           count < 0xFFFF) {
        const auto *header = reinterpret_cast<const uchar *>(bytes.data() + at);
        const quint16 flags = qFromLittleEndian<quint16>(header + 6);
        const qint64 packed = qFromLittleEndian<quint32>(header + 18);
        const qsizetype nameSize = qFromLittleEndian<quint16>(header + 26);
        const qsizetype extraSize = qFromLittleEndian<quint16>(header + 28);
        const qint64 end = at + LocalHeaderSize + nameSize + extraSize + packed;
        if ((flags & 0x08) || end > bytes.size())
            break;
        QByteArray record("PK\x01\x02\x14\x00", 6);
        record.append(reinterpret_cast<const char *>(header + 4), 26); // version .. extra size
        record[30] = record[31] = 0;         // the local extra field is not repeated
        record.append(QByteArray(10, '\0')); // comment, disk, attributes
        appendLittleEndian(record, quint32(entries.size()));
        record.append(reinterpret_cast<const char *>(header + LocalHeaderSize), nameSize);
        directory += record;
        entries += bytes.sliced(at, end - at);
        ++count;
        at = end;
    }
    if (count == 0)
        return {};
    QByteArray end("PK\x05\x06\0\0\0\0", 8);
    for (const quint32 value : {quint32(count) | quint32(count) << 16, quint32(directory.size()),
                                quint32(entries.size())})
        appendLittleEndian(end, value);
    end.append("\0\0", 2);
    return entries + directory + end;
}

// Where the entries end: the start of the central directory, found from the
// end record (the whole file for a zip64 directory or a damaged end record).
qint64 entriesEnd(QByteArrayView bytes) {
    constexpr qsizetype EndRecordSize = 22;
    const qsizetype end = bytes.lastIndexOf(QByteArrayView("PK\x05\x06"));
    if (end < 0 || bytes.size() - end < EndRecordSize)
        return bytes.size();
    const auto *at = reinterpret_cast<const uchar *>(bytes.data() + end);
    const qint64 directorySize = qFromLittleEndian<quint32>(at + 12);
    return directorySize <= end ? end - directorySize : bytes.size();
}

} // namespace

class ZipContainer::Entry : public ByteSource {
  public:
    Entry(zip_file_t *file, qint64 &budget, StopToken stop)
        : file_(file), budget_(budget), stop_(stop) {}
    ~Entry() override { zip_fclose(file_); }
    Entry(const Entry &) = delete;
    Entry &operator=(const Entry &) = delete;

    qint64 read(char *to, qint64 max) override {
        if (stop_.stopped())
            return -1;
        if (budget_ <= 0)
            return 0;
        const zip_int64_t n = zip_fread(file_, to, zip_uint64_t(qMin(max, budget_)));
        if (n > 0)
            budget_ -= n;
        return n;
    }

  private:
    zip_file_t *file_;
    qint64 &budget_;
    StopToken stop_;
};

ZipContainer::ZipContainer() = default;

ZipContainer::~ZipContainer() {
    if (archive_)
        zip_discard(archive_);
}

bool ZipContainer::looksLikeZip(QByteArrayView bytes) {
    return bytes.startsWith("PK\x03\x04");
}

bool ZipContainer::open(QByteArrayView bytes, qint64 inflateBudget, StopToken stop) {
    if (openArchive(bytes, inflateBudget, stop))
        return true;
    // A cut-off or damaged zip: its complete entries, found from their own
    // headers as unzip finds them, under a directory made for them.
    repaired_ = completeEntries(bytes);
    damaged_ = !repaired_.isEmpty() && openArchive(repaired_, inflateBudget, stop);
    return damaged_;
}

bool ZipContainer::openArchive(QByteArrayView bytes, qint64 inflateBudget, StopToken stop) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source =
        zip_source_buffer_create(bytes.data(), zip_uint64_t(bytes.size()), 0, &error);
    if (source)
        archive_ = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (source && !archive_)
        zip_source_free(source);
    zip_error_fini(&error);
    budget_ = inflateBudget;
    stop_ = stop;
    if (archive_ && entriesOverlap(bytes)) {
        zip_discard(archive_);
        archive_ = nullptr;
    }
    return archive_ != nullptr;
}

// Entries that share their compressed bytes (a crafted zip lets thousands of
// names inflate one block again and again) take more room together than the
// entries' part of the file; entries laid end to end never do.
bool ZipContainer::entriesOverlap(QByteArrayView bytes) const {
    constexpr qint64 LocalHeaderSize = 30;
    const qint64 room = entriesEnd(bytes);
    qint64 total = 0;
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive_, zip_uint64_t(i), ZIP_FL_UNCHANGED, &stat) != 0)
            continue;
        const char *name = zip_get_name(archive_, zip_uint64_t(i), ZIP_FL_ENC_RAW);
        total += LocalHeaderSize + (name ? qint64(std::strlen(name)) : 0);
        if (stat.valid & ZIP_STAT_COMP_SIZE)
            total += qint64(qMin<zip_uint64_t>(stat.comp_size, zip_uint64_t(room) + 1));
        if (total > room)
            return true;
    }
    return false;
}

qint64 ZipContainer::index(const QString &name) const {
    if (!archive_)
        return -1;
    return zip_name_locate(archive_, name.toUtf8().constData(), ZIP_FL_ENC_GUESS);
}

QStringList ZipContainer::names() const {
    QStringList out;
    const zip_int64_t count = archive_ ? zip_get_num_entries(archive_, 0) : 0;
    for (zip_int64_t i = 0; i < count; ++i)
        if (const char *name = zip_get_name(archive_, zip_uint64_t(i), ZIP_FL_ENC_GUESS))
            out.append(QString::fromUtf8(name));
    return out;
}

bool ZipContainer::contains(const QString &name) const {
    return index(name) >= 0;
}

bool ZipContainer::isEncrypted(const QString &name) const {
    const qint64 at = index(name);
    zip_stat_t stat;
    return at >= 0 && zip_stat_index(archive_, zip_uint64_t(at), 0, &stat) == 0 &&
           (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE;
}

std::unique_ptr<ByteSource> ZipContainer::entry(const QString &name) {
    const qint64 at = index(name);
    // A stopped reading opens no more parts (a package may list thousands).
    if (at < 0 || isEncrypted(name) || stop_.stopped())
        return nullptr;
    zip_file_t *file = zip_fopen_index(archive_, zip_uint64_t(at), 0);
    if (!file)
        return nullptr;
    return std::make_unique<Entry>(file, budget_, stop_);
}

QByteArray ZipContainer::readAll(const QString &name, qint64 maxBytes) {
    QByteArray out;
    const std::unique_ptr<ByteSource> source = entry(name);
    if (!source)
        return out;
    char block[64 * 1024];
    for (qint64 n;
         out.size() < maxBytes &&
         (n = source->read(block, qMin<qint64>(sizeof block, maxBytes - out.size()))) > 0;)
        out.append(block, n);
    return out;
}
