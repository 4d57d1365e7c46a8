#include "scan/resultsreport.h"

#include "platform/pathname.h"
#include "scan/contextlines.h"
#include "scan/rowpath.h"
#include "scan/scantexts.h"
#include "scan/searchexpression.h"

#include <charconv>

namespace ResultsReport {

QString formatDateTime(const QDateTime &when, const QLocale &locale) {
    return locale.toString(when, QStringLiteral("dddd, MMMM, dd, yyyy (HH:mm:ss)"));
}

QStringList headerLines(const Header &header, const QLocale &locale) {
    QStringList lines{header.selectedFileMode ? QStringLiteral("Results From Selected File Scan")
                                              : QStringLiteral("Results From Directory Tree Scan"),
                      QStringLiteral("Date/Time: ") + formatDateTime(header.when, locale),
                      QStringLiteral("Searched For: ") + header.searchedFor};
    if (!header.options.isEmpty())
        lines += QStringLiteral("Options: ") + header.options;
    lines += {QStringLiteral("Directory: ") + platform::displayPath(header.directory), QString(),
              QString(), QStringLiteral("Matches...")};
    return lines;
}

Header headerOf(const ScanQuery &query, const QDateTime &when) {
    Header header;
    header.selectedFileMode = query.mode == ScanMode::SelectedFiles;
    header.when = when;
    header.searchedFor = query.searchText;
    header.directory = query.folder;
    header.options = optionsText(query.options);
    header.contextBefore = query.options.contextBefore;
    header.contextAfter = query.options.contextAfter;
    return header;
}

QString optionsText(const SearchOptions &options) {
    QStringList parts;
    if (options.matchCase)
        parts += QStringLiteral("Match Case");
    if (options.wholeWord)
        parts += QStringLiteral("Whole Word");
    if (options.regex)
        parts += QStringLiteral("Regular Expression");
    if (!options.includes.isEmpty())
        parts += QStringLiteral("Names: ") + options.includes.join(u';');
    if (!options.excludes.isEmpty())
        parts += QStringLiteral("Exclude: ") + options.excludes.join(u';');
    if (options.largerThan >= 0)
        parts += QStringLiteral("Larger Than: %1 bytes").arg(options.largerThan);
    if (options.smallerThan >= 0)
        parts += QStringLiteral("Smaller Than: %1 bytes").arg(options.smallerThan);
    if (options.changedWithinDays > 0)
        parts += QStringLiteral("Modified Within: %1 days").arg(options.changedWithinDays);
    if (options.changedAfter.isValid())
        parts += QStringLiteral("Modified After: ") + options.changedAfter.toString(Qt::ISODate);
    if (options.contextBefore > 0 || options.contextAfter > 0)
        parts += QStringLiteral("Context: %1 before, %2 after")
                     .arg(options.contextBefore)
                     .arg(options.contextAfter);
    return parts.join(QStringLiteral("; "));
}

namespace {
// ASCII, so that writeRow() can make the cells UTF-8 one by one.
constexpr QLatin1StringView FileLabel("FILE: ");
constexpr QLatin1StringView LineLabel(";  LINE: ");
constexpr QLatin1StringView MatchLabel(";  MATCH: ");
constexpr QLatin1StringView ContextLabel(";  CONTEXT: ");
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
    if (row.line.kind == LineCell::Kind::Line) { // most rows: spare a string a row
        char digits[24];
        const char *end = std::to_chars(digits, digits + sizeof digits, row.line.number).ptr;
        line_.append(digits, end - digits);
    } else {
        appendUtf8(row.line.text());
    }
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

bool Writer::writeRowsWithContext(const QList<MatchRecord> &rows, int before, int after) {
    const bool lines = std::all_of(rows.cbegin(), rows.cend(), [](const MatchRecord &row) {
        return row.line.kind == LineCell::Kind::Line && row.inner.isEmpty();
    });
    if (rows.isEmpty() || !lines || (before <= 0 && after <= 0)) {
        for (const MatchRecord &row : rows)
            if (!writeRow(row))
                return false;
        return true;
    }
    QList<qint64> numbers;
    for (const MatchRecord &row : rows)
        numbers.append(row.line.number);
    qsizetype at = 0; // the next matching row
    for (const QList<ContextLine> &group : readContext(rows.front().path, numbers, before, after)) {
        if (groupsWritten_++ > 0 && !writeLine(QStringLiteral("--")))
            return false;
        for (const ContextLine &line : group) {
            const bool matched = at < rows.size() && rows[at].line.number == line.number;
            const bool ok = matched
                                ? writeRow(rows[at++])
                                : writeLine(FileLabel + platform::displayPath(rows.front().path) +
                                            LineLabel + QString::number(line.number) +
                                            ContextLabel + trimmedSpaces(line.text));
            if (!ok)
                return false;
        }
    }
    // Rows the file no longer holds (it changed since) are still written.
    for (; at < rows.size(); ++at)
        if (!writeRow(rows[at]))
            return false;
    return true;
}

} // namespace ResultsReport
