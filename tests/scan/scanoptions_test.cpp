#include "scan/resultsreport.h"
#include "scan/scanrun.h"
#include "scan/scantexts.h"
#include "support/recordingsinks.h"
#include "support/tempdir.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

struct TreeScan {
    explicit TreeScan(const QString &folder) {
        query.mode = ScanMode::DirectoryTree;
        query.folder = folder;
        query.searchText = QStringLiteral("needle");
    }
    ScanOutcome run() {
        ScanRun scan(sinks, sinks, sinks);
        return scan.run(query);
    }
    QStringList files() const {
        QStringList found;
        for (const MatchRecord &row : sinks.rows)
            if (!row.path.isEmpty())
                found << QDir(query.folder).relativeFilePath(row.path);
        return found;
    }
    ScanQuery query;
    RecordingSinks sinks;
};

} // namespace

// Excluded folders are never entered (no "Checking" for them or anything below);
// excluded names, the type list, size and date limits leave files out.
TEST(ScanOptions, FileSelectionLeavesOutWhatTheLimitsSay) {
    TempDir dir;
    dir.write(QStringLiteral("a.c"), "needle\n");
    dir.write(QStringLiteral("b.H"), "needle\n");
    dir.write(QStringLiteral("c.txt"), "needle\n");
    dir.write(QStringLiteral("big.c"), QByteArray(5000, 'x') + "needle\n");
    dir.write(QStringLiteral("x.min.js"), "needle\n");
    QDir(dir.path()).mkpath(QStringLiteral(".git/deep"));
    dir.write(QStringLiteral(".git/deep/d.c"), "needle\n");
    QDir(dir.path()).mkpath(QStringLiteral("build-x"));
    dir.write(QStringLiteral("build-x/e.c"), "needle\n");
    QFile old(dir.file(QStringLiteral("c.txt")));
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTime().addDays(-30),
                                QFileDevice::FileModificationTime));
    old.close();

    TreeScan all(dir.path());
    all.query.options.excludes = {QStringLiteral(".git"), QStringLiteral("build*"),
                                  QStringLiteral("*.min.js")};
    EXPECT_EQ(all.run(), ScanOutcome::Completed);
    EXPECT_EQ(all.files(), QStringList({"a.c", "b.H", "big.c", "c.txt"}));
    for (const QString &status : all.sinks.status)
        EXPECT_FALSE(status.contains(QStringLiteral(".git")) ||
                     status.contains(QStringLiteral("build-x")))
            << status.toStdString();

    TreeScan types(dir.path());
    types.query.specifiedType = true;
    types.query.type = QStringLiteral("c;*.h");
    types.query.options.smallerThan = 1000;
    types.query.options.excludes = {QStringLiteral(".git")};
    types.run();
    EXPECT_EQ(types.files(), QStringList({"a.c", "b.H", "build-x/e.c"}));

    TreeScan recent(dir.path());
    recent.query.options.changedWithinDays = 7;
    recent.query.options.largerThan = 1000;
    recent.run();
    EXPECT_EQ(recent.files(), QStringList({"big.c"}));
}

TEST(ScanOptions, AnInvalidExpressionIsRefusedBeforeAnythingIsRead) {
    TempDir dir;
    dir.write(QStringLiteral("a.txt"), "needle\n");
    TreeScan scan(dir.path());
    scan.query.searchText = QStringLiteral("[needle");
    scan.query.options.regex = true;
    EXPECT_EQ(scan.run(), ScanOutcome::Refused);
    ASSERT_EQ(scan.sinks.messages.size(), 1);
    EXPECT_TRUE(scan.sinks.messages.front().startsWith(QStringLiteral("Regular expression error")));
    EXPECT_TRUE(scan.sinks.rows.empty());
}

TEST(ScanOptions, TheRunSaysHowManyLinesItGaveUp) {
    TempDir dir;
    dir.write(QStringLiteral("a.txt"), QByteArray(30000, 'a') + "b\nab\n");
    TreeScan scan(dir.path());
    scan.query.searchText = QStringLiteral("(a+)+$|^ab$");
    scan.query.options.regex = true;
    EXPECT_EQ(scan.run(), ScanOutcome::Completed);
    EXPECT_EQ(scan.files(), QStringList{"a.txt"});
    EXPECT_EQ(scan.sinks.status.back(), ScanTexts::ScanningComplete + ScanTexts::linesGivenUp(1));
}

// The header names the options only when one is set; context rows come from
// the file, with "--" between groups apart.
TEST(ScanOptions, ReportHeaderAndContextRows) {
    ScanQuery query;
    query.searchText = QStringLiteral("x");
    EXPECT_EQ(ResultsReport::headerLines(ResultsReport::headerOf(query)).size(), 7);
    query.options.wholeWord = true;
    query.options.excludes = {QStringLiteral(".git"), QStringLiteral("build")};
    const QStringList lines = ResultsReport::headerLines(ResultsReport::headerOf(query));
    EXPECT_EQ(lines.at(3), QStringLiteral("Options: Whole Word; Exclude: .git;build"));

    TempDir dir;
    dir.write(QStringLiteral("a.txt"), "1\r\n2 hit\r\n3\r\n4\r\n5\r\n6 hit\n7");
    const QString a = dir.file(QStringLiteral("a.txt"));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ResultsReport::Writer writer(buffer);
    ASSERT_TRUE(writer.writeRowsWithContext({{a, LineCell::line(2), QStringLiteral("2 hit")},
                                             {a, LineCell::line(6), QStringLiteral("6 hit")}},
                                            1, 1));
    const QString file = QStringLiteral("FILE: ") + a + QStringLiteral(";  LINE: ");
    const QStringList expected{
        file + "1;  CONTEXT: 1", file + "2;  MATCH: 2 hit", file + "3;  CONTEXT: 3", "--",
        file + "5;  CONTEXT: 5", file + "6;  MATCH: 6 hit", file + "7;  CONTEXT: 7", ""};
    EXPECT_EQ(QString::fromUtf8(buffer.data()).split(QStringLiteral("\r\n")), expected);
}
