// Excel text from a Workbook stream.
#include "documents/exceltext.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QString text;
    officetext::workbookText(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)),
                             text);
    return 0;
}
