#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <vector>

/// Lines (or document pieces) that matched in one stretch of a file: their
/// numbers, and their texts kept one after another, so that a batch costs a
/// few blocks of memory however many lines it holds.
class FoundLines {
  public:
    void add(qint64 number, QStringView text);
    /// Adds a line as read from a text file, decoded as the user sees it,
    /// with suffix after it.
    void add(qint64 number, QByteArrayView line, QStringView suffix = {});
    qsizetype size() const { return static_cast<qsizetype>(numbers_.size()); }
    bool empty() const { return numbers_.empty(); }
    /// Line from 1, or document piece from 0.
    qint64 number(qsizetype i) const { return numbers_[static_cast<size_t>(i)]; }
    QStringView text(qsizetype i) const;
    /// The lines added from now on are of a file the document carries
    /// (empty: of the file itself).
    void startMember(const QStringList &inner);
    /// The names of the carried file line i is of; empty for the file's own.
    QStringList inner(qsizetype i) const;
    /// The bytes the batch holds.
    qint64 cost() const;

  private:
    std::vector<qint64> numbers_;
    std::vector<qsizetype> ends_;
    QString texts_;
    /// Where the lines of a carried file begin: (first line, its names).
    std::vector<std::pair<qsizetype, QStringList>> members_;
};
