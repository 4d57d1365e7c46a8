#pragma once

#include "platform/savefile.h"

#include <QByteArray>
#include <QString>
#include <optional>

class RichTextBox;

/// How a file came into the editor, so that Save writes it back the same way:
/// RTF as RTF; plain text in its encoding, each line with its own line end.
struct EditedFileKind {
    enum class Encoding { Utf8, Windows1252, Utf16Le, Utf16Be };
    bool rtf = false;
    /// The RTF document has headers, footers, footnotes or tables the box cannot hold.
    bool rtfDropsParts = false;
    Encoding encoding = Encoding::Utf8;
    /// The first line's end: the end of lines typed in the editor.
    QString lineEnd = QStringLiteral("\n");
    /// The file as it was read, to tell a change by another program.
    std::optional<platform::FileStamp> stamp;
};

namespace EditedFile {

/// Reads the file once: false with error when it cannot be read.
bool read(const QString &path, QByteArray &bytes, QString &error);

/// Puts the file's bytes into the box (undo steps are not recorded) and
/// returns how they are written.
EditedFileKind load(const QByteArray &bytes, RichTextBox &box);

/// The box's content as the file's bytes.
QByteArray contentBytes(const RichTextBox &box, const EditedFileKind &kind);

/// Writes the box's content to path, keeping the file's attributes and links.
bool save(const RichTextBox &box, const QString &path, const EditedFileKind &kind,
          platform::SaveWay &way, QString &error);

} // namespace EditedFile
