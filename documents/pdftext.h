#pragma once

#include "documents/extraction.h"

/// True for bytes that begin as a PDF file does.
bool looksLikePdf(QByteArrayView bytes);

/// The extractor of PDF files: the text of every page, lines as the page
/// lays them out, then the notes on the page. Each page has a budget of time
/// and work: a page past it gives what was read and the next page is read.
/// A file too damaged to open gives no text.
Outcome extractPdf(Extraction &extraction);

/// The folder the PDF reader loads its character maps from, and the only
/// one it may read once documents are read.
const char *pdfDataFolder();
