// quarrix-scan: the scan engine without a window, for scripts and benchmarks.

#include "platform/bidicontrols.h"
#include "platform/console.h"
#include "platform/outputfile.h"
#include "platform/pathname.h"
#include "quarrixversion.h"
#include "scan/filetypefilter.h"
#include "scan/readahead.h"
#include "scan/resultsreport.h"
#include "scan/rowpath.h"
#include "scan/scanrun.h"
#include "scan/scantexts.h"
#include "scan/searchexpression.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace {

// As grep: 2 for a usage error or any file that could not be read, even when
// something else matched.
enum ExitCode { Matched = 0, NoMatch = 1, Trouble = 2 };

/// Control characters shown as \xHH, so that a name or a line cannot move the
/// terminal's cursor or retitle its window; tabs stay. Controls of writing
/// direction, which would show a name reordered, are shown as \uHHHH.
QString escapeControls(const QString &text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool control = (u < 0x20 && u != u'\t') || (u >= 0x7F && u <= 0x9F);
        if (control || platform::isBidiControl(u))
            shown += (control ? QStringLiteral("\\x") : QStringLiteral("\\u")) +
                     QString::number(u, 16).toUpper().rightJustified(control ? 2 : 4, u'0');
        else
            shown += c;
    }
    return shown;
}

void printError(const QString &text) {
    static const bool terminal = platform::isTerminal(stderr);
    const QString shown = platform::displayPath(text);
    std::fputs(qUtf8Printable((terminal ? escapeControls(shown) : shown) + u'\n'), stderr);
}

/// The files named on the command line, in the order given.
class PathSelection : public FileSelection {
  public:
    explicit PathSelection(QStringList paths) : paths_(std::move(paths)) {}
    int count() const override { return static_cast<int>(paths_.size()); }
    bool isSelected(int) const override { return true; }
    QString name(int index) const override { return QFileInfo(paths_.value(index)).fileName(); }
    QString folderPath() const override { return QFileInfo(paths_.value(0)).path(); }
    QString path(int index) const override { return paths_.value(index); }

  private:
    QStringList paths_;
};

/// Streams rows into the report as they are found; on a terminal, control
/// characters are shown escaped. With context lines, a file's rows are written
/// together once the next file's come.
class ReportSink : public MatchSink {
  public:
    ReportSink(ResultsReport::Writer &writer, bool terminal, const SearchOptions &options)
        : writer_(writer), terminal_(terminal), before_(options.contextBefore),
          after_(options.contextAfter) {}
    bool AddMatch(const MatchRecord &row) override {
        if (before_ > 0 || after_ > 0) {
            if (!fileRows_.isEmpty() && fileRows_.front().path != row.path)
                check(writer_.writeRowsWithContext(std::exchange(fileRows_, {}), before_, after_));
            if (row.path.isEmpty())
                check(writer_.writeRow(row));
            else
                fileRows_.append(row);
            return ok_;
        }
        check(terminal_ ? writer_.writeLine(escapeControls(ResultsReport::rowLine(row)))
                        : writer_.writeRow(row));
        return ok_;
    }
    bool ok() const { return ok_; }

  private:
    void check(bool written) {
        if (ok_ && !written) {
            ok_ = false;
            printError(QStringLiteral("quarrix-scan: cannot write the report: ") +
                       writer_.errorString());
        }
    }

    ResultsReport::Writer &writer_;
    bool terminal_;
    int before_;
    int after_;
    QList<MatchRecord> fileRows_;
    bool ok_ = true;
};

/// Instead of the report: the names of matching files (-l), a count per file
/// (-c), or one JSON object per matching line and per file end (--json).
class SummarySink : public MatchSink {
  public:
    enum class Form { Names, Counts, Json };
    SummarySink(QIODevice &device, Form form, bool terminal, const ScanQuery &query)
        : device_(device), form_(form), terminal_(terminal),
          expression_(query.searchText, query.options) {}
    bool AddMatch(const MatchRecord &row) override {
        if (row.path != path_ || row.inner != inner_)
            endFile();
        if (row.path.isEmpty())
            return ok_; // the marker row
        path_ = row.path;
        inner_ = row.inner;
        ++count_;
        if (form_ == Form::Json)
            writeJson(matchObject(row));
        return ok_;
    }
    bool ok() const { return ok_; }

