#include "editor/openfile.h"

#include "dialogs/messagebox.h"
#include "dialogs/uiutilities.h"
#include "editor/quarxeditorform.h"
#include "platform/shellopen.h"
#include "scan/functionmodule.h"

#include <QApplication>

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

void openInEditorWindow(const QString &path, QWidget *owner, std::function<QString()> searchText) {
    QString error;
    const bool binary = FunctionModule::IsBinaryFile(path, &error);
    if (!error.isEmpty()) {
        reportUnreadable(owner, path, error);
        return;
    }
    if (binary) {
        offerToAssociatedApplication(owner, path);
        return;
    }
    QUARXEditorForm &editor = QUARXEditorForm::instance();
    if (!editor.openFile(path, error)) {
        reportUnreadable(owner, path, error);
        return;
    }
    editor.setSearchTextReader(std::move(searchText));
    editor.setWindowModality(Qt::ApplicationModal);
    editor.exec();
    editor.setSearchTextReader({});
}
