#pragma once

#include <QByteArrayView>
#include <QString>

/// Small helpers shared by the windows and the engine.
namespace FunctionModule {

/// The path with a folder separator at its end; the separator alone for "".
QString AddTrailingBackslash(const QString &path);

/// Whether a file looks binary from its first 256 bytes: a control byte other
/// than tab, LF, form feed, CR and the end-of-file mark 26, or the byte 127.
/// Bytes from 128 up are letters of some code page, and an empty file is text.
/// When the file cannot be read, error receives the reason and false is returned.
bool IsBinaryFile(const QString &path, QString *error = nullptr);
/// The same test on a file's first bytes; a UTF-16 byte-order mark makes it text.
bool LooksBinary(QByteArrayView bytes);

} // namespace FunctionModule
