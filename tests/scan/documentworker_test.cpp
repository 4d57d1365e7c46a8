#include "controls/richtext/richtextbuffer.h"
#include "scan/documentworker.h"
#include "scan/scanrun.h"
#include "support/recordingsinks.h"
#include "support/tempdir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool MemoryBounded = false; // the sanitizers reserve more address space than any bound
#else
constexpr bool MemoryBounded = true;
#endif

// The test build of the worker misbehaves when a document asks it to.
QByteArray asking(const char *what) {
    return QByteArray("QUARRIX-TEST ") + what + '\n';
}

DocumentWorker::Settings testSettings() {
    DocumentWorker::Settings settings;
    settings.program = QStringLiteral(EXTRACT_TEST_PATH);
    settings.limits.addressSpaceBytes = MemoryBounded ? qint64{256} * 1024 * 1024 : 0;
    settings.limits.cpuSeconds = 10;
    settings.deadline = 10s;
    return settings;
}

DocumentReading readIn(DocumentWorker &worker, const QString &path, bool documentsOnly = false) {
    return worker.read(path, documentsOnly, [] { return true; });
}

// Every fixture document and its type read in and out of process gives the
// same text, error and outcome; one worker reads them all.
TEST(DocumentWorker, ReadsEveryFixtureAsTheBoxDoes) {
    DocumentWorker worker(testSettings());
    int files = 0;
    for (const char *folder : {"documents", "modern"}) {
        const QDir dir(QStringLiteral(DATA_PATH) + QLatin1String(folder));
        for (const QString &name : dir.entryList(QDir::Files)) {
            for (const bool documentsOnly : {false, true}) {
                const QString path = dir.filePath(name);
                RichTextBuffer box;
                const bool loaded = box.setFileName(path, documentsOnly);
                const DocumentReading reading = readIn(worker, path, documentsOnly);
                EXPECT_EQ(reading.loaded, loaded) << path.toStdString();
                EXPECT_EQ(reading.error, box.errorString()) << path.toStdString();
                EXPECT_EQ(reading.text, box.Text()) << path.toStdString();
            }
            ++files;
        }
    }
    EXPECT_GT(files, 30);
    EXPECT_EQ(worker.started(), 1);
}

// A document that crashes, spins, sleeps or wants too much memory costs only
// itself: its reading fails with the reason, the worker is replaced, and the
// next document is read as ever.
TEST(DocumentWorker, FailingDocumentCostsOnlyItself) {
    struct Case {
        const char *ask;
        int cpuSeconds;
        std::chrono::milliseconds deadline;
        const char *reason;
    };
    const Case cases[] = {
        {"crash", 10, 10s, "its reader stopped with signal 11"},
        {"allocate", 10, 10s, "it needs more than 256 MB of memory"},
        {"spin", 1, 600s, "it needs more than 1 seconds of processor time"},
        {"sleep", 10, 1s, "it takes longer than 1 seconds"},
    };
    TempDir dir;
    const QString good = dir.write(QStringLiteral("good.rtf"), "{\\rtf1 Good text\\par}");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ask);
        if (!MemoryBounded && c.ask == std::string_view("allocate"))
            continue;
        DocumentWorker::Settings settings = testSettings();
        settings.limits.cpuSeconds = c.cpuSeconds;
        settings.deadline = c.deadline;
        DocumentWorker worker(settings);
        ASSERT_TRUE(readIn(worker, good).loaded);
        const QString bad = dir.write(QStringLiteral("bad.doc"), asking(c.ask));
        const DocumentReading failed = readIn(worker, bad);
        EXPECT_FALSE(failed.loaded);
        EXPECT_TRUE(failed.text.isEmpty());
        EXPECT_TRUE(failed.error.startsWith(QStringLiteral("The document could not be read: ") +
                                            QLatin1String(c.reason)))
            << failed.error.toStdString();
        const DocumentReading next = readIn(worker, good);
        EXPECT_TRUE(next.loaded);
        EXPECT_EQ(next.text.trimmed(), u"Good text");
        EXPECT_EQ(worker.started(), 2);
    }
}

// The confinement: no other file, no network, no program, whatever the
// document makes its reader try; the failure is soft, the reading goes on.
TEST(DocumentWorker, ReaderCannotReachBeyondItsDocument) {
    TempDir dir;
    const QString secret = dir.write(QStringLiteral("secret.txt"), "secret");
    const QByteArray asks[] = {"open /etc/passwd", "open " + secret.toLocal8Bit(), "connect",
                               "exec"};
    DocumentWorker worker(testSettings());
    for (const QByteArray &ask : asks) {
        const QString doc = dir.write(QStringLiteral("ask.doc"), asking(ask.constData()));
        const DocumentReading reading = readIn(worker, doc);
        EXPECT_EQ(reading.text, u"call failed: Permission denied") << ask.constData();
    }
    EXPECT_EQ(worker.started(), 1);
}

