#include "scan/documentpieces.h"

#include <string_view>

QString StripControlChars(QStringView text) {
    QString kept(text.size(), Qt::Uninitialized);
    char16_t *const begin = reinterpret_cast<char16_t *>(kept.data());
    // Control characters (C0, DEL and C1) go; letters of every script,
    // punctuation and symbols stay as the document has them. Tabs between
    // words part them ("TO<tab>FROM") as one space; at either end of the
    // piece they part nothing and go.
    char16_t *end = begin;
    bool tabPending = false;
    for (const char16_t c : std::u16string_view(text.utf16(), size_t(text.size()))) {
        if (c == u'\t') {
            tabPending = end != begin;
        } else if (c >= 0x20 && (c < 0x7F || c > 0x9F)) {
            if (tabPending)
                *end++ = u' ';
            tabPending = false;
            *end++ = c;
        }
    }
    kept.truncate(end - begin);
    return kept;
}
