#pragma once

#include <QString>

class RichTextBox;

/// How a file came into the editor, so that Save writes it back the same way:
/// RTF as RTF; plain text with its line ends and its encoding.
struct EditedFileKind {
    bool rtf = false;
    bool utf8 = true;
    QString lineEnd = QStringLiteral("\n");
};

namespace EditedFile {

/// Reads how the file at path is written. False with error when it cannot be read.
bool detectKind(const QString &path, EditedFileKind &kind, QString &error);

/// Writes the box's content to path in the given kind. The new content goes to
/// a file beside the old one, which it replaces only once completely written.
bool save(const RichTextBox &box, const QString &path, const EditedFileKind &kind, QString &error);

/// Plain text as bytes: CR LF replaced by lineEnd, then UTF-8 or Windows-1252
/// (UTF-8 when a character has no Windows-1252 byte, so nothing is lost).
QByteArray encodePlain(const QString &textCrLf, const EditedFileKind &kind);

} // namespace EditedFile
