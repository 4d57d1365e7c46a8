// Files a document carries: a mail's attachments, packages embedded in an
// Office package, objects embedded in a Word 97-2003 or RTF document, files
// attached to a PDF; each carried file's text read in turn, as the scan
// reads it.
#include "documents/documenttext.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    Extraction extraction(bytes);
    extractDocument(extraction, u"fuzz.eml");
    for (const EmbeddedFile &file : extraction.embedded) {
        Extraction carried(file.bytes);
        extractDocument(carried, file.name);
    }
    return 0;
}
