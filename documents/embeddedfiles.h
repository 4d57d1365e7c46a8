#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

class Extraction;

/// A file carried inside a document: a mail's attachment, a package embedded
/// in an Office document, a file attached to a PDF. Its text is read as a
/// document of its own, under its name.
struct EmbeddedFile {
    QString name;
    QByteArray bytes;
};

/// Files carried inside a document, at most this large each.
constexpr qsizetype MaxEmbeddedBytes = qsizetype{256} << 20;

/// Adds to extraction.embedded the packages embedded in an Office package
/// (word/, xl/, ppt/embeddings/), the objects embedded in a Word, Excel or
/// PowerPoint 97-2003 file and the files attached to a PDF.
void collectEmbeddedFiles(Extraction &extraction);
