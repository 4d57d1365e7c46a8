#include "platform/shellopen.h"

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
        const QFileInfo file(target);
        if (target.trimmed().isEmpty() || !file.exists())
            return false;
        // An absolute path cannot be taken for one of the opener's options.
        item = file.absoluteFilePath();
    }
    // No shell: the item goes to the opener as one argument, spaces and all.
    return QProcess::startDetached(QStringLiteral("xdg-open"), {item}, workingFolder);
}

} // namespace platform
