#include "scan/scanrun.h"

#include "documents/archivereader.h"
#include "platform/codepage.h"
#include "scan/compiledsearch.h"
#include "scan/containerscanner.h"
#include "scan/filelimits.h"
#include "scan/filetypefilter.h"
#include "scan/readahead.h"
#include "scan/rowpath.h"
#include "scan/scantexts.h"
#include "scan/walkahead.h"

#include <QScopeGuard>

namespace {
/// How long the run waits for the reader of its file before it yields again.
constexpr int WaitMilliseconds = 5;
/// How many files of the list the readers are given ahead of the run.
constexpr qsizetype FilesAhead = 512;
constexpr qsizetype FilesPerStride = 64;

} // namespace

/// The rows of a file the run reads on its own thread: each goes on as it is
/// found, with a yield after it as after every block and piece. Cancel stops a
/// text file at once; the pieces of a document already read are all tested.
class ScanRun::FileRows : public FileScanner::Receiver {
  public:
    FileRows(ScanRun &run, const QString &path) : run_(run), path_(path) {}
    const CompiledSearch &search() override { return *run_.search(); }
    bool searchChanged() override { return run_.revision_ != run_.searchRevision_; }
    bool lineFound(qint64 number, QByteArrayView line, QStringView cut) override {
        QString text = platform::decodeText(line);
        text += cut;
        run_.record(path_, LineCell::line(number), text, inner_);
        return blockDone();
    }
    bool blockDone() override {
        run_.yield();
        return !run_.fileClosed_;
    }
    bool documentWaiting() override { return blockDone(); }
    bool nextPiece(qint64) override {
        run_.yield();
        return true;
    }
    void pieceFound(qint64 index, const QString &piece) override {
        run_.record(path_, LineCell::piece(index), piece, inner_);
    }
    /// The member of a container whose rows come next.
    void setInner(const QStringList &inner) { base_ = inner_ = inner; }
    void memberStarted(const QStringList &inner) override { inner_ = base_ + inner; }

  private:
    ScanRun &run_;
    const QString &path_;
    QStringList base_; ///< the container's member being read
    QStringList inner_;
};

/// The rows and errors of a container's members, read on the run's thread.
class ScanRun::ContainerRows : public ContainerScanner::Rows {
  public:
    ContainerRows(ScanRun &run, const QString &path) : run_(run), path_(path), rows_(run, path) {}
    FileScanner::Receiver &member(const QStringList &inner) override {
        rows_.setInner(inner);
        run_.status_.SBar(ScanTexts::ScanningFile + RowPath::shown(path_, inner));
        return rows_;
    }
    void error(const QStringList &inner, const QString &description) override {
        run_.status_.fileError(ScanTexts::fileError(description, RowPath::shown(path_, inner)));
    }
    bool goOn() override { return rows_.blockDone(); }

  private:
    ScanRun &run_;
    const QString &path_;
    FileRows rows_;
};

ScanRun::ScanRun(MatchSink &matches, StatusSink &status, RunHooks &hooks)
    : readers(ReadAhead::defaultReaders()), matches_(matches), status_(status), hooks_(hooks) {}

ScanRun::~ScanRun() = default;

void ScanRun::editSearchText(const QString &text) {
    query_.searchText = text;
    ++revision_;
}

const std::shared_ptr<const CompiledSearch> &ScanRun::search() {
    if (!search_ || revision_ != searchRevision_) {
        searchRevision_ = revision_;
        if (!search_ || search_->expression.searchText() != query_.searchText ||
            search_->options != query_.options)
            search_ = std::make_shared<const CompiledSearch>(query_.searchText, query_.options);
    }
    return search_;
}

// True when an edit of the search text gave a new expression.
bool ScanRun::searchChanged() {
    if (revision_ == searchRevision_)
        return false;
    const CompiledSearch *before = search_.get();
    return search().get() != before;
}

void ScanRun::record(const QString &path, LineCell cell, const QString &text,
                     const QStringList &inner) {
    if (!matches_.AddMatch({path, cell, text, inner})) {
        // The row could not be kept (a report that failed to write): stop as Cancel does.
        ContinueScan = false;
        fileClosed_ = true;
        return;
    }
    ++rows_;
    ++LinesMatched;
    status_.showMatchCount(LinesMatched);
}

// The host's answer stop is taken as Cancel.
void ScanRun::yield() {
    if (!hooks_.yield() && ContinueScan)
        cancel();
}

void ScanRun::addMarker() {
    const QString &text = rows_ == 0 ? ScanTexts::NoMatchesFound : ScanTexts::EndOfMatches;
    matches_.AddMatch({QString(), LineCell(), text, {}});
    ++rows_;
}

