// Excel text from a Workbook stream or an Excel 2-4 file; a compound file's
// embedded objects, copied into files of their own.
#include "documents/compoundwriter.h"
#include "documents/exceltext.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString text;
    officetext::isOldWorkbook(bytes);
    officetext::workbookText(bytes, text);

    CompoundFile file;
    if (!file.open(bytes))
        return 0;
    std::vector<EmbeddedFile> objects;
    officetext::excelObjects(file, 0, objects);
    const QByteArray copy = storageFile(file, 0);
    CompoundFile copied;
    if (!copy.isEmpty() && !copied.open(copy))
        __builtin_trap(); // a copy that does not open again
    return 0;
}
