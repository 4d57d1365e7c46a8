#include "mainwindow/previewpane.h"

#include "scan/membercopy.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QTextBlock>
#include <QTextCursor>
#include <QtConcurrent/QtConcurrentRun>

namespace {

/// A file up to this size is read at once; a larger one off the event loop.
constexpr qint64 ReadAtOnce = qint64{256} * 1024;

} // namespace

PreviewPane::PreviewPane(QWidget *parent) : QTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    connect(&reading_, &QFutureWatcher<PreviewLines>::finished, this, [this] {
        if (!reading_.isCanceled())
            present(reading_.result());
    });
}

PreviewPane::~PreviewPane() {
    cancelReading();
    reading_.waitForFinished();
}

void PreviewPane::cancelReading() {
    if (stop_)
        stop_->store(true);
    reading_.cancel();
}

// A row inside a container is shown from the read-only copy of its member.
MatchRecord PreviewPane::readable(MatchRecord row) {
    if (row.inner.isEmpty())
        return row;
    QString error;
    row.path = MemberCopies::instance().copyOf(row.path, row.inner, error);
    row.inner.clear();
    return row;
}

void PreviewPane::showRow(const MatchRecord &row, const QString &searchText,
                          const SearchOptions &options) {
    cancelReading();
    searchText_ = searchText;
    options_ = options;
    if (row.line.isNone() || row.path.isEmpty()) {
        present({});
        return;
    }
    if (row.inner.isEmpty() && row.line.kind == LineCell::Kind::Line &&
        QFileInfo(row.path).size() <= ReadAtOnce) {
        present(PreviewText::linesAround(row));
        return;
    }
    stop_ = std::make_shared<std::atomic<bool>>(false);
    reading_.setFuture(QtConcurrent::run([row, stop = stop_] {
        return PreviewText::linesAround(readable(row), PreviewText::Around, stop.get());
    }));
}

void PreviewPane::present(const PreviewLines &lines) {
    shown_ = lines;
    clear();
    if (!lines.read) {
        Q_EMIT rowShown();
        return;
    }
    QTextCursor cursor(document());
    const int digits = int(QString::number(lines.first + lines.lines.size()).size());
    QTextCharFormat plain;
    QTextCharFormat number;
    number.setForeground(palette().color(QPalette::PlaceholderText));
    QTextCharFormat term;
    term.setBackground(palette().color(QPalette::Highlight));
    term.setForeground(palette().color(QPalette::HighlightedText));
    QTextBlockFormat matchBlock;
    matchBlock.setBackground(palette().color(QPalette::AlternateBase));
    QTextBlock matched;
    for (qsizetype i = 0; i < lines.lines.size(); ++i) {
        const qint64 n = lines.first + i;
        if (i > 0)
            cursor.insertBlock(n == lines.match ? matchBlock : QTextBlockFormat());
        else if (n == lines.match)
            cursor.setBlockFormat(matchBlock);
        QTextCharFormat numberHere = number;
        numberHere.setFontWeight(n == lines.match ? QFont::Bold : QFont::Normal);
        cursor.insertText(QStringLiteral("%1  ").arg(n, digits), numberHere);
        const QString &text = lines.lines[i];
        qsizetype at = 0;
        for (const PreviewText::TermRange &range :
             PreviewText::termRanges(searchText_, text, options_)) {
            cursor.insertText(text.mid(at, range.start - at), plain);
            cursor.insertText(text.mid(range.start, range.length), term);
            at = range.start + range.length;
        }
        cursor.insertText(text.mid(at), plain);
        if (n == lines.match)
            matched = cursor.block();
    }
    if (matched.isValid()) {
        QTextCursor show(matched);
        setTextCursor(show);
        ensureCursorVisible();
    }
    Q_EMIT rowShown();
}