ScanOutcome ScanRun::run(const ScanQuery &query, const FileSelection *files) {
    LinesMatched = 0;
    status_.showMatchCount(0);
    ContinueScan = true;
    rows_ = 0;
    matches_.clearMatches();
    query_ = query;
    ++revision_;
    scanner_.textReader().setBinaryAsText(query_.binaryAsText);
    const bool selectedMode = query_.mode == ScanMode::SelectedFiles;
    const FixedFileSelection named(query_.folder, query_.selectedFiles);
    const FileSelection &selection = files ? *files : named;
    if (selectedMode && CountSelectedFiles(selection) < 1) {
        status_.showMessage(ScanTexts::SelectFilesFirst);
        return ScanOutcome::Refused;
    }
    // An expression that does not compile is refused before anything is read.
    if (const QString error = search()->expression.error(); !error.isEmpty()) {
        status_.showMessage(error);
        return ScanOutcome::Refused;
    }
    hooks_.phaseChanged(RunHooks::Phase::Started);
    if (selectedMode) {
        ScanSelectedFiles(selection);
    } else {
        hooks_.phaseChanged(RunHooks::Phase::BuildingList);
        status_.SBar(ScanTexts::BuildingFileList);
        FoundFilesList.clear();
        const QString type =
            query_.specifiedType ? FileTypeFilter::normalisedType(query_.type) : QString();
        const bool refused = query_.specifiedType && type.isEmpty();
        const auto stop = qScopeGuard([this] { stopReaders(); });
        if (!refused)
            startReaders();
        const bool walked = walkTree(query_.folder, treeEntryAt(type, !query_.specifiedType));
        if (walked)
            status_.SBar(ScanTexts::FileListBuilt);
        hooks_.phaseChanged(RunHooks::Phase::ListBuilt);
        if (!walked) {
            // Cancelled during the walk: nothing was scanned, so no marker row.
            hooks_.phaseChanged(RunHooks::Phase::Finished);
            status_.SBar(ScanTexts::DirectoryScanningCanceled);
            return ScanOutcome::Cancelled;
        }
        if (refused) {
            status_.showMessage(ScanTexts::SpecifyExtension);
            status_.SBar(ScanTexts::DirectoryScanningCanceled);
            hooks_.phaseChanged(RunHooks::Phase::Finished);
            return ScanOutcome::Refused;
        }
        if (query_.specifiedType)
            ScanFileList(type, QStringLiteral("One"));
        else
            ScanFileList(QStringLiteral("Dummy"), QStringLiteral("All"));
    }
    addMarker();
    hooks_.phaseChanged(RunHooks::Phase::Finished);
    const QString ended = ContinueScan ? ScanTexts::ScanningComplete : ScanTexts::ScanningCancelled;
    const qint64 givenUp = linesGivenUp();
    status_.SBar(givenUp > 0 ? ended + ScanTexts::linesGivenUp(givenUp) : ended);
    return ContinueScan ? ScanOutcome::Completed : ScanOutcome::Cancelled;
}

qint64 ScanRun::linesGivenUp() const {
    const RegexPattern *regex = search_ ? search_->expression.regex() : nullptr;
    return regex ? regex->linesGivenUp() : 0;
}

void ScanRun::cancel() {
    ContinueScan = false;
    // The readers stop at once; a document whose text was whole is still
    // handed on to its end.
    if (pool_)
        pool_->halt();
    RTB.setFileName(QString());
    fileClosed_ = true;
}

int ScanRun::CountSelectedFiles(const FileSelection &files) {
    int selected = 0;
    for (int i = 0; i < files.count(); ++i)
        selected += files.isSelected(i) ? 1 : 0;
    return selected;
}

void ScanRun::ScanSelectedFiles(const FileSelection &files) {
    ContinueScan = true;
    const qint64 total = CountSelectedFiles(files);
    qint64 done = 0;
    // The selection and names are read afresh for every entry.
    scanList(
        files.count(),
        [this, &files](qsizetype i) -> std::optional<ListEntry> {
            const int index = static_cast<int>(i);
            if (!files.isSelected(index))
                return std::nullopt;
            if (query_.searchArchives && ArchiveReader::isContainerName(files.name(index)))
                return ListEntry{files.path(index), false, true};
            return ListEntry{files.path(index), FileTypeFilter::IsRichTextType(files.name(index))};
        },
        [&](qsizetype, bool listed) {
            if (listed)
                hooks_.fileProgress(done++, total);
        });
}

