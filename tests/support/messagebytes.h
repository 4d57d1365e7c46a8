#pragma once

#include "tests/support/compoundbytes.h"
#include "tests/support/recordbytes.h"

#include <QString>

#include <cstring>
#include <utility>
#include <vector>

// Outlook messages that tests and fuzz seeds write, from the published
// layout: a property stream per storage, a stream per string or binary
// property, storages for recipients and attachments.

namespace messagebytes {

inline QString streamName(quint16 id, quint16 type) {
    const quint32 tag = quint32(id) << 16 | type;
    return QStringLiteral("__substg1.0_") +
           QStringLiteral("%1").arg(tag, 8, 16, QChar(u'0')).toUpper();
}

inline CompoundNode unicode(quint16 id, const QString &text) {
    return compoundStream(
        streamName(id, 0x001F),
        QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2) +
            QByteArray(2, '\0'));
}
inline CompoundNode string8(quint16 id, const QByteArray &bytes) {
    return compoundStream(streamName(id, 0x001E), bytes + QByteArray(1, '\0'));
}
inline CompoundNode binary(quint16 id, const QByteArray &bytes) {
    return compoundStream(streamName(id, 0x0102), bytes);
}

struct Fixed {
    quint32 tag; ///< id << 16 | type
    quint64 value;
};

/// The property stream: a header of headerBytes, then 16 bytes a property.
inline CompoundNode properties(qsizetype headerBytes, const std::vector<Fixed> &fixed) {
    QByteArray bytes(headerBytes, '\0');
    for (const Fixed &f : fixed) {
        put32(bytes, f.tag);
        put32(bytes, 6); // readable and writable
        put32(bytes, quint32(f.value));
        put32(bytes, quint32(f.value >> 32));
    }
    return compoundStream(QStringLiteral("__properties_version1.0"), bytes);
}

inline Fixed integer(quint16 id, quint32 value) {
    return {quint32(id) << 16 | 0x0003, value};
}
/// A time property for a time since 1970 in seconds.
inline Fixed time(quint16 id, qint64 seconds) {
    return {quint32(id) << 16 | 0x0040, quint64(seconds) * 10000000ULL + 116444736000000000ULL};
}

inline CompoundNode recipient(int index, int kind, const QString &name, const QString &address) {
    return compoundStorage(QStringLiteral("__recip_version1.0_#%1").arg(index, 8, 10, QChar(u'0')),
                           {properties(8, {integer(0x0C15, quint32(kind))}), unicode(0x3001, name),
                            unicode(0x39FE, address)});
}

inline CompoundNode attachment(int index, const QString &name, const QByteArray &data) {
    return compoundStorage(
        QStringLiteral("__attach_version1.0_#%1").arg(index, 8, 10, QChar(u'0')),
        {properties(8, {integer(0x3705, 1)}), unicode(0x3707, name), binary(0x3701, data)});
}

/// An attached message: its storage holds a message of its own.
inline CompoundNode attachedMessage(int index, const QString &name,
                                    std::vector<CompoundNode> message) {
    message.insert(message.begin(), properties(24, {}));
    return compoundStorage(QStringLiteral("__attach_version1.0_#%1").arg(index, 8, 10, QChar(u'0')),
                           {properties(8, {integer(0x3705, 5)}), unicode(0x3001, name),
                            compoundStorage(streamName(0x3701, 0x000D), std::move(message))});
}

/// A message file: its property stream (with the fixed properties given)
/// and the other nodes in its root.
inline QByteArray message(const std::vector<Fixed> &fixed, std::vector<CompoundNode> nodes) {
    nodes.insert(nodes.begin(), properties(32, fixed));
    nodes.push_back(compoundStorage(QStringLiteral("__nameid_version1.0"), {}));
    return compoundFileOf(nodes);
}

/// RTF compressed as messages keep it (LZFu): greedy references into the
/// dictionary, which begins with the format's RTF prologue.
inline QByteArray compressedRtf(const QByteArray &rtf) {
    static const char prologue[] =
        "{\\rtf1\\ansi\\mac\\deff0\\deftab720{\\fonttbl;}{\\f0\\fnil \\froman \\fswiss \\fmodern "
        "\\fscript \\fdecor MS Sans SerifSymbolArialTimes New RomanCourier{\\colortbl\\red0"
        "\\green0\\blue0\r\n\\par \\pard\\plain\\f0\\fs20\\b\\i\\u\\tab\\tx";
    char dict[4096] = {};
    std::memcpy(dict, prologue, sizeof prologue - 1);
    int write = sizeof prologue - 1;
    QByteArray out;
    qsizetype pos = 0, control = 0;
    int bit = 8;
    const auto next = [&](bool reference) {
        if (bit == 8) {
            control = out.size();
            out += '\0';
            bit = 0;
        }
        if (reference)
            out[control] = char(quint8(out[control]) | 1 << bit);
        ++bit;
    };
    while (pos < rtf.size()) {
        int bestLength = 0, bestOffset = 0;
        for (int offset = 0; offset < 4096; ++offset) {
            const int distance = (write - offset) & 0xFFF;
            int length = 0;
            while (length < 17 && length < distance && pos + length < rtf.size() &&
                   dict[(offset + length) & 0xFFF] == rtf[pos + length])
                ++length;
            if (length > bestLength)
                bestLength = length, bestOffset = offset;
        }
        if (bestLength >= 2) {
            next(true);
            put16(out, 0); // written big-endian below
            out[out.size() - 2] = char(bestOffset >> 4);
            out[out.size() - 1] = char((bestOffset & 0xF) << 4 | (bestLength - 2));
        } else {
            next(false);
            out += rtf[pos];
            bestLength = 1;
        }
        for (int i = 0; i < bestLength; ++i, write = (write + 1) & 0xFFF)
            dict[write] = rtf[pos + i];
        pos += bestLength;
    }
    next(true); // the end: a reference to where the next byte would go
    out += char(write >> 4);
    out += char((write & 0xF) << 4);
    return le32(quint32(out.size() + 12)) + le32(quint32(rtf.size())) + QByteArray("LZFu") +
           le32(0) + out;
}

} // namespace messagebytes
