#pragma once

#include <QFont>
#include <QString>

class QPrinter;
class RichTextBox;

/// Printing a rich text box page by page on the default printer, each page
/// with a header line, rules, the page number and a footer line.
namespace modPrinter {

inline const QString ErrorTitle = QStringLiteral("PrintRTFControl");
inline const QString PageLabel = QStringLiteral("Page: ");

/// Prints the whole content of box with margin (twips) around the page, the
/// header and footer lines in font, on printer (the default printer when
/// null) and only the pages of its page range when it has one. A failure is
/// shown once in a box titled "PrintRTFControl" and ends the job.
void PrintRTFControl(RichTextBox *box, qint16 margin, const QString &header, const QString &footer,
                     const QFont &font, QPrinter *printer = nullptr);

/// The header and footer font: Arial, 9 points, bold.
QFont headerFont();
/// "Printed Using Quarrix Pro (V1.6.1)".
QString footerText();

/// Sends the next jobs to a PDF file instead of the default printer (tests and
/// page previews); an empty path goes back to the printer.
void setOutputFile(const QString &pdfPath);

} // namespace modPrinter
