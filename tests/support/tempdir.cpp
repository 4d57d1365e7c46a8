#include "support/tempdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>

TempDir::TempDir() {
    EXPECT_TRUE(dir_.isValid());
}

QString TempDir::write(const QString &name, const QByteArray &bytes) const {
    const QString path = file(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile out(path);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    out.write(bytes);
    return path;
}

QString TempDir::mkdir(const QString &name) const {
    QDir().mkpath(file(name));
    return file(name);
}

QByteArray readAll(const QString &path) {
    QFile in(path);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
    return in.readAll();
}

CurrentFolder::CurrentFolder(const QString &path) : saved_(QDir::currentPath()) {
    QDir::setCurrent(path);
}

CurrentFolder::~CurrentFolder() {
    QDir::setCurrent(saved_);
}

bool waitUntil(const std::function<bool()> &done, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.hasExpired(milliseconds))
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}
