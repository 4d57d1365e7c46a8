#pragma once

#include "documents/extraction.h"

#include <QString>
#include <QStringView>

/// The text a reader of an HTML body sees: tags gone, script, style and head
/// content hidden, line breaks where paragraphs, rows, cells and list items
/// end, character references (named and numeric) decoded. One pass over the
/// input: malformed or unclosed markup costs no more than plain text.
QString htmlText(QStringView html);

/// The character a named reference such as "ouml" or "nbsp" stands for, or 0.
char32_t htmlEntity(QStringView name);

/// The extractor of HTML pages: htmlText() of the bytes decoded as a text
/// file is. Lines end in CR LF.
Outcome extractHtml(Extraction &extraction);
