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

/// Bytes of a Windows code page (1252, 1251, 932 ...) as text. Code page 0
/// and code pages the system cannot convert are read as Windows-1252.
QString fromCodePage(int codePage, QByteArrayView bytes);

/// UTF-16LE bytes as text, taken as they are (no byte-order mark is read);
/// an odd last byte is dropped. The bytes need no alignment.
QString fromUtf16LE(QByteArrayView bytes);

/// The Windows code page of an RTF or Office character set number, or 0.
int codePageOfCharset(int charset);

/// The Windows code page of texts in a language (a Windows language id such
/// as 0x0419); 1252 for languages written in Western European letters.
int codePageOfLanguage(int languageId);

/// Text read from a file as the user sees it: UTF-8 when the bytes are valid
/// UTF-8, otherwise Windows-1252, the code page of older text files.
QString decodeText(QByteArrayView bytes);
/// Appends decodeText(bytes) to text, without a string of its own between.
void appendText(QString &text, QByteArrayView bytes);

/// The search's upper-casing: a-z to A-Z, and every other character by its
/// Unicode simple upper-case mapping unless that mapping lands in ASCII (so
/// "ı" and "ſ" stay themselves). Keeping non-ASCII letters out of ASCII lets
/// the scanner match ASCII terms on raw bytes in any encoding.
QString upperCase(QStringView text);

} // namespace platform
