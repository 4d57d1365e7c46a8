// Reads the hot spot of a link cursor file from arbitrary bytes: no read past
// the end, and a hot spot only for bytes that start like a cursor file.
#include "about/linkcursor.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<QPoint> spot = LinkCursor::hotSpot(bytes);
    if (spot && (size < 22 || data[2] != 2 || spot->x() < 0 || spot->y() < 0))
        std::abort();
    return 0;
}
