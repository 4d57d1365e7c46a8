#pragma once

#include "tests/support/recordbytes.h"

#include <QByteArray>
#include <QString>

#include <cstring>
#include <vector>

// Compound files that tests and fuzz seeds write: a tree of storages and
// streams, every stream in regular 512-byte sectors (the header's mini-stream
// cutoff is 0, which readers honour).

struct CompoundNode {
    QString name;
    QByteArray data;                    ///< a stream's content
    std::vector<CompoundNode> children; ///< a storage's entries
    bool storage = false;
};

inline CompoundNode compoundStream(const QString &name, const QByteArray &data) {
    return {name, data, {}, false};
}
inline CompoundNode compoundStorage(const QString &name, std::vector<CompoundNode> children) {
    return {name, {}, std::move(children), true};
}

namespace compoundbytes {

struct Flat {
    const CompoundNode *node;
    quint32 child = 0xFFFFFFFF, right = 0xFFFFFFFF, start = 0xFFFFFFFE;
};

// Siblings are chained through their right links: a degenerate but valid tree.
inline quint32 flatten(const std::vector<CompoundNode> &nodes, std::vector<Flat> &flat) {
    quint32 first = 0xFFFFFFFF, previous = 0xFFFFFFFF;
    for (const CompoundNode &node : nodes) {
        const quint32 index = quint32(flat.size());
        flat.push_back({&node});
        if (previous != 0xFFFFFFFF)
            flat[previous].right = index;
        else
            first = index;
        previous = index;
        if (node.storage) {
            const quint32 child = flatten(node.children, flat);
            flat[index].child = child;
        }
    }
    return first;
}

} // namespace compoundbytes

/// A version 3 compound file whose root storage holds the nodes.
inline QByteArray compoundFileOf(const std::vector<CompoundNode> &root) {
    using compoundbytes::Flat;
    const CompoundNode rootNode{QStringLiteral("Root Entry"), {}, {}, true};
    std::vector<Flat> flat{{&rootNode}};
    flat[0].child = compoundbytes::flatten(root, flat);

    QByteArray body; // stream sectors, then directory, then FAT
    std::vector<quint32> next;
    for (Flat &f : flat) {
        const qsizetype size = f.node->storage ? 0 : f.node->data.size();
        if (f.node->storage || size == 0)
            continue;
        f.start = quint32(next.size());
        const qsizetype sectors = (size + 511) / 512;
        for (qsizetype i = 0; i < sectors; ++i)
            next.push_back(i + 1 < sectors ? quint32(next.size() + 1) : 0xFFFFFFFE);
        body += f.node->data + QByteArray(sectors * 512 - size, '\0');
    }
    const quint32 dirStart = quint32(next.size());
    const qsizetype dirSectors = qsizetype(flat.size() + 3) / 4;
    for (qsizetype i = 0; i < dirSectors; ++i)
        next.push_back(i + 1 < dirSectors ? quint32(next.size() + 1) : 0xFFFFFFFE);
    QByteArray dir(dirSectors * 512, '\0');
    for (size_t i = 0; i < flat.size(); ++i) {
        char *e = dir.data() + i * 128;
        const Flat &f = flat[i];
        const QString name = f.node->name.left(31);
        std::memcpy(e, name.utf16(), size_t(name.size()) * 2);
        qToLittleEndian(quint16((name.size() + 1) * 2), e + 0x40);
        e[0x42] = char(i == 0 ? 5 : f.node->storage ? 1 : 2);
        e[0x43] = 1; // black
        qToLittleEndian(quint32(0xFFFFFFFF), e + 0x44);
        qToLittleEndian(f.right, e + 0x48);
        qToLittleEndian(f.child, e + 0x4C);
        qToLittleEndian(f.start, e + 0x74);
        qToLittleEndian(quint32(f.node->storage ? 0 : f.node->data.size()), e + 0x78);
    }
    body += dir;
    // FAT sectors follow; they describe themselves too.
    qsizetype fatSectors = 1;
    while (qsizetype(next.size()) + fatSectors > fatSectors * 128)
        ++fatSectors;
    const quint32 fatStart = quint32(next.size());
    for (qsizetype i = 0; i < fatSectors; ++i)
        next.push_back(0xFFFFFFFD);
    QByteArray fat;
    for (qsizetype i = 0; i < fatSectors * 128; ++i)
        put32(fat, i < qsizetype(next.size()) ? next[size_t(i)] : 0xFFFFFFFF);
    body += fat;

    QByteArray header(512, '\0');
    header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    const char fixed[] = {0x3E, 0, 3, 0, '\xFE', '\xFF', 9, 0, 6, 0};
    header.replace(0x18, 10, QByteArray(fixed, 10));
    qToLittleEndian(quint32(fatSectors), header.data() + 0x2C);
    qToLittleEndian(dirStart, header.data() + 0x30);
    qToLittleEndian(quint32(0), header.data() + 0x38); // no mini stream
    qToLittleEndian(quint32(0xFFFFFFFE), header.data() + 0x3C);
    qToLittleEndian(quint32(0xFFFFFFFE), header.data() + 0x44);
    for (int i = 0; i < 109; ++i)
        qToLittleEndian(i < fatSectors ? fatStart + quint32(i) : 0xFFFFFFFF,
                        header.data() + 0x4C + i * 4);
    return header + body;
}
