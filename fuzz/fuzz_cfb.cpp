// The compound-file reader, then the text of everything in it.
#include "documents/compoundfile.h"
#include "documents/documenttext.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    CompoundFile file;
    if (file.open(bytes)) {
        for (quint32 i = 0; i < quint32(file.entries().size()); ++i) {
            file.children(i);
            file.stream(i);
        }
    }
    documentText(bytes);
    return 0;
}
