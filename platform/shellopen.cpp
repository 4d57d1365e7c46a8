#include "platform/shellopen.h"

#include "platform/pathname.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace platform {

bool isAddress(const QString &target) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(target).hasMatch();
}

bool openWithAssociatedApplication(const QString &target, const QString &workingFolder) {
    QString item = target;
    if (!isAddress(target)) {
        if (target.trimmed().isEmpty() || !pathStatus(target))
            return false;
        // An absolute path cannot be taken for one of the opener's options.
        item = QFileInfo(target).absoluteFilePath();
        // An argument is passed as UTF-8, which cannot spell a name that is not: such a
        // name goes as a file address whose escapes keep its bytes.
        const QByteArray bytes = pathBytes(item);
        if (bytes != item.toUtf8())
            item = QStringLiteral("file://") + QString::fromLatin1(bytes.toPercentEncoding("/"));
    }
    // No shell: the item goes to the opener as one argument, spaces and all.
    return QProcess::startDetached(QStringLiteral("xdg-open"), {item}, workingFolder);
}

} // namespace platform
