#pragma once

#include <QString>

#include <type_traits>

/// Keeps every character that is not a control character (C0, DEL, C1), in
/// order; tabs between other characters become one space.
QString StripControlChars(QStringView text);

/// The pieces of a document's text: CR LF, CR and LF each end one. A visit
/// that answers a bool ends the walk by answering false.
template <typename Visit> void forEachPiece(QStringView text, const Visit &visit) {
    const auto goOn = [&visit](QStringView piece) {
        if constexpr (std::is_same_v<decltype(visit(piece)), bool>) {
            return visit(piece);
        } else {
            visit(piece);
            return true;
        }
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        if (!goOn(text.sliced(start, i - start)))
            return;
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    visit(text.sliced(start));
}
