// Prints a text file as the editor would, with a word coloured, to a PDF:
// a look at the printed page without a printer (bench/print-page-image.sh).
#include "controls/richtext/richtextbox.h"
#include "editor/modprinter.h"
#include "editor/quarxeditorform.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: quarrix-print-page FILE WORD OUTPUT.pdf\n");
        return 2;
    }
    RichTextBox box;
    if (!box.setFileName(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "%s\n", qPrintable(box.errorString()));
        return 1;
    }
    QUARXEditorForm::HighlightMatches(&box, QString::fromLocal8Bit(argv[2]), 255);
    modPrinter::setOutputFile(QString::fromLocal8Bit(argv[3]));
    modPrinter::PrintRTFControl(&box, 80, QStringLiteral("File: ") + box.FileName(),
                                modPrinter::footerText(), modPrinter::headerFont());
    return 0;
}
