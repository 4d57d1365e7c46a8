// Outlook messages: the compound file's storages and property streams, the
// compressed RTF body, and the text of each attached file.
#include "documents/documenttext.h"
#include "documents/msgtext.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    msgtext::decompressRtf(bytes, 1 << 20);
    Extraction extraction(bytes);
    extractMessage(extraction);
    for (const EmbeddedFile &file : extraction.embedded) {
        Extraction carried(file.bytes);
        extractDocument(carried, file.name);
    }
    return 0;
}
