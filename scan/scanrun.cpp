#include "scan/scanrun.h"

#include "platform/codepage.h"
#include "scan/filetypefilter.h"
#include "scan/functionmodule.h"
#include "scan/readahead.h"
#include "scan/traversedirectories.h"

#include <QScopeGuard>

#include <algorithm>
#include <deque>
#include <iterator>

QString ScanTexts::fileError(const QString &description, const QString &path) {
    return QStringLiteral("Error: ") + description + QStringLiteral(" (") + path + u')';
}

namespace {

// The characters of Windows-1252 above 127 that are not at their Latin-1 codes.
bool isWindows1252Extra(char16_t c) {
    static constexpr char16_t extras[] = {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x017D, 0x2018,
                                          0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC,
                                          0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};
    return std::find(std::begin(extras), std::end(extras), c) != std::end(extras);
}

} // namespace

QString StripControlChars(QStringView text) {
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // Characters of the single-byte code page keep the printable-ASCII rule;
        // Greek, Cyrillic, CJK and other scripts from documents stay searchable.
        const bool singleByte = u <= 0xFF || isWindows1252Extra(u);
        if ((u >= 32 && u <= 126) || !singleByte)
            kept += c;
    }
    return kept;
}

namespace {
/// How long the run waits for the reader of its file before it yields again.
constexpr int WaitMilliseconds = 5;
/// How many files of the list the readers are given ahead of the run.
constexpr qsizetype FilesAhead = 512;
} // namespace

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
    matches_.AddMatch({path, cell, text});
    ++rows_;
    ++LinesMatched;
    status_.showMatchCount(LinesMatched);
}

void ScanRun::addMarker() {
    const QString &text = rows_ == 0 ? ScanTexts::NoMatchesFound : ScanTexts::EndOfMatches;
    matches_.AddMatch({QString(), QString(), text});
    ++rows_;
}

ScanOutcome ScanRun::run(const ScanRequest &request) {
    LinesMatched = 0;
    status_.showMatchCount(0);
    ContinueScan = true;
    rows_ = 0;
    matches_.clearMatches();
    search_.reset(); // the text is read afresh for every run
    const bool selectedMode = request.mode == ScanMode::SelectedFiles;
    if (selectedMode && (!request.files || CountSelectedFiles(*request.files) < 1)) {
        status_.showMessage(ScanTexts::SelectFilesFirst);
        return ScanOutcome::Refused;
    }
    hooks_.phaseChanged(RunHooks::Phase::Started);
    if (selectedMode) {
        ScanSelectedFiles(*request.files);
    } else {
        hooks_.phaseChanged(RunHooks::Phase::BuildingList);
        status_.SBar(ScanTexts::BuildingFileList);
        FoundFilesList.clear();
        TraverseDirectories::TraverseFolder(request.treeFolder, true, FoundFilesList, status_);
        status_.SBar(ScanTexts::FileListBuilt);
        hooks_.phaseChanged(RunHooks::Phase::ListBuilt);
        if (request.specifiedType) {
            const QString type = trimSpaces(request.type);
            if (type.isEmpty()) {
                status_.showMessage(ScanTexts::SpecifyExtension);
                status_.SBar(ScanTexts::DirectoryScanningCanceled);
                hooks_.phaseChanged(RunHooks::Phase::Finished);
                return ScanOutcome::Refused;
            }
            ScanFileList(type, QStringLiteral("One"));
        } else {
            ScanFileList(QStringLiteral("Dummy"), QStringLiteral("All"));
        }
    }
    addMarker();
    hooks_.phaseChanged(RunHooks::Phase::Finished);
    status_.SBar(ContinueScan ? ScanTexts::ScanningComplete : ScanTexts::ScanningCancelled);
    return ContinueScan ? ScanOutcome::Completed : ScanOutcome::Cancelled;
}

void ScanRun::cancel() {
    ContinueScan = false;
    // The readers stop at once, unless the document being handed on still
    // needs its reader.
    if (pool_ && !deliveringDocument_)
        pool_->halt();
    RTB.setFileName(QString());
    fileClosed_ = true;
}

