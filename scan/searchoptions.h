#pragma once

#include <QDate>
#include <QStringList>

/// How the search text is matched and which files a tree scan takes, beyond
/// the type filter. Every option off (the default) is the plain search: letter
/// case ignored, substrings, all files the type filter passes.
struct SearchOptions {
    bool matchCase = false;
    /// A hit must not have a word character (letter, digit, mark, "_") on either side.
    bool wholeWord = false;
    /// The search text is one Perl-compatible expression ("|" alternation, "&" plain).
    bool regex = false;
    /// Globs matched against file and folder names; an excluded folder is not entered.
    QStringList excludes;
    /// Globs a file's name must match when there are any ("!glob" excludes).
    QStringList includes;
    /// Size limits in bytes; -1 is no limit.
    qint64 largerThan = -1;
    qint64 smallerThan = -1;
    /// Modified within this many days; 0 is no limit.
    int changedWithinDays = 0;
    /// Modified on or after this day; null is no limit.
    QDate changedAfter;
    /// Lines shown around each matching line in quarrix-scan and a saved report (0-9).
    int contextBefore = 0;
    int contextAfter = 0;

    bool isDefault() const { return *this == SearchOptions{}; }
    bool limitsFiles() const {
        return !excludes.isEmpty() || !includes.isEmpty() || largerThan >= 0 || smallerThan >= 0 ||
               changedWithinDays > 0 || changedAfter.isValid();
    }
    bool operator==(const SearchOptions &) const = default;
};
