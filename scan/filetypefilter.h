#pragma once

#include <QString>

/// Which files a directory-tree scan takes, and which reader reads a file,
/// both decided by the text after the last "." of the name or path.
namespace FileTypeFilter {

/// The text after the last separator, or empty when there is none.
QString GetAfterLast(const QString &text, QChar separator);
/// One of the sixteen document and mail types read through the rich text box.
bool IsRichTextType(const QString &entry);
/// The all-files filter: every type but executables, archives, images and sound.
bool passesAllFiles(const QString &entry);
/// The type as the user may write it ("txt", ".txt", "*.txt") reduced to the
/// bare extension ("txt"), trimmed of spaces; a list ("c;*.h") to its bare
/// extensions joined by ";", empty entries left out.
QString normalisedType(const QString &type);
/// The specified-type filter: the extension equals the normalised type (or
/// one of the list), case ignored.
bool passesSpecifiedType(const QString &entry, const QString &type);

} // namespace FileTypeFilter
