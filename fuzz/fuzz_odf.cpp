// The OpenDocument reader from its parts, stored here in a zip so that the
// fuzzer works on the markup: content.xml|PART|styles.xml|PART|manifest.xml.
#include "documents/odftext.h"
#include "fuzz/fuzzparts.h"
#include "tests/support/zipbytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto parts = fuzzparts::split(data, size, 3);
    const QByteArray bytes =
        zipFile({storedZipEntry("mimetype", "application/vnd.oasis.opendocument.text"),
                 storedZipEntry("content.xml", parts[0].toByteArray()),
                 storedZipEntry("styles.xml", parts[1].toByteArray()),
                 storedZipEntry("META-INF/manifest.xml", parts[2].toByteArray())});
    Extraction extraction(bytes, {}, {qsizetype(1) << 24, qint64(512) << 20});
    extractOpenDocument(extraction);
    return 0;
}
