#include "scan/documentpieces.h"

#include <algorithm>

QString StripControlChars(QStringView text) {
    QString kept(text.size(), Qt::Uninitialized);
    char16_t *const begin = reinterpret_cast<char16_t *>(kept.data());
    // Control characters (C0, DEL and C1) go; letters of every script,
    // punctuation and symbols stay as the document has them.
    char16_t *const end =
        std::copy_if(text.utf16(), text.utf16() + text.size(), begin,
                     [](char16_t c) { return c >= 0x20 && (c < 0x7F || c > 0x9F); });
    kept.truncate(end - begin);
    return kept;
}
