#include "scan/scanrun.h"

#include "documents/packagetext.h"
#include "platform/codepage.h"
#include "scan/filetypefilter.h"
#include "scan/functionmodule.h"
#include "scan/traversedirectories.h"

#include <QStringTokenizer>

#include <algorithm>
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
    const QString trimmedPath = trimSpaces(path);
    qsizetype index = 0;
    // Pieces already loaded are all tested, even after a Cancel.
    for (const QStringView piece : QStringTokenizer(text, u'\r')) {
        hooks_.yield();
        const QString filtered = StripControlChars(piece);
        if (search().expression.LineMatches(filtered))
            record(trimmedPath, QStringLiteral("@") + QString::number(index), filtered);
        ++index;
    }
    RTB.setFileName(QString());
    return true;
}
