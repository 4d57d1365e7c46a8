#include "scan/documentpieces.h"
#include "scan/scanrun.h"
#include "scan/scantexts.h"
#include "support/recordingsinks.h"
#include "support/tempdir.h"

#include <QFile>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Harness {
    explicit Harness(const QString &search) : search(search), run(sinks, sinks, sinks) {}
    ScanOutcome scanFiles(const QString &folder, const QStringList &names) {
        ScanQuery query;
        query.searchText = search;
        query.folder = folder;
        query.selectedFiles = names;
        return run.run(query);
    }
    ScanOutcome scanTree(const QString &folder, bool specified = false, const QString &type = {}) {
        ScanQuery query;
        query.searchText = search;
        query.mode = ScanMode::DirectoryTree;
        query.folder = folder;
        query.specifiedType = specified;
        query.type = type;
        return run.run(query);
    }
    QStringList texts() const {
        QStringList result;
        for (const MatchRecord &row : sinks.rows)
            result << row.text;
        return result;
    }
    RecordingSinks sinks;
    QString search;
    ScanRun run;
};

MatchRecord marker(const QString &text) {
    return {QString(), LineCell(), text};
}

} // namespace

TEST(ScanRun, SelectedFilesWithoutASelectionAreRefused) {
    Harness h(QStringLiteral("x"));
    h.sinks.rows.push_back(marker(QStringLiteral("old row")));
    EXPECT_EQ(h.scanFiles(QStringLiteral("/tmp"), {}), ScanOutcome::Refused);
    EXPECT_EQ(h.sinks.messages, QStringList{ScanTexts::SelectFilesFirst});
    EXPECT_TRUE(h.sinks.rows.empty()); // emptied before the check
    EXPECT_TRUE(h.sinks.status.isEmpty());
    EXPECT_TRUE(h.sinks.phases.empty());
}

TEST(ScanRun, RecordsMatchesAndClosesWithAMarker) {
    TempDir dir;
    dir.write(QStringLiteral("a.txt"), "alpha\r\nbeta\r\nALPHA beta\r\n");
    dir.write(QStringLiteral("b.txt"), "nothing\n");
    Harness h(QStringLiteral("alpha"));
    EXPECT_EQ(h.scanFiles(dir.path(), {QStringLiteral("a.txt"), QStringLiteral(" b.txt ")}),
              ScanOutcome::Completed);
    const QString a = dir.file(QStringLiteral("a.txt"));
    const std::vector<MatchRecord> expected = {{a, LineCell::line(1), QStringLiteral("alpha")},
                                               {a, LineCell::line(3), QStringLiteral("ALPHA beta")},
                                               marker(ScanTexts::EndOfMatches)};
    EXPECT_EQ(h.sinks.rows, expected);
    EXPECT_EQ(h.run.LinesMatched, 2);
    EXPECT_EQ(h.sinks.shownCount, 2);
    EXPECT_EQ(h.sinks.status,
              QStringList({ScanTexts::ScanningFile + a,
                           ScanTexts::ScanningFile + dir.file(QStringLiteral("b.txt")),
                           ScanTexts::ScanningComplete}));
}

TEST(ScanRun, ARunWithoutMatchesGetsTheNoMatchesMarker) {
    TempDir dir;
    dir.write(QStringLiteral("a.txt"), "nothing here");
    Harness h(QStringLiteral("zebra"));
    EXPECT_EQ(h.scanFiles(dir.path(), {QStringLiteral("a.txt")}), ScanOutcome::Completed);
    EXPECT_EQ(h.sinks.rows, std::vector<MatchRecord>{marker(ScanTexts::NoMatchesFound)});
    EXPECT_EQ(h.sinks.shownCount, 0);
    EXPECT_EQ(h.sinks.status.last(), ScanTexts::ScanningComplete);
}

TEST(ScanRun, AFileThatCannotBeReadShowsTheErrorAndTheRunGoesOn) {
    TempDir dir;
    dir.write(QStringLiteral("b.txt"), "found");
    Harness h(QStringLiteral("found"));
    h.scanFiles(dir.path(), {QStringLiteral("missing.txt"), QStringLiteral("b.txt")});
    EXPECT_EQ(h.sinks.errors, QStringList{QStringLiteral("Error: No such file or directory (") +
                                          dir.file(QStringLiteral("missing.txt")) + u')'});
    EXPECT_EQ(h.texts(), QStringList({QStringLiteral("found"), ScanTexts::EndOfMatches}));
}

