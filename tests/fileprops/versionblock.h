#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <vector>

/// Builds version resources (VS_VERSIONINFO) laid out as resource compilers
/// write them, for cases no compiled fixture covers.
namespace VersionBlock {

struct Node {
    QString key;
    QByteArray value;
    bool text = false;
    std::vector<Node> children;
};

inline void appendWord(QByteArray &out, quint16 word) {
    char bytes[2];
    qToLittleEndian(word, bytes);
    out.append(bytes, 2);
}

inline void appendDword(QByteArray &out, quint32 word) {
    appendWord(out, quint16(word));
    appendWord(out, quint16(word >> 16));
}

inline void pad(QByteArray &out) {
    while (out.size() % 4)
        out.append('\0');
}

inline QByteArray encode(const Node &node) {
    QByteArray out(6, '\0');
    for (const QChar c : node.key)
        appendWord(out, c.unicode());
    appendWord(out, 0);
    pad(out);
    out += node.value;
    for (const Node &child : node.children) {
        pad(out);
        out += encode(child);
    }
    qToLittleEndian(quint16(out.size()), out.data());
    qToLittleEndian(quint16(node.text ? node.value.size() / 2 : node.value.size()), out.data() + 2);
    qToLittleEndian(quint16(node.text ? 1 : 0), out.data() + 4);
    return out;
}

inline QByteArray text(const QString &value) {
    QByteArray out;
    for (const QChar c : value)
        appendWord(out, c.unicode());
    appendWord(out, 0);
    return out;
}

struct Fixed {
    quint32 structureVersion = 0x00010000;
    quint32 fileMS = 0, fileLS = 0, productMS = 0, productLS = 0;
    quint32 flags = 0, os = 0x40004, type = 1, subtype = 0;
};

inline QByteArray fixed(const Fixed &f) {
    QByteArray out;
    for (quint32 word : {0xFEEF04BDu, f.structureVersion, f.fileMS, f.fileLS, f.productMS,
                         f.productLS, 0x3Fu, f.flags, f.os, f.type, f.subtype, 0u, 0u})
        appendDword(out, word);
    return out;
}

inline QByteArray translations(std::initializer_list<std::pair<quint16, quint16>> list) {
    QByteArray out;
    for (const auto &[language, codePage] : list) {
        appendWord(out, language);
        appendWord(out, codePage);
    }
    return out;
}

inline Node stringTable(const QString &key,
                        std::initializer_list<std::pair<QString, QString>> values) {
    Node table{key, {}, true, {}};
    for (const auto &[name, value] : values)
        table.children.push_back({name, text(value), true, {}});
    return table;
}

/// A whole resource: the fixed record, then the string tables and translations given.
inline QByteArray resource(const Fixed &f, std::vector<Node> tables, QByteArray translation) {
    Node root{QStringLiteral("VS_VERSION_INFO"), fixed(f), false, {}};
    if (!tables.empty())
        root.children.push_back({QStringLiteral("StringFileInfo"), {}, true, std::move(tables)});
    if (!translation.isNull())
        root.children.push_back({QStringLiteral("VarFileInfo"),
                                 {},
                                 true,
                                 {{QStringLiteral("Translation"), translation, false, {}}}});
    return encode(root);
}

} // namespace VersionBlock
