#pragma once

#include "mainwindow/quarrixform.h"
#include "support/tempdir.h"

#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

/// The application object widget tests need, made once.
void ensureApplication();

/// Answers every message box that opens while it lives, keeping its text.
class BoxAnswerer {
  public:
    BoxAnswerer();
    QStringList texts;
    QStringList titles;
    QList<QMessageBox::Icon> icons;

  private:
    QTimer timer_;
};

/// A window on a settings file of its own, in a scratch folder.
class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    QString settingsFile() const { return dir.file(QStringLiteral("settings.ini")); }
    /// Writes one stored setting as the program would.
    void store(const QString &key, const QString &value);
    QString stored(const QString &key);
    QuarrixForm &openWindow();

    template <typename T> T *control(const char *name) {
        T *found = form->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString statusText();
    /// Opens the window on folder in the selected-file mode with names selected.
    QuarrixForm &openOnFiles(const QString &folder, const QStringList &selected);
    /// Types text into the search box and clicks Scan; returns when the run has ended.
    void scanFor(const QString &text);

    TempDir dir;
    std::unique_ptr<QuarrixForm> form;
};
