#pragma once

#include "documents/compoundfile.h"

#include <QString>

/// The text of the office documents kept in compound files (Word, Excel and
/// PowerPoint 97-2003 and others).
namespace officetext {

/// PowerPoint 97-2003: text of slides, notes and shapes; masters left out.
/// False when the presentation is encrypted or has no document stream.
bool powerPointText(const CompoundFile &file, quint32 storage, QString &text);
/// The same, from the streams themselves (PowerPoint Document, Current User).
bool powerPointStreamsText(QByteArrayView document, QByteArrayView currentUser, QString &text);

} // namespace officetext
