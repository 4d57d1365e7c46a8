#pragma once

#include "scan/linecell.h"

#include <QString>
#include <QStringList>

/// One row of the results: a match, or a marker row (empty path, no line cell).
struct MatchRecord {
    QString path;
    LineCell line;
    QString text;
    /// Where path is a container: the names of the member inside it,
    /// outermost first (rowpath.h joins them for showing). Empty for a file.
    QStringList inner = {};

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
    /// passed. False stops the run as Cancel does (the window answers so once
    /// Cancel was clicked during this call or before).
    virtual bool yield() { return true; }
    virtual void phaseChanged(Phase phase) { (void)phase; }
    /// Before each file of the run's list: done of total dealt with.
    virtual void fileProgress(qint64 done, qint64 total) { (void)done, (void)total; }
};
