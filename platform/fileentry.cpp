#include "platform/fileentry.h"

#include "platform/direntries.h"
#include "platform/fullpath.h"
#include "platform/pathname.h"

#include <QRegularExpression>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform {
namespace {

QDateTime utcTime(const struct statx_timestamp &stamp) {
    return QDateTime::fromMSecsSinceEpoch(stamp.tv_sec * 1000 + stamp.tv_nsec / 1000000, Qt::UTC);
}

bool statPath(const QByteArray &name, struct statx *st) {
    const unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
    return ::statx(AT_FDCWD, name.constData(), 0, mask, st) == 0 ||
           ::statx(AT_FDCWD, name.constData(), AT_SYMLINK_NOFOLLOW, mask, st) == 0;
}

quint32 attributesOf(const struct statx &st, const QString &name) {
    quint32 attributes = 0;
    if (!(st.stx_mode & S_IWUSR))
        attributes |= FileAttribute::ReadOnly;
    if (name.startsWith(QLatin1Char('.')))
        attributes |= FileAttribute::Hidden;
    if (S_ISDIR(st.stx_mode))
        attributes |= FileAttribute::Directory;
    if ((st.stx_attributes_mask & STATX_ATTR_COMPRESSED) &&
        (st.stx_attributes & STATX_ATTR_COMPRESSED))
        attributes |= FileAttribute::Compressed;
    return attributes;
}

FileEntry entryOf(const struct statx &st, const QString &name) {
    FileEntry entry;
    entry.attributes = attributesOf(st, name);
    entry.creationTime = utcTime((st.stx_mask & STATX_BTIME) ? st.stx_btime : st.stx_ctime);
    entry.lastAccessTime = utcTime(st.stx_atime);
    entry.lastWriteTime = utcTime(st.stx_mtime);
    entry.size = static_cast<qint64>(st.stx_size);
    entry.longName = name;
    return entry;
}

bool isPattern(QStringView name) {
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

// "*" any run of characters, "?" any one; every other character stands for itself.
QRegularExpression patternExpression(QStringView pattern) {
    QString expression;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('*'))
            expression += QStringLiteral(".*");
        else if (c == QLatin1Char('?'))
            expression += QLatin1Char('.');
        else
            expression += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(expression),
                              QRegularExpression::DotMatchesEverythingOption);
}

std::optional<FileEntry> findMatching(const QString &folder, QStringView pattern) {
    const QRegularExpression expression = patternExpression(pattern);
    const DirListing listing = listDirectory(folder.isEmpty() ? QString(pathSeparator) : folder);
    for (const DirEntry &candidate : listing.entries) {
        const QString name = pathText(candidate.name);
        if (!expression.match(name).hasMatch())
            continue;
        struct statx st {};
        if (statPath(pathBytes(folder + pathSeparator + name), &st))
            return entryOf(st, name);
    }
    return std::nullopt;
}

} // namespace

std::optional<FileEntry> findFirstFile(const QString &path) {
    const qsizetype cut = path.lastIndexOf(pathSeparator);
    const QString name = path.mid(cut + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return std::nullopt;
    struct statx st {};
    if (statPath(pathBytes(path), &st))
        return entryOf(st, name);
    if (isPattern(name))
        return findMatching(cut < 0 ? QStringLiteral(".") : path.left(cut), name);
    return std::nullopt;
}

qint64 onDiskSize(const QString &path) {
    struct stat st {};
    if (::stat(pathBytes(path).constData(), &st) != 0)
        return -1;
    return static_cast<qint64>(st.st_blocks) * 512;
}

} // namespace platform
