#pragma once

#include "quarrixversion.h"
#include "scan/scanquery.h"

#include <QString>
#include <optional>

/// The per-user settings: string values under application "Quarrix Pro",
/// section "Settings". Keys and values are trimmed of spaces both ways.
namespace SettingsStore {

inline const QString ApplicationName = QString::fromLatin1(QuarrixVersion::ProductName);
inline const QString Section = QStringLiteral("Settings");

void SaveSettingValue(const QString &key, const QString &value);
QString ReadSettingValue(const QString &key, const QString &defaultValue);
/// The stored folder when something exists at it, else the root folder.
QString ReadFolderSetting(const QString &key);
/// Whether a file or folder exists at path; false for an empty path.
bool EntryExists(const QString &path);

/// "True"/"False" in any case, or a number (0 is false); nothing otherwise.
std::optional<bool> booleanForm(const QString &value);
QString booleanText(bool value);
/// "LastSearch01" to "LastSearch15".
QString pastSearchKey(int n);
/// "RecentFolder01" ... : the path box's recent folders, most recent first.
QString recentFolderKey(int n);
inline constexpr int PastSearchCount = 15;

/// The scan the user last set up: the folder (LastDSPath, the root when it is
/// gone), the mode (LastTab), the type filter (SpecifiedFiles, else AllFiles;
/// SpecifiedType) and the search text (LastScanText). Selected files are not
/// kept. A value that does not convert gives the design's choice.
ScanQuery ReadScanQuery();
/// The search options under keys of their own, each written only once set.
SearchOptions readSearchOptions();
void saveSearchOptions(const SearchOptions &options);
/// Writes query under the keys ReadScanQuery reads, AllFiles included.
void SaveScanQuery(const ScanQuery &query);

/// The window's place and size, and the column widths the user dragged (0
/// where none), under keys of their own.
inline const QString WindowGeometryKey = QStringLiteral("WindowGeometry");
inline const QString ColumnWidthsKey = QStringLiteral("ColumnWidths");
inline const QString ShowPreviewKey = QStringLiteral("ShowPreview");
QList<int> ReadColumnWidths();
void SaveColumnWidths(const QList<int> &widths);

/// Keeps the settings in an INI file at path instead of the user's store
/// (tests); an empty path goes back to the user's store.
void useStoreFile(const QString &path);

} // namespace SettingsStore
