#pragma once

#include "documents/zipcontainer.h"

#include <QByteArrayView>

/// Documents are read into memory whole, so a file is read as one only up to
/// the bytes all parts of a package may inflate to together; a larger one is
/// too large to read (and is never searched as raw bytes instead).
constexpr qint64 MaxDocumentBytes = ZipContainer::DefaultInflateBudget;

/// True when a file that begins with head is a document by its content: a
/// PDF, or a package whose first part describes the package, as Office and
/// OpenDocument files begin. Unlike mayBeDocument(), no other zip file.
bool beginsAsDocument(QByteArrayView head);
