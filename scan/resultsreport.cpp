#include "scan/resultsreport.h"

#include "platform/pathname.h"
#include "scan/rowpath.h"
#include "scan/scantexts.h"
#include "scan/searchexpression.h"

namespace ResultsReport {

QString formatDateTime(const QDateTime &when, const QLocale &locale) {
    return locale.toString(when, QStringLiteral("dddd, MMMM, dd, yyyy (HH:mm:ss)"));
}

QStringList headerLines(const Header &header, const QLocale &locale) {
    return {header.selectedFileMode ? QStringLiteral("Results From Selected File Scan")
                                    : QStringLiteral("Results From Directory Tree Scan"),
            QStringLiteral("Date/Time: ") + formatDateTime(header.when, locale),
            QStringLiteral("Searched For: ") + header.searchedFor,
            QStringLiteral("Directory: ") + platform::displayPath(header.directory),
            QString(),
            QString(),
            QStringLiteral("Matches...")};
}

Header headerOf(const ScanQuery &query, const QDateTime &when) {
    Header header;
    header.selectedFileMode = query.mode == ScanMode::SelectedFiles;
    header.when = when;
    header.searchedFor = query.searchText;
    header.directory = query.folder;
    return header;
}

namespace {
// ASCII, so that writeRow() can make the cells UTF-8 one by one.
constexpr QLatin1StringView FileLabel("FILE: ");
constexpr QLatin1StringView LineLabel(";  LINE: ");
constexpr QLatin1StringView MatchLabel(";  MATCH: ");
} // namespace

QString rowLine(const MatchRecord &row) {
    if (row.text == ScanTexts::EndOfMatches)
        return ScanTexts::EndOfMatches;
    // The path is the file's own, spaces at its ends included: a name may end in one.
    return FileLabel + RowPath::shown(row.path, row.inner) + LineLabel + row.line.text() +
           MatchLabel + trimmedSpaces(row.text);
}

bool Writer::writeLine(const QString &line) {
    const QByteArray bytes = (line + LineEnd).toUtf8();
    return device_.write(bytes) == bytes.size();
}

// The labels between the cells are ASCII, so the cells can be made UTF-8 one
// by one: no pair of surrogates is split between two of them.
bool Writer::writeRow(const MatchRecord &row) {
    if (row.text == ScanTexts::EndOfMatches)
        return writeLine(row.text);
    if (row.path != rowPath_ || row.inner != rowInner_ || rowHead_.isEmpty()) {
        rowPath_ = row.path;
        rowInner_ = row.inner;
        rowHead_ = (FileLabel + RowPath::shown(row.path, row.inner) + LineLabel).toUtf8();
    }
    line_.truncate(0);
    line_ += rowHead_;
    appendUtf8(row.line.text());
    line_ += MatchLabel;
    appendUtf8(trimmedSpaces(row.text));
    line_ += "\r\n";
    return device_.write(line_) == line_.size();
}

// Encodes in place, sparing a copy a cell; a lone surrogate, which the encoder
// would replace otherwise, is written as QString::toUtf8 writes it.
void Writer::appendUtf8(QStringView text) {
    const qsizetype at = line_.size();
    line_.resize(at + encoder_.requiredSpace(text.size()));
    const char *end = encoder_.appendToBuffer(line_.data() + at, text);
    if (encoder_.hasError()) {
        encoder_.resetState();
        line_.truncate(at);
        line_ += text.toUtf8();
        return;
    }
    line_.truncate(end - line_.constData());
}

bool Writer::writeHeader(const Header &header, const QLocale &locale) {
    for (const QString &line : headerLines(header, locale))
        if (!writeLine(line))
            return false;
    return true;
}

} // namespace ResultsReport
