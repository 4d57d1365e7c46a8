#pragma once

#include "documents/extraction.h"

/// True for an Office package whose main part is a binary workbook (.xlsb).
bool isBinaryWorkbook(Extraction &extraction);

/// The extractor of binary workbooks: the sheet names, then each sheet's
/// cells row by row, as the reader of Excel 2007+ workbooks gives them.
/// Rows end in CR LF.
Outcome extractBinaryWorkbook(Extraction &extraction);
