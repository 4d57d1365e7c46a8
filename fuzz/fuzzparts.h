#pragma once

#include <QByteArrayView>
#include <QList>
#include <cstddef>
#include <cstdint>

namespace fuzzparts {

/// Cuts a fuzz input into count parts at the marker "|PART|"; missing parts
/// are empty. Lets one input stand for the several streams of a document.
inline QList<QByteArrayView> split(const uint8_t *data, size_t size, int count) {
    QByteArrayView rest(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QByteArrayView> parts;
    constexpr QByteArrayView marker = "|PART|";
    while (parts.size() + 1 < count) {
        const qsizetype at = rest.indexOf(marker);
        if (at < 0)
            break;
        parts.append(rest.first(at));
        rest = rest.sliced(at + marker.size());
    }
    parts.append(rest);
    while (parts.size() < count)
        parts.append(QByteArrayView());
    return parts;
}

} // namespace fuzzparts
