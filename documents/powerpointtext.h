#pragma once

#include "documents/compoundfile.h"
#include "documents/embeddedfiles.h"
#include "documents/extraction.h"

#include <QString>

/// The text of the office documents kept in compound files (Word, Excel and
/// PowerPoint 97-2003 and others).
namespace officetext {

/// PowerPoint 97-2003: text of slides, notes, shapes and comments, and what
/// the masters show on the slides (not the prompts of their placeholders).
/// Encrypted or NotThisFormat when the presentation is encrypted or has no
/// document stream.
Outcome powerPointText(const CompoundFile &file, quint32 storage, QString &text,
                       StopToken stop = {});
/// The same, from the streams themselves (PowerPoint Document, Current User).
Outcome powerPointStreamsText(QByteArrayView document, QByteArrayView currentUser, QString &text,
                              StopToken stop = {});

/// The objects embedded in the presentation (workbooks, documents, charts),
/// each a carried file, added to `objects`.
void powerPointObjects(const CompoundFile &file, quint32 storage,
                       std::vector<EmbeddedFile> &objects);

} // namespace officetext
