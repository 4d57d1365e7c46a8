#include "platform/fullpath.h"
#include "platform/pathname.h"

#include <QDir>
#include <climits>
#include <sys/stat.h>

namespace platform {

std::optional<QString> fullPathName(const QString &path) {
    if (path.isEmpty() || path.contains(QChar(0)))
        return std::nullopt;
    const QString absolute =
        QDir::isAbsolutePath(path) ? path : QDir::currentPath() + pathSeparator + path;
    // cleanPath works on the text alone, so a ".." after a link goes up from the link.
    QString full = QDir::cleanPath(absolute);
    // There is nothing above the root; cleanPath keeps such ".." components.
    while (full == QLatin1String("/..") || full.startsWith(QLatin1String("/../")))
        full.remove(0, 3);
    if (full.isEmpty())
        full = pathSeparator;
    if (pathBytes(full).size() >= PATH_MAX)
        return std::nullopt;
    return full;
}

bool isVolumeRoot(QStringView path) {
    return path.size() == 1 && path[0] == pathSeparator;
}

std::optional<QString> shortPathName(const QString &path) {
    struct stat st {};
    const QByteArray name = pathBytes(path);
    if (path.isEmpty() ||
        (::stat(name.constData(), &st) != 0 && ::lstat(name.constData(), &st) != 0))
        return std::nullopt;
    return path;
}

} // namespace platform
