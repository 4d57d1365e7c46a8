#include "mainwindow/previewtext.h"

#include "controls/richtext/richtextbuffer.h"
#include "platform/codepage.h"
#include "scan/documentpieces.h"
#include "scan/searchexpression.h"

#include <QFile>

namespace PreviewText {

namespace {

constexpr qint64 BlockSize = qint64{64} * 1024;

/// Keeps line number n's text when it falls in the range shown.
class LineKeeper {
  public:
    LineKeeper(qint64 first, qint64 last, PreviewLines &into)
        : first_(first), last_(last), into_(into) {}
    bool wanted(qint64 n) const { return n >= first_ && n <= last_; }
    void keep(QString text) {
        if (text.size() > LongestLine)
            text.truncate(LongestLine);
        into_.lines << text;
    }
    bool done(qint64 n) const { return n > last_; }

  private:
    qint64 first_, last_;
    PreviewLines &into_;
};

PreviewLines textLines(const QString &path, qint64 match, int around,
                       const std::atomic<bool> *stop) {
    PreviewLines out;
    out.match = match;
    out.first = std::max<qint64>(1, match - around);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    LineKeeper keeper(out.first, match + around, out);
    // CR, LF and CR LF each end one line, as the scan counts them.
    qint64 n = 1;
    QByteArray line;
    bool afterCr = false;
    while (!keeper.done(n) && !(stop && stop->load())) {
        const QByteArray block = file.read(BlockSize);
        if (block.isEmpty())
            break;
        for (const char c : block) {
            if (c == '\n' && afterCr) {
                afterCr = false;
                continue;
            }
            afterCr = c == '\r';
            if (c == '\r' || c == '\n') {
                if (keeper.wanted(n))
                    keeper.keep(platform::decodeText(line));
                line.clear();
                if (keeper.done(++n))
                    break;
            } else if (keeper.wanted(n) && line.size() < LongestLine * 4) {
                line.append(c);
            }
        }
    }
    if (keeper.wanted(n) && !line.isEmpty())
        keeper.keep(platform::decodeText(line));
    out.read = out.first + out.lines.size() > match;
    return out;
}

PreviewLines documentPieces(const QString &path, qint64 match, int around) {
    PreviewLines out;
    out.match = match;
    out.first = std::max<qint64>(0, match - around); // pieces count from 0
    // A document's text comes whole, as the scan loads it; its pieces are numbered as the scan
    // does.
    RichTextBuffer box;
    if (!box.setFileName(path))
        return out;
    const QString text = box.Text();
    LineKeeper keeper(out.first, match + around, out);
    qint64 n = 0;
    forEachPiece(QStringView(text), [&](QStringView piece) {
        if (keeper.wanted(n))
            keeper.keep(StripControlChars(piece));
        return !keeper.done(++n);
    });
    out.read = out.first + out.lines.size() > match;
    return out;
}

} // namespace

PreviewLines linesAround(const MatchRecord &row, int around, const std::atomic<bool> *stop) {
    switch (row.line.kind) {
    case LineCell::Kind::Line:
        return textLines(row.path, row.line.number, around, stop);
    case LineCell::Kind::Piece:
        return documentPieces(row.path, row.line.number, around);
    case LineCell::Kind::None:
        break;
    }
    return {};
}

QList<TermRange> termRanges(const QString &searchText, QStringView line,
                            const SearchOptions &options) {
    // Every term counts alone here: a line around the match holds some of
    // an AND search's terms, and they are coloured too.
    const SearchExpression search(searchText, options);
    const SearchExpression anyTerm(
        search.form() == SearchExpression::Form::And ? search.terms().join(u'|') : searchText,
        options);
    QList<TermRange> ranges;
    for (const SearchExpression::TermHit &hit : anyTerm.termHits(line))
        ranges.append({hit.start, hit.length});
    return ranges;
}

} // namespace PreviewText
