// quarrix-window-tour: walks the main window through what a user does after a
// scan, under a real display, and saves a screenshot of the screen at each
// step: the results, the preview of a text row and of a mail's row, the popup menu on a row, the
// file information window, the launch question, the editor, a mail's row in the editor with its
// find bar, the full-line display, the popup menu opened from the keyboard, the save dialog, the
// saved report's status, the question before replacing it, the About window, a directory-tree scan
// with its progress mid-run, and Help. The window is maximized; each shot holds the part of the
// screen the program's windows cover.
//
//   quarrix-window-tour FOLDER OUT_DIR [BIG_FOLDER]
//
// FOLDER holds the files to scan; the report is saved as OUT_DIR/report.txt.
// BIG_FOLDER, a tree that takes a while to scan, shows the progress bar.
// The window keeps its settings in a scratch file, never the user's.
// QUARRIX_TOUR_PALETTE=dark runs it in a dark palette (with the Fusion style).

#include "controls/foldertree/foldertreeview.h"
#include "dialogs/readablecolours.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/quarrixform.h"
#include "mainwindow/searchbox.h"
#include "mainwindow/settingsstore.h"
#include "mainwindow/statusbar.h"
#include "support/palettes.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <functional>

namespace {

QString outDir;
int shotNumber = 0;

template <typename T> T *find(QWidget &parent, const char *name) {
    return parent.findChild<T *>(QString::fromLatin1(name));
}

void settle() {
    for (int i = 0; i < 15; ++i) {
        QCoreApplication::processEvents();
        QTest::qWait(20);
    }
}

/// The part of the screen the program's visible windows cover.
QRect windowsArea(const QScreen &screen) {
    QRect area;
    for (const QWidget *window : QApplication::topLevelWidgets())
        if (window->isVisible())
            area |= window->frameGeometry();
    return area & screen.geometry();
}

/// A screenshot of an area of the screen as it shows now.
void shootArea(const QString &what, const QRect &area) {
    const QString file = QStringLiteral("%1/%2-%3.png")
                             .arg(outDir)
                             .arg(++shotNumber, 2, 10, QLatin1Char('0'))
                             .arg(what);
    const bool saved = QGuiApplication::primaryScreen()
                           ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                           .save(file);
    std::printf("%s %s\n", saved ? "shot" : "FAILED", qPrintable(file));
    std::fflush(stdout);
}

/// A screenshot of what shows now, without waiting for the window to settle.
void shootNow(const QString &what) {
    shootArea(what, windowsArea(*QGuiApplication::primaryScreen()));
}

void shoot(const QString &what) {
    settle();
    shootNow(what);
}

/// A screenshot of one window alone, for the manual.
void shootWindow(const QString &what, const QWidget *window) {
    settle();
    shootArea(what, window->frameGeometry());
}

/// Once the next modal window is up: a screenshot, then answer closes it.
void whenModal(const QString &what, std::function<void(QWidget *)> answer) {
    auto *timer = new QTimer(qApp);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, what, answer] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        shoot(what);
        answer(modal);
        timer->deleteLater(); // not before: the shot runs the event loop
    });
    timer->start();
}

void press(QWidget *modal, QMessageBox::StandardButton button) {
    auto *box = qobject_cast<QMessageBox *>(modal);
    if (box && box->button(button))
        box->button(button)->click();
    else
        std::printf("FAILED: not the box expected: %s\n", qPrintable(modal->windowTitle()));
}

/// Right-clicks the row, then picks the menu item by its access key.
void chooseFromRowMenu(QuarrixForm &form, int row, Qt::Key accessKey, const QString &what) {
    auto *list = find<QTableView>(form, "MatchLV");
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at);
    shoot(what);
    QTest::keyClick(find<QMenu>(form, "mnuFileSub"), accessKey);
    settle();
}