TEST(ScanRun, ABlankSearchTakesEveryTextLineButNoDocumentPiece) {
    TempDir dir;
    dir.write(QStringLiteral("a.txt"), "one\n\ntwo");
    dir.write(QStringLiteral("c.doc"), "first\r\nsecond");
    Harness h(QStringLiteral("   "));
    h.scanFiles(dir.path(), {QStringLiteral("a.txt"), QStringLiteral("c.doc")});
    EXPECT_EQ(h.texts(), QStringList({QStringLiteral("one"), QString(), QStringLiteral("two"),
                                      ScanTexts::EndOfMatches}));
}

TEST(ScanRun, DocumentsAreCutAtLineEndsAndStrippedOfControlCharacters) {
    TempDir dir;
    dir.write(QStringLiteral("r.doc"), "first\r\nsecond\r\nword\tjoined\r\ncaf\xE9 ok");
    Harness h(QStringLiteral("second|word joined|caf\u00E9 ok"));
    h.scanFiles(dir.path(), {QStringLiteral("r.doc")});
    const QString path = dir.file(QStringLiteral("r.doc"));
    const std::vector<MatchRecord> expected = {
        {path, LineCell::piece(1), QStringLiteral("second")},
        {path, LineCell::piece(2), QStringLiteral("word joined")},
        {path, LineCell::piece(3), QStringLiteral("caf\u00E9 ok")},
        marker(ScanTexts::EndOfMatches)};
    EXPECT_EQ(h.sinks.rows, expected);
    EXPECT_TRUE(h.run.RTB.FileName().isEmpty()); // cleared after the file
    EXPECT_EQ(StripControlChars(u"\ta\x7F"
                                "b\u00E9~ \r\n\u0085\u009F\u00A0"),
              QStringLiteral("ab\u00E9~ \u00A0"));
}

// Cancel called during a yield, or a yield that answers stop: the same end,
// with one reader and with many.
TEST(ScanRun, CancelStopsTheFileAndTheRun) {
    TempDir dir;
    QByteArray big;
    for (int i = 0; i < 20000; ++i)
        big += "match line " + QByteArray::number(i) + "\r\n";
    dir.write(QStringLiteral("big.txt"), big);
    dir.write(QStringLiteral("later.txt"), "match later");
    for (const bool answered : {false, true}) {
        for (const int readers : {1, 4}) {
            SCOPED_TRACE(testing::Message() << "answered " << answered << ", readers " << readers);
            Harness h(QStringLiteral("match"));
            h.run.readers = readers;
            h.sinks.onYield = [&] {
                if (h.run.LinesMatched == 5 && !answered)
                    h.run.cancel();
                h.sinks.goOn = h.run.LinesMatched < 5;
            };
            EXPECT_EQ(
                h.scanFiles(dir.path(), {QStringLiteral("big.txt"), QStringLiteral("later.txt")}),
                ScanOutcome::Cancelled);
            EXPECT_EQ(h.run.LinesMatched, 5);
            EXPECT_EQ(h.sinks.rows.size(), 6u);
            EXPECT_EQ(h.sinks.rows.back(), marker(ScanTexts::EndOfMatches));
            EXPECT_FALSE(h.sinks.status.contains(ScanTexts::ScanningFile +
                                                 dir.file(QStringLiteral("later.txt"))));
            EXPECT_EQ(h.sinks.status.last(), ScanTexts::ScanningCancelled);
            EXPECT_FALSE(h.run.ContinueScan);
        }
    }
}

TEST(ScanRun, CancelInADocumentStillTestsItsLoadedPieces) {
    TempDir dir;
    dir.write(QStringLiteral("a.doc"), "hit 0\rhit 1\rhit 2");
    dir.write(QStringLiteral("b.txt"), "hit later");
    Harness h(QStringLiteral("hit"));
    // Once the document's text is whole: its first row shows it was read.
    h.sinks.onYield = [&] {
        if (!h.sinks.rows.empty())
            h.run.cancel();
    };
    EXPECT_EQ(h.scanFiles(dir.path(), {QStringLiteral("a.doc"), QStringLiteral("b.txt")}),
              ScanOutcome::Cancelled);
    EXPECT_EQ(h.texts(), QStringList({QStringLiteral("hit 0"), QStringLiteral("hit 1"),
                                      QStringLiteral("hit 2"), ScanTexts::EndOfMatches}));
}

