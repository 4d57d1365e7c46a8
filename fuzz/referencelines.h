#pragma once

// The slow, obvious reading of a text that the fast scanner must agree with.

#include "platform/codepage.h"
#include "scan/linefinder.h"
#include "scan/searchexpression.h"

#include <QByteArray>
#include <QStringDecoder>
#include <vector>

namespace fuzzref {

struct Line {
    qint64 number;
    QByteArray bytes;
};

/// Lines end at CR, LF or CR LF; no empty line after a final line end.
inline std::vector<Line> cutLines(const QByteArray &text) {
    std::vector<Line> lines;
    qsizetype start = 0;
    qint64 number = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back({++number, text.mid(start, i - start)});
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back({++number, text.mid(start)});
    return lines;
}

/// The file's bytes as the scanner sees them: no UTF-8 mark, UTF-16 as UTF-8.
inline QByteArray contentOf(const QByteArray &file) {
    if (file.startsWith("\xEF\xBB\xBF"))
        return file.mid(3);
    const bool le = file.startsWith("\xFF\xFE");
    if (le || file.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return QString(decoder(file.mid(2))).toUtf8();
    }
    return file;
}

inline bool selected(const SearchExpression &expression, const QByteArray &line, bool everyLine) {
    if (expression.isBlank())
        return everyLine;
    return expression.LineMatches(platform::decodeText(line));
}

} // namespace fuzzref
