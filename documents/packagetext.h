#pragma once

#include <QByteArrayView>
#include <QString>

class ZipContainer;

/// What reading a document of today's formats gave.
enum class PackageRead {
    Text,        ///< the text, possibly cut short by the bounds
    Encrypted,   ///< password protected: no text
    NotDocument, ///< not one of these formats: read it some other way
};

/// True for bytes that begin as a zip package or a PDF file does: worth
/// trying as a document whatever the file's name.
bool mayBeDocument(QByteArrayView head);

/// The text of a document of today's formats, found by its content whatever
/// its name: false when the bytes are none of them. An encrypted one gives no
/// text and sets error, when given, to the status line's description.
bool packageDocumentText(QByteArrayView bytes, QString &text, QString *error = nullptr);

/// The text of Word, Excel and PowerPoint 2007+ files (Office Open XML) and
/// OpenDocument files, recognised by the zip's content, not its name.
/// Paragraphs and rows end in CR LF.
PackageRead zipDocumentText(QByteArrayView bytes, QString &text);

/// The text of every page of a PDF file, lines as the page lays them out.
PackageRead pdfText(QByteArrayView bytes, QString &text);
bool looksLikePdf(QByteArrayView bytes);

/// The readers of the two zip families, for a container already open.
namespace packagetext {
PackageRead ooxmlText(ZipContainer &zip, QString &text, qsizetype limit);
PackageRead odfText(ZipContainer &zip, QString &text, qsizetype limit);
} // namespace packagetext