QString FileSelection::path(int index) const {
    return FunctionModule::AddTrailingBackslash(folderPath()) + trimSpaces(name(index));
}

int ScanRun::CountSelectedFiles(const FileSelection &files) {
    int selected = 0;
    for (int i = 0; i < files.count(); ++i)
        selected += files.isSelected(i) ? 1 : 0;
    return selected;
}

void ScanRun::ScanSelectedFiles(const FileSelection &files) {
    ContinueScan = true;
    // The selection and names are read afresh for every entry.
    scanList(files.count(), [&files](qsizetype i) -> std::optional<ListEntry> {
        const int index = static_cast<int>(i);
        if (!files.isSelected(index))
            return std::nullopt;
        return ListEntry{files.path(index), FileTypeFilter::IsRichTextType(files.name(index))};
    });
}

void ScanRun::ScanFileList(const QString &extension, const QString &filterMode) {
    ContinueScan = true;
    const bool allFiles = filterMode == QStringLiteral("All");
    scanList(FoundFilesList.size(), [&](qsizetype i) -> std::optional<ListEntry> {
        const QString &entry = FoundFilesList.at(i);
        const bool passes = allFiles ? FileTypeFilter::passesAllFiles(entry)
                                     : FileTypeFilter::passesSpecifiedType(entry, extension);
        if (!passes)
            return std::nullopt;
        return ListEntry{entry, FileTypeFilter::IsRichTextType(entry)};
    });
}

void ScanRun::ScanTextFile(const QString &path) {
    scanList(1, [&path](qsizetype) { return ListEntry{path, false}; });
}

void ScanRun::ScanRichTextFile(const QString &path) {
    scanList(1, [&path](qsizetype) { return ListEntry{path, true}; });
}

// The mode loops' common walk over their list: the readers are kept a number
// of files ahead, and each file is checked against the list again when its turn
// comes, so a list that changed meanwhile is read anew from there.
void ScanRun::scanList(qsizetype count, const EntryAt &entryAt) {
    if (!ContinueScan || count <= 0)
        return;
    ReadAhead pool({readers});
    pool_ = &pool;
    const auto forget = qScopeGuard([this] { pool_ = nullptr; });
    pool.setSearch(search());
    std::deque<std::pair<qsizetype, ListEntry>> ahead;
    qsizetype next = 0;
    for (qsizetype i = 0; i < count && ContinueScan; ++i) {
        const std::optional<ListEntry> entry = entryAt(i);
        const bool submitted = !ahead.empty() && ahead.front().first == i;
        if (!entry) {
            if (submitted) {
                pool.dropHead();
                ahead.pop_front();
            }
            continue;
        }
        if (!submitted || ahead.front().second != *entry) {
            pool.clear();
            ahead.clear();
            pool.submit(entry->path, entry->rich);
            ahead.emplace_back(i, *entry);
            next = i + 1;
        }
        for (; next < count && ahead.size() < FilesAhead; ++next) {
            if (std::optional<ListEntry> later = entryAt(next)) {
                pool.submit(later->path, later->rich);
                ahead.emplace_back(next, *std::move(later));
            }
        }
        scanHead(pool, *entry);
        pool.dropHead();
        ahead.pop_front();
    }
}

// Hands on the head file's lines as its reader finds them, with a yield after
// each as a reader on this thread would, and its error at the end. Cancel stops
// a text file at once; the pieces of a document already read are all handed on.
void ScanRun::scanHead(ReadAhead &pool, const ListEntry &entry) {
    fileClosed_ = false;
    deliveringDocument_ = entry.rich;
    status_.SBar(ScanTexts::ScanningFile + entry.path);
    const QString rowPath = trimSpaces(entry.path);
    qint64 last = -1;
    for (;;) {
        const ReadAhead::Taken taken = pool.take(WaitMilliseconds);
        bool restarted = false;
        for (const FoundLines &lines : taken.lines) {
            for (qsizetype i = 0; i < lines.size() && !restarted; ++i) {
                last = lines.number(i);
                const QString number = QString::number(last);
                record(rowPath, entry.rich ? QStringLiteral("@") + number : number,
                       lines.text(i).toString());
                hooks_.yield();
                if (fileClosed_ && !entry.rich)
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
