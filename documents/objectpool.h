#pragma once

#include "documents/embeddedfiles.h"
#include "documents/stoptoken.h"

class CompoundFile;

/// The objects a Word 97-2003 document embeds (its ObjectPool storage), as
/// files it carries: a package (a workbook or document of today's formats),
/// a file wrapped by the Packager, a CONTENTS stream (a PDF), or an office
/// document kept as a storage, written out as a compound file of its own.
/// Each is named "ObjectPool/<object>/<name>".
void collectObjectPool(const CompoundFile &file, std::vector<EmbeddedFile> &carried,
                       StopToken stop = {});
