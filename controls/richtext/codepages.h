#pragma once

#include <QByteArrayView>
#include <QString>

namespace codepages {

/// Bytes of a Windows code page (1252, 1251, 932 ...) as text. Code page 0
/// and code pages the system cannot convert are read as Windows-1252.
QString decode(int codePage, QByteArrayView bytes);

/// UTF-16LE bytes as text, taken as they are (no byte-order mark is read);
/// an odd last byte is dropped. The bytes need no alignment.
QString fromUtf16LE(QByteArrayView bytes);

/// The Windows code page of an RTF or Office character set number, or 0.
int fromCharset(int charset);

} // namespace codepages
