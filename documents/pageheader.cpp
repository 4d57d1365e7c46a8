#include "documents/pageheader.h"

namespace {

/// Characters of a colour code after "&K": six hex digits, or a theme
/// colour and its tint ("01+000").
constexpr qsizetype ColourChars = 6;

} // namespace

QString sheetHeaderText(QStringView codes) {
    QString out;
    const auto partBreak = [&out] {
        if (!out.isEmpty() && !out.endsWith(u' '))
            out += u' ';
    };
    for (qsizetype i = 0; i < codes.size(); ++i) {
        if (codes[i] != u'&' || i + 1 == codes.size()) {
            out += codes[i];
            continue;
        }
        const QChar code = codes[++i];
        if (code == u'&') {
            out += u'&';
        } else if (code == u'"') { // a font name and style, up to its closing quote
            const qsizetype end = codes.indexOf(u'"', i + 1);
            i = end < 0 ? codes.size() : end;
        } else if (code.isDigit()) { // a font size
            while (i + 1 < codes.size() && codes[i + 1].isDigit())
                ++i;
        } else if (code == u'K' || code == u'k') {
            i += ColourChars;
        } else if (code == u'L' || code == u'C' || code == u'R') {
            partBreak();
        }
        // Any other code is a field or a style switch: nothing to show.
    }
    return out.simplified();
}
