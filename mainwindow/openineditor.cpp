#include "mainwindow/openineditor.h"

#include "editor/openfile.h"

#include <QComboBox>
#include <QPointer>
#include <QWidget>

void OpenInEditor(const QString &path, QWidget *owner, const EditorPlace &place) {
    QWidget *window = owner ? owner->window() : nullptr;
    const QPointer<QComboBox> textList =
        window ? window->findChild<QComboBox *>(QStringLiteral("TextList")) : nullptr;
    openInEditorWindow(
        path, window, [textList] { return textList ? textList->currentText() : QString(); }, place);
}
