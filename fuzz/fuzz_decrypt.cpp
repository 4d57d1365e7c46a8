// Decryption of workbooks and packages with the default password: a Workbook
// stream with its FILEPASS record, and an EncryptionInfo with its
// EncryptedPackage (the input split at the position its first two bytes give).
#include "documents/exceltext.h"
#include "documents/officecrypto.h"

#include <QtEndian>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString text;
    officetext::workbookText(bytes, text);
    if (bytes.size() >= 2) {
        const qsizetype split = qMin<qsizetype>(qFromLittleEndian<quint16>(data), bytes.size() - 2);
        const QByteArrayView rest = bytes.sliced(2);
        officecrypto::decryptPackage(rest.first(split), rest.sliced(split), qint64(1) << 20);
    }
    return 0;
}
