#include "scan/scanrun.h"

#include "documents/packagetext.h"
#include "platform/codepage.h"
#include "platform/pathname.h"
#include "scan/filetypefilter.h"
#include "scan/functionmodule.h"
#include "scan/readahead.h"
#include "scan/textordocument.h"
#include "scan/walkahead.h"

#include <QScopeGuard>

#include <algorithm>
#include <deque>
#include <iterator>

QString ScanTexts::checkingFolder(const QString &path) {
    return QStringLiteral("Checking ") + path + QStringLiteral("...");
}

QString ScanTexts::fileError(const QString &description, const QString &path) {
    return QStringLiteral("Error: ") + description + QStringLiteral(" (") + path + u')';
}

QString StripControlChars(QStringView text) {
    QString kept(text.size(), Qt::Uninitialized);
    char16_t *const begin = reinterpret_cast<char16_t *>(kept.data());
    // Control characters (C0, DEL and C1) go; letters of every script,
    // punctuation and symbols stay as the document has them.
    char16_t *const end =
        std::copy_if(text.utf16(), text.utf16() + text.size(), begin,
                     [](char16_t c) { return c >= 0x20 && (c < 0x7F || c > 0x9F); });
    kept.truncate(end - begin);
    return kept;
}

namespace {
/// How long the run waits for the reader of its file before it yields again.
constexpr int WaitMilliseconds = 5;
/// How many files of the list the readers are given ahead of the run.
constexpr qsizetype FilesAhead = 512;
constexpr qsizetype FilesPerStride = 64;

} // namespace

class ScanRun::TextClient : public TextFileReader::Client {
  public:
    TextClient(ScanRun &run, QString path) : run_(run), path_(std::move(path)) {}
    const LineFinder &finder() override { return run_.search()->finder; }
    bool lineMatched(qint64 lineNumber, QByteArrayView line) override {
        run_.record(path_, QString::number(lineNumber), platform::decodeText(line));
        return blockDone();
    }
    bool longLineMatched(qint64 lineNumber, QByteArrayView head) override {
        run_.record(path_, QString::number(lineNumber),
                    platform::decodeText(head) + ScanTexts::LineCut);
        return blockDone();
    }
    bool blockDone() override {
        run_.hooks_.yield();
        return !run_.fileClosed_;
    }
    bool searchChanged() override { return run_.source_.revision() != run_.searchRevision_; }

  private:
    ScanRun &run_;
    QString path_;
};

ScanRun::ScanRun(MatchSink &matches, StatusSink &status, RunHooks &hooks,
                 const SearchTextSource &search)
    : readers(ReadAhead::defaultReaders()), matches_(matches), status_(status), hooks_(hooks),
      source_(search) {}

ScanRun::~ScanRun() = default;

const std::shared_ptr<const CompiledSearch> &ScanRun::search() {
    if (!search_ || source_.revision() != searchRevision_) {
        searchRevision_ = source_.revision();
        const QString text = source_.searchText();
        if (!search_ || search_->expression.searchText() != text)
            search_ = std::make_shared<const CompiledSearch>(text);
    }
    return search_;
}

// True when an edit of the search text gave a new expression.
bool ScanRun::searchChanged() {
    if (source_.revision() == searchRevision_)
        return false;
    const CompiledSearch *before = search_.get();
    return search().get() != before;
}

void ScanRun::record(const QString &path, const QString &cell, const QString &text) {
    if (!matches_.AddMatch({path, cell, text})) {
        // The row could not be kept (a report that failed to write): stop as Cancel does.
        ContinueScan = false;
        fileClosed_ = true;
        return;
    }
    ++rows_;
    ++LinesMatched;
    status_.showMatchCount(LinesMatched);
}

void ScanRun::addMarker() {
    const QString &text = rows_ == 0 ? ScanTexts::NoMatchesFound : ScanTexts::EndOfMatches;
    matches_.AddMatch({QString(), QString(), text});
    ++rows_;
}

