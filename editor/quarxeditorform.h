#pragma once

#include "editor/editedfile.h"
#include "editor/findbar.h"
#include "editor/undohistory.h"
#include "scan/linecell.h"
#include "scan/searchexpression.h"

#include <QDialog>
#include <functional>

class QToolBar;
class RichTextBox;

namespace EditorTexts {
inline const QString CaptionPrefix = QStringLiteral("Text File Editor - ");
inline const QString SavePrompt = QStringLiteral("Save File As ");
inline const QString LoadFailed = QStringLiteral("Unable To Open ");
inline const QString SaveFailed = QStringLiteral("Unable To Save ");
inline const QString UnsavedQuestion = QStringLiteral("Save Changes To ");
inline const QString ChangedOnDisk =
    QStringLiteral("This File Was Changed By Another Program Since It Was Opened.\r\n\r\n"
                   "Overwrite It With The Text Shown Here");
inline const QString DroppedPartsNotice =
    QStringLiteral("This Document Has Headers, Footers, Footnotes Or Tables That The Editor "
                   "Cannot Show. Saving It Here Would Leave Them Out.");
inline const QString DroppedPartsQuestion = QStringLiteral(
    "Saving Leaves Out The Document's Headers, Footers, Footnotes And Tables.\r\n\r\n"
    "Save File As ");
inline const QString FolderReadOnly =
    QStringLiteral("The Folder Of This File Cannot Be Written, So The File Was Written In Place: ");
} // namespace EditorTexts

/// Where the editor opens a file: at a matched line of a text file, at a
/// piece of a document, or at the top (no line cell).
struct EditorPlace {
    LineCell line;
    QString text;
};

/// The modal text file editor: one matched file in a rich text box with every
/// occurrence of each search term in red, and the toolbar commands save,
/// print, undo, redo, cut, copy and paste. One window serves every opening.
class QUARXEditorForm : public QDialog {
    Q_OBJECT
  public:
    /// The editor of this run of the program, created at its first use.
    static QUARXEditorForm &instance();

    explicit QUARXEditorForm(QWidget *parent = nullptr);

    /// Where the search text comes from when the window is activated.
    void setSearchTextReader(std::function<QString()> reader);
    /// How the search text is matched when the editor colours and finds it.
    void setSearchOptions(const SearchOptions &options) { searchOptions_ = options; }
    /// Loads the file and prepares a fresh history; false with error when it
    /// cannot be read (the window then keeps nothing of it).
    bool openFile(const QString &path, QString &error);
    /// Shows bytes already read from path.
    void openBytes(const QString &path, const QByteArray &bytes);
    /// Puts the place's line in the middle of the view with its first match selected.
    void goTo(const EditorPlace &place);

    /// Colours every occurrence of each term of the search text in box, by the
    /// scan's own rules, over the text: the content is not changed.
    static void HighlightMatches(RichTextBox *box, const QString &text, quint32 colorRef,
                                 const SearchOptions &options = {});

    void EditTB_ButtonClick(const QString &key);
    void SaveText();
    void PrintText();
    void UndoChange();
    void RedoChange();
    void CutText();
    void CopyText();
    void PasteText();
    /// Opens the find bar with the selected text, the text last found or the search text.
    void Find();
    /// Selects the next (previous) occurrence of a term of the find bar's text,
    /// or of the search text while the bar is empty, going on round the end.
    void FindNext();
    void FindPrevious();
    /// The first-activation highlighting; repeats while the search text is blank.
    void Form_Activate();

    RichTextBox *rtfText = nullptr;
    QToolBar *EditTB = nullptr;
    FindBar *findBar = nullptr;
    bool FirstActivate = false;
    const UndoHistory &history() const { return history_; }
    const EditedFileKind &kind() const { return kind_; }

  protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

  private:
    void createToolbar();
    bool writeFile();
    bool mayClose();
    void createFindBar();
    void layoutControls();
    void find(bool forward);

    UndoHistory history_;
    EditedFileKind kind_;
    QByteArray original_;
    std::function<QString()> searchText_;
    SearchOptions searchOptions_;
    QList<QKeySequence> shortcuts_;
    /// Where the last typed text ended, to join a word's letters in one undo step.
    int lastTypedEnd_ = -1;
    bool lastTypedSpace_ = false;
};
