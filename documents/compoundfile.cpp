#include "documents/compoundfile.h"

#include "platform/codepage.h"

#include <QtEndian>

#include <vector>

namespace {

constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 MaxRegularSector = 0xFFFFFFFA;
constexpr char Signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

quint32 u32(QByteArrayView b, qsizetype at) {
    return at + 4 <= b.size() ? qFromLittleEndian<quint32>(b.data() + at) : EndOfChain;
}
quint16 u16(QByteArrayView b, qsizetype at) {
    return at + 2 <= b.size() ? qFromLittleEndian<quint16>(b.data() + at) : 0;
}

void appendWords(QList<quint32> &table, QByteArrayView block) {
    for (qsizetype at = 0; at + 4 <= block.size(); at += 4)
        table.append(u32(block, at));
}

bool contiguous(const QList<quint32> &sectors) {
    if (sectors.isEmpty())
        return false;
    for (qsizetype i = 1; i < sectors.size(); ++i)
        if (sectors[i] != sectors[i - 1] + 1)
            return false;
    return true;
}

} // namespace

bool CompoundFile::isCompoundFile(QByteArrayView bytes) {
    return bytes.startsWith(QByteArrayView(Signature, 8));
}

QByteArrayView CompoundFile::sector(quint32 number) const {
    const qint64 size = qint64(1) << sectorShift_;
    const qint64 at = (qint64(number) + 1) * size;
    if (number > MaxRegularSector || at >= bytes_.size())
        return {};
    return bytes_.sliced(at, qMin(size, bytes_.size() - at));
}

QList<quint32> CompoundFile::followFat(quint32 start, const QList<quint32> &table,
                                       qsizetype limit) const {
    QList<quint32> sectors;
    std::vector<bool> seen(size_t(table.size()), false);
    for (quint32 s = start; s < quint32(table.size()) && !seen[s] && sectors.size() < limit;
         s = table[s]) {
        seen[s] = true;
        sectors.append(s);
    }
    return sectors;
}

void CompoundFile::readFat(QByteArrayView header) {
    const quint32 fatSectors = u32(header, 0x2C);
    const qsizetype maxSectors = (bytes_.size() >> sectorShift_) + 1;
    QList<quint32> fatList;
    for (int i = 0; i < 109 && quint32(fatList.size()) < fatSectors; ++i)
        fatList.append(u32(header, 0x4C + i * 4));
    const qsizetype perDifat = (qsizetype(1) << sectorShift_) / 4 - 1;
    std::vector<bool> seen(size_t(maxSectors), false);
    for (quint32 d = u32(header, 0x44);
         d < quint32(maxSectors) && !seen[d] && quint32(fatList.size()) < fatSectors;) {
        seen[d] = true;
        const QByteArrayView block = sector(d);
        for (qsizetype i = 0; i < perDifat && quint32(fatList.size()) < fatSectors; ++i)
            fatList.append(u32(block, i * 4));
        d = u32(block, perDifat * 4);
    }
    for (const quint32 s : fatList) {
        if (fat_.size() >= maxSectors)
            break;
        appendWords(fat_, sector(s));
    }
}

