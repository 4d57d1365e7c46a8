#include "mainwindow/openineditor.h"

#include "editor/openfile.h"

#include <QWidget>

void OpenInEditor(const QString &path, QWidget *owner, const QString &searchText,
                  const EditorPlace &place, const SearchOptions &options,
                  const QString &captionNote) {
    openInEditorWindow(
        path, owner ? owner->window() : nullptr, [searchText] { return searchText; }, place,
        options, captionNote);
}
