#pragma once

#include <QByteArrayView>
#include <QCursor>
#include <QPoint>
#include <QString>
#include <optional>

/// The pointer shown over the About window's links.
namespace LinkCursor {

/// The cursor file, looked for in the program's folder.
inline const QString FileName = QStringLiteral("url.cur");

/// The cursor file's full name in folder (a root folder gives one separator).
QString cursorPath(const QString &folder);

/// The hot spot of the first image of a cursor file's bytes; none when the
/// bytes are not a cursor file.
std::optional<QPoint> hotSpot(QByteArrayView bytes);

/// The cursor from folder's cursor file, or a pointing hand when the file is
/// missing or cannot be read.
QCursor load(const QString &folder);

} // namespace LinkCursor