ScanRun::EntryAt ScanRun::treeEntryAt(const QString &extension, bool allFiles) const {
    auto limits = std::make_shared<const FileLimits>(query_.options);
    return [this, extension, allFiles, limits](qsizetype i) -> std::optional<ListEntry> {
        const QString &entry = FoundFilesList.at(i);
        const bool passes = allFiles ? FileTypeFilter::passesAllFiles(entry)
                                     : FileTypeFilter::passesSpecifiedType(entry, extension);
        if (!limits->passes(entry))
            return std::nullopt;
        return entryOf(entry, passes);
    };
}

// With archives searched, an archive or compressed file of the list is read
// for its members whatever the type filter says of its own name.
std::optional<ScanRun::ListEntry> ScanRun::entryOf(const QString &path, bool passes) const {
    if (query_.searchArchives && ArchiveReader::isContainerName(path))
        return ListEntry{path, false, true};
    if (!passes)
        return std::nullopt;
    return ListEntry{path, FileTypeFilter::IsRichTextType(path)};
}

// A member is judged by the same type filter as a file of the tree.
bool ScanRun::memberPasses(const QString &name) const {
    if (query_.mode == ScanMode::DirectoryTree && query_.specifiedType)
        return FileTypeFilter::passesSpecifiedType(name,
                                                   FileTypeFilter::normalisedType(query_.type));
    return FileTypeFilter::passesAllFiles(name);
}

// The walk runs on a thread of its own. Here its texts are shown in walk order
// and the files it finds go to the readers at once; their rows wait in the
// readers until the list is built and their turn comes.
bool ScanRun::walkTree(const QString &folder, const EntryAt &entryAt) {
    const auto limits = std::make_shared<const FileLimits>(query_.options);
    WalkAhead walk(folder, leftOut_, limits->isEmpty() ? nullptr : limits);
    // Cancel is taken here, so it stops the walk as it stops a file.
    const auto goOn = [this] {
        yield();
        return ContinueScan;
    };
    for (;;) {
        const WalkAhead::Taken taken = walk.take(WaitMilliseconds);
        for (const WalkAhead::Event &event : taken.events) {
            switch (event.kind) {
            case WalkAhead::Event::Kind::Folder:
                status_.SBar(ScanTexts::checkingFolder(event.path));
                break;
            case WalkAhead::Event::Kind::File:
                FoundFilesList.append(event.path);
                break;
            case WalkAhead::Event::Kind::FolderError:
                status_.fileError(ScanTexts::fileError(event.description, event.path));
                break;
            case WalkAhead::Event::Kind::KernelFileSystem:
                status_.folderSkipped(event.path);
                break;
            }
            if (!goOn())
                return false;
        }
        if (pool_)
            refill(FoundFilesList.size(), entryAt, filesAheadOfWalk);
        if (taken.finished)
            return taken.completed;
        if (taken.events.empty() && !goOn())
            return false;
    }
}

void ScanRun::ScanFileList(const QString &extension, const QString &filterMode) {
    ContinueScan = true;
    const qsizetype count = FoundFilesList.size();
    scanList(
        count, treeEntryAt(extension, filterMode == QStringLiteral("All")),
        [&](qsizetype i, bool) { hooks_.fileProgress(i, count); }, true);
}

void ScanRun::ScanTextFile(const QString &path) {
    if (ContinueScan)
        scanFile(path, false);
}

void ScanRun::ScanRichTextFile(const QString &path) {
    if (ContinueScan)
        scanFile(path, true);
}

void ScanRun::scanContainer(const QString &path) {
    if (!ContinueScan)
        return;
    fileClosed_ = false;
    status_.SBar(ScanTexts::ScanningFile + path);
    ContainerRows rows(*this, path);
    ContainerScanner container(scanner_,
                               [this](const QString &name) { return memberPasses(name); });
    const FileScanner::Outcome outcome = container.scan(path, rows);
    if (!outcome.ok)
        status_.fileError(ScanTexts::fileError(outcome.error, path));
}

void ScanRun::scanFile(const QString &path, bool document) {
    fileClosed_ = false;
    status_.SBar(ScanTexts::ScanningFile + path);
    FileRows rows(*this, path);
    const FileScanner::Outcome outcome = scanner_.scan(path, document, rows);
    if (!outcome.ok)
        status_.fileError(ScanTexts::fileError(outcome.error, path));
}

