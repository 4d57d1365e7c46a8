#include "support/tempdir.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <tuple>

namespace {

struct Result {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

Result runScan(const QStringList &args) {
    QProcess process;
    process.start(QStringLiteral(QUARRIX_SCAN_PATH), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QList<QByteArray> reportLines(const QByteArray &report) {
    EXPECT_TRUE(report.endsWith("\r\n"));
    QList<QByteArray> lines = report.split('\n');
    lines.removeLast();
    for (QByteArray &line : lines) {
        EXPECT_TRUE(line.endsWith('\r'));
        line.chop(1);
    }
    return lines;
}

} // namespace

TEST(QuarrixScan, ScansNamedFilesInOrderAndWritesTheReport) {
    TempDir dir;
    const QString a = dir.write(QStringLiteral("a.txt"), "Alpha one\nbeta\n");
    const QString b = dir.write(QStringLiteral("b.txt"), "caf\xE9 alpha\r\n");
    const Result r = runScan({QStringLiteral("alpha"), b, a});
    EXPECT_EQ(r.exitCode, 0);
    const QList<QByteArray> lines = reportLines(r.out);
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[0], "Results From Selected File Scan");
    EXPECT_TRUE(lines[1].startsWith("Date/Time: "));
    EXPECT_EQ(lines[2], "Searched For: alpha");
    EXPECT_EQ(lines[3], "Directory: " + dir.path().toUtf8());
    EXPECT_EQ(lines[6], "Matches...");
    EXPECT_EQ(lines[7], "FILE: " + b.toUtf8() + ";  LINE: 1;  MATCH: caf\xC3\xA9 alpha");
    EXPECT_EQ(lines[8], "FILE: " + a.toUtf8() + ";  LINE: 1;  MATCH: Alpha one");
    EXPECT_EQ(lines[9], "** End Of Matches **");
}

TEST(QuarrixScan, ExitStatusSaysWhatHappened) {
    TempDir dir;
    const QString a = dir.write(QStringLiteral("a.txt"), "text");
    const Result none = runScan({QStringLiteral("zebra"), a});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.out.endsWith("FILE: ;  LINE: ;  MATCH: ** No Matches Found **\r\n"));

    EXPECT_EQ(runScan({QStringLiteral("x"), dir.file(QStringLiteral("missing"))}).exitCode, 2);
    EXPECT_EQ(runScan({QStringLiteral("x"), a, dir.path()}).exitCode, 2);
    EXPECT_EQ(runScan({QStringLiteral("x")}).exitCode, 2);
    const Result blankType =
        runScan({QStringLiteral("--type"), QStringLiteral(" "), QStringLiteral("x"), dir.path()});
    EXPECT_EQ(blankType.exitCode, 2);
    EXPECT_TRUE(blankType.err.contains(
        "You Must Specify An Extension To Search For When Using The Specified Type Option!"));
}

TEST(QuarrixScan, FolderScanFiltersByTypeAndReportsUnreadableFiles) {
    TempDir dir;
    dir.write(QStringLiteral("a.TXT"), "key");
    dir.write(QStringLiteral("b.log"), "key");
    dir.write(QStringLiteral("c.exe"), "key");
    const Result all = runScan({QStringLiteral("key"), dir.path()});
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_TRUE(all.out.startsWith("Results From Directory Tree Scan\r\n"));
    EXPECT_EQ(all.out.count("FILE: "), 2);
    const Result typed = runScan(
        {QStringLiteral("--type"), QStringLiteral("txt"), QStringLiteral("key"), dir.path()});
    EXPECT_EQ(typed.out.count("FILE: "), 1);
    EXPECT_TRUE(typed.out.contains("a.TXT;  LINE: 1;  MATCH: key"));

    const QString pipe = dir.file(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const Result withPipe =
        runScan({QStringLiteral("key"), pipe, dir.file(QStringLiteral("b.log"))});
    EXPECT_EQ(withPipe.exitCode, 0);
    EXPECT_TRUE(withPipe.err.startsWith("Error: ")) << withPipe.err.toStdString();
    EXPECT_TRUE(withPipe.err.contains("(" + pipe.toUtf8() + ")"));

    const QString report = dir.file(QStringLiteral("report.txt"));
    EXPECT_EQ(
        runScan({QStringLiteral("--output"), report, QStringLiteral("key"), dir.path()}).exitCode,
        0);
    QList<QByteArray> written = reportLines(readAll(report));
    QList<QByteArray> printed = reportLines(all.out);
    written.removeAt(1); // the time of writing may differ by a second
    printed.removeAt(1);
    EXPECT_EQ(written, printed);
}

// On a tree of plain LF text files the match lines must be exactly GNU grep's.
TEST(QuarrixScan, AgreesWithGrepOnPlainTextFiles) {
    const QString grep = QStandardPaths::findExecutable(QStringLiteral("grep"));
    if (grep.isEmpty())
        GTEST_SKIP() << "grep is not installed";
    TempDir dir;
    QRandomGenerator random(2024);
    const QList<QByteArray> words = {"alpha",  "Beta", "GAMMA", "delta", "needle",
                                     "NeEdLe", "x",    "  ",    "\t"};
    for (int f = 0; f < 40; ++f) {
        QByteArray content;
        const int lines = random.bounded(0, 400);
        for (int l = 0; l < lines; ++l) {
            const int n = random.bounded(0, 12);
            for (int w = 0; w < n; ++w)
                content += words[random.bounded(int(words.size()))] + ' ';
            content += '\n';
        }
        dir.write(QStringLiteral("d%1/f%2.txt").arg(f % 5).arg(f), content);
    }
    for (const QString &word :
         {QStringLiteral("needle"), QStringLiteral("a b"), QStringLiteral("GAMMA delta")}) {
        QProcess process;
        process.setProcessEnvironment([] {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
            return env;
        }());
        process.start(grep, {QStringLiteral("-rinF"), QStringLiteral("--"), word, dir.path()});
        ASSERT_TRUE(process.waitForFinished(60000));
        std::set<std::tuple<QByteArray, QByteArray, QByteArray>> expected;
        for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
            if (line.isEmpty())
                continue;
            const qsizetype c1 = line.indexOf(':');
            const qsizetype c2 = line.indexOf(':', c1 + 1);
            expected.emplace(line.left(c1), line.mid(c1 + 1, c2 - c1 - 1),
                             line.mid(c2 + 1).trimmed());
        }
        std::set<std::tuple<QByteArray, QByteArray, QByteArray>> found;
        for (const QByteArray &line : reportLines(runScan({word, dir.path()}).out)) {
            if (!line.startsWith("FILE: ") || line.contains("** No Matches Found **"))
                continue;
            const qsizetype l = line.indexOf(";  LINE: ");
            const qsizetype m = line.indexOf(";  MATCH: ");
            // grep's whitespace trim stands in for the report's space trim on both sides.
            found.emplace(line.mid(6, l - 6), line.mid(l + 9, m - l - 9),
                          line.mid(m + 10).trimmed());
        }
        EXPECT_FALSE(expected.empty()) << word.toStdString();
        EXPECT_EQ(found, expected) << word.toStdString();
    }
}
