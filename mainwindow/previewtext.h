#pragma once

#include "scan/scaninterfaces.h"
#include "scan/searchoptions.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>

/// The lines around a match, read from its file for the preview: a text
/// file's lines, or a document's pieces for an "@n" row. Only what is
/// needed is read: a text file up to the last line shown.
struct PreviewLines {
    qint64 first = 0;  ///< the number of the first line held (pieces count from 0)
    qint64 match = 0;  ///< the matched line's number
    QStringList lines; ///< from first on
    bool read = false; ///< the file could be read and holds the line
};

namespace PreviewText {
/// Lines shown before and after the match.
inline constexpr int Around = 4;
/// A longer line is cut here: the preview shows where, not all of it.
inline constexpr qsizetype LongestLine = 2000;

/// The lines around row's line, read from its file; stops early once stop is set.
PreviewLines linesAround(const MatchRecord &row, int around = Around,
                         const std::atomic<bool> *stop = nullptr);

/// Where the search's terms occur in a line, for colouring: every term
/// wherever it occurs, whether or not the line matches the whole search.
struct TermRange {
    qsizetype start;
    qsizetype length;
    bool operator==(const TermRange &) const = default;
};
QList<TermRange> termRanges(const QString &searchText, QStringView line,
                            const SearchOptions &options = {});
} // namespace PreviewText
