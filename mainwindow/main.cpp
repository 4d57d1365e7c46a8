// The program's entry: shows the main window, then gives it its title.

#include "dialogs/readablecolours.h"
#include "mainwindow/programicon.h"
#include "mainwindow/quarrixform.h"
#include "platform/freememory.h"

#include <QApplication>

namespace {

void Main(QuarrixForm &form) {
    form.show();
    form.setWindowTitle(QuarrixForm::titleText());
}

} // namespace

int main(int argc, char **argv) {
    platform::shareAllocatorArenas();
    QApplication app(argc, argv);
    ReadableStyle::install();
    QApplication::setApplicationName(FormTexts::ProductName);
    // Every window and dialog carries the program icon; the desktop entry's
    // name lets the desktop match the running window to its menu entry.
    QApplication::setWindowIcon(programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.quarrix.QuarrixPro"));
    QuarrixForm form;
    Main(form);
    return QApplication::exec();
}
