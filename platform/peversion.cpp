#include "platform/peversion.h"
#include "platform/pathname.h"

#include <QList>
#include <QtEndian>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

// Reads size bytes at offset into out; false when they are not all there.
using ReadAt = std::function<bool(quint64 offset, char *out, quint32 size)>;

constexpr quint32 ResourceTypeVersion = 16;
constexpr quint32 VersionInfoId = 1;
constexpr quint32 SubdirectoryFlag = 0x80000000u;
// A version block's length is a 16-bit count, so no resource needs more.
constexpr quint32 MaxVersionSize = 0xFFFF;
constexpr quint32 MaxResourceEntries = 4096;

quint16 u16(const char *p) {
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const char *p) {
    return qFromLittleEndian<quint32>(p);
}

struct Section {
    quint32 virtualAddress = 0;
    quint32 virtualSize = 0;
    quint32 rawSize = 0;
    quint32 rawOffset = 0;
};

struct ResourceEntry {
    quint32 name = 0;
    quint32 offset = 0;
    bool isId() const { return !(name & SubdirectoryFlag); }
    bool isDirectory() const { return offset & SubdirectoryFlag; }
    quint32 target() const { return offset & ~SubdirectoryFlag; }
};

qsizetype align4(qsizetype offset) {
    return (offset + 3) & ~qsizetype(3);
}

// One block of a version resource: length, value length, type, key, value, children.
struct Block {
    qsizetype end = 0;
    QString key;
    VersionValue value;
    qsizetype children = 0;
};

std::optional<Block> parseBlock(QByteArrayView data, qsizetype start, qsizetype limit) {
    if (start + 6 > limit)
        return std::nullopt;
    const char *p = data.data();
    const quint16 length = u16(p + start);
    if (length < 6 || start + length > limit)
        return std::nullopt;
    Block block;
    block.end = start + length;
    qsizetype at = start + 6;
    for (;; at += 2) {
        if (at + 2 > block.end)
            return std::nullopt;
        const char16_t c = u16(p + at);
        if (c == 0)
            break;
        block.key += QChar(c);
    }
    block.value.length = u16(p + start + 2);
    block.value.text = u16(p + start + 4) == 1;
    const qsizetype valueStart = std::min(align4(at + 2), block.end);
    const qsizetype declared =
        block.value.text ? 2 * qsizetype(block.value.length) : qsizetype(block.value.length);
    const qsizetype valueEnd = std::min(valueStart + declared, block.end);
    block.value.bytes = data.sliced(valueStart, valueEnd - valueStart);
    block.children = std::min(align4(valueEnd), block.end);
    return block;
}

std::optional<Block> findChild(QByteArrayView data, const Block &parent, QStringView key) {
    qsizetype at = parent.children;
    while (at + 6 <= parent.end) {
        std::optional<Block> child = parseBlock(data, at, parent.end);
        if (!child)
            return std::nullopt;
        if (child->key.compare(key, Qt::CaseInsensitive) == 0)
            return child;
        at = align4(child->end);
    }
    return std::nullopt;
}

class PeImage {
  public:
    explicit PeImage(ReadAt read) : read_(std::move(read)) {}

    QByteArray versionInfo() {
        if (!readHeaders())
            return {};
        const std::optional<quint32> leaf = findVersionLeaf();
        if (!leaf)
            return {};
        return readLeaf(*leaf);
    }

  private:
    bool readBytes(quint64 offset, quint32 size, QByteArray &out) const {
        out.resize(size);
        return read_(offset, out.data(), size);
    }

    bool readHeaders() {
        QByteArray dos, pe;
        if (!readBytes(0, 64, dos) || dos[0] != 'M' || dos[1] != 'Z')
            return false;
        const quint32 peOffset = u32(dos.constData() + 0x3C);
        if (!readBytes(peOffset, 24, pe) || !pe.startsWith(QByteArrayView("PE\0\0", 4)))
            return false;
        const quint16 sectionCount = u16(pe.constData() + 6);
        const quint16 optionalSize = u16(pe.constData() + 20);
        const quint64 optionalOffset = quint64(peOffset) + 24;
        QByteArray optional;
        if (optionalSize < 2 || !readBytes(optionalOffset, optionalSize, optional))
            return false;
        quint32 countOffset = 0;
        switch (u16(optional.constData())) {
        case 0x10B: // PE32
            countOffset = 92;
            break;
        case 0x20B: // PE32+
            countOffset = 108;
            break;
        default:
            return false;
        }
        const quint32 resourceDirectory = countOffset + 4 + 2 * 8;
        if (optionalSize < resourceDirectory + 8 || u32(optional.constData() + countOffset) < 3)
            return false;
        resourceRva_ = u32(optional.constData() + resourceDirectory);
        if (resourceRva_ == 0 || u32(optional.constData() + resourceDirectory + 4) == 0)
            return false;
        return readSections(optionalOffset + optionalSize, sectionCount);
    }

