#include "dialogs/dialogtesting.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

FakeOpener::FakeOpener() : oldPath_(qgetenv("PATH")) {
    const QString log = dir_.file(QStringLiteral("launches.log"));
    const QString script =
        dir_.write(QStringLiteral("xdg-open"), "#!/bin/sh\nprintf '%s|%s\\n' \"$PWD\" \"$1\" >> '" +
                                                   QFile::encodeName(log) + "'\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(dir_.path()) + ':' + oldPath_);
}

FakeOpener::~FakeOpener() {
    qputenv("PATH", oldPath_);
}

QStringList FakeOpener::launches() const {
    QFile log(dir_.file(QStringLiteral("launches.log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool FakeOpener::waitForLaunches(int count) const {
    return waitUntil([&] { return launches().size() >= count; });
}
