// quarrix-scan: the scan engine without a window, for scripts and benchmarks.

#include "platform/console.h"
#include "quarrixversion.h"
#include "scan/filetypefilter.h"
#include "scan/readahead.h"
#include "scan/resultsreport.h"
#include "scan/scanrun.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

enum ExitCode { Matched = 0, NoMatch = 1, Refused = 2 };

void printError(const QString &text) {
    std::fputs(qUtf8Printable(text + u'\n'), stderr);
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

/// Streams rows into the report as they are found.
class ReportSink : public MatchSink {
  public:
    explicit ReportSink(ResultsReport::Writer &writer) : writer_(writer) {}
    bool AddMatch(const MatchRecord &row) override {
        if (ok_ && !writer_.writeLine(ResultsReport::rowLine(row))) {
            ok_ = false;
            printError(QStringLiteral("quarrix-scan: cannot write the report: ") +
                       writer_.errorString());
        }
        return ok_;
    }
    bool ok() const { return ok_; }

  private:
    ResultsReport::Writer &writer_;
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
    }
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
};

QString version() {
    return QStringLiteral("%1.%2.%3")
        .arg(QuarrixVersion::Major)
        .arg(QuarrixVersion::Minor)
        .arg(QuarrixVersion::Revision, 3, 10, QLatin1Char('0'));
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quarrix-scan"));
    QCoreApplication::setApplicationVersion(version());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Scans files for a search text and writes a report of every matching line.\n"
        "SEARCH_TEXT: a text, or terms joined by '|' (any term) or '&' (all terms);\n"
        "letter case is ignored. One PATH that is a folder scans its whole tree;\n"
        "otherwise every PATH must be a file. Exit status: 0 matches found,\n"
        "1 none, 2 input refused or a PATH missing."));
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
    parser.addOption(typeOption);
    parser.addOption(outputOption);
    parser.addOption(readersOption);
    parser.addPositionalArgument(QStringLiteral("SEARCH_TEXT"),
                                 QStringLiteral("What to look for."));
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("A folder, or files."),
                                 QStringLiteral("PATH..."));
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    if (args.size() < 2) {
        printError(QStringLiteral(
            "quarrix-scan: a search text and at least one PATH are needed (see --help)"));
        return Refused;
    }
    bool readersOk = true;
    const int readers = parser.isSet(readersOption) ? parser.value(readersOption).toInt(&readersOk)
                                                    : ReadAhead::defaultReaders();
    if (!readersOk || readers < 1 || readers > 64) {
        printError(QStringLiteral("quarrix-scan: --readers takes a number from 1 to 64"));
        return Refused;
    }
    const QString &searchText = args.front();
    const QStringList paths = args.mid(1);
    const bool treeScan = paths.size() == 1 && QFileInfo(paths.front()).isDir();
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (!info.exists() || (!treeScan && info.isDir())) {
            printError(QStringLiteral("quarrix-scan: ") + path +
                       (info.exists() ? QStringLiteral(": is a folder; name one folder alone")
                                      : QStringLiteral(": No such file or directory")));
            return Refused;
        }
    }

    QFile output;
    const bool opened = parser.isSet(outputOption)
                            ? (output.setFileName(parser.value(outputOption)),
                               output.open(QIODevice::WriteOnly | QIODevice::Truncate))
                            : output.open(stdout, QIODevice::WriteOnly);
    if (!opened) {
        printError(QStringLiteral("quarrix-scan: cannot write ") + parser.value(outputOption) +
                   QStringLiteral(": ") + output.errorString());
        return Refused;
    }

    ResultsReport::Writer writer(output);
    ReportSink sink(writer);
    ConsoleStatus status;
    RunHooks hooks;
    const FixedSearchText search(searchText);
    ScanRun run(sink, status, hooks, search);
    run.readers = readers;
    const PathSelection selection(paths);

    ScanQuery query;
    query.mode = treeScan ? ScanMode::DirectoryTree : ScanMode::SelectedFiles;
    query.folder = treeScan ? paths.front() : QFileInfo(paths.front()).path();
    query.selectedFiles = treeScan ? QStringList() : paths;
    query.specifiedType = parser.isSet(typeOption);
    query.type = parser.value(typeOption);
    query.searchText = searchText;
    if (query.specifiedType && FileTypeFilter::normalisedType(query.type).isEmpty()) {
        status.showMessage(ScanTexts::SpecifyExtension);
        return Refused;
    }

    if (!writer.writeHeader(ResultsReport::headerOf(query))) {
        printError(QStringLiteral("quarrix-scan: cannot write the report: ") +
                   writer.errorString());
        return Refused;
    }

    const ScanOutcome outcome = run.run(query, &selection);
    status.eraseProgress();
    output.close();
    if (outcome == ScanOutcome::Refused || !sink.ok())
        return Refused;
    return run.LinesMatched > 0 ? Matched : NoMatch;
}
