#pragma once

#include <QObject>

class QTextDocument;

/// The editor's undo history for one opening of a file. The document records
/// each change itself (what was inserted or removed, not a copy of the whole
/// content), so memory grows with the changes, not with the document's size.
/// This class keeps the history's rules: it starts with the loaded content,
/// Redo stops at the newest state, a change after Undo drops the states ahead,
/// and at most MaxStates states can be gone back through.
class UndoHistory : public QObject {
    Q_OBJECT
  public:
    static constexpr int MaxStates = 1000;

    /// Starts a history of the document's current content; earlier steps are forgotten.
    void reset(QTextDocument *document);

    bool canUndo() const;
    bool canRedo() const;
    void undo();
    void redo();

    /// States that can be reached: the current one and those behind and ahead of it.
    int count() const;
    int position() const;

  private:
    void stepAdded();

    QTextDocument *document_ = nullptr;
    /// The oldest steps, beyond the bound, that Undo no longer takes back.
    int floor_ = 0;
};
