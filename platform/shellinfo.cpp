#include "platform/shellinfo.h"

#include <QFileInfo>
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

} // namespace

ShellFileInfo shellFileInfo(const QString &path) {
    ShellFileInfo info;
    const QFileInfo file(path);
    if (!file.exists())
        return info;
    info.displayName = file.fileName();
    const QMimeType type = QMimeDatabase().mimeTypeForFile(file);
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
