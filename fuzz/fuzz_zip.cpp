// The zip container: the directory and every entry inflated, then the
// document reader that decides by the entries what the package is.
#include "documents/documenttext.h"
#include "documents/zipcontainer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    ZipContainer zip;
    if (zip.open(bytes, qint64(64) << 20))
        for (const QString &name : zip.names())
            zip.readAll(name, qint64(1) << 20);
    Extraction extraction(bytes);
    extractDocumentNamedAsText(extraction);
    return 0;
}
