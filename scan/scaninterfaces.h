#pragma once

#include <QString>

/// One row of the results: a match, or a marker row (empty path and line cell).
struct MatchRecord {
    QString path;
    QString line; ///< "12" for a text line, "@2" for a rich-text piece, empty for a marker
    QString text;

    bool operator==(const MatchRecord &) const = default;
};

/// What a receiver of the run's findings answers: go on, leave out what was
/// just offered (a folder and what is below it, or a file), or stop the run.
enum class WalkState { Continue, Skip, Quit };

/// Receives the rows of a run in the order they are recorded.
class MatchSink {
  public:
    virtual ~MatchSink() = default;
    /// False when the row could not be kept (a report that failed to write):
    /// the run stops at once.
    virtual bool AddMatch(const MatchRecord &row) = 0;
    /// A new run starts: rows of the last one are no longer wanted.
    virtual void clearMatches() {}
};

/// Where the run's progress goes: the status line, per-file errors, the match
/// count and the input messages.
class StatusSink {
  public:
    virtual ~StatusSink() = default;
    virtual void SBar(const QString &text) = 0;
    /// "Error: <description> (<path>)" for a file that could not be scanned.
    virtual void fileError(const QString &text) { SBar(text); }
    virtual void showMatchCount(qint64 count) { (void)count; }
    /// An input check refused the run (an exclamation box in the window).
    virtual void showMessage(const QString &text) { SBar(text); }
    /// A kernel file system (/proc, /sys, /dev) that the walk did not enter.
    virtual void folderSkipped(const QString &path) { (void)path; }
};

/// The run's way back to its host while it works.
class RunHooks {
  public:
    /// Started: the input was accepted; BuildingList and ListBuilt bracket the
    /// directory walk; Finished: the run is over, or refused after the walk.
    enum class Phase { Started, BuildingList, ListBuilt, Finished };
    virtual ~RunHooks() = default;
    /// Called often; a window runs its event loop here when enough time has
    /// passed. Cancel is taken during this call.
    virtual void yield() {}
    virtual void phaseChanged(Phase phase) { (void)phase; }
    /// Before each file of the run's list: done of total dealt with.
    virtual void fileProgress(qint64 done, qint64 total) { (void)done, (void)total; }
};

/// The current search text. revision() changes whenever the text may have
/// changed, so the run parses the expression again only then.
class SearchTextSource {
  public:
    virtual ~SearchTextSource() = default;
    virtual QString searchText() const = 0;
    virtual quint64 revision() const { return 0; }
};

/// A search text that never changes (quarrix-scan, tests).
class FixedSearchText : public SearchTextSource {
  public:
    explicit FixedSearchText(QString text) : text_(std::move(text)) {}
    QString searchText() const override { return text_; }

  private:
    QString text_;
};
