#pragma once

#include "documents/extraction.h"

/// True for bytes that begin as a PDF file does.
bool looksLikePdf(QByteArrayView bytes);

/// The extractor of PDF files: the text of every page, lines as the page
/// lays them out. A file too damaged to open gives no text.
Outcome extractPdf(Extraction &extraction);