    bool readSections(quint64 offset, quint16 count) {
        QByteArray table;
        if (count == 0 || !readBytes(offset, quint32(count) * 40, table))
            return false;
        for (quint16 i = 0; i < count; ++i) {
            const char *p = table.constData() + qsizetype(i) * 40;
            sections_.push_back({u32(p + 12), u32(p + 8), u32(p + 16), u32(p + 20)});
        }
        return true;
    }

    // The file offset of size bytes at an address of the loaded image, when all
    // of them lie in the stored part of one section.
    std::optional<quint64> fileOffset(quint64 rva, quint32 size) const {
        for (const Section &s : sections_) {
            const quint64 extent = std::max(s.virtualSize, s.rawSize);
            if (rva < s.virtualAddress || rva - s.virtualAddress >= extent)
                continue;
            const quint64 within = rva - s.virtualAddress;
            if (within + size > s.rawSize)
                return std::nullopt;
            return quint64(s.rawOffset) + within;
        }
        return std::nullopt;
    }

    bool readImage(quint64 rva, quint32 size, QByteArray &out) const {
        const std::optional<quint64> offset = fileOffset(rva, size);
        return offset && readBytes(*offset, size, out);
    }

    std::vector<ResourceEntry> directory(quint32 offset) const {
        QByteArray header, table;
        if (!readImage(quint64(resourceRva_) + offset, 16, header))
            return {};
        const quint32 count = std::min<quint32>(
            u16(header.constData() + 12) + u16(header.constData() + 14), MaxResourceEntries);
        if (count == 0 || !readImage(quint64(resourceRva_) + offset + 16, count * 8, table))
            return {};
        std::vector<ResourceEntry> entries(count);
        for (quint32 i = 0; i < count; ++i)
            entries[i] = {u32(table.constData() + qsizetype(i) * 8),
                          u32(table.constData() + qsizetype(i) * 8 + 4)};
        return entries;
    }

    // Type RT_VERSION, then the resource numbered 1 (or else the first one),
    // then its first language.
    std::optional<quint32> findVersionLeaf() const {
        std::optional<ResourceEntry> type, name;
        for (const ResourceEntry &e : directory(0)) {
            if (e.isId() && e.name == ResourceTypeVersion && e.isDirectory()) {
                type = e;
                break;
            }
        }
        if (!type)
            return std::nullopt;
        for (const ResourceEntry &e : directory(type->target())) {
            if (!e.isDirectory())
                continue;
            if (!name || (e.isId() && e.name == VersionInfoId && name->name != VersionInfoId))
                name = e;
        }
        if (!name)
            return std::nullopt;
        for (const ResourceEntry &e : directory(name->target()))
            if (!e.isDirectory())
                return e.target();
        return std::nullopt;
    }

    QByteArray readLeaf(quint32 offset) const {
        QByteArray entry, data;
        if (!readImage(quint64(resourceRva_) + offset, 16, entry))
            return {};
        const quint32 size = std::min(u32(entry.constData() + 4), MaxVersionSize);
        if (size < 6 || !readImage(u32(entry.constData()), size, data))
            return {};
        // The block says how long it is; what follows is padding.
        const quint16 length = u16(data.constData());
        if (length < 6 || length > size)
            return {};
        data.truncate(length);
        const std::optional<Block> root = parseBlock(data, 0, data.size());
        if (!root || root->key != QLatin1String("VS_VERSION_INFO"))
            return {};
        return data;
    }

    ReadAt read_;
    quint32 resourceRva_ = 0;
    std::vector<Section> sections_;
};

class FileDescriptor {
  public:
    explicit FileDescriptor(const QString &path)
        : fd_(::open(pathBytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

bool readFully(int fd, quint64 offset, char *out, quint32 size) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, out, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        out += n;
        offset += quint64(n);
        size -= quint32(n);
    }
    return true;
}

} // namespace

QByteArray peVersionInfo(QByteArrayView image) {
    PeImage pe([image](quint64 offset, char *out, quint32 size) {
        if (offset > quint64(image.size()) || size > quint64(image.size()) - offset)
            return false;
        std::copy_n(image.data() + offset, size, out);
        return true;
    });
    return pe.versionInfo();
}

QByteArray fileVersionInfo(const QString &path) {
    const FileDescriptor file(path);
    struct stat st {};
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    PeImage pe([fd = file.get()](quint64 offset, char *out, quint32 size) {
        return readFully(fd, offset, out, size);
    });
    return pe.versionInfo();
}

std::optional<VersionValue> verQueryValue(QByteArrayView block, QStringView subBlock) {
    std::optional<Block> current = parseBlock(block, 0, block.size());
    for (const QStringView key : subBlock.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        if (!current)
            return std::nullopt;
        current = findChild(block, *current, key);
    }
    if (!current)
        return std::nullopt;
    return current->value;
}

QString versionText(const VersionValue &value) {
    QString text;
    const char *p = value.bytes.data();
    for (qsizetype at = 0; at + 2 <= value.bytes.size(); at += 2) {
        const char16_t c = u16(p + at);
        if (c == 0)
            break;
        text += QChar(c);
    }
    return text;
}

} // namespace platform
