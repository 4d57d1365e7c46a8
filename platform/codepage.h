#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace platform {

/// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(QByteArrayView bytes);

/// Bytes of the Windows-1252 code page as text, one character per byte.
QString fromWindows1252(QByteArrayView bytes);
char16_t windows1252Char(unsigned char byte);

/// Text read from a file as the user sees it: UTF-8 when the bytes are valid
/// UTF-8, otherwise Windows-1252, the code page of older text files.
QString decodeText(QByteArrayView bytes);

/// The search's upper-casing: a-z to A-Z, and every other character by its
/// Unicode simple upper-case mapping unless that mapping lands in ASCII (so
/// "ı" and "ſ" stay themselves). Keeping non-ASCII letters out of ASCII lets
/// the scanner match ASCII terms on raw bytes in any encoding.
QString upperCase(QStringView text);

} // namespace platform
