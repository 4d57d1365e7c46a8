#pragma once

#include "editor/quarxeditorform.h"

#include <QString>
#include <functional>

class QWidget;

namespace EditorTexts {
inline const QString BinaryQuestion =
    QStringLiteral("File Appears To Be A Binary File (Non-Text)\r\n\r\n"
                   "Do You Want To Open This File In Its Associated Application?");
} // namespace EditorTexts

/// Opens path in the editor, modally, colouring the text searchText returns
/// when the window becomes active. A file that looks binary is offered to its
/// associated application instead; a file that cannot be read is reported in
/// a message box and nothing opens. The editor shows the place's line, or
/// the top when it names none.
/// The options say how the text is matched, as in the scan; captionNote
/// follows the file's name in the caption (a read-only copy says so).
void openInEditorWindow(const QString &path, QWidget *owner, std::function<QString()> searchText,
                        const EditorPlace &place = {}, const SearchOptions &options = {},
                        const QString &captionNote = {});
