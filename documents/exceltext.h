#pragma once

#include "documents/compoundfile.h"

#include <QString>

/// The text of the office documents kept in compound files (Word, Excel and
/// PowerPoint 97-2003 and others).
namespace officetext {

/// Excel 97-2003: sheet names, then one line per row with its cells'
/// strings, numbers and formula results separated by a space. False when the
/// workbook is encrypted, of an older format or too damaged to read.
bool excelText(const CompoundFile &file, quint32 storage, QString &text);
/// The same, from the Workbook (or Book) stream itself.
bool workbookText(QByteArrayView workbook, QString &text);

} // namespace officetext