  private:
    void endFile() {
        if (path_.isEmpty())
            return;
        const QString shown = RowPath::shown(path_, inner_);
        if (form_ == Form::Names)
            write(shown);
        else if (form_ == Form::Counts)
            write(shown + u':' + QString::number(count_));
        else
            writeJson(pathObject(QStringLiteral("end"), path_, inner_,
                                 {{QStringLiteral("matches"), count_}}));
        path_.clear();
        inner_.clear();
        count_ = 0;
    }
    // A member's names follow its container's path, as rows show them.
    static QJsonObject pathObject(const QString &type, const QString &path,
                                  const QStringList &inner, QJsonObject object) {
        object.insert(QStringLiteral("type"), type);
        QByteArray bytes = platform::pathBytes(path);
        for (const QString &name : inner)
            bytes += (RowPath::Separator + name).toUtf8();
        if (QUtf8StringView(bytes).isValidUtf8())
            object.insert(QStringLiteral("path"), QString::fromUtf8(bytes));
        else
            object.insert(QStringLiteral("path_base64"), QString::fromLatin1(bytes.toBase64()));
        return object;
    }
    QJsonObject matchObject(const MatchRecord &row) const {
        // Hits in bytes of the line's UTF-8, as the text is written.
        QJsonArray hits;
        for (const SearchExpression::TermHit &hit : expression_.termHits(row.text)) {
            const auto start = QStringView(row.text).first(hit.start).toUtf8().size();
            const auto length = QStringView(row.text).sliced(hit.start, hit.length).toUtf8().size();
            hits.append(QJsonArray{start, start + length});
        }
        return pathObject(QStringLiteral("match"), row.path, row.inner,
                          {{QStringLiteral("line"), row.line.text()},
                           {QStringLiteral("text"), row.text},
                           {QStringLiteral("hits"), hits}});
    }
    void writeJson(const QJsonObject &object) {
        write(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
    }
    void write(const QString &line) {
        const QByteArray bytes = ((terminal_ ? escapeControls(line) : line) + u'\n').toUtf8();
        if (ok_ && device_.write(bytes) != bytes.size()) {
            ok_ = false;
            printError(QStringLiteral("quarrix-scan: cannot write: ") + device_.errorString());
        }
    }

    QIODevice &device_;
    Form form_;
    bool terminal_;
    SearchExpression expression_;
    QString path_;
    QStringList inner_;
    qint64 count_ = 0;
    bool ok_ = true;
};

/// Errors and messages to standard error; on a terminal, a progress line.
class ConsoleStatus : public StatusSink {
  public:
    ConsoleStatus() : progress_(platform::isTerminal(stderr)) { clock_.start(); }
    void SBar(const QString &text) override {
        if (text.startsWith(ScanTexts::ScanningFile))
            ++files_;
        showProgress();
    }
    void fileError(const QString &text) override {
        eraseProgress();
        printError(text);
        ++errors_;
    }
    void folderSkipped(const QString &path) override {
        eraseProgress();
        printError(QStringLiteral("quarrix-scan: ") + path +
                   QStringLiteral(": a kernel file system, not scanned"));
    }
    /// Files and folders that could not be read.
    int errors() const { return errors_; }
    void showMessage(const QString &text) override {
        eraseProgress();
        printError(QStringLiteral("quarrix-scan: ") + text);
    }
    void showMatchCount(qint64 count) override {
        matches_ = count;
        showProgress();
    }
    void eraseProgress() {
        if (shown_)
            std::fputs("\r\033[K", stderr);
        shown_ = false;
    }

  private:
    void showProgress() {
        if (!progress_ || clock_.elapsed() < 100)
            return;
        clock_.restart();
        std::fprintf(stderr, "\r\033[K%lld files, %lld matches", files_,
                     static_cast<long long>(matches_));
        shown_ = true;
    }

