#include "documents/compoundfile.h"
#include "documents/documenttext.h"
#include "platform/inputfile.h"
#include "scan/compiledsearch.h"
#include "scan/readahead.h"
#include "scan/scanrun.h"
#include "scan/scantexts.h"
#include "support/recordingsinks.h"
#include "support/tempdir.h"
#include "tests/support/zipbytes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

/// What a run shows, in order: rows, status texts and errors.
struct Seen {
    std::vector<MatchRecord> rows;
    QStringList status;
    QStringList errors;
    std::vector<std::pair<qint64, qint64>> progress;
    bool operator==(const Seen &) const = default;
};

class TreeSinks : public RecordingSinks {
  public:
    void phaseChanged(Phase phase) override {
        RecordingSinks::phaseChanged(phase);
        if (phase == Phase::ListBuilt && onListBuilt)
            onListBuilt();
    }
    std::function<void()> onListBuilt;
};

QStringList openFilesUnder(const QString &folder);

Seen scanTree(const QString &folder, const QString &search, int readers,
              const QString &removeAfterWalk = {}) {
    TreeSinks sinks;
    ScanRun run(sinks, sinks, sinks);
    run.readers = readers;
    // A file removed after the walk must not have been read during it.
    if (!removeAfterWalk.isEmpty())
        run.filesAheadOfWalk = 0;
    sinks.onListBuilt = [&] {
        if (!removeAfterWalk.isEmpty())
            QFile::remove(removeAfterWalk);
    };
    ScanQuery query;
    query.mode = ScanMode::DirectoryTree;
    query.folder = folder;
    query.searchText = search;
    EXPECT_EQ(run.run(query), ScanOutcome::Completed);
    // The window keeps its run between scans: nothing of the tree stays open.
    EXPECT_EQ(openFilesUnder(folder), QStringList());
    return {sinks.rows, sinks.status, sinks.errors, sinks.progress};
}

QString fixture(const QString &name) {
    return QStringLiteral(DOCUMENTS_DATA) + name;
}

// The Word fixture with the mark of a document saved with a password.
QByteArray markedEncrypted(const QString &path) {
    QByteArray bytes = readAll(path);
    CompoundFile file;
    EXPECT_TRUE(file.open(bytes));
    const QByteArray stream = file.stream(file.find(0, u"WordDocument"));
    const qsizetype at = bytes.indexOf(stream.first(64));
    EXPECT_GE(at, 0);
    bytes[at + 0x0B] = char(bytes[at + 0x0B] | 0x01);
    return bytes;
}

// Files of every kind the readers meet, many of them, so that several are
// read at once and finish out of order.
void plantMixedTree(const TempDir &dir) {
    QByteArray hugeLine(3 * 1024 * 1024, 'x');
    hugeLine.insert(2 * 1024 * 1024, " key ");
    dir.write(QStringLiteral("a/huge-line.txt"), "key first\n" + hugeLine + "\nkey after\n");
    dir.write(QStringLiteral("a/empty.txt"), QByteArray());
    dir.write(QStringLiteral("a/binary.bin"), QByteArray("\x00\x01key\x00\xFF\xFEkey", 12));
    dir.write(QStringLiteral("a/utf16le.txt"), QByteArray("\xFF\xFEk\0e\0y\0\r\0\n\0z\0", 14));
    dir.write(QStringLiteral("a/utf16be.txt"), QByteArray("\xFE\xFF\0n\0o\0\n\0k\0e\0y", 14));
    dir.write(QStringLiteral("a/gone.txt"), "key, but removed before it is read");
    for (const char *name : {"sample.doc", "sample.xls", "sample.rtf", "sample.eml"}) {
        const QByteArray bytes = readAll(fixture(QString::fromLatin1(name)));
        ASSERT_FALSE(bytes.isEmpty()) << name;
        dir.write(QStringLiteral("docs/") + QString::fromLatin1(name), bytes);
    }
    dir.write(QStringLiteral("docs/plain.doc"), "key in a plain doc\r\nsecond key\r\n");
    // Documents of today's formats, found by their content under any name.
    for (const char *name :
         {"renamed-pdf.txt", "renamed-workbook.dat", "writer.docx", "encrypted.odt"})
        dir.write(QStringLiteral("modern/") + QString::fromLatin1(name),
                  readAll(fixture(QStringLiteral("../modern/") + QString::fromLatin1(name))));
    dir.write(QStringLiteral("docs/lf-only.dif"), "key one\nno\nkey three\rkey four\n");
    dir.write(QStringLiteral("docs/locked.doc"), markedEncrypted(fixture(u"sample.doc"_s)));
    dir.write(QStringLiteral("a/name ends in a space "), "key in a spaced name\n");
    // More files than the run hands the readers at once, so that the list is
    // refilled several times during the run.
    for (int i = 0; i < 1300; ++i) {
        QByteArray body;
        for (int line = 0; line < i % 40; ++line)
            body += (line % 3 == 0 ? "the key " : "nothing ") + QByteArray::number(i) + "\r\n";
        dir.write(QStringLiteral("many/%1/f%2.txt").arg(i % 7).arg(i, 4, 10, QChar(u'0')), body);
    }
}

