#pragma once

#include "documents/compoundfile.h"

#include <QString>

/// The text of the office documents kept in compound files. Each takes the
/// storage that holds the document's streams and gives false when the
/// document is encrypted, of an older format or too damaged to read.
namespace officetext {

/// Word 97-2003: the piece table's text of the body, footnotes, headers and
/// text boxes; field codes hidden, their results kept.
bool wordText(const CompoundFile &file, quint32 storage, QString &text);

/// Excel 97-2003: sheet names, then one line per row with its cells'
/// strings, numbers and formula results separated by a space.
bool excelText(const CompoundFile &file, quint32 storage, QString &text);

/// PowerPoint 97-2003: text of slides, notes and shapes; masters left out.
bool powerPointText(const CompoundFile &file, quint32 storage, QString &text);

/// The same, from the streams themselves (WordDocument, 0Table, 1Table;
/// Workbook; PowerPoint Document, Current User).
bool wordStreamsText(QByteArrayView document, QByteArrayView table0, QByteArrayView table1,
                     QString &text);
bool workbookText(QByteArrayView workbook, QString &text);
bool powerPointStreamsText(QByteArrayView document, QByteArrayView currentUser, QString &text);

/// Runs of readable 8-bit and UTF-16LE text of at least four characters,
/// one per line, of a compound file too damaged to open; its header and
/// directory entries are left out.
QString streamText(QByteArrayView bytes);

/// The text of every document of a compound file: the known documents by
/// their extractors, storages recursed into, and of other streams those that
/// hold text. Encrypted documents give nothing; encrypted, when given, says
/// whether the file's own document is one.
QString compoundText(const CompoundFile &file, bool *encrypted = nullptr);

} // namespace officetext