ScanOutcome ScanRun::run(const ScanQuery &query, const FileSelection *files) {
    LinesMatched = 0;
    status_.showMatchCount(0);
    ContinueScan = true;
    rows_ = 0;
    matches_.clearMatches();
    search_.reset(); // the text is read afresh for every run
    const bool selectedMode = query.mode == ScanMode::SelectedFiles;
    const FixedFileSelection named(query.folder, query.selectedFiles);
    const FileSelection &selection = files ? *files : named;
    if (selectedMode && CountSelectedFiles(selection) < 1) {
        status_.showMessage(ScanTexts::SelectFilesFirst);
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
            query.specifiedType ? FileTypeFilter::normalisedType(query.type) : QString();
        const bool refused = query.specifiedType && type.isEmpty();
        const auto stop = qScopeGuard([this] { stopReaders(); });
        if (!refused)
            startReaders();
        const bool walked = walkTree(query.folder, treeEntryAt(type, !query.specifiedType));
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
        if (query.specifiedType)
            ScanFileList(type, QStringLiteral("One"));
        else
            ScanFileList(QStringLiteral("Dummy"), QStringLiteral("All"));
    }
    addMarker();
    hooks_.phaseChanged(RunHooks::Phase::Finished);
    status_.SBar(ContinueScan ? ScanTexts::ScanningComplete : ScanTexts::ScanningCancelled);
    return ContinueScan ? ScanOutcome::Completed : ScanOutcome::Cancelled;
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

QString FileSelection::path(int index) const {
    const QString folder = FunctionModule::AddTrailingBackslash(folderPath());
    const QString listed = name(index);
    const QString trimmed = trimSpaces(listed);
    // Padding typed or listed around a name goes; a real name may end in a space.
    if (trimmed != listed && platform::pathExists(folder + listed))
        return folder + listed;
    return folder + trimmed;
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
        [&files](qsizetype i) -> std::optional<ListEntry> {
            const int index = static_cast<int>(i);
            if (!files.isSelected(index))
                return std::nullopt;
            return ListEntry{files.path(index), FileTypeFilter::IsRichTextType(files.name(index))};
        },
        [&](qsizetype, bool listed) {
            if (listed)
                hooks_.fileProgress(done++, total);
        });
}

ScanRun::EntryAt ScanRun::treeEntryAt(const QString &extension, bool allFiles) const {
    return [this, extension, allFiles](qsizetype i) -> std::optional<ListEntry> {
        const QString &entry = FoundFilesList.at(i);
        const bool passes = allFiles ? FileTypeFilter::passesAllFiles(entry)
                                     : FileTypeFilter::passesSpecifiedType(entry, extension);
        if (!passes)
            return std::nullopt;
        return ListEntry{entry, FileTypeFilter::IsRichTextType(entry)};
    };
}

