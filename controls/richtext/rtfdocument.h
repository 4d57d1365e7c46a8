#pragma once

#include <QByteArray>
#include <QByteArrayView>

class QTextDocument;

/// Replaces the document's content with an RTF document's text and formatting:
/// fonts, sizes, bold, italic, underline, strike-through, colours, paragraphs,
/// line breaks and tabs. Headers, footers and footnotes are left out.
void rtfToDocument(QByteArrayView rtf, QTextDocument &document);

/// The document as RTF 1 with font and colour tables, character formatting and
/// paragraphs; characters beyond ASCII are written as \uN.
QByteArray documentToRtf(const QTextDocument &document);