    bool progress_;
    bool shown_ = false;
    QElapsedTimer clock_;
    long long files_ = 0;
    qint64 matches_ = 0;
    int errors_ = 0;
};

QString version() {
    return QStringLiteral("%1.%2.%3")
        .arg(QuarrixVersion::Major)
        .arg(QuarrixVersion::Minor)
        .arg(QuarrixVersion::Revision, 3, 10, QLatin1Char('0'));
}

/// The arguments as the system gave them: a name that is not UTF-8 keeps its
/// bytes, so it still opens.
QStringList argumentList(int argc, char **argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << platform::pathText(QByteArray(argv[i]));
    return arguments;
}

/// The search text as typed: UTF-8, or text of the locale's character set.
std::optional<QString> searchTextOf(const QString &argument) {
    std::optional<QString> text = platform::argumentText(platform::pathBytes(argument).constData());
    if (!text)
        printError(QStringLiteral("quarrix-scan: the search text is neither UTF-8 nor text of "
                                  "the locale's character set (") +
                   platform::localeCharacterSet() + u')');
    return text;
}

/// What the PATH arguments name: one folder, or files.
struct Inputs {
    bool treeScan = false;
    std::vector<platform::FileId> files;

    bool contains(const std::optional<platform::FileId> &id) const {
        return id && std::ranges::find(files, *id) != files.end();
    }
};

std::optional<Inputs> inputsOf(const QStringList &paths) {
    Inputs inputs;
    for (const QString &path : paths) {
        const auto status = platform::pathStatus(path);
        inputs.treeScan = paths.size() == 1 && status && status->folder;
        if (!status || (!inputs.treeScan && status->folder)) {
            printError(QStringLiteral("quarrix-scan: ") + path +
                       (status ? QStringLiteral(": is a folder; name one folder alone")
                               : QStringLiteral(": No such file or directory")));
            return std::nullopt;
        }
        inputs.files.push_back(status->id);
    }
    return inputs;
}

/// Opens the report (a file given with --output, else standard output) and
/// refuses one that would overwrite a file it scans.
bool openReport(const QString &target, const Inputs &inputs, platform::OutputFile &output) {
    const auto refuse = [](const QString &name) {
        printError(QStringLiteral("quarrix-scan: ") + name +
                   QStringLiteral(": the report would overwrite a file it scans"));
        return false;
    };
    const auto existing = target.isEmpty() ? std::nullopt : platform::pathStatus(target);
    if (!inputs.treeScan && existing && inputs.contains(existing->id))
        return refuse(target);
    if (!(target.isEmpty() ? output.openStandardOutput() : output.open(target))) {
        printError(QStringLiteral("quarrix-scan: cannot write ") +
                   (target.isEmpty() ? QStringLiteral("standard output") : target) +
                   QStringLiteral(": ") + output.errorString());
        return false;
    }
    if (!inputs.treeScan && inputs.contains(output.identity()))
        return refuse(QStringLiteral("standard output"));
    return true;
}

/// Everything written has reached the report, and a report file took the
/// place of the old one.
bool finishReport(platform::OutputFile &output) {
    if (output.commit())
        return true;
    printError(QStringLiteral("quarrix-scan: cannot write the report: ") + output.errorString());
    return false;
}

/// The report and the report it replaces are never scanned.
std::vector<platform::FileId> reportFiles(const QString &target,
                                          const platform::OutputFile &output) {
    std::vector<platform::FileId> files;
    if (const auto written = output.identity())
        files.push_back(*written);
    if (const auto replaced = target.isEmpty() ? std::nullopt : platform::pathStatus(target))
        files.push_back(replaced->id);
    return files;
}

/// "4096", "64K", "10M", "2G" in bytes; nothing for anything else.
std::optional<qint64> sizeOf(QString text) {
    qint64 unit = 1;
    const QString units = QStringLiteral("KMG");
    if (const qsizetype at = units.indexOf(text.right(1).toUpper()); !text.isEmpty() && at >= 0) {
        unit = qint64{1} << (10 * (at + 1));
        text.chop(1);
    }
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    if (!ok || number < 0 || number > std::numeric_limits<qint64>::max() / unit)
        return std::nullopt;
    return number * unit;
}

/// The search options of the command line; nothing after a message for a bad value.
struct OptionFlags {
    QCommandLineOption word{{QStringLiteral("w"), QStringLiteral("word-regexp")},
                            QStringLiteral("Match whole words only (letters, digits, marks, _).")};
    QCommandLineOption regex{{QStringLiteral("E"), QStringLiteral("regex")},
                             QStringLiteral("SEARCH_TEXT is a Perl-compatible regular expression "
                                            "('|' alternates, '&' is plain).")};
    QCommandLineOption matchCase{QStringLiteral("match-case"),
                                 QStringLiteral("Letter case must match.")};
    QCommandLineOption glob{{QStringLiteral("g"), QStringLiteral("glob")},
                            QStringLiteral("In a folder scan, only files whose name matches GLOB; "
                                           "!GLOB leaves matching files and folders out "
                                           "(repeatable)."),
                            QStringLiteral("GLOB")};
    QCommandLineOption excludeDir{QStringLiteral("exclude-dir"),
                                  QStringLiteral("Do not enter folders whose name matches NAME "
                                                 "(a glob; repeatable)."),
                                  QStringLiteral("NAME")};
    QCommandLineOption maxFilesize{QStringLiteral("max-filesize"),
                                   QStringLiteral("In a folder scan, leave out files larger than "
                                                  "SIZE bytes (K, M, G suffixes)."),
                                   QStringLiteral("SIZE")};
    QCommandLineOption changedWithin{QStringLiteral("changed-within"),
                                     QStringLiteral("In a folder scan, only files modified in the "
                                                    "last DAYS days."),
                                     QStringLiteral("DAYS")};
    QCommandLineOption changedAfter{QStringLiteral("changed-after"),
                                    QStringLiteral("In a folder scan, only files modified on or "
                                                   "after DATE (YYYY-MM-DD, local time)."),
                                    QStringLiteral("DATE")};
    QCommandLineOption after{{QStringLiteral("A"), QStringLiteral("after-context")},
                             QStringLiteral("Show NUM lines after each matching line (0-9)."),
                             QStringLiteral("NUM")};
    QCommandLineOption before{{QStringLiteral("B"), QStringLiteral("before-context")},
                              QStringLiteral("Show NUM lines before each matching line (0-9)."),
                              QStringLiteral("NUM")};
    QCommandLineOption context{{QStringLiteral("C"), QStringLiteral("context")},
                               QStringLiteral("Show NUM lines before and after (0-9)."),
                               QStringLiteral("NUM")};
    QCommandLineOption names{{QStringLiteral("l"), QStringLiteral("files-with-matches")},
                             QStringLiteral("Write only the names of files with a match.")};
    QCommandLineOption count{{QStringLiteral("c"), QStringLiteral("count")},
                             QStringLiteral("Write each matching file's name and its count of "
                                            "matching lines.")};
    QCommandLineOption json{QStringLiteral("json"),
                            QStringLiteral("Write one JSON object per matching line and per file "
                                           "end instead of the report.")};