// Drops a file's pages from the system's cache, as a scan after a restart finds it.
void evict(const QString &path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

// Reads a file through the pool, all of it, and gives its lines.
qint64 drain(ReadAhead &pool, qsizetype files) {
    qint64 lines = 0;
    for (qsizetype file = 0; file < files; ++file) {
        for (ReadAhead::Taken taken; !taken.done;) {
            taken = pool.take(50);
            for (const FoundLines &batch : taken.lines)
                lines += batch.size();
        }
        pool.dropHead();
    }
    return lines;
}

int threadCount() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
}

// At least bytes of lines, each taken by a blank search.
QByteArray blankSearchLines(qsizetype bytes) {
    QByteArray lines;
    while (lines.size() < bytes)
        lines += "every line of this file is taken by a blank search\n";
    return lines;
}

ReadAhead::Limits smallBlocks(int readers, qint64 inFlightBytes) {
    ReadAhead::Limits limits;
    limits.readers = readers;
    limits.inFlightBytes = inFlightBytes;
    limits.blockSize = 64 * 1024;
    return limits;
}

// The files and folders this process holds open under folder.
QStringList openFilesUnder(const QString &folder) {
    QStringList open;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd :
         fds.entryList(QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = QFile::symLinkTarget(fds.filePath(fd));
        if (target.startsWith(folder))
            open << target;
    }
    return open;
}

// A workbook of rows of one matching cell: a few MB that take long to read.
QByteArray largeWorkbook(qint64 thousandRows) {
    const QByteArray row = "<row><c t=\"inlineStr\"><is><t>key in a cell</t></is></c></row>";
    return zipFile(workbookPackage(repeatedZipEntry("xl/worksheets/sheet1.xml",
                                                    "<worksheet><sheetData>", row.repeated(1000),
                                                    thousandRows, "</sheetData></worksheet>"),
                                   "<sst/>", "<styleSheet/>"));
}

/// A scan of a tree with four readers, cancelled where the test says.
struct CancelledTree {
    explicit CancelledTree(const QString &search) : search(search), run(sinks, sinks, sinks) {
        run.readers = 4;
    }
    ScanOutcome scan(const QString &folder) {
        ScanQuery query;
        query.mode = ScanMode::DirectoryTree;
        query.folder = folder;
        query.searchText = search;
        return run.run(query);
    }
    qsizetype rowsOf(const QString &path) const {
        return std::count_if(sinks.rows.begin(), sinks.rows.end(),
                             [&](const MatchRecord &row) { return row.path == path; });
    }
    RecordingSinks sinks;
    const QString search;
    ScanRun run;
};

} // namespace

