#include "mainwindow/programicon.h"

#include <QSize>

QIcon programIcon() {
    QIcon builtIn;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        builtIn.addFile(QStringLiteral(":/icons/hicolor/%1x%1/").arg(size) + ProgramIconName +
                            QStringLiteral(".png"),
                        QSize(size, size));
    return QIcon::fromTheme(ProgramIconName, builtIn);
}
