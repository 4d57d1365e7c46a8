#pragma once

#include "documents/embeddedfiles.h"
#include "documents/stoptoken.h"

#include <QByteArray>
#include <QByteArrayView>

class CompoundFile;

/// The objects a Word 97-2003 document embeds (its ObjectPool storage), as
/// files it carries: a package (a workbook or document of today's formats),
/// a file wrapped by the Packager, a CONTENTS stream (a PDF), or an office
/// document kept as a storage, written out as a compound file of its own.
/// Each is named "ObjectPool/<object>/<name>".
void collectObjectPool(const CompoundFile &file, std::vector<EmbeddedFile> &carried,
                       StopToken stop = {});

/// The object in an Excel or PowerPoint storage as a carried file, named by
/// its kind and number ("Microsoft Word Document 2"): a package (.docx and
/// the like) as the package, anything else as a compound file; `whole` is
/// that file when the storage is already the root of one.
EmbeddedFile embeddedObject(const CompoundFile &file, quint32 storage, int number,
                            const QByteArray &whole = {});

/// The file that an object embedded as a stream of bytes holds (an OLE
/// object header and its native data, as RTF keeps it), named after what it
/// holds as above; an empty file when it holds none the program reads.
EmbeddedFile oleObjectFile(QByteArrayView data);