// The walk runs on a thread of its own. Here its texts are shown in walk order
// and the files it finds go to the readers at once; their rows wait in the
// readers until the list is built and their turn comes.
bool ScanRun::walkTree(const QString &folder, const EntryAt &entryAt) {
    WalkAhead walk(folder, leftOut_);
    // Cancel is taken here, so it stops the walk as it stops a file.
    const auto goOn = [this] {
        hooks_.yield();
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
    if (!ContinueScan)
        return;
    fileClosed_ = false;
    status_.SBar(ScanTexts::ScanningFile + path);
    TextClient client(*this, path);
    const TextOrDocument read =
        scanTextOrDocument(reader_, path, client, [&] { return scanDocument(path, true); });
    if (!read.document && !read.ok)
        status_.fileError(ScanTexts::fileError(reader_.errorString(), path));
}

void ScanRun::ScanRichTextFile(const QString &path) {
    if (!ContinueScan)
        return;
    status_.SBar(ScanTexts::ScanningFile + path);
    scanDocument(path, false);
}

bool ScanRun::scanDocument(const QString &path, bool documentsOnly) {
    if (!RTB.setFileName(path, documentsOnly)) {
        if (RTB.errorString().isEmpty()) // no document: left to the text reader
            return false;
        status_.fileError(ScanTexts::fileError(RTB.errorString(), path));
        return true;
    }
    const QString text = RTB.Text();
    qsizetype index = 0;
    // Pieces already loaded are all tested, even after a Cancel.
    forEachPiece(text, [&](QStringView piece) {
        hooks_.yield();
        const QString filtered = StripControlChars(piece);
        if (search()->expression.LineMatches(filtered))
            record(path, QStringLiteral("@") + QString::number(index), filtered);
        ++index;
    });
    RTB.setFileName(QString());
    return true;
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
        reader_.reuseFolders(true);
        const auto close = qScopeGuard([this] { reader_.reuseFolders(false); });
        for (qsizetype i = 0; i < count && ContinueScan; ++i) {
            const std::optional<ListEntry> entry = entryAt(i);
            progress(i, entry.has_value());
            if (entry && entry->rich)
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
        const bool submitted = !ahead_.empty() && ahead_.front().first == i;
        // A fixed list's entries were judged as they went to the readers.
        const bool judged = fixed && i < next_;
        const std::optional<ListEntry> entry =
            judged ? (submitted ? std::optional(ahead_.front().second) : std::nullopt) : entryAt(i);
        progress(i, entry.has_value());
        if (!entry) {
            if (submitted) {
                pool.dropHead();
                ahead_.pop_front();
            }
            continue;
        }
        if (!submitted || ahead_.front().second != *entry) {
            pool.clear();
            ahead_.clear();
            pool.submit(entry->path, entry->rich);
            ahead_.emplace_back(i, *entry);
            next_ = i + 1;
        }
        // Refilled a stride at a time: readers that wait for the run are then
        // woken once a stride, not once a file, and leave it the processor.
        if (ahead_.size() <= FilesAhead - FilesPerStride)
            refill(count, entryAt, FilesAhead);
        scanHead(pool, *entry);
        pool.dropHead();
        ahead_.pop_front();
    }
}

void ScanRun::startReaders() {
    if (readers <= 1 || pool_)
        return;
    pool_ = std::make_unique<ReadAhead>(ReadAhead::Limits{readers});
    pool_->setSearch(search());
    ahead_.clear();
    next_ = 0;
}

void ScanRun::stopReaders() {
    pool_.reset(); // stops and joins the readers
    ahead_.clear();
    next_ = 0;
}

// Gives the readers the next files of the list, up to limit ahead of the run.
void ScanRun::refill(qsizetype count, const EntryAt &entryAt, qsizetype limit) {
    std::vector<ReadAhead::File> stride;
    for (; next_ < count && qsizetype(ahead_.size()) < limit; ++next_) {
        if (std::optional<ListEntry> later = entryAt(next_)) {
            stride.push_back({later->path, later->rich});
            ahead_.emplace_back(next_, *std::move(later));
        }
    }
    pool_->submit(stride);
}

// Hands on the head file's lines as its reader finds them, with a yield after
// each as a reader on this thread would, and its error at the end. Cancel stops
// a text file at once; the pieces of a document already read are all handed on.
void ScanRun::scanHead(ReadAhead &pool, const ListEntry &entry) {
    fileClosed_ = false;
    status_.SBar(ScanTexts::ScanningFile + entry.path);
    qint64 last = -1;
    for (;;) {
        const ReadAhead::Taken taken = pool.take(WaitMilliseconds);
        bool restarted = false;
        const bool document = entry.rich || taken.document;
        for (const FoundLines &lines : taken.lines) {
            for (qsizetype i = 0; i < lines.size() && !restarted; ++i) {
                last = lines.number(i);
                const QString number = QString::number(last);
                record(entry.path, document ? QStringLiteral("@") + number : number,
                       lines.text(i).toString());
                hooks_.yield();
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
                status_.fileError(ScanTexts::fileError(taken.error, entry.path));
            return;
        }
        if (taken.lines.empty()) {
            hooks_.yield();
            if (fileClosed_ && !entry.rich)
                return;
            if (searchChanged()) {
                pool.setSearch(search_);
                pool.restart(last);
            }
        }
    }
}
