#include "documents/storagefile.h"

#include "platform/littleendian.h"

#include <QtEndian>

#include <vector>

namespace {

constexpr int SectorShift = 12; // 4096-byte sectors: no DIFAT up to 457 MB
constexpr qsizetype SectorSize = qsizetype(1) << SectorShift;
constexpr qsizetype MiniSectorSize = 64;
constexpr quint32 MiniCutoff = 4096; // smaller streams live in the mini stream
constexpr quint32 EndOfChain = 0xFFFFFFFE, FatSector = 0xFFFFFFFD, Free = 0xFFFFFFFF;
constexpr quint32 NoEntry = 0xFFFFFFFF;
constexpr int MaxDepth = 8, MaxEntries = 4096, HeaderFatSlots = 109;

using Node = CompoundWriter::Node;

qsizetype sectorsFor(qsizetype bytes, qsizetype sectorSize) {
    return (bytes + sectorSize - 1) / sectorSize;
}

void put32(QByteArray &out, qsizetype at, quint32 value) {
    qToLittleEndian(value, out.data() + at);
}

QByteArray directoryEntry(const Node &node) {
    QByteArray e(128, '\0');
    for (qsizetype i = 0; i < node.name.size(); ++i)
        qToLittleEndian<quint16>(node.name.at(i).unicode(), e.data() + 2 * i);
    qToLittleEndian<quint16>(quint16(2 * node.name.size() + 2), e.data() + 0x40);
    e[0x42] = char(node.type);
    e[0x43] = 1; // black
    put32(e, 0x44, NoEntry);
    put32(e, 0x48, node.right);
    put32(e, 0x4C, node.child);
    put32(e, 0x74, node.start);
    qToLittleEndian<quint64>(quint64(node.data.size()), e.data() + 0x78);
    return e;
}

/// Copies the storage's entries under `parent`; false past the bounds.
bool copy(const CompoundFile &file, quint32 storage, CompoundWriter &writer, quint32 parent,
          int depth) {
    for (const quint32 child : file.children(storage)) {
        const CompoundFile::Entry &entry = file.entries().at(child);
        if (entry.type == CompoundFile::Type::Stream) {
            if (!writer.addStream(parent, entry.name, file.stream(child)))
                return false;
        } else if (entry.type == CompoundFile::Type::Storage) {
            const quint32 inner = writer.addStorage(parent, entry.name);
            if (inner == NoEntry ||
                (depth < MaxDepth && !copy(file, child, writer, inner, depth + 1)))
                return false;
        }
    }
    return true;
}

} // namespace

quint32 CompoundWriter::add(quint32 parent, Node node) {
    if (nodes_.size() >= MaxEntries || parent >= nodes_.size())
        return NoEntry;
    bytes_ += node.data.size();
    if (bytes_ > MaxEmbeddedBytes)
        return NoEntry;
    node.name.truncate(31);
    const quint32 index = quint32(nodes_.size());
    Node &owner = nodes_[parent];
    (owner.last == NoEntry ? owner.child : nodes_[owner.last].right) = index;
    owner.last = index;
    nodes_.push_back(std::move(node));
    return index;
}

quint32 CompoundWriter::addStorage(quint32 parent, const QString &name) {
    return add(parent, {name, CompoundFile::Type::Storage, {}});
}

bool CompoundWriter::addStream(quint32 parent, const QString &name, QByteArray bytes) {
    return add(parent, {name, CompoundFile::Type::Stream, std::move(bytes)}) != NoEntry;
}

namespace {

/// Appends a chain of `count` sectors to the table; its first sector.
quint32 chain(std::vector<quint32> &table, qsizetype count) {
    const quint32 first = quint32(table.size());
    for (qsizetype i = 0; i < count; ++i)
        table.push_back(i + 1 < count ? quint32(table.size() + 1) : EndOfChain);
    return count ? first : EndOfChain;
}

void appendTable(QByteArray &out, const std::vector<quint32> &table, qsizetype sectors) {
    for (qsizetype i = 0; i < sectors * (SectorSize / 4); ++i) {
        char word[4];
        qToLittleEndian<quint32>(i < qsizetype(table.size()) ? table[i] : Free, word);
        out.append(word, 4);
    }
}

void padTo(QByteArray &out, qsizetype size) {
    out.append(QByteArray(sectorsFor(out.size(), size) * size - out.size(), '\0'));
}

bool inMiniStream(const Node &node) {
    return node.type == CompoundFile::Type::Stream && node.data.size() < MiniCutoff;
}

} // namespace