// Stopping a reading under way kills the worker at once: no text, no error.
TEST(DocumentWorker, StopEndsAReadingWithinAMoment) {
    TempDir dir;
    const QString endless = dir.write(QStringLiteral("endless.doc"), asking("sleep"));
    DocumentWorker worker(testSettings());
    QElapsedTimer timer;
    timer.start();
    qint64 stoppedAt = -1;
    const DocumentReading reading = worker.read(endless, false, [&] {
        if (timer.elapsed() < 300)
            return true;
        stoppedAt = timer.elapsed();
        return false;
    });
    EXPECT_LT(timer.elapsed() - stoppedAt, 100);
    EXPECT_FALSE(reading.loaded);
    EXPECT_TRUE(reading.error.isEmpty());
}

class DocumentWorkerRun : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        qputenv("QUARRIX_EXTRACT", EXTRACT_TEST_PATH);
        qputenv("QUARRIX_DOCUMENT_SECONDS", "2");
    }
    // Good files around a crashing, an endless and a greedy document.
    void SetUp() override {
        dir.write(QStringLiteral("a.txt"), "needle in a text\n");
        dir.write(QStringLiteral("b.doc"), asking("crash"));
        dir.write(QStringLiteral("c.doc"), "{\\rtf1 needle in a document\\par}");
        dir.write(QStringLiteral("d.doc"), asking("sleep"));
        if (MemoryBounded)
            dir.write(QStringLiteral("e.doc"), asking("allocate"));
        dir.write(QStringLiteral("f.txt"), "last needle\n");
    }
    ScanQuery treeQuery() const {
        ScanQuery query;
        query.mode = ScanMode::DirectoryTree;
        query.folder = dir.path();
        query.searchText = QStringLiteral("needle");
        return query;
    }
    TempDir dir;
};

// In a run, with the run's own reader and with the pool alike.
TEST_F(DocumentWorkerRun, RunGoesOnPastFailingDocuments) {
    for (const int readers : {1, 4}) {
        RecordingSinks sinks;
        ScanRun run(sinks, sinks, sinks);
        run.readers = readers;
        run.run(treeQuery());
        QStringList texts;
        for (const MatchRecord &row : sinks.rows)
            texts << row.text;
        EXPECT_EQ(texts, (QStringList{"needle in a text", "needle in a document", "last needle",
                                      "** End Of Matches **"}))
            << readers;
        ASSERT_EQ(sinks.errors.size(), MemoryBounded ? 3 : 2) << readers;
        const QString cannot = QStringLiteral("Error: The document could not be read: ");
        EXPECT_TRUE(sinks.errors[0].startsWith(
            cannot + QStringLiteral("its reader stopped with signal 11")));
        EXPECT_EQ(sinks.errors[1], cannot + QStringLiteral("it takes longer than 2 seconds (") +
                                       dir.file(QStringLiteral("d.doc")) + u')');
        if (MemoryBounded) {
            EXPECT_EQ(sinks.errors[2], cannot +
                                           QStringLiteral("it needs more than 256 MB of memory (") +
                                           dir.file(QStringLiteral("e.doc")) + u')');
        }
    }
}

// Cancel during a document that never ends takes effect at once, and the
// readers stop without waiting for it.
TEST_F(DocumentWorkerRun, CancelDoesNotWaitForADocument) {
    dir.write(QStringLiteral("b.doc"), asking("sleep"));
    for (const int readers : {1, 4}) {
        RecordingSinks sinks;
        ScanRun run(sinks, sinks, sinks);
        run.readers = readers;
        QElapsedTimer timer;
        timer.start();
        qint64 cancelledAt = -1;
        sinks.onYield = [&] {
            if (cancelledAt < 0 && timer.elapsed() > 500) {
                cancelledAt = timer.elapsed();
                sinks.goOn = false;
            }
        };
        EXPECT_EQ(run.run(treeQuery()), ScanOutcome::Cancelled);
        EXPECT_GE(cancelledAt, 0);
        EXPECT_LT(timer.elapsed() - cancelledAt, 100) << readers << " readers";
    }
}

// quarrix-scan reports each failing document, keeps every other row and
// exits 2.
TEST_F(DocumentWorkerRun, CommandLineReportsFailingDocuments) {
    QProcess scan;
    scan.start(QStringLiteral(SCAN_PATH), {QStringLiteral("needle"), dir.path()});
    ASSERT_TRUE(scan.waitForFinished(30000));
    EXPECT_EQ(scan.exitCode(), 2);
    const QString out = QString::fromUtf8(scan.readAllStandardOutput());
    EXPECT_EQ(out.count(QStringLiteral("MATCH: ")), 3) << out.toStdString();
    const QString errors = QString::fromUtf8(scan.readAllStandardError());
    EXPECT_EQ(errors.count(QStringLiteral("Error: The document could not be read: ")),
              MemoryBounded ? 3 : 2)
        << errors.toStdString();
}

} // namespace
