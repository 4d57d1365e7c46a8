#pragma once

#include "documents/embeddedfiles.h"
#include "documents/stoptoken.h"

#include <QByteArrayView>

class CompoundFile;

/// The objects a Word 97-2003 document embeds (its ObjectPool storage), as
/// files it carries: a package (a workbook or document of today's formats),
/// a file wrapped by the Packager, a CONTENTS stream (a PDF), or an office
/// document kept as a storage, written out as a compound file of its own.
/// Each is named "ObjectPool/<object>/<name>".
void collectObjectPool(const CompoundFile &file, std::vector<EmbeddedFile> &carried,
                       StopToken stop = {});

/// The file that an object embedded as a stream of bytes holds (an OLE
/// object header and its native data, as RTF keeps it), named after what it
/// holds as above; an empty file when it holds none the program reads.
EmbeddedFile oleObjectFile(QByteArrayView data);