TEST(ReadAhead, ManyReadersShowExactlyWhatOneReaderShows) {
    TempDir dir;
    plantMixedTree(dir);
    const QString gone = dir.file(QStringLiteral("a/gone.txt"));
    const Seen one = scanTree(dir.path(), QStringLiteral("key|text"), 1, gone);
    dir.write(QStringLiteral("a/gone.txt"), "key, but removed before it is read");
    const Seen four = scanTree(dir.path(), QStringLiteral("key|text"), 4, gone);
    EXPECT_EQ(four, one);
    EXPECT_GT(one.rows.size(), 1000u);
    EXPECT_EQ(one.errors,
              QStringList({QStringLiteral("Error: No such file or directory (") + gone + u')',
                           QStringLiteral("Error: The document is encrypted (") +
                               dir.file(QStringLiteral("docs/locked.doc")) + u')',
                           QStringLiteral("Error: The document is encrypted (") +
                               dir.file(QStringLiteral("modern/encrypted.odt")) + u')'}));
    // The huge line, the UTF-16 files and a document piece are all among the rows.
    const auto has = [&](const QString &path, LineCell cell) {
        return std::any_of(one.rows.begin(), one.rows.end(), [&](const MatchRecord &row) {
            return row.path == dir.file(path) && row.line == cell;
        });
    };
    EXPECT_TRUE(has(QStringLiteral("a/huge-line.txt"), LineCell::line(2)));
    EXPECT_TRUE(has(QStringLiteral("a/huge-line.txt"), LineCell::line(3)));
    EXPECT_TRUE(has(QStringLiteral("a/utf16le.txt"), LineCell::line(1)));
    EXPECT_TRUE(has(QStringLiteral("a/utf16be.txt"), LineCell::line(2)));
    EXPECT_TRUE(has(QStringLiteral("docs/plain.doc"), LineCell::piece(1)));
    for (const qint64 piece : {0, 2, 3})
        EXPECT_TRUE(has(QStringLiteral("docs/lf-only.dif"), LineCell::piece(piece))) << piece;
    EXPECT_TRUE(has(QStringLiteral("a/name ends in a space "), LineCell::line(1)));

    // A blank search takes every text line: the most rows a tree can give.
    EXPECT_EQ(scanTree(dir.path(), QString(), 3), scanTree(dir.path(), QString(), 1));
}

