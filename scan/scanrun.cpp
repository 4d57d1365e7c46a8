#include "scan/scanrun.h"

#include "documents/packagetext.h"
#include "platform/codepage.h"
#include "platform/pathname.h"
#include "scan/filetypefilter.h"
#include "scan/functionmodule.h"
#include "scan/traversedirectories.h"

#include <algorithm>

QString ScanTexts::fileError(const QString &description, const QString &path) {
    return QStringLiteral("Error: ") + description + QStringLiteral(" (") + path + u')';
}

QString StripControlChars(QStringView text) {
    QString kept;
    kept.reserve(text.size());
    // Control characters (C0, DEL and C1) go; letters of every script,
    // punctuation and symbols stay as the document has them.
    for (const QChar c : text)
        if (c.unicode() >= 0x20 && (c.unicode() < 0x7F || c.unicode() > 0x9F))
            kept += c;
    return kept;
}

namespace {

/// The pieces of a document's text: CR LF, CR and LF each end one.
template <typename Visit> void forEachPiece(QStringView text, const Visit &visit) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        visit(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    visit(text.sliced(start));
}

} // namespace

struct ScanRun::CompiledSearch {
    explicit CompiledSearch(const QString &text) : expression(text), finder(expression, true) {}
    SearchExpression expression;
    LineFinder finder; ///< the text reader's: a blank text takes every line
};

class ScanRun::TextClient : public TextFileReader::Client {
  public:
    TextClient(ScanRun &run, QString path) : run_(run), path_(std::move(path)) {}
    const LineFinder &finder() override { return run_.search().finder; }
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
    bool handsBack(QByteArrayView head) override {
        handedBack_ = documents_ && mayBeDocument(head);
        return handedBack_;
    }
    bool handedBack() const { return handedBack_; }
    /// Reads the file as text even when it begins as a document does.
    void readAsText() { documents_ = handedBack_ = false; }

  private:
    ScanRun &run_;
    QString path_;
    bool documents_ = true;
    bool handedBack_ = false;
};

class ScanRun::WalkClient : public TraverseDirectories::WalkVisitor {
  public:
    explicit WalkClient(ScanRun &run) : run_(run) {}
    WalkState enterFolder(const QString &path) override {
        run_.status_.SBar(QStringLiteral("Checking ") + path + QStringLiteral("..."));
        return goOn();
    }
    WalkState visitFile(const QString &path) override {
        if (isLeftOut(path))
            return WalkState::Skip;
        run_.FoundFilesList.append(path);
        return goOn();
    }
    WalkState folderError(const QString &path, const QString &description) override {
        run_.status_.fileError(ScanTexts::fileError(description, path));
        return goOn();
    }
    void kernelFileSystemSkipped(const QString &path) override { run_.status_.folderSkipped(path); }
    bool keepGoing() override { return goOn() == WalkState::Continue; }

  private:
    bool isLeftOut(const QString &path) const {
        if (run_.leftOut_.empty())
            return false;
        const auto status = platform::pathStatus(path);
        return status && std::ranges::find(run_.leftOut_, status->id) != run_.leftOut_.end();
    }
    // Cancel is taken here, so it stops the walk as it stops a file.
    WalkState goOn() {
        run_.hooks_.yield();
        return run_.ContinueScan ? WalkState::Continue : WalkState::Quit;
    }

    ScanRun &run_;
};

ScanRun::ScanRun(MatchSink &matches, StatusSink &status, RunHooks &hooks,
                 const SearchTextSource &search)
    : matches_(matches), status_(status), hooks_(hooks), source_(search) {}

ScanRun::~ScanRun() = default;

const ScanRun::CompiledSearch &ScanRun::search() {
    if (!search_ || source_.revision() != searchRevision_) {
        searchRevision_ = source_.revision();
        const QString text = source_.searchText();
        if (!search_ || search_->expression.searchText() != text)
            search_ = std::make_unique<CompiledSearch>(text);
    }
    return *search_;
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
        WalkClient walk(*this);
        const bool walked =
            TraverseDirectories::TraverseFolder(query.folder, true, walk) != WalkState::Quit;
        if (walked)
            status_.SBar(ScanTexts::FileListBuilt);
        hooks_.phaseChanged(RunHooks::Phase::ListBuilt);
        if (!walked) {
            // Cancelled during the walk: nothing was scanned, so no marker row.
            hooks_.phaseChanged(RunHooks::Phase::Finished);
            status_.SBar(ScanTexts::DirectoryScanningCanceled);
            return ScanOutcome::Cancelled;
        }
        if (query.specifiedType) {
            const QString type = FileTypeFilter::normalisedType(query.type);
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
    const int last = files.count() - 1;
    const qint64 total = CountSelectedFiles(files);
    qint64 done = 0;
    for (int i = 0; i <= last && ContinueScan; ++i) {
        if (!files.isSelected(i))
            continue;
        hooks_.fileProgress(done++, total);
        const QString path = files.path(i);
        if (FileTypeFilter::IsRichTextType(files.name(i)))
            ScanRichTextFile(path);
        else
            ScanTextFile(path);
    }
}

void ScanRun::ScanFileList(const QString &extension, const QString &filterMode) {
    ContinueScan = true;
    const qsizetype last = FoundFilesList.size() - 1;
    const bool allFiles = filterMode == QStringLiteral("All");
    for (qsizetype i = 0; i <= last && ContinueScan; ++i) {
        hooks_.fileProgress(i, last + 1);
        const QString &entry = FoundFilesList.at(i);
        const bool passes = allFiles ? FileTypeFilter::passesAllFiles(entry)
                                     : FileTypeFilter::passesSpecifiedType(entry, extension);
        if (!passes)
            continue;
        if (FileTypeFilter::IsRichTextType(entry))
            ScanRichTextFile(entry);
        else
            ScanTextFile(entry);
    }
}

void ScanRun::ScanTextFile(const QString &path) {
    if (!ContinueScan)
        return;
    fileClosed_ = false;
    status_.SBar(ScanTexts::ScanningFile + path);
    TextClient client(*this, path);
    bool ok = reader_.scan(path, client);
    // A document of today's formats under any name is read by its content.
    if (client.handedBack()) {
        if (scanDocument(path, true))
            return;
        client.readAsText();
        ok = reader_.scan(path, client);
    }
    if (!ok)
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
        if (search().expression.LineMatches(filtered))
            record(path, QStringLiteral("@") + QString::number(index), filtered);
        ++index;
    });
    RTB.setFileName(QString());
    return true;
}
