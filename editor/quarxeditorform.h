#pragma once

#include "editor/editedfile.h"
#include "editor/undohistory.h"

#include <QDialog>
#include <functional>

class QToolBar;
class RichTextBox;

namespace EditorTexts {
inline const QString CaptionPrefix = QStringLiteral("Text File Editor - ");
inline const QString SavePrompt = QStringLiteral("Save File As ");
inline const QString LoadFailed = QStringLiteral("Unable To Open ");
inline const QString SaveFailed = QStringLiteral("Unable To Save ");
} // namespace EditorTexts

/// The modal text file editor: one matched file in a rich text box with every
/// occurrence of the search text in red, and the toolbar commands save,
/// print, undo, redo, cut, copy and paste. One window serves every opening.
class QUARXEditorForm : public QDialog {
    Q_OBJECT
  public:
    /// The editor of this run of the program, created at its first use.
    static QUARXEditorForm &instance();

    explicit QUARXEditorForm(QWidget *parent = nullptr);

    /// Where the search text comes from when the window is activated.
    void setSearchTextReader(std::function<QString()> reader);
    /// Loads the file and prepares a fresh history; false with error when it
    /// cannot be read (the window then keeps nothing of it).
    bool openFile(const QString &path, QString &error);

    /// Colours every occurrence of text in box (letter case ignored), keeping
    /// the caret and selection.
    static void HighlightMatches(RichTextBox *box, const QString &text, quint32 colorRef);

    void EditTB_ButtonClick(const QString &key);
    void SaveText();
    void PrintText();
    void UndoChange();
    void RedoChange();
    void CutText();
    void CopyText();
    void PasteText();
    /// The first-activation highlighting; repeats while the search text is blank.
    void Form_Activate();

    RichTextBox *rtfText = nullptr;
    QToolBar *EditTB = nullptr;
    bool FirstActivate = false;
    const UndoHistory &history() const { return history_; }

  protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    void createToolbar();
    void rtfText_Change();
    void restoreState(const QString &state);

    UndoHistory history_;
    EditedFileKind kind_;
    bool SuppressChange = false;
    std::function<QString()> searchText_;
};
