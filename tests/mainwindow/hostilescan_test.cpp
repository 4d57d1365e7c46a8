// A document that crashes its reader, in a folder of good files, scanned
// through the window: every good file gives its row, and the one bad file is
// counted, listed and named in the status line.

#include "dialogs/dialogtesting.h"
#include "scan/resultsmodel.h"
#include "windowtestsupport.h"

#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

class HostileScanTest : public WindowTest {
  protected:
    static void SetUpTestSuite() { qputenv("QUARRIX_EXTRACT", EXTRACT_TEST_PATH); }
    static void TearDownTestSuite() { qunsetenv("QUARRIX_EXTRACT"); }
};

TEST_F(HostileScanTest, ACrashingDocumentCostsOnlyItself) {
    QStringList names;
    for (int i = 0; i < 10; ++i) {
        const QString name = QStringLiteral("good%1.%2").arg(i).arg(i % 2 ? u"rtf" : u"txt");
        dir.write(QStringLiteral("tree/") + name,
                  i % 2 ? "{\\rtf1 the planted word\\par}" : "the planted word\n");
        names << name;
    }
    const QString crashing = dir.write(QStringLiteral("tree/good4b.doc"), "QUARRIX-TEST crash\n");
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

    EXPECT_EQ(statusText(), u"Scanning Complete - 1 File Or Folder Could Not Be Read");
    QString listed;
    onNextModal<QDialog>([&listed](QDialog *list) {
        listed = list->findChild<QPlainTextEdit *>()->toPlainText();
        list->reject();
    });
    control<QPushButton>("NotReadButton")->click();
    EXPECT_TRUE(listed.startsWith(u"Error: The document could not be read: its reader stopped"))
        << qPrintable(listed);
    EXPECT_TRUE(listed.endsWith(QStringLiteral(" (") + crashing + u')')) << qPrintable(listed);
}

} // namespace
