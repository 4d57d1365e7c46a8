#include "dialogs/commondialog.h"

#include "dialogs/messagebox.h"
#include "dialogs/uiutilities.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace RIROR_CommonDialog {

OpenFileName FileDialogRecord;

namespace {

constexpr quint32 RecordSize = 76;
constexpr quint32 FileBufferSize = 2048;

/// The save dialog, with the checks the record's flags ask for on accepting.
class SaveFileDialog : public QFileDialog {
  public:
    SaveFileDialog(QWidget *owner, quint32 flags) : QFileDialog(owner), flags_(flags) {}

    void accept() override {
        const QStringList chosen = selectedFiles();
        if ((flags_ & OFN_PATHMUSTEXIST) && !chosen.isEmpty()) {
            const QFileInfo file(chosen.first());
            if (!QFileInfo(file.absolutePath()).isDir()) {
                FunctionModule::showMessageBox(
                    this,
                    QDir::toNativeSeparators(file.absolutePath()) +
                        QStringLiteral("\nThe folder does not exist. Check the path."),
                    MessageBoxStyle::Exclamation, windowTitle());
                return;
            }
        }
        QFileDialog::accept();
    }

  private:
    quint32 flags_;
};

void configure(QFileDialog &dialog, const OpenFileName &record) {
    dialog.setOption(QFileDialog::DontUseNativeDialog); // so it can be centred
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setWindowTitle(record.lpstrTitle.isEmpty() ? QStringLiteral("Save As")
                                                      : record.lpstrTitle);
    if (!record.lpstrInitialDir.isEmpty())
        dialog.setDirectory(record.lpstrInitialDir);
    const QStringList filters = nameFilters(record.lpstrFilter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
    }
    dialog.setDefaultSuffix(record.lpstrDefExt);
    const quint32 flags = record.Flags;
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(flags & OFN_OVERWRITEPROMPT));
    dialog.setOption(QFileDialog::DontResolveSymlinks, flags & OFN_NODEREFERENCELINKS);
    if (flags & OFN_FILEMUSTEXIST)
        dialog.setFileMode(QFileDialog::ExistingFile);
    // OFN_HIDEREADONLY: this dialog has no read-only box to hide.
}

/// Fills the record's output fields from the chosen path.
void recordChoice(OpenFileName &record, const QString &path) {
    record.lpstrFile = QDir::toNativeSeparators(path);
    const qsizetype separator = record.lpstrFile.lastIndexOf(QDir::separator());
    record.nFileOffset = static_cast<quint16>(separator + 1);
    record.lpstrFileTitle = record.lpstrFile.mid(record.nFileOffset);
    const QString extension = QFileInfo(record.lpstrFileTitle).suffix();
    const bool different = !record.lpstrDefExt.isEmpty() &&
                           extension.compare(record.lpstrDefExt, Qt::CaseInsensitive) != 0;
    record.Flags =
        different ? record.Flags | OFN_EXTENSIONDIFFERENT : record.Flags & ~OFN_EXTENSIONDIFFERENT;
}

} // namespace

QString FileDialogResult::fullPath() const {
    QString path = FolderPath;
    for (qsizetype i = 1; i <= FileCount && i < FileNames.size(); ++i)
        path += FileNames.at(i);
    return path;
}

QStringList nameFilters(const QString &lpstrFilter) {
    const QStringList parts = lpstrFilter.split(QChar(0));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts.at(i).isEmpty())
            break;
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts.at(i) + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

FileDialogResult ShowSaveDialog(QWidget *owner, int centreMode) {
    OpenFileName &record = FileDialogRecord;
    record.lStructSize = RecordSize;
    record.hwndOwner = owner;
    record.lpstrFile.clear();
    record.nMaxFile = FileBufferSize;
    record.lpstrFileTitle.clear();
    record.nMaxFileTitle = FileBufferSize;
    record.nFileOffset = 0;
    if (record.Flags == 0)
        record.Flags = DefaultFlags;

    SaveFileDialog dialog(owner, record.Flags);
    configure(dialog, record);
    using FunctionModule::CentreMode;
    FunctionModule::installCentreHook(
        centreMode == CentreOnOwner ? CentreMode::Owner : CentreMode::Screen, owner);
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    // A dialog that never showed must not leave the hook for some later window.
    FunctionModule::removeCentreHook();

    FileDialogResult result;
    result.FileNames = QStringList{QString(), QString()};
    if (!chosen)
        return result;
    recordChoice(record, dialog.selectedFiles().constFirst());
    result.FolderPath = record.lpstrFile.left(record.nFileOffset);
    result.FileCount = 1;
    result.FileNames[1] = record.lpstrFileTitle;
    result.Cancelled = false;
    return result;
}

} // namespace RIROR_CommonDialog
