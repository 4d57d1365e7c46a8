#pragma once

#include "documents/extraction.h"

#include <QString>
#include <QStringView>

#include <span>

/// One format of document that the scan reads through its extractor.
struct DocumentFormat {
    const char *name;
    /// By content, on the first bytes: the format's signature. Null for a
    /// format known by its name alone.
    bool (*signature)(QByteArrayView head);
    /// By content, after the signature: what the whole bytes hold (a zip's
    /// entries). Null when the signature says enough.
    bool (*recognises)(Extraction &extraction);
    /// By name, when no format claims the content: the file types, lower
    /// case and separated by spaces.
    const char *types;
    /// Read as a document even when the file's name says text.
    bool whateverName;
    Extractor extract;
};

/// Every format, in the order in which they are asked to claim a document.
std::span<const DocumentFormat> documentFormats();

/// The format of a document: the first whose content tests claim it, else
/// the first whose types hold the file name's type; null for none.
const DocumentFormat *formatOf(Extraction &extraction, QStringView fileName = {});

/// The text a user sees in a document of one of the rich-text types: read by
/// the extractor of its format; the text of anything no extractor takes (not
/// this format) is its bytes decoded as a text file is. Paragraphs and rows
/// end in CR LF. Ends with the extractor's outcome, Stopped once the token
/// stopped the reading, and Text for the bytes read as text.
Outcome extractDocument(Extraction &extraction, QStringView fileName = {});

/// The text of a file named as text whose content is of a format read
/// whatever the name (a zip package, a PDF); NotThisFormat for any other, to
/// be read as text.
Outcome extractDocumentNamedAsText(Extraction &extraction);

/// extractDocument()'s text of the bytes, for callers that need no outcome.
QString documentText(QByteArrayView bytes);
