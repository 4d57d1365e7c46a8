#pragma once

#include "documents/compoundfile.h"
#include "documents/extraction.h"

#include <QString>

/// The text of the office documents kept in compound files (Word, Excel and
/// PowerPoint 97-2003 and others).
namespace officetext {

/// Excel 97-2003: sheet names, then one line per row with its cells'
/// strings, numbers and formula results separated by a space. Encrypted or
/// NotThisFormat when the workbook is encrypted, or of an older format or too
/// damaged to read.
Outcome excelText(const CompoundFile &file, quint32 storage, QString &text, StopToken stop = {});
/// The same, from the Workbook (or Book) stream itself.
Outcome workbookText(QByteArrayView workbook, QString &text, StopToken stop = {});

} // namespace officetext
