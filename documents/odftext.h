#pragma once

#include "documents/extraction.h"

/// True for a zip with a mimetype entry, as OpenDocument files are.
bool isOpenDocument(Extraction &extraction);

/// The extractor of OpenDocument files (text, spreadsheet, presentation):
/// the body, and a text document's page headers and footers. Paragraphs and
/// rows end in CR LF. NotThisFormat when the mimetype names another format.
Outcome extractOpenDocument(Extraction &extraction);
