#pragma once

#include <QByteArray>
#include <QtEndian>

// Little-endian fields for the office records and files that tests and
// benchmarks write.

inline QByteArray le16(quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    return {b, 2};
}
inline QByteArray le32(quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    return {b, 4};
}
inline void put16(QByteArray &b, quint16 v) {
    b += le16(v);
}
inline void put32(QByteArray &b, quint32 v) {
    b += le32(v);
}

/// An Excel 97-2003 record: its type, its size, its data.
inline QByteArray biffRecord(quint16 type, const QByteArray &data) {
    return le16(type) + le16(quint16(data.size())) + data;
}
