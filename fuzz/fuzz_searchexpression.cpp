// Checks the byte-level line finder against the plain per-line reading of the
// search expression on the same buffer: both must pick the same lines.
#include "fuzz/referencelines.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto *bytes = reinterpret_cast<const char *>(data);
    const char *split = static_cast<const char *>(memchr(bytes, 0, size));
    if (!split)
        return 0;
    const QString searchText = QString::fromUtf8(bytes, split - bytes);
    const QByteArray text(split + 1, static_cast<qsizetype>(size - (split - bytes) - 1));
    for (const bool everyLine : {false, true}) {
        const SearchExpression expression(searchText);
        const LineFinder finder(expression, everyLine);
        std::vector<QByteArray> found;
        finder.forEachMatch(text.constData(), text.constData() + text.size(),
                            [&](const char *b, const char *e) {
                                found.emplace_back(b, e - b);
                                return true;
                            });
        std::vector<QByteArray> expected;
        for (const auto &line : fuzzref::cutLines(text))
            if (fuzzref::selected(expression, line.bytes, everyLine))
                expected.push_back(line.bytes);
        if (found != expected)
            std::abort();
    }
    return 0;
}
