#include "scan/contextlines.h"

#include "platform/codepage.h"

#include <QFile>

namespace {

struct Range {
    qint64 first;
    qint64 last;
};

QList<Range> rangesOf(const QList<qint64> &matching, int before, int after) {
    QList<Range> ranges;
    for (const qint64 line : matching) {
        const Range range{std::max<qint64>(1, line - before), line + after};
        if (!ranges.isEmpty() && range.first <= ranges.back().last + 1)
            ranges.back().last = std::max(ranges.back().last, range.last);
        else
            ranges.append(range);
    }
    return ranges;
}

} // namespace

QList<QList<ContextLine>> readContext(const QString &path, const QList<qint64> &matching,
                                      int before, int after) {
    QList<QList<ContextLine>> groups;
    const QList<Range> ranges = rangesOf(matching, before, after);
    QFile file(path);
    if (ranges.isEmpty() || !file.open(QIODevice::ReadOnly))
        return groups;
    qsizetype next = 0; // the range being filled
    qint64 number = 1;
    QByteArray pending;
    bool crSeen = false;
    const auto take = [&](const QByteArray &line) {
        while (next < ranges.size() && number > ranges[next].last)
            ++next;
        if (next < ranges.size() && number >= ranges[next].first) {
            if (number == ranges[next].first)
                groups.append(QList<ContextLine>());
            QByteArrayView bytes(line);
            if (number == 1 && bytes.startsWith("\xEF\xBB\xBF"))
                bytes = bytes.sliced(3);
            groups.back().append({number, platform::decodeText(bytes)});
        }
        ++number;
    };
    while (next < ranges.size() && !file.atEnd()) {
        const QByteArray block = file.read(qint64{256} * 1024);
        if (block.isEmpty())
            break;
        qsizetype from = 0;
        for (qsizetype i = 0; i < block.size(); ++i) {
            const char c = block[i];
            if (c != '\n' && c != '\r')
                continue;
            if (c == '\n' && crSeen && i == from && pending.isEmpty()) {
                crSeen = false; // the LF of a CR LF
                from = i + 1;
                continue;
            }
            pending += block.sliced(from, i - from);
            take(pending);
            pending.clear();
            crSeen = c == '\r';
            from = i + 1;
        }
        pending += block.sliced(from);
        if (from < block.size())
            crSeen = false;
    }
    if (!pending.isEmpty())
        take(pending);
    return groups;
}
