#pragma once

#include <QObject>

class QAbstractItemView;

/// Keeps the newest row of a list in sight while rows arrive, but only while
/// the user has not moved away from the end: a row picked (by click or key)
/// or the list scrolled up stops the following, and scrolling back to the
/// end, or the End key, takes it up again. A new list follows from the start.
class EndFollower : public QObject {
    Q_OBJECT
  public:
    /// Follows view's model and selection, which must be set.
    explicit EndFollower(QAbstractItemView &view);

    /// Whether the next rows will be brought into sight.
    bool following() const { return following_; }
    /// The user went to the end on purpose: follow again.
    void resume() { following_ = true; }

  private:
    QAbstractItemView &view_;
    /// Set by a new list and by the user's going to the end; cleared by the
    /// user's picking a row or scrolling away from the end.
    bool following_ = true;
};
