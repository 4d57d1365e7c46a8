#include "editor/modprinter.h"

#include "controls/richtext/richtextbox.h"
#include "editor/messagebox.h"
#include "quarrixversion.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>
#include <memory>

namespace modPrinter {
namespace {

QString outputFile;

/// A failure of the job, shown once.
struct PrintError {
    int number;
    QString description;
};

constexpr int PrinterErrorNumber = 482;
constexpr int NoPrinterNumber = 484;

/// Positions are kept in twips, as the page geometry is given; the painter
/// works in printer pixels.
class Page {
  public:
    explicit Page(QPrinter &printer) : printer_(printer), dpi_(printer.resolution()) {}

    double toDevice(double twips) const { return twips * dpi_ / 1440.0; }
    double toTwips(double pixels) const { return pixels * 1440.0 / dpi_; }
    QRectF deviceRect(const QRectF &twips) const {
        return {toDevice(twips.x()), toDevice(twips.y()), toDevice(twips.width()),
                toDevice(twips.height())};
    }
    double width() const { return toTwips(printer_.pageRect(QPrinter::DevicePixel).width()); }
    double height() const { return toTwips(printer_.pageRect(QPrinter::DevicePixel).height()); }
    double textHeight(const QFont &font) const {
        return toTwips(QFontMetricsF(font, &printer_).height());
    }
    double textWidth(const QFont &font, const QString &text) const {
        return toTwips(QFontMetricsF(font, &printer_).horizontalAdvance(text));
    }

  private:
    QPrinter &printer_;
    int dpi_;
};

std::unique_ptr<QPrinter> openPrinter() {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!outputFile.isEmpty()) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(outputFile);
        return printer;
    }
    if (QPrinterInfo::defaultPrinter().isNull())
        throw PrintError{NoPrinterNumber, QStringLiteral("There is no default printer.")};
    printer->setPrinterName(QPrinterInfo::defaultPrinter().printerName());
    return printer;
}

/// Prints text with its top at (x, y) in twips; returns the y of the next line.
double printLine(QPainter &painter, const Page &page, double x, double y, const QString &text) {
    const QFontMetricsF metrics(painter.font(), painter.device());
    painter.drawText(QPointF(page.toDevice(x), page.toDevice(y) + metrics.ascent()), text);
    return y + page.toTwips(metrics.height());
}

void drawRule(QPainter &painter, const Page &page, double left, double right, double y) {
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(QPointF(page.toDevice(left), page.toDevice(y)),
                     QPointF(page.toDevice(right), page.toDevice(y)));
}

void printPages(RichTextBox *box, QPrinter &printer, int m, const QString &header,
                const QString &footer, const QFont &font) {
    QPainter painter;
    if (!painter.begin(&printer))
        throw PrintError{PrinterErrorNumber,
                         QStringLiteral("The printer could not start the job.")};
    const Page page(printer);
    const double W = page.width(), H = page.height();
    const QFont printerFont = painter.font();
    const double Th = page.textHeight(printerFont);
    const double Tf = page.textHeight(printerFont);
    const QRectF area = page.deviceRect(
        QRectF(QPointF(m, std::round(Th + m)), QPointF(W - m, std::round(H - (Tf + m)))));
    const int L = box->GetTextLength();
    int first = 0;
    for (int p = 1;; ++p) {
        if (p > 1 && !printer.newPage())
            throw PrintError{PrinterErrorNumber, QStringLiteral("The printer refused a new page.")};
        painter.setFont(font);
        const double ruleY = printLine(painter, page, m, m, header);
        drawRule(painter, page, m, W - m, ruleY);
        const int N = box->FormatRange(&painter, area, first, L, true);
        if (N < L && N <= first)
            throw PrintError{PrinterErrorNumber,
                             QStringLiteral("The text does not fit the page's text area.")};
        painter.setFont(font);
        const double footerTf = page.textHeight(font);
        drawRule(painter, page, m, W - m, H - (footerTf + m));
        const QString label = PageLabel + QString::number(p);
        const double x = W - (page.textWidth(font, label) + m);
        const double y = std::round(H - (footerTf + m) + page.toTwips(8));
        printLine(painter, page, x, y, label);
        printLine(painter, page, m, y, footer);
        if (N >= L)
            break;
        first = N;
    }
    if (!painter.end())
        throw PrintError{PrinterErrorNumber, QStringLiteral("The printer could not end the job.")};
}

} // namespace

void PrintRTFControl(RichTextBox *box, qint16 margin, const QString &header, const QString &footer,
                     const QFont &font) {
    try {
        const std::unique_ptr<QPrinter> printer = openPrinter();
        printPages(box, *printer, margin, header, footer, font);
    } catch (const PrintError &error) {
        FunctionModule::showMessageBox(box ? box->window() : nullptr,
                                       QStringLiteral("Error: ") + QString::number(error.number) +
                                           QStringLiteral(". ") + error.description,
                                       MessageBoxStyle::OkOnly, ErrorTitle);
    }
}

QFont headerFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(9);
    font.setBold(true);
    return font;
}

QString footerText() {
    return QStringLiteral("Printed Using Quarrix Pro (V%1.%2.%3)")
        .arg(QuarrixVersion::Major)
        .arg(QuarrixVersion::Minor)
        .arg(QuarrixVersion::Revision);
}

void setOutputFile(const QString &pdfPath) {
    outputFile = pdfPath;
}

} // namespace modPrinter
