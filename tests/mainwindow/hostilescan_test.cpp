// Documents that crash their reader, never end, or take all the memory they
// can, in a folder of good files, scanned through the window: every good file
// gives its row, and each bad one is counted and listed with its reason.

#include "dialogs/dialogtesting.h"
#include "scan/resultsmodel.h"
#include "windowtestsupport.h"

#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

class HostileScanTest : public WindowTest {
  protected:
    static void SetUpTestSuite() {
        qputenv("QUARRIX_EXTRACT", EXTRACT_TEST_PATH);
        qputenv("QUARRIX_DOCUMENT_SECONDS", "2");
    }
    static void TearDownTestSuite() {
        qunsetenv("QUARRIX_EXTRACT");
        qunsetenv("QUARRIX_DOCUMENT_SECONDS");
    }
};

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool MemoryBounded = false; // the sanitizers reserve more address space than any bound
#else
constexpr bool MemoryBounded = true;
#endif

TEST_F(HostileScanTest, EachFailingDocumentCostsOnlyItself) {
    QStringList names;
    for (int i = 0; i < 10; ++i) {
        const QString name = QStringLiteral("good%1.%2").arg(i).arg(i % 2 ? u"rtf" : u"txt");
        dir.write(QStringLiteral("tree/") + name,
                  i % 2 ? "{\\rtf1 the planted word\\par}" : "the planted word\n");
        names << name;
    }
    const struct {
        const char *name, *asking, *reason;
    } bad[] = {
        {"good4b.doc", "crash", "its reader stopped with signal 11"},
        {"good6b.doc", "sleep", "it takes longer than 2 seconds"},
        {"good8b.doc", "allocate", "it needs more than 256 MB of memory"},
    };
    QStringList reasons, paths;
    for (const auto &b : bad) {
        if (!MemoryBounded && b.asking == std::string_view("allocate"))
            continue;
        reasons << QStringLiteral("Error: The document could not be read: ") +
                       QLatin1String(b.reason);
        paths << dir.write(QStringLiteral("tree/") + QLatin1String(b.name),
                           QByteArray("QUARRIX-TEST ") + b.asking + '\n');
    }
    store(QStringLiteral("LastTab"), QStringLiteral("2"));
    store(QStringLiteral("LastDSPath"), dir.file(QStringLiteral("tree")));
    store(QStringLiteral("AllFiles"), QStringLiteral("True"));
    openWindow();
    scanFor(QStringLiteral("planted"));

    QStringList found;
    const ResultsModel &rows = form->results();
    for (qsizetype i = 0; i < rows.totalRows(); ++i)
        found << QFileInfo(rows.row(i).path).fileName();
    names.sort();
    EXPECT_EQ(found, names + QStringList{QString()}); // and the marker row

    EXPECT_EQ(statusText(),
              QStringLiteral("Scanning Complete - %1 Files Or Folders Could Not Be Read")
                  .arg(paths.size()));
    QString listed;
    onNextModal<QDialog>([&listed](QDialog *list) {
        listed = list->findChild<QPlainTextEdit *>()->toPlainText();
        list->reject();
    });
    control<QPushButton>("NotReadButton")->click();
    // The signal's own words may follow its number; the rest is exact.
    const QStringList lines = listed.split(u'\n');
    ASSERT_EQ(lines.size(), paths.size()) << qPrintable(listed);
    for (qsizetype i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].startsWith(reasons[i]) &&
                    lines[i].endsWith(QStringLiteral(" (") + paths[i] + u')'))
            << qPrintable(lines[i]);
}

} // namespace
