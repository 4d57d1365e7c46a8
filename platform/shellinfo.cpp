#include "platform/shellinfo.h"

#include "platform/inputfile.h"
#include "platform/pathname.h"

#include <QGuiApplication>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace platform {
namespace {

// A page with a folded corner, for types the icon theme does not know.
QIcon genericFileIcon() {
    QPixmap page(32, 32);
    page.fill(Qt::transparent);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.moveTo(6.5, 2.5);
    outline.lineTo(19.5, 2.5);
    outline.lineTo(25.5, 8.5);
    outline.lineTo(25.5, 29.5);
    outline.lineTo(6.5, 29.5);
    outline.closeSubpath();
    painter.setPen(QColor(96, 96, 96));
    painter.setBrush(Qt::white);
    painter.drawPath(outline);
    painter.drawPolyline(QPolygonF({{19.5, 2.5}, {19.5, 8.5}, {25.5, 8.5}}));
    return QIcon(page);
}

// By name and first bytes, read through the platform layer so that every name opens.
QMimeType mimeTypeOf(const QString &path, const QString &name, bool folder) {
    const QMimeDatabase types;
    if (folder)
        return types.mimeTypeForName(QStringLiteral("inode/directory"));
    QByteArray start(4096, Qt::Uninitialized);
    InputFile file;
    const qint64 got = file.open(path) ? file.read(start.data(), start.size()) : 0;
    start.resize(qMax<qint64>(got, 0));
    return types.mimeTypeForFileNameAndData(name, start);
}

} // namespace

ShellFileInfo shellFileInfo(const QString &path) {
    ShellFileInfo info;
    const auto status = pathStatus(path);
    if (!status)
        return info;
    info.displayName = path.section(QLatin1Char('/'), -1);
    const QMimeType type = mimeTypeOf(path, info.displayName, status->folder);
    // The default type stands for "not known", and its description says so.
    if (type.isValid() && !type.isDefault())
        info.typeName = type.comment();
    // Icons are pixmaps, which need the application's windowing side.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return info;
    info.icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (info.icon.isNull())
        info.icon = genericFileIcon();
    return info;
}

} // namespace platform
