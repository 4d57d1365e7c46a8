#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

class QWidget;

/// The file dialogs of the system, behind the record that describes them.
namespace RIROR_CommonDialog {

/// Dialog flags, with the system's values.
inline constexpr quint32 OFN_READONLY = 0x1;
inline constexpr quint32 OFN_OVERWRITEPROMPT = 0x2;
inline constexpr quint32 OFN_HIDEREADONLY = 0x4;
inline constexpr quint32 OFN_NOCHANGEDIR = 0x8;
inline constexpr quint32 OFN_EXTENSIONDIFFERENT = 0x400;
inline constexpr quint32 OFN_PATHMUSTEXIST = 0x800;
inline constexpr quint32 OFN_FILEMUSTEXIST = 0x1000;
inline constexpr quint32 OFN_EXPLORER = 0x80000;
inline constexpr quint32 OFN_NODEREFERENCELINKS = 0x100000;
inline constexpr quint32 OFN_LONGNAMES = 0x200000;
/// What a caller that leaves Flags at 0 gets: long names, explorer style,
/// no read-only box, and a prompt before an existing file is replaced.
inline constexpr quint32 DefaultFlags =
    OFN_LONGNAMES | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
static_assert(DefaultFlags == 2621446);

/// The settings of the file dialog, kept between calls: what a caller sets
/// stays for the next call. Field names are the system record's.
struct OpenFileName {
    quint32 lStructSize = 0;
    QPointer<QWidget> hwndOwner;
    /// Description and pattern pairs, each part ended by a NUL:
    /// "Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0". A pattern may list
    /// several globs separated by ";".
    QString lpstrFilter;
    /// After a choice: the full path chosen.
    QString lpstrFile;
    quint32 nMaxFile = 0;
    /// After a choice: the file name alone.
    QString lpstrFileTitle;
    quint32 nMaxFileTitle = 0;
    QString lpstrInitialDir;
    QString lpstrTitle;
    quint32 Flags = 0;
    /// Where the name starts in lpstrFile.
    quint16 nFileOffset = 0;
    /// Appended when the user types a name without an extension.
    QString lpstrDefExt;
};

/// The dialog record, shared by every caller for the whole run.
extern OpenFileName FileDialogRecord;

/// What the save dialog hands back.
struct FileDialogResult {
    qint16 FileCount = 0;  ///< 1 after a choice, 0 after cancel
    QStringList FileNames; ///< entries 0 and 1; entry 1 holds the chosen name
    QString FolderPath;    ///< the chosen folder, ending in a separator
    bool Cancelled = true;

    /// FolderPath followed by the names 1 to FileCount: the full path, or
    /// empty after cancel.
    QString fullPath() const;
};

/// Centre mode that centres the dialog on its owner; any other value centres
/// it on the screen.
inline constexpr int CentreOnOwner = -1;

/// Shows the save-as dialog described by FileDialogRecord, centred on owner or
/// on the screen, and waits for the user's choice.
FileDialogResult ShowSaveDialog(QWidget *owner, int centreMode);

/// The dialog's name filters for a record's NUL-separated filter pairs.
QStringList nameFilters(const QString &lpstrFilter);

} // namespace RIROR_CommonDialog
