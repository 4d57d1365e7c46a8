#pragma once

#include "scan/searchoptions.h"

#include <QDateTime>
#include <QList>
#include <QRegularExpression>

/// The options that leave files and folders of a tree scan out: name globs
/// ("!" before a glob of the include list is an exclusion too), size and
/// modification limits. Built once per run.
class FileLimits {
  public:
    explicit FileLimits(const SearchOptions &options,
                        const QDateTime &now = QDateTime::currentDateTime());

    /// Whether a folder of this name (not the scan's root) is not entered.
    bool excludesFolder(const QString &name) const;
    /// Whether a file at path passes the name, size and date limits.
    bool passes(const QString &path) const;
    /// Nothing to check.
    bool isEmpty() const { return empty_; }

  private:
    static bool anyMatch(const QList<QRegularExpression> &globs, const QString &name);

    QList<QRegularExpression> excludes_;
    QList<QRegularExpression> includes_;
    qint64 largerThan_ = -1;
    qint64 smallerThan_ = -1;
    QDateTime changedSince_;
    bool empty_ = true;
};

/// The last name of a path, a trailing separator ignored.
QString lastName(const QString &path);
