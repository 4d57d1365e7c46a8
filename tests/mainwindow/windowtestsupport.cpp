#include "windowtestsupport.h"

#include "mainwindow/filelistbox.h"
#include "mainwindow/searchbox.h"
#include "mainwindow/settingsstore.h"
#include "mainwindow/statusbar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSettings>
#include <QThread>

void ensureApplication() {
    static int argc = 1;
    static char name[] = "windowtest";
    static char *argv[] = {name, nullptr};
    static QApplication *app = nullptr;
    if (!app)
        app = new QApplication(argc, argv);
}

BoxAnswerer::BoxAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        texts << box->text();
        titles << box->windowTitle();
        icons << box->icon();
        box->accept();
    });
    timer_.start();
}

void WindowTest::SetUp() {
    ensureApplication();
    SettingsStore::useStoreFile(settingsFile());
}

void WindowTest::TearDown() {
    form.reset();
    SettingsStore::useStoreFile(QString());
}

void WindowTest::store(const QString &key, const QString &value) {
    SettingsStore::SaveSettingValue(key, value);
}

QString WindowTest::stored(const QString &key) {
    return SettingsStore::ReadSettingValue(key, QStringLiteral("<missing>"));
}

QuarrixForm &WindowTest::openWindow() {
    form = std::make_unique<QuarrixForm>();
    return *form;
}

QString WindowTest::statusText() {
    return control<StatusBar>("StatBar")->panelText();
}

QuarrixForm &WindowTest::openOnFiles(const QString &folder, const QStringList &selected) {
    store(QStringLiteral("LastPath"), folder);
    store(QStringLiteral("LastDSPath"), folder);
    openWindow();
    auto *files = control<FileListBox>("File1");
    for (int i = 0; i < files->count(); ++i)
        files->item(i)->setSelected(selected.contains(files->item(i)->text()));
    return *form;
}

void WindowTest::scanFor(const QString &text) {
    control<SearchBox>("TextList")->setEditText(text);
    control<QPushButton>("ScanButton")->click();
}

// Fontconfig keeps a cache for the life of the process that the leak checker
// of the sanitizer build would otherwise report.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
