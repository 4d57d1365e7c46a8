#pragma once

#include "scan/searchoptions.h"

#include <QString>
#include <QStringList>

enum class ScanMode { SelectedFiles, DirectoryTree };

/// What a scan is: the mode, the folder, the files selected in it, the type
/// filter and the search text. The Scan command builds it once from the
/// window; the settings store, the report header and quarrix-scan read and
/// write this same value.
struct ScanQuery {
    ScanMode mode = ScanMode::SelectedFiles;
    /// The folder of the selected files, or the root of the tree scanned.
    QString folder;
    /// Selected-file mode: the names chosen in folder.
    QStringList selectedFiles;
    /// Directory-tree mode: only files of one type, else all files.
    bool specifiedType = false;
    /// The type as the user wrote it ("txt", ".txt" or "*.txt"), or a list
    /// of them ("c;h;cpp").
    QString type;
    QString searchText;
    /// Files with NUL bytes near their start are searched line by line as text.
    bool binaryAsText = false;
    /// Archives and compressed files are read as the files they hold.
    bool searchArchives = false;
    SearchOptions options;

    bool operator==(const ScanQuery &) const = default;
};
