// The streams under the mini cutoff go into the mini stream (64-byte
// sectors, the root entry's stream); the rest, the mini FAT, the directory
// and the FAT follow in whole sectors. The directory's tree is balanced and
// sorted as the format orders names: shorter first, then by upper case.
#include "documents/compoundwriter.h"

#include <QList>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype SectorSize = 4096, MiniSize = 64, MiniCutoff = 4096, EntrySize = 128;
constexpr quint32 EndOfChain = 0xFFFFFFFE, FatSector = 0xFFFFFFFD, Free = 0xFFFFFFFF;
constexpr qsizetype HeaderFatSlots = 109, PerFatSector = SectorSize / 4;

void put32(char *at, quint32 value) {
    qToLittleEndian(value, at);
}

/// Sectors of `size` bytes appended to a chain table: the first one's number.
quint32 chain(QList<quint32> &table, QByteArray &body, const QByteArray &bytes, qsizetype size) {
    if (bytes.isEmpty())
        return EndOfChain;
    const quint32 first = quint32(table.size());
    const qsizetype count = (bytes.size() + size - 1) / size;
    for (qsizetype i = 0; i < count; ++i)
        table.append(i + 1 < count ? first + quint32(i) + 1 : EndOfChain);
    body += bytes;
    body += QByteArray(count * size - bytes.size(), '\0');
    return first;
}

QByteArray words(const QList<quint32> &table) {
    QByteArray out(table.size() * 4, '\0');
    for (qsizetype i = 0; i < table.size(); ++i)
        put32(out.data() + i * 4, table[i]);
    return out;
}

/// An entry of the directory: a storage with its children or a stream.
struct Node {
    Node(const QString &name, int type) : name(name), type(type) {}
    QString name;
    int type;
    quint32 start = EndOfChain;
    quint64 size = 0;
    quint32 left = Free, right = Free, child = Free;
    std::vector<quint32> children;
};

bool before(const QString &a, const QString &b) {
    const QString x = a.toUpper(), y = b.toUpper();
    return x.size() != y.size() ? x.size() < y.size() : x < y;
}

/// The balanced subtree of the sorted siblings [from, to): its root.
quint32 tree(std::vector<Node> &nodes, const std::vector<quint32> &siblings, size_t from,
             size_t to) {
    if (from >= to)
        return Free;
    const size_t middle = from + (to - from) / 2;
    Node &node = nodes[siblings[middle]];
    node.left = tree(nodes, siblings, from, middle);
    node.right = tree(nodes, siblings, middle + 1, to);
    return siblings[middle];
}

/// The node of that name among the children of `parent`, made when missing.
quint32 childNamed(std::vector<Node> &nodes, quint32 parent, const QString &name, int type) {
    for (const quint32 child : nodes[parent].children)
        if (nodes[child].name.compare(name, Qt::CaseInsensitive) == 0)
            return child;
    nodes.push_back({name, type});
    nodes[parent].children.push_back(quint32(nodes.size() - 1));
    return quint32(nodes.size() - 1);
}

void writeEntry(char *entry, const Node &node) {
    std::memcpy(entry, node.name.utf16(), size_t(node.name.size()) * 2);
    qToLittleEndian(quint16((node.name.size() + 1) * 2), entry + 0x40);
    entry[0x42] = char(node.type);
    entry[0x43] = 1; // black
    put32(entry + 0x44, node.left);
    put32(entry + 0x48, node.right);
    put32(entry + 0x4C, node.child);
    put32(entry + 0x74, node.start);
    qToLittleEndian(node.size, entry + 0x78);
}

} // namespace

QByteArray writeCompoundFile(std::vector<CompoundStream> streams) {
    std::vector<Node> nodes{{QStringLiteral("Root Entry"), 5}};
    QList<quint32> fat, miniFat;
    QByteArray body, miniStream;
    for (const CompoundStream &stream : streams) {
        const QStringList path = stream.name.split(u'/', Qt::SkipEmptyParts);
        quint32 at = 0;
        for (qsizetype i = 0; i < path.size(); ++i)
            at = childNamed(nodes, at, path[i].left(31), i + 1 < path.size() ? 1 : 2);
        Node &node = nodes[at];
        if (node.type != 2 || at == 0)
            continue;
        const QByteArray &bytes = stream.bytes;
        node.size = quint64(bytes.size());
        node.start = bytes.size() < MiniCutoff ? chain(miniFat, miniStream, bytes, MiniSize)
                                               : chain(fat, body, bytes, SectorSize);
    }
    for (Node &node : nodes) {
        std::vector<quint32> siblings = node.children;
        std::sort(siblings.begin(), siblings.end(),
                  [&](quint32 a, quint32 b) { return before(nodes[a].name, nodes[b].name); });
        node.child = tree(nodes, siblings, 0, siblings.size());
    }
    nodes[0].start = chain(fat, body, miniStream, SectorSize);
    nodes[0].size = quint64(miniStream.size());
    QByteArray dir(qsizetype(nodes.size()) * EntrySize, '\0');
    for (size_t i = 0; i < nodes.size(); ++i)
        writeEntry(dir.data() + i * EntrySize, nodes[i]);
    const quint32 miniFatStart = chain(fat, body, words(miniFat), SectorSize);
    const qsizetype miniFatSectors = (miniFat.size() * 4 + SectorSize - 1) / SectorSize;
    const quint32 dirStart = chain(fat, body, dir, SectorSize);
    const qsizetype dirSectors = fat.size() - dirStart;
    qsizetype fatSectors = 1;
    while (fat.size() + fatSectors > fatSectors * PerFatSector)
        ++fatSectors;
    if (fatSectors > HeaderFatSlots)
        return {};
    const quint32 fatStart = quint32(fat.size());
    fat.append(QList<quint32>(fatSectors, FatSector));
    fat.append(QList<quint32>(fatSectors * PerFatSector - fat.size(), Free));
    body += words(fat);

    QByteArray header(SectorSize, '\0');
    char *h = header.data();
    std::memcpy(h, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    const char versions[] = {0x3E, 0, 4, 0, '\xFE', '\xFF', 12, 0, 6, 0};
    std::memcpy(h + 0x18, versions, sizeof versions);
    put32(h + 0x28, quint32(dirSectors));
    put32(h + 0x2C, quint32(fatSectors));
    put32(h + 0x30, dirStart);
    put32(h + 0x38, MiniCutoff);
    put32(h + 0x3C, miniFatStart);
    put32(h + 0x40, quint32(miniFatSectors));
    put32(h + 0x44, EndOfChain);
    for (qsizetype i = 0; i < HeaderFatSlots; ++i)
        put32(h + 0x4C + i * 4, i < fatSectors ? fatStart + quint32(i) : Free);
    return header + body;
}
