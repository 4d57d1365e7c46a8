// Archives and compressed files through libarchive: every member listed and
// unpacked in small blocks, under a name that lets any format and a single
// compressed stream claim the bytes.
#include "documents/archivereader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    size_t at = 0;
    ArchiveReader reader(
        [&](char *to, qint64 room) -> qint64 {
            const size_t n = std::min(size - at, size_t(room));
            std::memcpy(to, data + at, n);
            at += n;
            return qint64(n);
        },
        QStringLiteral("fuzz.gz"),
        [&](qint64 offset) -> qint64 {
            if (offset < 0 || size_t(offset) > size)
                return -1;
            at = size_t(offset);
            return offset;
        },
        qint64(size));
    char block[4096];
    for (int members = 0; members < 1000 && reader.next(); ++members)
        for (qint64 total = 0, n;
             total < (qint64(64) << 20) && (n = reader.read(block, sizeof block)) > 0; total += n) {
        }
    return 0;
}
