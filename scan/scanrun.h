#pragma once

#include "controls/richtext/richtextbuffer.h"
#include "platform/pathname.h"
#include "scan/filescanner.h"
#include "scan/fileselection.h"
#include "scan/readahead.h"
#include "scan/scaninterfaces.h"
#include "scan/scanquery.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct CompiledSearch;

enum class ScanOutcome { Refused, Completed, Cancelled };

/// A whole scan from the Scan command to its marker row, in either mode, with
/// the input checks, Cancel and the final status text. The window, the tests
/// and quarrix-scan drive this same class through the engine's interfaces.
class ScanRun {
  public:
    ScanRun(MatchSink &matches, StatusSink &status, RunHooks &hooks);
    ~ScanRun();

    /// Runs the query. In the selected-file mode, files (when given) is the
    /// live list the user may change during the run; without it the query's
    /// selected files in its folder are scanned.
    ScanOutcome run(const ScanQuery &query, const FileSelection *files = nullptr);
    /// The query of the run, as last edited.
    const ScanQuery &query() const { return query_; }
    /// Lines of the last run whose regular-expression match went past the limits.
    qint64 linesGivenUp() const;
    /// An edit of the search text, taken during a yield (the window's search
    /// box is read live): a new revision of the query, whose text the run
    /// searches for from its next line on.
    void editSearchText(const QString &text);
    /// Cancel, taken during a yield: the run stops before its next line or
    /// file, the open file is closed and the rich text box cleared.
    void cancel();
    /// Files a directory walk passes over (a report being written into the tree).
    void leaveOut(std::vector<platform::FileId> files) { leftOut_ = std::move(files); }

    /// True while the run may go on; set by the run, cleared only by cancel().
    bool ContinueScan = false;
    /// Matches recorded in the current run (marker rows not counted).
    qint64 LinesMatched = 0;
    /// Rows of the current run, marker rows included.
    qsizetype rowsRecorded() const { return rows_; }
    /// The files a directory walk found, in walk order.
    QStringList FoundFilesList;
    /// The hidden rich text box that documents are loaded into when the run
    /// reads on its own thread; readers ahead of the run have their own.
    RichTextBuffer RTB;
    /// Reader threads that read and search the next files ahead of the run;
    /// with one, the run reads each file itself.
    int readers;
    /// How many files the readers may take while the tree is still being
    /// listed: far more than during the scan, since they would otherwise wait
    /// for the walk with a core idle. Their rows wait in the readers for their
    /// turn. A file taken costs about 210 bytes of bookkeeping, so the bound
    /// keeps that near 55 MB, less than the list of those files itself.
    qsizetype filesAheadOfWalk = qsizetype{1} << 18;

    void ScanSelectedFiles(const FileSelection &files);
    void ScanFileList(const QString &extension, const QString &filterMode);
    void ScanTextFile(const QString &path);
    void ScanRichTextFile(const QString &path);
    static int CountSelectedFiles(const FileSelection &files);

  private:
    /// A file a mode loop scans: its path as listed and its reader.
    struct ListEntry {
        QString path;
        bool rich = false;
        bool container = false; ///< read member by member on the run's thread
    };
    using EntryAt = std::function<std::optional<ListEntry>(qsizetype)>;
    /// Called once for each index of the list, as its turn comes; listed
    /// says whether the entry is scanned.
    using Progress = std::function<void(qsizetype index, bool listed)>;
    class FileRows;
    class ContainerRows;

    const std::shared_ptr<const CompiledSearch> &search();
    bool searchChanged();
    void yield();
    EntryAt treeEntryAt(const QString &extension, bool allFiles) const;
    bool walkTree(const QString &folder, const EntryAt &entryAt);
    void startReaders();
    void stopReaders();
    void refill(qsizetype count, const EntryAt &entryAt, qsizetype limit);
    /// A fixed list does not change during the run; any other is read again
    /// for each file as its turn comes.
    void scanList(qsizetype count, const EntryAt &entryAt, const Progress &progress,
                  bool fixed = false);
    void scanFile(const QString &path, bool document);
    void scanContainer(const QString &path);
    std::optional<ListEntry> entryOf(const QString &path, bool passes) const;
    bool memberPasses(const QString &name) const;
    void resubmit(ReadAhead &pool, const ReadAhead::File &file);
    void scanHead(ReadAhead &pool, const ReadAhead::File &file);
    void record(const QString &path, LineCell cell, const QString &text,
                const QStringList &inner = {});
    void addMarker();

    MatchSink &matches_;
    StatusSink &status_;
    RunHooks &hooks_;
    ScanQuery query_;
    quint64 revision_ = 0; ///< raised by every change of query_
    std::shared_ptr<const CompiledSearch> search_;
    quint64 searchRevision_ = 0;      ///< the revision search_ was made for
    FileScanner scanner_{RTB};        ///< the run's own reader
    bool fileClosed_ = false;         ///< set by cancel(): the text reader stops
    std::unique_ptr<ReadAhead> pool_; ///< the readers of the run under way
    /// The first index of the list not yet looked at for the readers.
    qsizetype next_ = 0;
    qsizetype rows_ = 0;
    std::vector<platform::FileId> leftOut_;
};
