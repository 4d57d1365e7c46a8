#include "controls/richtext/richtextbox.h"
#include "dialogs/dialogtesting.h"
#include "editor/modprinter.h"
#include "editor/quarxeditorform.h"

#include <QAbstractButton>
#include <QImage>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

/// The pages of a PDF as text, one string a page.
QStringList pdfPages(const QString &pdf) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    pdftotext.waitForFinished();
    // The font draws "fl", "fi" and the like as one glyph, which comes back as
    // a ligature character (a temporary folder's name may hold one).
    return QString::fromUtf8(pdftotext.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC)
        .split(QLatin1Char('\f'), Qt::SkipEmptyParts);
}

/// Prints box to a PDF and reads the pages back as text, one string a page.
class PrintedPages {
  public:
    explicit PrintedPages(RichTextBox &box) : pdf_(dir_.file(QStringLiteral("out.pdf"))) {
        modPrinter::setOutputFile(pdf_);
        modPrinter::PrintRTFControl(&box, 80, QStringLiteral("File: ") + box.FileName(),
                                    modPrinter::footerText(), modPrinter::headerFont());
        modPrinter::setOutputFile({});
        pages = pdfPages(pdf_);
    }

    /// Rows of the first page, rendered in grey, that are dark across most of the width.
    int ruleCount() const {
        QProcess pdftoppm;
        const QString prefix = dir_.file(QStringLiteral("page"));
        pdftoppm.start(QStringLiteral("pdftoppm"),
                       {QStringLiteral("-gray"), QStringLiteral("-r"), QStringLiteral("100"),
                        QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-singlefile"),
                        pdf_, prefix});
        pdftoppm.waitForFinished();
        const QImage page(prefix + QStringLiteral(".pgm"));
        int rules = 0;
        bool inRule = false;
        for (int y = 0; y < page.height(); ++y) {
            int dark = 0;
            for (int x = 0; x < page.width(); ++x)
                dark += qGray(page.pixel(x, y)) < 160;
            const bool rule = dark > page.width() * 8 / 10;
            rules += rule && !inRule;
            inRule = rule;
        }
        return rules;
    }

    QStringList pages;

  private:
    TempDir dir_;
    QString pdf_;
};

QString linesOf(int count) {
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("Line number %1\n").arg(i);
    return text;
}

} // namespace

TEST(Printing, AnEmptyDocumentPrintsOnePageWithHeaderRulesLabelAndFooter) {
    TempDir dir;
    RichTextBox box;
    ASSERT_TRUE(box.setFileName(dir.write(QStringLiteral("empty.txt"), "")));
    const PrintedPages printed(box);
    ASSERT_EQ(printed.pages.size(), 1);
    const QString page = printed.pages.first();
    EXPECT_TRUE(page.contains(QStringLiteral("File: ") + box.FileName())) << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("Page: 1")));
    EXPECT_TRUE(page.contains(QStringLiteral("Printed Using Quarrix Pro (V1.6.1)")));
    EXPECT_EQ(printed.ruleCount(), 2);
}

TEST(Printing, ThreePagesCarryTheirLabelsHeadersAndFootersAndAllTheText) {
    TempDir dir;
    RichTextBox box;
    ASSERT_TRUE(box.setFileName(dir.write(QStringLiteral("long.txt"), linesOf(150).toUtf8())));
    const PrintedPages printed(box);
    ASSERT_EQ(printed.pages.size(), 3);
    const QString all = printed.pages.join(QString());
    for (int p = 0; p < 3; ++p) {
        const QString &page = printed.pages[p];
        EXPECT_TRUE(page.contains(QStringLiteral("Page: %1").arg(p + 1))) << p;
        EXPECT_TRUE(page.contains(QStringLiteral("File: ") + box.FileName())) << p;
        EXPECT_TRUE(page.contains(modPrinter::footerText())) << p;
    }
    for (int i = 1; i <= 150; ++i)
        EXPECT_EQ(all.count(QRegularExpression(QStringLiteral("Line number %1\\b").arg(i))), 1)
            << i;
}

// The print dialog comes first; the pages chosen there are printed, each
// with its own number, and a cancelled dialog prints nothing.
TEST(Printing, TheEditorPrintsThePagesChosenInThePrintDialog) {
    TempDir dir;
    QUARXEditorForm editor;
    QString error;
    ASSERT_TRUE(
        editor.openFile(dir.write(QStringLiteral("long.txt"), linesOf(150).toUtf8()), error));
    const QString pdf = dir.file(QStringLiteral("chosen.pdf"));
    for (const bool accept : {false, true}) {
        bool asked = false;
        onNextModal<QPrintDialog>([&](QPrintDialog *dialog) {
            asked = true;
            QPrinter *printer = dialog->printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            printer->setPrintRange(QPrinter::PageRange);
            printer->setFromTo(2, 3);
            dialog->done(accept ? QDialog::Accepted : QDialog::Rejected);
        });
        editor.PrintText();
        EXPECT_TRUE(asked);
        EXPECT_EQ(QFile::exists(pdf), accept);
    }
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Page: 2")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Page: 3")));
    EXPECT_FALSE(pages.join(QString()).contains(QRegularExpression(QStringLiteral("number 1\\b"))));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Line number 150")));
}

TEST(Printing, ALongPathPrintsOnOneLine) {
    TempDir dir;
    const QString folder = QStringLiteral("a-rather-long-folder-name-that-goes-on/").repeated(3);
    RichTextBox box;
    ASSERT_TRUE(box.setFileName(dir.write(folder + QStringLiteral("file.txt"), "text\n")));
    const PrintedPages printed(box);
    ASSERT_EQ(printed.pages.size(), 1);
    const QStringList lines = printed.pages.first().split(QLatin1Char('\n'));
    const auto header = std::find_if(lines.begin(), lines.end(), [](const QString &line) {
        return line.contains(QStringLiteral("File: "));
    });
    ASSERT_NE(header, lines.end());
    EXPECT_TRUE(header->contains(QStringLiteral("File: ") + dir.path())) << header->toStdString();
    EXPECT_TRUE(header->contains(QStringLiteral("-that-goes-on/a-rather")));
}

TEST(Printing, NoDefaultPrinterIsReportedOnce) {
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "this machine has a default printer";
    RichTextBox box;
    int boxes = 0;
    QString seen;
    const std::function<void(QMessageBox *)> answer = [&](QMessageBox *messageBox) {
        ++boxes;
        seen = messageBox->windowTitle() + QLatin1Char('|') + messageBox->text();
        messageBox->buttons().first()->click();
    };
    onNextModal<QMessageBox>(answer);
    modPrinter::PrintRTFControl(&box, 80, QStringLiteral("File: x"), modPrinter::footerText(),
                                modPrinter::headerFont());
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(seen.startsWith(QStringLiteral("PrintRTFControl|Error: 484. ")))
        << seen.toStdString();
    const QPointer<QTimer> watcher = onNextModal<QMessageBox>(answer);
    EXPECT_FALSE(waitUntil([&] { return boxes > 1; }, 200));
    delete watcher.data();
}
