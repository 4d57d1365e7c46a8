// Mail text through GMime, and the test that picks mail by its headers.
#include "documents/mailtext.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    mailtext::isMail(bytes);
    Extraction extraction(bytes);
    extractMail(extraction);
    return 0;
}