TEST(ScanRun, AnEditOfTheSearchTextTakesEffectDuringTheRun) {
    TempDir dir;
    dir.write(QStringLiteral("a.txt"), "alpha\nbeta");
    dir.write(QStringLiteral("b.txt"), "alpha\nbeta");
    Harness h(QStringLiteral("alpha"));
    h.sinks.onYield = [&] {
        if (h.run.LinesMatched == 1)
            h.run.editSearchText(QStringLiteral("beta"));
    };
    h.scanFiles(dir.path(), {QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    // The edit comes after the first match: the second line of a.txt already
    // sees it, and so does b.txt.
    EXPECT_EQ(h.texts(), QStringList({QStringLiteral("alpha"), QStringLiteral("beta"),
                                      QStringLiteral("beta"), ScanTexts::EndOfMatches}));
}

TEST(ScanRun, AnEditTakesEffectFromTheNextLineOfTheSameFile) {
    TempDir dir;
    dir.write(QStringLiteral("a.txt"), "alpha 1\nbeta 2\nalpha 3\nbeta 4");
    Harness h(QStringLiteral("alpha"));
    h.sinks.onYield = [&] {
        if (h.run.LinesMatched == 1)
            h.run.editSearchText(QStringLiteral("beta"));
    };
    h.scanFiles(dir.path(), {QStringLiteral("a.txt")});
    EXPECT_EQ(h.texts(), QStringList({QStringLiteral("alpha 1"), QStringLiteral("beta 2"),
                                      QStringLiteral("beta 4"), ScanTexts::EndOfMatches}));
}

TEST(ScanRun, DirectoryTreeFiltersTypesAndPicksTheReader) {
    TempDir dir;
    dir.write(QStringLiteral("a.txt"), "key in text");
    dir.write(QStringLiteral("b.exe"), "key in program");
    dir.write(QStringLiteral("sub/c.doc"), "key in document");
    Harness h(QStringLiteral("key"));
    EXPECT_EQ(h.scanTree(dir.path()), ScanOutcome::Completed);
    const std::vector<MatchRecord> expected = {
        {dir.file(QStringLiteral("a.txt")), LineCell::line(1), QStringLiteral("key in text")},
        {dir.file(QStringLiteral("sub/c.doc")), LineCell::piece(0),
         QStringLiteral("key in document")},
        marker(ScanTexts::EndOfMatches)};
    EXPECT_EQ(h.sinks.rows, expected);
    EXPECT_EQ(h.sinks.phases, (std::vector<RunHooks::Phase>{
                                  RunHooks::Phase::Started, RunHooks::Phase::BuildingList,
                                  RunHooks::Phase::ListBuilt, RunHooks::Phase::Finished}));
    EXPECT_EQ(h.sinks.status.front(), ScanTexts::BuildingFileList);
    EXPECT_TRUE(h.sinks.status.contains(ScanTexts::FileListBuilt));

    Harness typed(QStringLiteral("key"));
    typed.scanTree(dir.path(), true, QStringLiteral(" *.EXE "));
    EXPECT_EQ(typed.texts(),
              QStringList({QStringLiteral("key in program"), ScanTexts::EndOfMatches}));
}

TEST(ScanRun, ASpecifiedTypeLeftEmptyIsRefusedAfterTheWalk) {
    TempDir dir;
    dir.write(QStringLiteral("a.txt"), "key");
    Harness h(QStringLiteral("key"));
    EXPECT_EQ(h.scanTree(dir.path(), true, QStringLiteral("  ")), ScanOutcome::Refused);
    EXPECT_EQ(h.sinks.messages, QStringList{ScanTexts::SpecifyExtension});
    EXPECT_EQ(h.sinks.status.last(), ScanTexts::DirectoryScanningCanceled);
    EXPECT_EQ(h.run.FoundFilesList, QStringList{dir.file(QStringLiteral("a.txt"))});
    EXPECT_TRUE(h.sinks.rows.empty());
    for (const char *bare : {"*.", ".", " * "}) {
        Harness star(QStringLiteral("key"));
        EXPECT_EQ(star.scanTree(dir.path(), true, QString::fromLatin1(bare)), ScanOutcome::Refused)
            << bare;
    }
}

TEST(ScanRun, ProgressCountsTheFilesOfTheListBeforeEachOne) {
    TempDir dir;
    dir.write(QStringLiteral("a.txt"), "key");
    dir.write(QStringLiteral("b.exe"), "key");
    dir.write(QStringLiteral("c.txt"), "key");
    Harness tree(QStringLiteral("key"));
    tree.scanTree(dir.path());
    using Steps = std::vector<std::pair<qint64, qint64>>;
    EXPECT_EQ(tree.sinks.progress, (Steps{{0, 3}, {1, 3}, {2, 3}})); // skipped files count too

    Harness files(QStringLiteral("key"));
    files.scanFiles(dir.path(), {QStringLiteral("c.txt"), QStringLiteral("a.txt")});
    EXPECT_EQ(files.sinks.progress, (Steps{{0, 2}, {1, 2}}));
}

namespace {

// Makes depth nested folders with long names below root, with fd-relative
// calls since their paths outgrow what the system accepts whole, and plants a
// file holding "needle" at each depth listed. Returns the deepest folder.
QString makeDeepTree(const QString &root, int depth, const std::set<int> &planted) {
    const QByteArray name(200, 'd');
    int folder = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY);
    QString path = root;
    for (int level = 1; level <= depth; ++level) {
        EXPECT_EQ(::mkdirat(folder, name.constData(), 0755), 0);
        const int next = ::openat(folder, name.constData(), O_RDONLY | O_DIRECTORY);
        ::close(folder);
        folder = next;
        path += u'/' + QString::fromLatin1(name);
        if (planted.count(level) != 0) {
            const int file = ::openat(folder, "found.txt", O_WRONLY | O_CREAT, 0644);
            EXPECT_EQ(::write(file, "needle\n", 7), 7);
            ::close(file);
        }
    }
    ::close(folder);
    return path;
}

} // namespace

TEST(ScanRun, FilesBeyondThePathLengthLimitAreWalkedAndRead) {
    TempDir dir;
    const QString deepest = makeDeepTree(dir.path(), 60, {3, 30, 60});
    ASSERT_GT(QFile::encodeName(deepest).size(), 2 * PATH_MAX);
    Harness h(QStringLiteral("needle"));
    EXPECT_EQ(h.scanTree(dir.path()), ScanOutcome::Completed);
    EXPECT_EQ(h.run.LinesMatched, 3);
    EXPECT_TRUE(h.sinks.errors.isEmpty()) << h.sinks.errors.value(0).left(200).toStdString();
    EXPECT_EQ(h.sinks.rows.at(2).path, deepest + QStringLiteral("/found.txt"));
    // Too deep for the scratch folder's own clean-up.
    std::system(qPrintable(QStringLiteral("rm -rf '") + dir.path() + QStringLiteral("/d'*")));
}

TEST(ScanRun, CancelDuringTheWalkStopsItAtOnce) {
    TempDir dir;
    for (int i = 0; i < 6; ++i)
        dir.write(QStringLiteral("f%1/a.txt").arg(i), "key");
    Harness h(QStringLiteral("key"));
    h.sinks.onYield = [&] {
        if (h.sinks.status.filter(QStringLiteral("Checking ")).size() == 3)
            h.run.cancel();
    };
    EXPECT_EQ(h.scanTree(dir.path()), ScanOutcome::Cancelled);
    EXPECT_EQ(h.sinks.status.filter(QStringLiteral("Checking ")).size(), 3);
    EXPECT_EQ(h.sinks.status.last(), ScanTexts::DirectoryScanningCanceled);
    EXPECT_FALSE(h.sinks.status.contains(ScanTexts::FileListBuilt));
    EXPECT_TRUE(h.sinks.rows.empty()); // nothing scanned, no marker
    EXPECT_EQ(h.sinks.phases.back(), RunHooks::Phase::Finished);
}

TEST(ScanRun, ARowThatCannotBeKeptStopsTheRun) {
    TempDir dir;
    dir.write(QStringLiteral("a.txt"), "key 1\nkey 2\n");
    dir.write(QStringLiteral("b.txt"), "key 3\n");
    Harness h(QStringLiteral("key"));
    h.sinks.acceptRows = 1;
    EXPECT_EQ(h.scanTree(dir.path()), ScanOutcome::Cancelled);
    EXPECT_EQ(h.texts().first(), QStringLiteral("key 1"));
    EXPECT_FALSE(h.texts().contains(QStringLiteral("key 2")));
    EXPECT_FALSE(
        h.sinks.status.contains(ScanTexts::ScanningFile + dir.file(QStringLiteral("b.txt"))));
}

TEST(ScanRun, ANameEndingInASpaceIsScannedAndRecordedUnderItsRealName) {
    TempDir dir;
    const QString spaced = dir.write(QStringLiteral("notes "), "key spaced\n");
    dir.write(QStringLiteral("plain"), "key plain\n");
    Harness h(QStringLiteral("key"));
    h.scanFiles(dir.path(), {QStringLiteral("notes "), QStringLiteral("  plain ")});
    EXPECT_TRUE(h.sinks.errors.isEmpty());
    ASSERT_EQ(h.sinks.rows.size(), 3u);
    EXPECT_EQ(h.sinks.rows[0].path, spaced);
    EXPECT_EQ(h.sinks.rows[1].path, dir.file(QStringLiteral("plain")));

    Harness tree(QStringLiteral("spaced"));
    tree.scanTree(dir.path());
    EXPECT_EQ(tree.sinks.rows.at(0).path, spaced);
}
