#pragma once

#include "documents/compoundfile.h"
#include "documents/extraction.h"

#include <QString>

/// The text of the office documents kept in compound files (Word, Excel and
/// PowerPoint 97-2003 and others).
namespace officetext {

/// Word 97-2003: the piece table's text of the body, footnotes, headers and
/// text boxes; field codes hidden, their results kept. Encrypted or
/// NotThisFormat when the document is encrypted, or of an older format or too
/// damaged to read.
Outcome wordText(const CompoundFile &file, quint32 storage, QString &text, StopToken stop = {});
/// The same, from the streams themselves (WordDocument, 0Table, 1Table).
Outcome wordStreamsText(QByteArrayView document, QByteArrayView table0, QByteArrayView table1,
                        QString &text, StopToken stop = {});

} // namespace officetext
