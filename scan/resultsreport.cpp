#include "scan/resultsreport.h"

#include "platform/pathname.h"
#include "scan/scanrun.h"
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

QString rowLine(const MatchRecord &row) {
    if (row.text == ScanTexts::EndOfMatches)
        return ScanTexts::EndOfMatches;
    return QStringLiteral("FILE: ") + trimSpaces(platform::displayPath(row.path)) +
           QStringLiteral(";  LINE: ") + trimSpaces(row.line) + QStringLiteral(";  MATCH: ") +
           trimSpaces(row.text);
}

bool Writer::writeLine(const QString &line) {
    const QByteArray bytes = (line + LineEnd).toUtf8();
    return device_.write(bytes) == bytes.size();
}

bool Writer::writeHeader(const Header &header, const QLocale &locale) {
    for (const QString &line : headerLines(header, locale))
        if (!writeLine(line))
            return false;
    return true;
}

} // namespace ResultsReport
