#include "scan/filelimits.h"

#include <QFileInfo>

namespace {

QRegularExpression globOf(const QString &glob) {
    // A name holds no separator, so the glob is matched as a whole name.
    return QRegularExpression(QRegularExpression::wildcardToRegularExpression(glob));
}

} // namespace

QString lastName(const QString &path) {
    QStringView name(path);
    while (name.size() > 1 && name.endsWith(u'/'))
        name.chop(1);
    return name.sliced(name.lastIndexOf(u'/') + 1).toString();
}

FileLimits::FileLimits(const SearchOptions &options, const QDateTime &now)
    : largerThan_(options.largerThan), smallerThan_(options.smallerThan) {
    for (const QString &glob : options.excludes)
        if (!glob.trimmed().isEmpty())
            excludes_.append(globOf(glob.trimmed()));
    for (const QString &glob : options.includes) {
        if (glob.startsWith(u'!'))
            excludes_.append(globOf(glob.mid(1)));
        else if (!glob.isEmpty())
            includes_.append(globOf(glob));
    }
    if (options.changedWithinDays > 0)
        changedSince_ = now.addDays(-options.changedWithinDays);
    if (options.changedAfter.isValid()) {
        const QDateTime after = options.changedAfter.startOfDay();
        changedSince_ = changedSince_.isValid() ? std::max(changedSince_, after) : after;
    }
    empty_ = excludes_.isEmpty() && includes_.isEmpty() && largerThan_ < 0 && smallerThan_ < 0 &&
             !changedSince_.isValid();
}

bool FileLimits::anyMatch(const QList<QRegularExpression> &globs, const QString &name) {
    return std::any_of(globs.cbegin(), globs.cend(), [&name](const QRegularExpression &glob) {
        return glob.match(name).hasMatch();
    });
}

bool FileLimits::excludesFolder(const QString &name) const {
    return anyMatch(excludes_, name);
}

bool FileLimits::passes(const QString &path) const {
    if (empty_)
        return true;
    const QString name = lastName(path);
    if (anyMatch(excludes_, name) || (!includes_.isEmpty() && !anyMatch(includes_, name)))
        return false;
    if (largerThan_ < 0 && smallerThan_ < 0 && !changedSince_.isValid())
        return true;
    const QFileInfo info(path);
    if (largerThan_ >= 0 && info.size() <= largerThan_)
        return false;
    if (smallerThan_ >= 0 && info.size() >= smallerThan_)
        return false;
    return !changedSince_.isValid() || info.lastModified() >= changedSince_;
}