bool CompoundFile::open(QByteArrayView bytes) {
    *this = CompoundFile();
    if (!isCompoundFile(bytes) || bytes.size() < 512)
        return false;
    bytes_ = bytes;
    const QByteArrayView header = bytes.first(512);
    sectorShift_ = u16(header, 0x1E);
    miniShift_ = u16(header, 0x20);
    if ((sectorShift_ != 9 && sectorShift_ != 12) || miniShift_ != 6)
        return false;
    miniCutoff_ = u32(header, 0x38);
    readFat(header);

    const qsizetype maxSectors = (bytes_.size() >> sectorShift_) + 1;
    for (const quint32 s : followFat(u32(header, 0x30), fat_, maxSectors)) {
        const QByteArrayView block = sector(s);
        for (qsizetype at = 0; at + 128 <= block.size(); at += 128) {
            const QByteArrayView e = block.sliced(at, 128);
            Entry entry;
            const int nameBytes = qBound(0, int(u16(e, 0x40)) - 2, 62) & ~1;
            entry.name = platform::fromUtf16LE(e.first(nameBytes));
            entry.type = Type(quint8(e[0x42]));
            entry.left = u32(e, 0x44);
            entry.right = u32(e, 0x48);
            entry.child = u32(e, 0x4C);
            entry.start = u32(e, 0x74);
            entry.size =
                sectorShift_ == 9 ? u32(e, 0x78) : qFromLittleEndian<quint64>(e.data() + 0x78);
            entries_.append(entry);
        }
    }
    if (entries_.isEmpty())
        return false;
    for (const quint32 s : followFat(u32(header, 0x3C), fat_, maxSectors))
        appendWords(miniFat_, sector(s));
    const Entry &root = entries_.first();
    miniStream_ = chain(root.start, root.size, false);
    return true;
}

QByteArray CompoundFile::chain(quint32 start, quint64 size, bool mini) const {
    const int shift = mini ? miniShift_ : sectorShift_;
    const qint64 sectorSize = qint64(1) << shift;
    const qsizetype available = (mini ? miniStream_.size() : bytes_.size()) / sectorSize + 1;
    const qsizetype limit = qsizetype(qMin<quint64>(size / sectorSize + 1, quint64(available)));
    const qint64 wanted = qint64(qMin<quint64>(size, quint64(limit) * sectorSize));
    const QList<quint32> sectors = followFat(start, mini ? miniFat_ : fat_, limit);
    if (!mini && contiguous(sectors)) {
        // One run of sectors: no copy, the file's bytes outlive this view.
        const qint64 at = (qint64(sectors.first()) + 1) * sectorSize;
        const qint64 available = qMax<qint64>(0, bytes_.size() - at);
        return QByteArray::fromRawData(bytes_.data() + qMin<qint64>(at, bytes_.size()),
                                       qMin(wanted, available));
    }
    QByteArray out;
    out.reserve(wanted);
    for (const quint32 s : sectors) {
        QByteArrayView block;
        if (mini) {
            const qint64 at = qint64(s) << shift;
            if (at < miniStream_.size())
                block = QByteArrayView(miniStream_)
                            .sliced(at, qMin(sectorSize, miniStream_.size() - at));
        } else {
            block = sector(s);
        }
        if (block.isEmpty())
            break;
        out.append(block.first(qMin<qint64>(block.size(), wanted - out.size())));
        if (out.size() >= wanted)
            break;
    }
    return out;
}

QByteArray CompoundFile::stream(quint32 entry) const {
    if (entry >= quint32(entries_.size()) || entries_[entry].type != Type::Stream)
        return {};
    const Entry &e = entries_[entry];
    return chain(e.start, e.size, e.size < miniCutoff_);
}

QList<quint32> CompoundFile::children(quint32 storage) const {
    QList<quint32> found;
    if (storage >= quint32(entries_.size()))
        return found;
    std::vector<bool> seen(size_t(entries_.size()), false);
    // In-order walk of the red-black tree, with an explicit stack.
    QList<quint32> stack;
    quint32 node = entries_[storage].child;
    while (true) {
        while (node < quint32(entries_.size()) && !seen[node]) {
            seen[node] = true;
            stack.append(node);
            node = entries_[node].left;
        }
        if (stack.isEmpty())
            break;
        const quint32 current = stack.takeLast();
        found.append(current);
        node = entries_[current].right;
    }
    return found;
}

quint32 CompoundFile::find(quint32 storage, QStringView name) const {
    for (const quint32 child : children(storage))
        if (entries_[child].name.compare(name, Qt::CaseInsensitive) == 0)
            return child;
    return NoEntry;
}
