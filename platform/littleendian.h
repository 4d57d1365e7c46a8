#pragma once

#include <QByteArrayView>
#include <QtEndian>

/// Little-endian fields of office records, read with bounds: a field past
/// the end of its record reads as 0, so damaged records need no checks of
/// their own.
namespace littleendian {

inline quint16 u16(QByteArrayView b, qsizetype at) {
    return at >= 0 && at + 2 <= b.size() ? qFromLittleEndian<quint16>(b.data() + at) : 0;
}
inline quint32 u32(QByteArrayView b, qsizetype at) {
    return at >= 0 && at + 4 <= b.size() ? qFromLittleEndian<quint32>(b.data() + at) : 0;
}

} // namespace littleendian
