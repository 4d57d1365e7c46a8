#pragma once

#include "platform/pathname.h"

#include <QStringList>

/// How a row names a member of an archive, a compressed file, a mail or a
/// document: the outer path, then each inner name, joined by the separator.
/// The joined text is only shown and written; a row keeps its parts apart.
namespace RowPath {

/// A space, a small right-pointing triangle, a space: no path holds it.
inline const QString Separator = QStringLiteral(" \u25B8 ");

/// The path as the window, the report and quarrix-scan show it.
inline QString shown(const QString &path, const QStringList &inner) {
    QString text = platform::displayPath(path);
    for (const QString &name : inner)
        text += Separator + name;
    return text;
}

} // namespace RowPath