/// Opens the editor on a document's row, then its find bar, finding the next match.
void editorWithFindBar(QuarrixForm &form, int row) {
    whenModal(QStringLiteral("editor-at-document-row"), [](QWidget *editor) {
        QTest::keyClick(editor, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        shootWindow(QStringLiteral("editor-find-bar"), editor);
        editor->close();
    });
    chooseFromRowMenu(form, row, Qt::Key_E, QStringLiteral("row-menu-document"));
}

/// Focuses the row and opens its menu with the Menu key, then closes it.
void openMenuFromKeyboard(QuarrixForm &form, int row) {
    auto *list = find<QTableView>(form, "MatchLV");
    list->setFocus();
    list->setCurrentIndex(list->model()->index(row, 0));
    QTest::keyClick(list, Qt::Key_Menu);
    shoot(QStringLiteral("keyboard-menu"));
    QTest::keyClick(find<QMenu>(form, "mnuFileSub"), Qt::Key_Escape);
    settle();
}

/// Types the name into the save dialog's name box and presses Enter.
void typeFileName(QWidget *dialog, const QString &fileName) {
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    name->setText(fileName);
    QTest::keyClick(name, Qt::Key_Return);
}

/// Saves over the report just written: the question comes, No keeps it, and
/// the dialog is then cancelled.
void saveAgainAndDecline(QuarrixForm &form, const QString &report) {
    whenModal(QStringLiteral("save-over"), [report](QWidget *dialog) {
        whenModal(QStringLiteral("overwrite-question"), [dialog](QWidget *question) {
            press(question, QMessageBox::No);
            whenModal(QStringLiteral("after-no"),
                      [](QWidget *modal) { static_cast<QDialog *>(modal)->reject(); });
        });
        typeFileName(dialog, report);
    });
    find<QPushButton>(form, "SaveButton")->click();
}

/// A directory-tree scan of a big tree, shot once the progress bar is a
/// quarter of the way.
void scanWithProgress(QuarrixForm &form, const QString &bigFolder) {
    find<FolderTreeView>(form, "FTV2")->setSelectedFolder(bigFolder);
    find<SearchBox>(form, "TextList")->setEditText(QStringLiteral("alpha|gamma"));
    QProgressBar *bar = find<StatusBar>(form, "StatBar")->progressBar();
    auto *watch = new QTimer(&form);
    watch->setInterval(10);
    QObject::connect(watch, &QTimer::timeout, [watch, bar] {
        if (bar->isVisible() && bar->maximum() > 0 && bar->value() * 4 >= bar->maximum()) {
            watch->stop();
            shootNow(QStringLiteral("progress-mid-run"));
        }
    });
    watch->start();
    find<QPushButton>(form, "ScanButton")->click();
    watch->stop();
    shoot(QStringLiteral("big-tree-done"));
}

/// A regular expression: its rows, the editor colouring what it matched, the
/// options panel, and an expression that does not compile.
void searchOptions(QuarrixForm &form) {
    auto *toggle = find<QToolButton>(form, "OptionsToggle");
    toggle->setChecked(true);
    find<QCheckBox>(form, "RegularExpression")->setChecked(true);
    find<QCheckBox>(form, "WholeWord")->setChecked(true);
    find<QSpinBox>(form, "Context Lines")->setValue(2);
    find<SearchBox>(form, "TextList")->setEditText(QStringLiteral("al\\w+a|gam+a"));
    find<QPushButton>(form, "ScanButton")->click();
    shoot(QStringLiteral("options-regex"));
    toggle->setChecked(false);
    whenModal(QStringLiteral("editor-regex"), [](QWidget *modal) {
        shootWindow(QStringLiteral("editor-regex"), modal);
        modal->close();
    });
    chooseFromRowMenu(form, 0, Qt::Key_E, QStringLiteral("row-menu-regex"));
    find<SearchBox>(form, "TextList")->setEditText(QStringLiteral("al(pha"));
    find<QPushButton>(form, "ScanButton")->click();
    shoot(QStringLiteral("regex-error"));
    find<QCheckBox>(form, "RegularExpression")->setChecked(false);
    find<QCheckBox>(form, "WholeWord")->setChecked(false);
    find<QSpinBox>(form, "Context Lines")->setValue(0);
}

int tour(QuarrixForm &form, const QString &folder, const QString &bigFolder) {
    find<FolderTreeView>(form, "FTV1")->setSelectedFolder(folder);
    auto *files = find<FileListBox>(form, "File1");
    files->selectAll();
    find<SearchBox>(form, "TextList")->setEditText(QStringLiteral("alpha|gamma"));
    find<QPushButton>(form, "ScanButton")->click();
    shoot(QStringLiteral("scanned"));
    // The preview of a text file's row, then of the mail's row (its pieces).
    auto *results = find<QTableView>(form, "MatchLV");
    results->selectRow(1);
    shoot(QStringLiteral("preview"));
    results->selectRow(results->model()->rowCount() - 2);
    shoot(QStringLiteral("preview-document"));

    whenModal(QStringLiteral("file-information"),
              [](QWidget *modal) { static_cast<QDialog *>(modal)->accept(); });
    chooseFromRowMenu(form, 0, Qt::Key_F, QStringLiteral("row-menu"));

    whenModal(QStringLiteral("launch-question"),
              [](QWidget *modal) { press(modal, QMessageBox::No); });
    chooseFromRowMenu(form, 1, Qt::Key_L, QStringLiteral("row-menu-again"));
    whenModal(QStringLiteral("editor"), [](QWidget *modal) { modal->close(); });
    chooseFromRowMenu(form, 1, Qt::Key_E, QStringLiteral("row-menu-edit"));
    editorWithFindBar(form, 3);

    auto *list = find<QTableView>(form, "MatchLV");
    const QPoint second = list->visualRect(list->model()->index(1, 2)).center();
    whenModal(QStringLiteral("full-line"),
              [](QWidget *modal) { static_cast<QDialog *>(modal)->accept(); });
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
    std::printf("clipboard: [%s]\n", qPrintable(QGuiApplication::clipboard()->text()));

    openMenuFromKeyboard(form, 2);

    const QString report = outDir + QStringLiteral("/report.txt");
    whenModal(QStringLiteral("save-dialog"),
              [report](QWidget *modal) { typeFileName(modal, report); });
    find<QPushButton>(form, "SaveButton")->click();
    shoot(QStringLiteral("saved"));
    saveAgainAndDecline(form, report);

    whenModal(QStringLiteral("about"),
              [](QWidget *modal) { static_cast<QDialog *>(modal)->accept(); });
    find<QPushButton>(form, "AboutButton")->click();

    find<QTabWidget>(form, "ModeTabs")->setCurrentIndex(1);
    find<FolderTreeView>(form, "FTV2")->setSelectedFolder(folder);
    find<QRadioButton>(form, "SpecifiedFiles")->click();
    find<QLineEdit>(form, "SpecifiedType")->setText(QStringLiteral("txt"));
    find<SearchBox>(form, "TextList")->setEditText(QStringLiteral("alpha&gamma"));
    find<QPushButton>(form, "ScanButton")->click();
    shoot(QStringLiteral("directory-tree"));
    // The editor colours the search text as typed: a plain one shows in red.
    find<SearchBox>(form, "TextList")->setEditText(QStringLiteral("alpha"));
    whenModal(QStringLiteral("editor-tree-row"), [](QWidget *modal) {
        shootWindow(QStringLiteral("editor-highlighted"), modal);
        modal->close();
    });
    chooseFromRowMenu(form, 0, Qt::Key_E, QStringLiteral("row-menu-tree"));
    searchOptions(form);

    if (!bigFolder.isEmpty())
        scanWithProgress(form, bigFolder);

    find<QPushButton>(form, "HelpButton")->click();
    shoot(QStringLiteral("after-help"));
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (qgetenv("QUARRIX_TOUR_PALETTE") == "dark") {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(darkPalette());
    }
    ReadableStyle::install();
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2 && args.size() != 3) {
        std::fputs("usage: quarrix-window-tour FOLDER OUT_DIR [BIG_FOLDER]\n", stderr);
        return 2;
    }
    outDir = args.at(1);
    QTemporaryDir settings;
    SettingsStore::useStoreFile(settings.filePath(QStringLiteral("settings.ini")));
    QuarrixForm form;
    form.setWindowTitle(QuarrixForm::titleText());
    form.showMaximized();
    form.activateWindow();
    settle();
    return tour(form, args.at(0), args.value(2));
}
