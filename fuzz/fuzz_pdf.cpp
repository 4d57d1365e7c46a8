// PDF text: our use of poppler on any bytes that begin as a PDF does.
#include "documents/pdftext.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QByteArray bytes = "%PDF-1.4\n";
    bytes.append(reinterpret_cast<const char *>(data), qsizetype(size));
    Extraction extraction(bytes);
    extractPdf(extraction);
    return 0;
}
