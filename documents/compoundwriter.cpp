#include "documents/compoundwriter.h"

#include "documents/embeddedfiles.h"

#include <QtEndian>

#include <algorithm>

namespace {

constexpr int SectorShift = 12; // 4096-byte sectors: no DIFAT up to 457 MB
constexpr qsizetype SectorSize = qsizetype(1) << SectorShift;
constexpr qsizetype MiniSectorSize = 64, EntrySize = 128;
constexpr quint32 MiniCutoff = 4096; // smaller streams live in the mini stream
constexpr quint32 EndOfChain = 0xFFFFFFFE, FatSector = 0xFFFFFFFD, Free = 0xFFFFFFFF;
constexpr quint32 NoEntry = CompoundFile::NoEntry;
constexpr int MaxDepth = 8, MaxEntries = 4096, HeaderFatSlots = 109, NameLength = 31;

qsizetype sectorsFor(qsizetype bytes, qsizetype sectorSize) {
    return (bytes + sectorSize - 1) / sectorSize;
}

void put32(QByteArray &out, qsizetype at, quint32 value) {
    qToLittleEndian(value, out.data() + at);
}

/// The order of names in a storage's tree: shorter first, then by upper case.
bool before(const QString &a, const QString &b) {
    return a.size() != b.size() ? a.size() < b.size() : a.toUpper() < b.toUpper();
}

bool sameName(const QString &a, const QString &b) {
    return !before(a, b) && !before(b, a);
}

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

/// An unused directory entry: zeros, with no siblings and no child.
QByteArray unusedEntry() {
    QByteArray e(EntrySize, '\0');
    for (const qsizetype link : {0x44, 0x48, 0x4C})
        put32(e, link, NoEntry);
    return e;
}

} // namespace

QByteArray CompoundWriter::directoryEntry(const Node &node) {
    QByteArray e = unusedEntry();
    for (qsizetype i = 0; i < node.name.size(); ++i)
        qToLittleEndian<quint16>(node.name.at(i).unicode(), e.data() + 2 * i);
    qToLittleEndian<quint16>(quint16(2 * node.name.size() + 2), e.data() + 0x40);
    e[0x42] = char(node.type);
    e[0x43] = 1; // black
    put32(e, 0x44, node.left);
    put32(e, 0x48, node.right);
    put32(e, 0x4C, node.child);
    put32(e, 0x74, node.start);
    if (node.type != CompoundFile::Type::Storage)
        qToLittleEndian<quint64>(quint64(node.data.size()), e.data() + 0x78);
    return e;
}

quint32 CompoundWriter::add(quint32 parent, Node node) {
    if (parent >= nodes_.size() || nodes_[parent].type == CompoundFile::Type::Stream)
        return NoEntry;
    node.name.truncate(NameLength);
    for (const quint32 sibling : nodes_[parent].children)
        if (sameName(nodes_[sibling].name, node.name))
            return node.type == CompoundFile::Type::Storage ? sibling : NoEntry;
    bytes_ += node.data.size();
    full_ = full_ || nodes_.size() >= MaxEntries || bytes_ > MaxEmbeddedBytes;
    if (full_)
        return NoEntry;
    const quint32 index = quint32(nodes_.size());
    nodes_[parent].children.push_back(index);
    nodes_.push_back(std::move(node));
    return index;
}

quint32 CompoundWriter::addStorage(quint32 parent, const QString &name) {
    return add(parent, {name, CompoundFile::Type::Storage, {}});
}

bool CompoundWriter::addStream(quint32 parent, const QString &name, QByteArray bytes) {
    return add(parent, {name, CompoundFile::Type::Stream, std::move(bytes)}) != NoEntry;
}

void CompoundWriter::addCopy(quint32 parent, const CompoundFile &file, quint32 storage) {
    copy(parent, file, storage, 0);
}

// A damaged file's storages may hold each other: the depth and the bounds
// end the copy.
void CompoundWriter::copy(quint32 parent, const CompoundFile &file, quint32 storage, int depth) {
    for (const quint32 child : file.children(storage)) {
        if (full_)
            return;
        const CompoundFile::Entry &entry = file.entries().at(child);
        if (entry.type == CompoundFile::Type::Stream) {
            addStream(parent, entry.name, file.stream(child));
        } else if (entry.type == CompoundFile::Type::Storage) {
            const quint32 inner = addStorage(parent, entry.name);
            if (inner != NoEntry && depth < MaxDepth)
                copy(inner, file, child, depth + 1);
        }
    }
}

/// The balanced tree of the sorted siblings [from, to): its root.
quint32 CompoundWriter::tree(std::vector<quint32> &siblings, size_t from, size_t to) {
    if (from >= to)
        return NoEntry;
    const size_t middle = from + (to - from) / 2;
    Node &node = nodes_[siblings[middle]];
    node.left = tree(siblings, from, middle);
    node.right = tree(siblings, middle + 1, to);
    return siblings[middle];
}

// Small streams go to the mini stream, kept as the root's data; then come
// the regular streams, the directory, the mini FAT and the FAT. Each
// storage's children form a tree sorted as the format orders names.
QByteArray CompoundWriter::write() {
    if (full_)
        return {};
    const auto inMiniStream = [](const Node &node) {
        return node.type == CompoundFile::Type::Stream && node.data.size() < MiniCutoff;
    };
    std::vector<quint32> fat, miniFat;
    QByteArray mini;
    for (Node &node : nodes_) {
        std::vector<quint32> siblings = node.children;
        std::sort(siblings.begin(), siblings.end(),
                  [&](quint32 a, quint32 b) { return before(nodes_[a].name, nodes_[b].name); });
        node.child = tree(siblings, 0, siblings.size());
        if (inMiniStream(node)) {
            node.start = chain(miniFat, sectorsFor(node.data.size(), MiniSectorSize));
            mini += node.data;
            padTo(mini, MiniSectorSize);
        }
    }
    nodes_[0].data = mini;
    for (Node &node : nodes_)
        if (node.type != CompoundFile::Type::Storage && !inMiniStream(node))
            node.start = chain(fat, sectorsFor(node.data.size(), SectorSize));
    const qsizetype dirSectors = sectorsFor(qsizetype(nodes_.size()) * EntrySize, SectorSize);
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

    for (const Node &node : nodes_)
        if (node.type != CompoundFile::Type::Storage && !inMiniStream(node)) {
            out += node.data;
            padTo(out, SectorSize);
        }
    for (const Node &node : nodes_)
        out += directoryEntry(node);
    while (out.size() % SectorSize)
        out += unusedEntry();
    appendTable(out, miniFat, miniFatSectors);
    appendTable(out, fat, fatSectors);
    return out;
}

QByteArray storageFile(const CompoundFile &file, quint32 storage) {
    CompoundWriter writer;
    writer.addCopy(0, file, storage);
    return writer.write();
}
