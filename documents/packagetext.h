#pragma once

#include <QByteArrayView>

/// True for bytes that begin as a document of a format read whatever the
/// file's name does (a zip package, a PDF): worth trying as a document
/// before they are read as text. The head of a file is enough.
bool mayBeDocument(QByteArrayView head);
