#include "dialogs/dialogtesting.h"
#include "editor/capiprinter.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPrinter>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

/// A printer writing a PDF into a scratch folder.
struct PdfPrinter {
    PdfPrinter() : printer(QPrinter::HighResolution) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.file(QStringLiteral("job.pdf")));
    }
    TempDir dir;
    QPrinter printer;
};

} // namespace

TEST(CAPIPrinter, NothingStartsWithoutAPrinterOrAJob) {
    CAPIPrinter printer;
    EXPECT_EQ(printer.hDC(), nullptr);
    EXPECT_EQ(printer.PrintJobID(), 0);
    EXPECT_FALSE(printer.StartDoc(QStringLiteral("doc")));
    EXPECT_EQ(printer.PrintJobID(), 0);
    EXPECT_FALSE(printer.StartPage());
    EXPECT_FALSE(printer.EndPage());
    EXPECT_FALSE(printer.EndDoc());
    EXPECT_EQ(printer.Font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(printer.Font().pointSize(), 8);
}

TEST(CAPIPrinter, AJobRunsItsPagesAndEndDocForgetsThePrinter) {
    PdfPrinter pdf;
    CAPIPrinter printer;
    printer.setHDC(&pdf.printer);
    ASSERT_TRUE(printer.StartDoc(QStringLiteral("doc")));
    EXPECT_GE(printer.PrintJobID(), 1);
    for (int page = 0; page < 2; ++page) {
        EXPECT_TRUE(printer.StartPage());
        printer.setCurrentX(100);
        printer.setCurrentY(200);
        printer.DrawText(QStringLiteral("Hello"));
        EXPECT_GT(printer.CurrentX(), 100) << "the position moves past the text";
        EXPECT_EQ(printer.CurrentY(), 200);
        printer.DrawLine(0, 0, 300, 400);
        EXPECT_EQ(printer.CurrentX(), 300);
        EXPECT_EQ(printer.CurrentY(), 400);
        EXPECT_TRUE(printer.EndPage());
    }
    EXPECT_TRUE(printer.EndDoc());
    EXPECT_EQ(printer.hDC(), nullptr);
    EXPECT_EQ(printer.PrintJobID(), 0);
    EXPECT_FALSE(printer.StartDoc(QStringLiteral("again")));
    EXPECT_TRUE(readAll(pdf.dir.file(QStringLiteral("job.pdf"))).startsWith("%PDF"));
}

TEST(CAPIPrinter, BoldIsWeight700AndTheSizeIsInPrinterPixels) {
    PdfPrinter pdf;
    CAPIPrinter printer;
    printer.setHDC(&pdf.printer);
    printer.Font().setPointSize(12);
    printer.Font().setWeight(QFont::Black);
    printer.Font().setBold(true);
    EXPECT_EQ(printer.drawingFont().weight(), 700);
    printer.Font().setBold(false);
    printer.Font().setWeight(QFont::Light);
    EXPECT_EQ(printer.drawingFont().weight(), QFont::Light);
    const int dpi = pdf.printer.logicalDpiX();
    EXPECT_EQ(printer.PointsToHeight(12), -qRound(12.0 * dpi / 72));
    EXPECT_EQ(printer.drawingFont().pixelSize(), qRound(12.0 * dpi / 72));
}

TEST(CAPIPrinter, APictureWithoutSizeKeepsItsPhysicalSize) {
    PdfPrinter pdf;
    CAPIPrinter printer;
    printer.setHDC(&pdf.printer);
    ASSERT_TRUE(printer.StartDoc(QStringLiteral("picture")));
    QImage picture(96, 48, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    const QSize drawn = printer.DrawPicture(picture);
    // One inch by half an inch on a 96 dpi screen, the same on the printer.
    const double screenDpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    EXPECT_EQ(drawn, QSize(qRound(pdf.printer.logicalDpiX() / screenDpi * 96),
                           qRound(pdf.printer.logicalDpiY() / screenDpi * 48)));
    EXPECT_EQ(printer.DrawPicture(picture, 10, 20), QSize(10, 20));
    EXPECT_EQ(printer.CurrentX(), 0) << "the position does not move";
    printer.EndDoc();
}

TEST(CAPIPrinter, DrawingWithoutAJobIsReportedOnceUnderTheMembersName) {
    CAPIPrinter printer;
    QStringList seen;
    const std::function<void(QMessageBox *)> answer = [&](QMessageBox *box) {
        seen << box->windowTitle() + QLatin1Char('|') + box->text();
        box->buttons().first()->click();
    };
    onNextModal<QMessageBox>(answer);
    printer.DrawLine(0, 0, 10, 10);
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen.first().startsWith(QStringLiteral("DrawLine|Error: 5. ")))
        << seen.first().toStdString();
    const QPointer<QTimer> watcher = onNextModal<QMessageBox>(answer);
    printer.DrawLine(0, 0, 10, 10);
    EXPECT_FALSE(waitUntil([&] { return seen.size() > 1; }, 200));
    delete watcher.data();
}
