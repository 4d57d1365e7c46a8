#pragma once

#include "editor/quarxeditorform.h"

#include <QString>

class QWidget;

/// Opens path in the text file editor, modally, colouring searchText, at the
/// place of a results row (or at the top). owner is the main window or one
/// of its controls.
void OpenInEditor(const QString &path, QWidget *owner, const QString &searchText,
                  const EditorPlace &place = {}, const SearchOptions &options = {},
                  const QString &captionNote = {});
