#pragma once

#include "documents/compoundfile.h"
#include "documents/embeddedfiles.h"
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
/// The same, from the Workbook (or Book) stream itself, or from an Excel
/// 2.x-4.0 file, which is such a stream alone.
Outcome workbookText(QByteArrayView workbook, QString &text, StopToken stop = {});
/// The objects embedded in the workbook's sheets (its MBD storages), each a
/// carried file, added to `objects`.
void excelObjects(const CompoundFile &file, quint32 storage, std::vector<EmbeddedFile> &objects);
/// True when the bytes begin as an Excel 2.x-4.0 file does.
bool isOldWorkbook(QByteArrayView bytes);

} // namespace officetext

/// An Excel 2.x-4.0 worksheet or workbook: cells and sheet text as for later ones.
Outcome extractOldWorkbook(Extraction &extraction);