// Small streams go to the mini stream, kept as the root's data; then come
// the regular streams, the directory, the mini FAT and the FAT.
QByteArray CompoundWriter::write() {
    std::vector<Node> &nodes = nodes_;
    std::vector<quint32> fat, miniFat;
    QByteArray mini;
    for (Node &node : nodes)
        if (inMiniStream(node)) {
            node.start = chain(miniFat, sectorsFor(node.data.size(), MiniSectorSize));
            mini += node.data;
            padTo(mini, MiniSectorSize);
        }
    nodes[0].data = mini;
    for (Node &node : nodes)
        if (!inMiniStream(node))
            node.start = chain(fat, sectorsFor(node.data.size(), SectorSize));
    const qsizetype dirSectors = sectorsFor(qsizetype(nodes.size()) * 128, SectorSize);
    const quint32 firstDir = chain(fat, dirSectors);
    const qsizetype miniFatSectors = sectorsFor(qsizetype(miniFat.size()) * 4, SectorSize);
    const quint32 firstMiniFat = chain(fat, miniFatSectors);
    qsizetype fatSectors = 1;
    while (fatSectors * (SectorSize / 4) < qsizetype(fat.size()) + fatSectors)
        ++fatSectors;
    if (fatSectors > HeaderFatSlots)
        return {};
    const quint32 firstFat = quint32(fat.size());
    fat.insert(fat.end(), size_t(fatSectors), FatSector);

    QByteArray out(SectorSize, '\0');
    out.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    qToLittleEndian<quint16>(0x3E, out.data() + 0x18);
    qToLittleEndian<quint16>(4, out.data() + 0x1A);
    qToLittleEndian<quint16>(0xFFFE, out.data() + 0x1C);
    qToLittleEndian<quint16>(SectorShift, out.data() + 0x1E);
    qToLittleEndian<quint16>(6, out.data() + 0x20);
    put32(out, 0x28, quint32(dirSectors));
    put32(out, 0x2C, quint32(fatSectors));
    put32(out, 0x30, firstDir);
    put32(out, 0x38, MiniCutoff);
    put32(out, 0x3C, firstMiniFat);
    put32(out, 0x40, quint32(miniFatSectors));
    put32(out, 0x44, EndOfChain);
    for (int i = 0; i < HeaderFatSlots; ++i)
        put32(out, 0x4C + 4 * i, i < fatSectors ? firstFat + quint32(i) : Free);

    for (const Node &node : nodes)
        if (!inMiniStream(node)) {
            out += node.data;
            padTo(out, SectorSize);
        }
    for (const Node &node : nodes)
        out += directoryEntry(node);
    padTo(out, SectorSize);
    appendTable(out, miniFat, miniFatSectors);
    appendTable(out, fat, fatSectors);
    return out;
}

namespace {

/// The kind of object the storage holds, as its CompObj stream names it.
QString objectKind(const CompoundFile &file, quint32 storage) {
    const QByteArray compObj = file.stream(file.find(storage, u"\u0001CompObj"));
    const quint32 length = littleendian::u32(compObj, 28);
    if (length < 2 || length > 256 || 32 + qsizetype(length) > compObj.size())
        return QStringLiteral("Object");
    return QString::fromLatin1(compObj.sliced(32, length - 1)).trimmed();
}

} // namespace

namespace storagefile {

QByteArray storageFile(const CompoundFile &file, quint32 storage) {
    CompoundWriter writer;
    return copy(file, storage, writer, 0, 0) ? writer.write() : QByteArray();
}

EmbeddedFile embeddedObject(const CompoundFile &file, quint32 storage, int number,
                            const QByteArray &whole) {
    const QString name = objectKind(file, storage) + u' ' + QString::number(number);
    // An Office 2007 document embedded in an older one keeps its package whole.
    if (const quint32 package = file.find(storage, u"Package"); package != CompoundFile::NoEntry)
        return {name, file.stream(package)};
    return {name, whole.isEmpty() ? storageFile(file, storage) : whole};
}

} // namespace storagefile
