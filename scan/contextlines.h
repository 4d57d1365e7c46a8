#pragma once

#include <QList>
#include <QString>

/// A line of a text file shown around a matching line.
struct ContextLine {
    qint64 number = 0; ///< from 1
    QString text;
};

/// The lines within before and after lines of the matching lines (numbers in
/// order) of a text file, in groups of adjacent lines, matching lines
/// included. Read in blocks, only as far as the last line wanted; lines end at
/// CR, LF or CR LF, as the text reader cuts them. Empty when the file cannot be read.
QList<QList<ContextLine>> readContext(const QString &path, const QList<qint64> &matching,
                                      int before, int after);
