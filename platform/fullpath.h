#pragma once

#include <QChar>
#include <QString>
#include <QStringView>
#include <optional>

namespace platform {

/// The folder separator of full paths ("/" here, "\" on Windows).
inline constexpr QChar pathSeparator = QLatin1Char('/');

/// The absolute form of a path: relative to the current folder, with "." and
/// ".." components and repeated separators removed; links are not resolved and
/// the file need not exist. Nothing for an empty path or one longer than the
/// system allows.
std::optional<QString> fullPathName(const QString &path);

/// Whether a full path names the root of a volume ("/" here).
bool isVolumeRoot(QStringView path);

/// The short (8.3) form of an existing path. Volumes here keep no short names,
/// so it is the path itself; nothing when the path does not exist.
std::optional<QString> shortPathName(const QString &path);

} // namespace platform
