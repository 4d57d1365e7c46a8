#pragma once

#include "quarrixversion.h"

#include <QString>

/// The main window's own words.
namespace FormTexts {
inline const QString ProductName = QString::fromLatin1(QuarrixVersion::ProductName);
inline const QString Initializing = QStringLiteral("Initializing...");
inline const QString Ready = QStringLiteral("Ready");
inline const QString SavingSettings = QStringLiteral("Saving Settings");
inline const QString FileScanning = QStringLiteral("File Scanning");
inline const QString DirectoryScanning = QStringLiteral("Directory Scanning");
inline const QString ScanCaption = QStringLiteral("&Scan");
inline const QString CancelCaption = QStringLiteral("&Cancel");
inline const QString ScanTip = QStringLiteral("Scan For The Entered Text String");
inline const QString CancelTip = QStringLiteral("Cancel The Current Scan");
inline const QString PreviewCaption = QStringLiteral("Pre&view");
inline const QString PreviewTip =
    QStringLiteral("Show The Selected Match In Its File, With The Lines Around It");
inline const QString PathTip =
    QStringLiteral("Folder To Scan: Type Or Paste A Path, Or Drop A Folder On The Window");
/// The progress bar's text during a run: files read of the files found.
inline QString filesReadText(qint64 done, qint64 total) {
    return QStringLiteral("Files Read: %1 Of %2").arg(done).arg(total);
}
} // namespace FormTexts