    void addTo(QCommandLineParser &parser) const {
        parser.addOptions({word, regex, matchCase, glob, excludeDir, maxFilesize, changedWithin,
                           changedAfter, after, before, context, names, count, json});
    }
    std::optional<SearchOptions> read(const QCommandLineParser &parser) const {
        SearchOptions options;
        options.wholeWord = parser.isSet(word);
        options.regex = parser.isSet(regex);
        options.matchCase = parser.isSet(matchCase);
        options.includes = parser.values(glob);
        options.excludes = parser.values(excludeDir);
        if (parser.isSet(maxFilesize)) {
            const auto size = sizeOf(parser.value(maxFilesize));
            if (!size || *size == std::numeric_limits<qint64>::max())
                return refuse(
                    QStringLiteral("--max-filesize takes a size such as 4096, 64K or 10M"));
            options.smallerThan = *size + 1;
        }
        if (parser.isSet(changedWithin)) {
            bool ok = false;
            options.changedWithinDays = parser.value(changedWithin).toInt(&ok);
            if (!ok || options.changedWithinDays < 1)
                return refuse(QStringLiteral("--changed-within takes a number of days from 1"));
        }
        if (parser.isSet(changedAfter)) {
            options.changedAfter = QDate::fromString(parser.value(changedAfter), Qt::ISODate);
            if (!options.changedAfter.isValid())
                return refuse(QStringLiteral("--changed-after takes a date such as 2024-03-31"));
        }
        const auto lines = [&parser](const QCommandLineOption &option, int &to) {
            if (!parser.isSet(option))
                return true;
            bool ok = false;
            to = parser.value(option).toInt(&ok);
            return ok && to >= 0 && to <= 9;
        };
        int both = 0;
        if (!lines(context, both) || !lines(after, options.contextAfter) ||
            !lines(before, options.contextBefore))
            return refuse(QStringLiteral("-A, -B and -C take a number of lines from 0 to 9"));
        if (parser.isSet(context)) {
            options.contextAfter = parser.isSet(after) ? options.contextAfter : both;
            options.contextBefore = parser.isSet(before) ? options.contextBefore : both;
        }
        return options;
    }
    static std::optional<SearchOptions> refuse(const QString &text) {
        printError(QStringLiteral("quarrix-scan: ") + text);
        return std::nullopt;
    }
};

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quarrix-scan"));
    QCoreApplication::setApplicationVersion(version());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Scans files for a search text and writes a report of every matching line.\n"
        "SEARCH_TEXT: a text, or terms joined by '|' (any term) or '&' (all terms);\n"
        "letter case is ignored unless --match-case; with -E, one regular expression.\n"
        "An expression that does not compile is an error (exit 2). One PATH that is a folder scans "
        "its whole tree;\n"
        "otherwise every PATH must be a file. Exit status: 0 something matched and\n"
        "no error, 1 nothing matched and no error, 2 a usage error or a file or\n"
        "folder that could not be read (the scan still finishes)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption typeOption(QStringLiteral("type"),
                                        QStringLiteral("In a folder scan, only files of type EXT."),
                                        QStringLiteral("EXT"));
    const QCommandLineOption outputOption(QStringLiteral("output"),
                                          QStringLiteral("Write the report to FILE."),
                                          QStringLiteral("FILE"));
    const QCommandLineOption readersOption(
        QStringLiteral("readers"),
        QStringLiteral("Read and search N files at once (default: from the machine, or "
                       "QUARRIX_READERS)."),
        QStringLiteral("N"));
    const QCommandLineOption textOption(
        QStringList{QStringLiteral("a"), QStringLiteral("text")},
        QStringLiteral("Search binary files (NUL bytes near their start) line by line as "
                       "text; otherwise a matching one gives one row, \"Binary file matches\"."));
    const QCommandLineOption zipOption(
        {QStringLiteral("z"), QStringLiteral("search-zip")},
        QStringLiteral("Look inside archives and compressed files (zip, 7z, tar, cpio, iso, rar; "
                       ".gz .bz2 .xz .zst .lz4). A row inside one is named by the outer path "
                       "and each inner name, joined by \" \u25B8 \"."));
    parser.addOption(typeOption);
    parser.addOption(zipOption);
    parser.addOption(outputOption);
    parser.addOption(readersOption);
    parser.addOption(textOption);
    const OptionFlags flags;
    flags.addTo(parser);
    parser.addPositionalArgument(QStringLiteral("SEARCH_TEXT"),
                                 QStringLiteral("What to look for."));
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("A folder, or files."),
                                 QStringLiteral("PATH..."));
    if (!parser.parse(argumentList(argc, argv))) {
        QString error = parser.errorText();
        error.chop(error.endsWith(u'.') ? 1 : 0);
        printError(QStringLiteral("quarrix-scan: ") + error +
                   QStringLiteral(" (a search text that begins with - goes after --; see "
                                  "--help)"));
        return Trouble;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    const QStringList args = parser.positionalArguments();
    if (args.size() < 2) {
        printError(QStringLiteral(
            "quarrix-scan: a search text and at least one PATH are needed (see --help)"));
        return Trouble;
    }
    bool readersOk = true;
    const int readers = parser.isSet(readersOption) ? parser.value(readersOption).toInt(&readersOk)
                                                    : ReadAhead::defaultReaders();
    if (!readersOk || readers < 1 || readers > 64) {
        printError(QStringLiteral("quarrix-scan: --readers takes a number from 1 to 64"));
        return Trouble;
    }
    const std::optional<SearchOptions> options = flags.read(parser);
    if (!options)
        return Trouble;
    const std::optional<QString> searchText = searchTextOf(args.front());
    const QStringList paths = args.mid(1);
    const std::optional<Inputs> inputs = searchText ? inputsOf(paths) : std::nullopt;
    if (!inputs)
        return Trouble;

    ScanQuery query;
    query.mode = inputs->treeScan ? ScanMode::DirectoryTree : ScanMode::SelectedFiles;
    query.folder = inputs->treeScan ? paths.front() : QFileInfo(paths.front()).path();
    query.selectedFiles = inputs->treeScan ? QStringList() : paths;
    query.specifiedType = parser.isSet(typeOption);
    query.type = parser.value(typeOption);
    query.searchText = *searchText;
    query.binaryAsText = parser.isSet(textOption);
    query.searchArchives = parser.isSet(zipOption);
    query.options = *options;
    ConsoleStatus status;
    if (query.specifiedType && FileTypeFilter::normalisedType(query.type).isEmpty()) {
        status.showMessage(ScanTexts::SpecifyExtension);
        return Trouble;
    }

    // Refused before the report is begun, so no empty report is left behind.
    if (const QString error = SearchExpression(query.searchText, query.options).error();
        !error.isEmpty()) {
        status.showMessage(error);
        return Trouble;
    }
    const QString target = parser.value(outputOption);
    platform::OutputFile output;
    if (!openReport(target, *inputs, output))
        return Trouble;
    ResultsReport::Writer writer(output.device());
    ResultsReport::Header header = ResultsReport::headerOf(query);
    const bool terminal = platform::isTerminal(stdout) && !parser.isSet(outputOption);
    std::optional<SummarySink> summary;
    if (parser.isSet(flags.names) || parser.isSet(flags.count) || parser.isSet(flags.json))
        summary.emplace(output.device(),
                        parser.isSet(flags.json)    ? SummarySink::Form::Json
                        : parser.isSet(flags.count) ? SummarySink::Form::Counts
                                                    : SummarySink::Form::Names,
                        terminal, query);
    if (terminal) {
        header.searchedFor = escapeControls(header.searchedFor);
        header.directory = escapeControls(header.directory);
    }
    if (!summary && !writer.writeHeader(header)) {
        printError(QStringLiteral("quarrix-scan: cannot write the report: ") +
                   writer.errorString());
        return Trouble;
    }

    ReportSink report(writer, terminal, query.options);
    MatchSink &sink = summary ? static_cast<MatchSink &>(*summary) : report;
    RunHooks hooks;
    ScanRun run(sink, status, hooks);
    run.readers = readers;
    run.leaveOut(reportFiles(target, output));
    const PathSelection selection(paths);
    const ScanOutcome outcome = run.run(query, &selection);
    status.eraseProgress();
    if (run.linesGivenUp() > 0)
        printError(QStringLiteral("quarrix-scan: %1 lines given up: the expression took too long "
                                  "on them")
                       .arg(run.linesGivenUp()));
    const bool written = (summary ? summary->ok() : report.ok()) && finishReport(output);
    if (outcome == ScanOutcome::Refused || !written || status.errors() > 0)
        return Trouble;
    return run.LinesMatched > 0 ? Matched : NoMatch;
}