TEST(ReadAhead, FilesThatCannotBeReadFailInTheirTurn) {
    TempDir dir;
    dir.write(QStringLiteral("a.txt"), "key a");
    dir.mkdir(QStringLiteral("folder"));
    const QByteArray fifo = QFile::encodeName(dir.file(QStringLiteral("pipe")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    dir.write(QStringLiteral("z.txt"), "key z");
    RecordingSinks sinks;
    ScanRun run(sinks, sinks, sinks);
    run.readers = 3;
    const FixedFileSelection files(dir.path(), {QStringLiteral("a.txt"), QStringLiteral("folder"),
                                                QStringLiteral("pipe"), QStringLiteral("z.txt")});
    ScanQuery query;
    query.searchText = QStringLiteral("key");
    run.run(query, &files);
    EXPECT_EQ(sinks.status,
              QStringList({ScanTexts::ScanningFile + dir.file(QStringLiteral("a.txt")),
                           ScanTexts::ScanningFile + dir.file(QStringLiteral("folder")),
                           QStringLiteral("Error: Is a directory (") +
                               dir.file(QStringLiteral("folder")) + u')',
                           ScanTexts::ScanningFile + dir.file(QStringLiteral("pipe")),
                           QStringLiteral("Error: Not a regular file (") +
                               dir.file(QStringLiteral("pipe")) + u')',
                           ScanTexts::ScanningFile + dir.file(QStringLiteral("z.txt")),
                           ScanTexts::ScanningComplete}));
    EXPECT_EQ(sinks.rows.size(), 3u);
}

// The user's selection is read again for each file, though the readers were
// given the files before.
class ChangingSelection : public FileSelection {
  public:
    ChangingSelection(QString folder, QStringList names)
        : folder_(std::move(folder)), names_(std::move(names)), selected_(names_.size(), true) {}
    int count() const override { return static_cast<int>(names_.size()); }
    bool isSelected(int index) const override { return selected_.at(index); }
    QString name(int index) const override { return names_.at(index); }
    QString folderPath() const override { return folder_; }
    QString folder_;
    QStringList names_;
    std::vector<bool> selected_;
};

TEST(ReadAhead, ASelectionChangedDuringTheRunTakesEffect) {
    TempDir dir;
    for (const char *name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        dir.write(QString::fromLatin1(name), QByteArray("key in ") + name);
    ChangingSelection files(dir.path(), {QStringLiteral("a.txt"), QStringLiteral("b.txt"),
                                         QStringLiteral("c.txt"), QStringLiteral("d.txt")});
    files.selected_[2] = false;
    RecordingSinks sinks;
    ScanRun run(sinks, sinks, sinks);
    sinks.onYield = [&] {
        files.selected_[1] = false;
        files.selected_[2] = true;
        files.names_[3] = QStringLiteral("c.txt");
    };
    ScanQuery query;
    query.searchText = QStringLiteral("key");
    run.run(query, &files);
    QStringList texts;
    for (const MatchRecord &row : sinks.rows)
        texts << row.text;
    EXPECT_EQ(texts, QStringList({QStringLiteral("key in a.txt"), QStringLiteral("key in c.txt"),
                                  QStringLiteral("key in c.txt"), ScanTexts::EndOfMatches}));
}

TEST(ReadAhead, CancelLeavesNoReaderRunningAndNoFileOpen) {
    TempDir dir;
    QByteArray big;
    for (int i = 0; i < 100000; ++i)
        big += "match line " + QByteArray::number(i) + "\n";
    for (int i = 0; i < 8; ++i)
        dir.write(QStringLiteral("big%1.txt").arg(i), big);
    const int threadsBefore = threadCount();
    RecordingSinks sinks;
    ScanRun run(sinks, sinks, sinks);
    run.readers = 4;
    int readersSeen = 0;
    QStringList openSeen;
    sinks.onYield = [&] {
        if (run.LinesMatched == 1000) {
            readersSeen = threadCount() - threadsBefore;
            openSeen = openFilesUnder(dir.path());
            run.cancel();
        }
    };
    ScanQuery query;
    query.mode = ScanMode::DirectoryTree;
    query.folder = dir.path();
    query.searchText = QStringLiteral("match");
    EXPECT_EQ(run.run(query), ScanOutcome::Cancelled);
    EXPECT_EQ(readersSeen, 4);
    EXPECT_FALSE(openSeen.isEmpty()); // the check below would see an open file
    EXPECT_EQ(threadCount(), threadsBefore);
    EXPECT_EQ(openFilesUnder(dir.path()), QStringList());
    EXPECT_EQ(run.LinesMatched, 1000);
}

TEST(ReadAhead, CancelCutsADocumentBeingReadShortAndShowsNoneOfIt) {
    const QByteArray workbook = largeWorkbook(3000);
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(documentText(workbook).startsWith(u"Data\r\nkey in a cell\r\n"));
    const qint64 wholeMs = timer.elapsed();
    // Read as a document by its name, and by its content under another name.
    for (const QString &name : {u"b.xls"_s, u"b.xlsx"_s}) {
        SCOPED_TRACE(name.toStdString());
        TempDir dir;
        dir.write(u"a.txt"_s, "key in a text file\n");
        const QString document = dir.write(name, workbook);
        const int threadsBefore = threadCount();
        CancelledTree tree(u"key"_s);
        qint64 cancelledAt = -1;
        tree.sinks.onYield = [&] {
            if (cancelledAt < 0 && !tree.sinks.rows.empty()) {
                cancelledAt = timer.elapsed();
                tree.run.cancel();
            }
        };
        timer.restart();
        EXPECT_EQ(tree.scan(dir.path()), ScanOutcome::Cancelled);
        const qint64 stoppingMs = timer.elapsed() - cancelledAt;
        EXPECT_EQ(tree.rowsOf(dir.file(u"a.txt"_s)), 1);
        EXPECT_EQ(tree.rowsOf(document), 0);
        EXPECT_EQ(threadCount(), threadsBefore);
        EXPECT_EQ(openFilesUnder(dir.path()), QStringList());
        // Generous, so that a slow machine or a sanitizer passes: the whole
        // reading takes seconds, stopping it a few milliseconds.
        EXPECT_LT(stoppingMs, wholeMs / 5) << "whole reading: " << wholeMs << " ms";
    }
}

TEST(ReadAhead, CancelAfterADocumentWasReadStillShowsAllItsRows) {
    // Quick to read, slow to test: two million pieces, one in a thousand a match.
    QByteArray body;
    for (int i = 0; i < 2'000'000; ++i)
        body += (i % 1000 == 0 ? "key " : "no ") + QByteArray::number(i) + "\r\n";
    TempDir dir;
    dir.write(u"a.txt"_s, "key in a text file\n");
    const QString document = dir.write(u"b.doc"_s, body);
    CancelledTree tree(u"key"_s);
    // The reader closes the file when the text is whole; the pieces are tested
    // after that, and the Cancel comes meanwhile (or at the first row).
    bool seenOpen = false;
    tree.sinks.onYield = [&] {
        const bool open = openFilesUnder(dir.path()).contains(document);
        seenOpen = seenOpen || open;
        if ((seenOpen && !open) || tree.rowsOf(document) > 0)
            tree.run.cancel();
    };
    EXPECT_EQ(tree.scan(dir.path()), ScanOutcome::Cancelled);
    EXPECT_EQ(tree.rowsOf(document), 2000);
}

// A reader takes several small files at once when many wait. The ones it has
// finished must reach the run before it waits for room for a later one.
TEST(ReadAhead, AReaderHandsOnTheFilesItFinishedBeforeItWaitsForRoom) {
    TempDir dir;
    const QByteArray large = blankSearchLines(2 * 1024 * 1024);
    ReadAhead pool(smallBlocks(1, 1024 * 1024));
    pool.setSearch(std::make_shared<const CompiledSearch>(QString()));
    std::vector<ReadAhead::File> files{{0, dir.write(u"head.txt"_s, "one line\n")},
                                       {1, dir.write(u"large.txt"_s, large)}};
    for (int i = 0; i < 6; ++i)
        files.push_back({i + 2, dir.write(u"small%1.txt"_s.arg(i), "x\n")});
    pool.submit(files);
    QElapsedTimer clock;
    clock.start();
    qint64 lines = 0;
    for (size_t file = 0; file < files.size() && clock.elapsed() < 20000; ++file) {
        for (ReadAhead::Taken taken; !taken.done && clock.elapsed() < 20000;) {
            taken = pool.take(50);
            for (const FoundLines &batch : taken.lines)
                lines += batch.size();
        }
        pool.dropHead();
    }
    EXPECT_EQ(lines, 1 + large.count('\n') + 6);
    EXPECT_LT(clock.elapsed(), 20000) << "the run waited for a file its reader held";
}

TEST(ReadAhead, BytesInFlightStayWithinTheBound) {
    TempDir dir;
    const QByteArray body = blankSearchLines(6 * 1024 * 1024);
    const ReadAhead::Limits limits = smallBlocks(3, qint64{8} * 1024 * 1024);
    ReadAhead pool(limits);
    pool.setSearch(std::make_shared<const CompiledSearch>(QString()));
    for (int i = 0; i < 6; ++i)
        pool.submit({{i, dir.write(QStringLiteral("large%1.txt").arg(i), body)}});
    qint64 lines = 0;
    for (int file = 0; file < 6; ++file) {
        for (;;) {
            // A slow taker: the readers run ahead until the bound stops them.
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const ReadAhead::Taken taken = pool.take(50);
            ASSERT_FALSE(taken.failed);
            for (const FoundLines &batch : taken.lines)
                lines += batch.size();
            if (taken.done)
                break;
        }
        pool.dropHead();
    }
    const ReadAhead::Counters counters = pool.counters();
    EXPECT_EQ(lines, 6 * body.count('\n'));
    EXPECT_EQ(counters.filesRead, 6);
    // Each file alone holds twice the bound in found lines.
    EXPECT_GT(counters.peakInFlight, limits.inFlightBytes / 2);
    // Each reader may be one batch of lines over before it waits.
    EXPECT_LE(counters.peakInFlight, limits.inFlightBytes + 3 * 1024 * 1024);
    EXPECT_EQ(counters.inFlight, 0);
}

// Readers beyond the cores would only take turns on them while the files come
// from the cache; they read once reads wait for the device.
TEST(ReadAhead, ReadersBeyondTheCoresReadOnlyWhileReadsWaitForTheDevice) {
    TempDir dir;
    const QString probe = dir.write(QStringLiteral("probe.txt"), QByteArray(8192, 'p'));
    evict(probe);
    platform::InputFile file;
    char head[16];
    ASSERT_TRUE(file.open(probe));
    ASSERT_EQ(file.read(head, sizeof head), qint64(sizeof head));
    if (!file.waitedForDevice())
        GTEST_SKIP() << "this file system keeps its files in memory";
    ASSERT_TRUE(file.open(probe));
    ASSERT_EQ(file.read(head, sizeof head), qint64(sizeof head));
    EXPECT_FALSE(file.waitedForDevice()); // read once, now cached

    std::vector<ReadAhead::File> files;
    for (int i = 0; i < 300; ++i)
        files.push_back({i, dir.write(QStringLiteral("f%1.txt").arg(i), "key\n")});
    ReadAhead::Limits limits;
    limits.readers = 4;
    limits.cacheReaders = 1;
    ReadAhead pool(limits);
    pool.setSearch(std::make_shared<const CompiledSearch>(QStringLiteral("key")));
    pool.submit(files);
    EXPECT_EQ(drain(pool, 300), 300);
    EXPECT_EQ(pool.counters().filesReadByDeviceReaders, 0);

    for (const ReadAhead::File &f : files)
        evict(f.path);
    pool.submit(files);
    EXPECT_EQ(drain(pool, 300), 300);
    EXPECT_GT(pool.counters().filesReadByDeviceReaders, 0);
}

// The readers start on the first files while the tree is still being listed:
// a Cancel then stops both, and the search text in force when the list is
// built is the one the rows are found with.
TEST(ReadAhead, ReadersAheadOfTheWalkStopWithItAndTakeTheSearchOfTheScan) {
    TempDir dir;
    for (int i = 0; i < 3000; ++i)
        dir.write(QStringLiteral("d%1/f%2.txt").arg(i % 50).arg(i), "old key\nnew key\n");
    const int threadsBefore = threadCount();
    {
        RecordingSinks sinks;
        ScanRun run(sinks, sinks, sinks);
        run.readers = 4;
        sinks.onYield = [&] {
            if (run.FoundFilesList.size() >= 1000 && run.ContinueScan)
                run.cancel();
        };
        ScanQuery query;
        query.mode = ScanMode::DirectoryTree;
        query.folder = dir.path();
        query.searchText = QStringLiteral("key");
        EXPECT_EQ(run.run(query), ScanOutcome::Cancelled);
        EXPECT_TRUE(sinks.rows.empty());
        EXPECT_EQ(sinks.status.last(), ScanTexts::DirectoryScanningCanceled);
        EXPECT_EQ(threadCount(), threadsBefore);
        EXPECT_EQ(openFilesUnder(dir.path()), QStringList());
    }
    RecordingSinks sinks;
    ScanRun run(sinks, sinks, sinks);
    run.readers = 4;
    sinks.onYield = [&] {
        if (run.FoundFilesList.size() == 2000)
            run.editSearchText(QStringLiteral("new"));
    };
    ScanQuery query;
    query.mode = ScanMode::DirectoryTree;
    query.folder = dir.path();
    query.searchText = QStringLiteral("old");
    EXPECT_EQ(run.run(query), ScanOutcome::Completed);
    ASSERT_EQ(sinks.rows.size(), 3001u);
    for (size_t i = 0; i + 1 < sinks.rows.size(); ++i)
        ASSERT_EQ(sinks.rows[i].text, u"new key"_s) << i;
}

// A large first file keeps its reader long after the others have finished
// theirs: every batch still comes back named for its own file, in the order
// submitted.
TEST(ReadAhead, AJobsLinesComeBackUnderItsOwnNameThoughReadersFinishOutOfOrder) {
    TempDir dir;
    std::vector<ReadAhead::File> files;
    for (int i = 0; i < 40; ++i) {
        const QByteArray line = "key in f" + QByteArray::number(i) + "\n";
        const QString path = dir.write(u"f%1.txt"_s.arg(i), line.repeated(i == 0 ? 200000 : 3));
        files.push_back({i, path, false});
    }
    ReadAhead pool(smallBlocks(4, qint64{64} * 1024 * 1024));
    pool.setSearch(std::make_shared<const CompiledSearch>(u"key"_s));
    pool.submit(files);
    for (const ReadAhead::File &file : files) {
        ASSERT_EQ(*pool.head(), file);
        const QString own = u"key in f%1"_s.arg(file.id);
        qint64 lines = 0;
        for (ReadAhead::Taken taken; !taken.done;) {
            taken = pool.take(50);
            ASSERT_EQ(taken.file, file);
            for (const FoundLines &batch : taken.lines)
                for (qsizetype i = 0; i < batch.size(); ++i, ++lines)
                    ASSERT_EQ(batch.text(i), own);
        }
        EXPECT_EQ(lines, file.id == 0 ? 200000 : 3);
        pool.dropHead();
    }
    EXPECT_EQ(pool.head(), nullptr);
}
