#include "editor/modprinter.h"

#include "controls/richtext/richtextbox.h"
#include "dialogs/messagebox.h"
#include "quarrixversion.h"

#include <QFontMetricsF>
#include <QPageRanges>
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

/// One print job of a box: the page geometry, worked out once, and the page loop.
class Job {
  public:
    Job(QPrinter &printer, QPainter &painter, int margin, const QString &header,
        const QString &footer, const QFont &font)
        : printer_(printer), painter_(painter), page_(printer), m_(margin), header_(header),
          footer_(footer), font_(font), W_(page_.width()), H_(page_.height()) {
        // The text area is measured with the printer's own font, before the header font.
        const double th = page_.textHeight(painter.font());
        area_ = page_.deviceRect(
            QRectF(QPointF(m_, std::round(th + m_)), QPointF(W_ - m_, std::round(H_ - (th + m_)))));
    }

    /// Prints the pages in range (every page when it is empty); the pages
    /// before them are laid out only, to know where the text of each begins.
    void printAll(RichTextBox *box, const QPageRanges &range) {
        const int L = box->GetTextLength();
        int first = 0;
        bool started = false;
        for (int p = 1;; ++p) {
            const bool wanted = range.isEmpty() || range.contains(p);
            if (wanted && started && !printer_.newPage())
                throw PrintError{PrinterErrorNumber,
                                 QStringLiteral("The printer refused a new page.")};
            if (wanted)
                printHeader();
            const int N = box->FormatRange(&painter_, area_, first, L, wanted);
            if (N < L && N <= first)
                throw PrintError{PrinterErrorNumber,
                                 QStringLiteral("The text does not fit the page's text area.")};
            if (wanted)
                printFooter(p);
            started = started || wanted;
            if (N >= L || (!range.isEmpty() && p >= range.lastPage()))
                return;
            first = N;
        }
    }

  private:
    void printHeader() {
        painter_.setFont(font_);
        const double ruleY = printLine(painter_, page_, m_, m_, header_);
        drawRule(painter_, page_, m_, W_ - m_, ruleY);
    }

    void printFooter(int pageNumber) {
        painter_.setFont(font_);
        const double tf = page_.textHeight(font_);
        drawRule(painter_, page_, m_, W_ - m_, H_ - (tf + m_));
        const QString label = PageLabel + QString::number(pageNumber);
        const double x = W_ - (page_.textWidth(font_, label) + m_);
        const double y = std::round(H_ - (tf + m_) + page_.toTwips(8));
        printLine(painter_, page_, x, y, label);
        printLine(painter_, page_, m_, y, footer_);
    }

    QPrinter &printer_;
    QPainter &painter_;
    const Page page_;
    const int m_;
    const QString header_, footer_;
    const QFont font_;
    const double W_, H_;
    QRectF area_;
};

void printPages(RichTextBox *box, QPrinter &printer, int margin, const QString &header,
                const QString &footer, const QFont &font) {
    QPainter painter;
    if (!painter.begin(&printer))
        throw PrintError{PrinterErrorNumber,
                         QStringLiteral("The printer could not start the job.")};
    // A failed job is abandoned, so no half-printed document goes out.
    try {
        const QPageRanges range =
            printer.printRange() == QPrinter::PageRange ? printer.pageRanges() : QPageRanges();
        Job(printer, painter, margin, header, footer, font).printAll(box, range);
    } catch (const PrintError &) {
        printer.abort();
        throw;
    }
    if (!painter.end())
        throw PrintError{PrinterErrorNumber, QStringLiteral("The printer could not end the job.")};
}

} // namespace

void PrintRTFControl(RichTextBox *box, qint16 margin, const QString &header, const QString &footer,
                     const QFont &font, QPrinter *printer) {
    try {
        std::unique_ptr<QPrinter> defaultPrinter;
        if (!printer) {
            defaultPrinter = openPrinter();
            printer = defaultPrinter.get();
        }
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
