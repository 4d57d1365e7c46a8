#include "scan/scanrun.h"

#include "platform/codepage.h"
#include "scan/filetypefilter.h"
#include "scan/functionmodule.h"
#include "scan/traversedirectories.h"

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

  private:
    ScanRun &run_;
    QString path_;
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
    const int last = files.count() - 1;
    for (int i = 0; i <= last && ContinueScan; ++i) {
        if (!files.isSelected(i))
            continue;
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
    TextClient client(*this, trimSpaces(path));
    if (!reader_.scan(path, client))
        status_.fileError(ScanTexts::fileError(reader_.errorString(), path));
}

void ScanRun::ScanRichTextFile(const QString &path) {
    if (!ContinueScan)
        return;
    status_.SBar(ScanTexts::ScanningFile + path);
    if (!RTB.setFileName(path)) {
        status_.fileError(ScanTexts::fileError(RTB.errorString(), path));
        return;
    }
    const QString text = RTB.Text();
    const QString trimmedPath = trimSpaces(path);
    qsizetype index = 0;
    // Pieces already loaded are all tested, even after a Cancel.
    forEachPiece(text, [&](QStringView piece) {
        hooks_.yield();
        const QString filtered = StripControlChars(piece);
        if (search().expression.LineMatches(filtered))
            record(trimmedPath, QStringLiteral("@") + QString::number(index), filtered);
        ++index;
    });
    RTB.setFileName(QString());
}
