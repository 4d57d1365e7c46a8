#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/// The editor's undo history for one opening of a file: whole-content states
/// in RTF, the loaded content first. States are held compressed, and the
/// oldest are dropped beyond MaxStates or beyond a bound of stored bytes, so a
/// large file cannot make the history grow without bound.
class UndoHistory {
  public:
    static constexpr int MaxStates = 1000;
    static constexpr qsizetype DefaultMaxBytes = 64 * 1024 * 1024;

    explicit UndoHistory(qsizetype maxBytes = DefaultMaxBytes) : maxBytes_(maxBytes) {}

    /// Forgets everything; state becomes the only (current) state.
    void reset(const QString &state);
    /// A new state after the current one; states ahead of it are dropped.
    void record(const QString &state);
    /// Replaces the current state (formatting the user should not undo).
    void replaceCurrent(const QString &state);

    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ + 1 < states_.size(); }
    /// Moves back or forward one state and returns it; empty when it cannot.
    QString undo();
    QString redo();

    int count() const { return int(states_.size()); }
    int position() const { return position_; }
    qsizetype storedBytes() const { return bytes_; }

  private:
    QString stateAt(int index) const;
    void dropOldest();

    QList<QByteArray> states_;
    int position_ = -1;
    qsizetype bytes_ = 0;
    qsizetype maxBytes_;
};
