#pragma once

#include "scan/scaninterfaces.h"
#include "scan/scanquery.h"

#include <QDateTime>
#include <QIODevice>
#include <QLocale>
#include <QStringEncoder>
#include <QStringList>

/// The plain-text report of a scan's rows.
namespace ResultsReport {

struct Header {
    bool selectedFileMode = true;
    QDateTime when;
    QString searchedFor;
    QString directory;
    QString options = {}; ///< the search options set, or empty: no line for them
    /// Lines written around each matching line of a file on disk.
    int contextBefore = 0;
    int contextAfter = 0;
};

/// The options set, in words ("Match Case; Whole Word; Exclude: .git;build*").
QString optionsText(const SearchOptions &options);

/// The header of a report on query's scan: its mode, search text and folder.
Header headerOf(const ScanQuery &query, const QDateTime &when = QDateTime::currentDateTime());

/// "Tuesday, July, 17, 2001 (11:33:05)" with the locale's day and month names.
QString formatDateTime(const QDateTime &when, const QLocale &locale = QLocale());
/// The seven lines before the rows (eight with options).
QStringList headerLines(const Header &header, const QLocale &locale = QLocale());
/// The report line of one row.
QString rowLine(const MatchRecord &row);
/// Every report line ends so.
inline const QString LineEnd = QStringLiteral("\r\n");

/// Writes report lines to a device as UTF-8, each ended by CR LF. A failed
/// write leaves the lines before it in place.
class Writer {
  public:
    explicit Writer(QIODevice &device) : device_(device) {}
    bool writeLine(const QString &line);
    /// writeLine(rowLine(row)), without building the line: the part of it
    /// that names the file is made once for a file's rows.
    bool writeRow(const MatchRecord &row);
    bool writeHeader(const Header &header, const QLocale &locale = QLocale());
    /// One file's matching rows (lines, in order) with up to before and after
    /// lines around each, read from the file: "--" between groups apart.
    bool writeRowsWithContext(const QList<MatchRecord> &rows, int before, int after);
    QString errorString() const { return device_.errorString(); }

  private:
    void appendUtf8(QStringView text);

    QIODevice &device_;
    QStringEncoder encoder_{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
    QString rowPath_;      ///< the path of the last row written
    QStringList rowInner_; ///< and its member's names
    QByteArray rowHead_;   ///< its line up to the line cell
    QByteArray line_;      ///< kept to spare an allocation a row
    qint64 groupsWritten_ = 0;
};

} // namespace ResultsReport