// The mode loops' common walk over their list. One reader searches on this
// thread, file by file; more are kept a number of files ahead. Unless the list
// is fixed, each file is checked against it again when its turn comes, so a
// list that changed meanwhile is read anew from there.
void ScanRun::scanList(qsizetype count, const EntryAt &entryAt, const Progress &progress,
                       bool fixed) {
    if (!ContinueScan || count <= 0)
        return;
    if (readers <= 1) {
        // No folder stays open once the run is over.
        scanner_.textReader().reuseFolders(true);
        const auto close = qScopeGuard([this] { scanner_.textReader().reuseFolders(false); });
        for (qsizetype i = 0; i < count && ContinueScan; ++i) {
            const std::optional<ListEntry> entry = entryAt(i);
            progress(i, entry.has_value());
            if (entry && entry->container)
                scanContainer(entry->path);
            else if (entry && entry->rich)
                ScanRichTextFile(entry->path);
            else if (entry)
                ScanTextFile(entry->path);
        }
        return;
    }
    startReaders();
    const auto stop = qScopeGuard([this] { stopReaders(); });
    ReadAhead &pool = *pool_;
    // An edit of the search text while the tree was listed counts from the first file.
    if (searchChanged()) {
        pool.setSearch(search_);
        pool.restart(-1);
    }
    for (qsizetype i = 0; i < count && ContinueScan; ++i) {
        const ReadAhead::File *head = pool.head();
        const bool submitted = head && head->id == i;
        // A fixed list's entries were judged as they went to the readers.
        std::optional<ListEntry> entry;
        if (!fixed || i >= next_ || !submitted)
            entry = entryAt(i);
        else
            entry = ListEntry{head->path, head->rich};
        progress(i, entry.has_value());
        if (!entry || entry->container) {
            if (submitted)
                pool.dropHead();
            if (entry)
                scanContainer(entry->path);
            continue;
        }
        const ReadAhead::File file{i, entry->path, entry->rich};
        if (!submitted || *head != file)
            resubmit(pool, file);
        // Refilled a stride at a time: readers that wait for the run are then
        // woken once a stride, not once a file, and leave it the processor.
        if (pool.waiting() <= FilesAhead - FilesPerStride)
            refill(count, entryAt, FilesAhead);
        scanHead(pool, file);
        pool.dropHead();
    }
}

void ScanRun::startReaders() {
    if (readers <= 1 || pool_)
        return;
    ReadAhead::Limits limits{readers};
    limits.binaryAsText = query_.binaryAsText;
    pool_ = std::make_unique<ReadAhead>(limits);
    pool_->setSearch(search());
    next_ = 0;
}

void ScanRun::stopReaders() {
    pool_.reset(); // stops and joins the readers
    next_ = 0;
}

// Gives the readers the next files of the list, up to limit ahead of the run.
void ScanRun::refill(qsizetype count, const EntryAt &entryAt, qsizetype limit) {
    std::vector<ReadAhead::File> stride;
    for (const qsizetype waiting = pool_->waiting();
         next_ < count && waiting + qsizetype(stride.size()) < limit; ++next_) {
        if (std::optional<ListEntry> later = entryAt(next_); later && !later->container)
            stride.push_back({next_, std::move(later->path), later->rich});
    }
    pool_->submit(stride);
}

// The readers' queue is not what the run expects at file (the list changed):
// they drop it and start again from there.
void ScanRun::resubmit(ReadAhead &pool, const ReadAhead::File &file) {
    pool.clear();
    pool.submit({file});
    next_ = file.id + 1;
}

// Hands on the head file's lines as its reader finds them, with a yield after
// each as a reader on this thread would, and its error at the end. Cancel stops
// a text file at once; the pieces of a document already read are all handed on.
// Only lines that name the file are taken as its own.
void ScanRun::scanHead(ReadAhead &pool, const ReadAhead::File &file) {
    fileClosed_ = false;
    status_.SBar(ScanTexts::ScanningFile + file.path);
    qint64 last = -1;
    for (;;) {
        const ReadAhead::Taken taken = pool.take(WaitMilliseconds);
        if (taken.file != file) {
            resubmit(pool, file);
            pool.restart(last);
            continue;
        }
        bool restarted = false;
        const bool document = file.rich || taken.document;
        for (const FoundLines &lines : taken.lines) {
            for (qsizetype i = 0; i < lines.size() && !restarted; ++i) {
                last = lines.number(i);
                record(file.path, document ? LineCell::piece(last) : LineCell::line(last),
                       lines.text(i).toString(), lines.inner(i));
                yield();
                if (fileClosed_ && !document)
                    return;
                if ((restarted = searchChanged())) {
                    pool.setSearch(search_);
                    pool.restart(last);
                }
            }
            if (restarted)
                break;
        }
        if (restarted)
            continue;
        if (taken.done) {
            if (taken.failed)
                status_.fileError(ScanTexts::fileError(taken.error, file.path));
            return;
        }
        if (taken.lines.empty()) {
            yield();
            if (fileClosed_ && !file.rich)
                return;
            if (searchChanged()) {
                pool.setSearch(search_);
                pool.restart(last);
            }
        }
    }
}
