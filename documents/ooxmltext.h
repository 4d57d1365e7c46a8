#pragma once

#include "documents/extraction.h"

/// True for a zip with a [Content_Types].xml: an Office Open XML package.
bool isOfficePackage(Extraction &extraction);

/// The extractor of Word, Excel and PowerPoint 2007+ files: the kind of the
/// main part that the package's relationships name decides the reader.
/// Paragraphs and rows end in CR LF. NotThisFormat for a package of another
/// kind.
Outcome extractOfficePackage(Extraction &extraction);
