// The program's entry: shows the main window, then gives it its title.

#include "mainwindow/quarrixform.h"

#include <QApplication>

namespace {

void Main(QuarrixForm &form) {
    form.show();
    form.setWindowTitle(QuarrixForm::titleText());
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(FormTexts::ProductName);
    QuarrixForm form;
    Main(form);
    return QApplication::exec();
}
