#include "editor/openfile.h"

#include "dialogs/messagebox.h"
#include "dialogs/uiutilities.h"
#include "editor/quarxeditorform.h"
#include "platform/shellopen.h"
#include "scan/functionmodule.h"

#include <QApplication>
#include <QTimer>

namespace {

void reportUnreadable(QWidget *owner, const QString &path, const QString &reason) {
    FunctionModule::showMessageBox(
        owner, EditorTexts::LoadFailed + path + QStringLiteral("\r\n\r\n") + reason,
        MessageBoxStyle::Exclamation);
}

void offerToAssociatedApplication(QWidget *owner, const QString &path) {
    if (FunctionModule::showMessageBox(owner, EditorTexts::BinaryQuestion,
                                       MessageBoxStyle::YesNo | MessageBoxStyle::Question) !=
        MessageBoxStyle::AnswerYes)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    platform::openWithAssociatedApplication(
        path, FunctionModule::AddTrailingBackslash(FunctionModule::programFolder()));
    QApplication::restoreOverrideCursor();
}

} // namespace

void openInEditorWindow(const QString &path, QWidget *owner, std::function<QString()> searchText,
                        const EditorPlace &place, const SearchOptions &options,
                        const QString &captionNote) {
    QString error;
    QByteArray bytes;
    if (!EditedFile::read(path, bytes, error)) {
        reportUnreadable(owner, path, error);
        return;
    }
    if (FunctionModule::LooksBinary(bytes)) {
        offerToAssociatedApplication(owner, path);
        return;
    }
    QUARXEditorForm &editor = QUARXEditorForm::instance();
    editor.setSearchTextReader(std::move(searchText));
    editor.setSearchOptions(options);
    editor.openBytes(path, bytes);
    if (!captionNote.isEmpty())
        editor.setWindowTitle(editor.windowTitle() + captionNote);
    // The view is centred on the line once the window has its size.
    QTimer::singleShot(0, &editor, [&editor, place] { editor.goTo(place); });
    editor.setWindowModality(Qt::ApplicationModal);
    editor.exec();
    editor.setSearchTextReader({});
    editor.setSearchOptions({});
}
