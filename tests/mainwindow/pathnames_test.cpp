// A file whose name is not UTF-8 (a Latin-1 "é" byte), from the file list
// through the scan and the report to the editor and the properties window.

#include "controls/richtext/richtextbox.h"
#include "dialogs/dialogtesting.h"
#include "editor/quarxeditorform.h"
#include "fileprops/cfiform.h"
#include "fileprops/fileinfopath.h"
#include "mainwindow/filelistbox.h"
#include "platform/pathname.h"
#include "scan/resultsmodel.h"
#include "scan/resultsreport.h"
#include "windowtestsupport.h"

#include <QAction>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTest>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QByteArray Name = "caf\xE9.txt";
const QString Shown = QStringLiteral("caf\uFFFD.txt");

void writeBytes(const QByteArray &path, const QByteArray &bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ::close(fd);
}

QByteArray readBytes(const QByteArray &path) {
    QByteArray bytes(4096, '\0');
    const int fd = ::open(path.constData(), O_RDONLY);
    const ssize_t got = fd < 0 ? 0 : ::read(fd, bytes.data(), size_t(bytes.size()));
    if (fd >= 0)
        ::close(fd);
    bytes.resize(qMax<ssize_t>(got, 0));
    return bytes;
}

class NotUtf8NameTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        folder = dir.mkdir(QStringLiteral("names"));
        bytes = QFile::encodeName(folder) + '/' + Name;
        writeBytes(bytes, "one alpha\n");
        path = folder + u'/' + platform::pathText(Name);
    }
    // The scratch folder's removal cannot spell the name.
    void TearDown() override {
        ::unlink(bytes.constData());
        WindowTest::TearDown();
    }
    void selectFirstRow() {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        auto *list = control<QTableView>("MatchLV");
        list->setFocus();
        list->selectRow(0);
    }

    QString folder, path;
    QByteArray bytes;
};

} // namespace

TEST_F(NotUtf8NameTest, IsListedScannedAndReportedWithReplacementCharacters) {
    openOnFiles(folder, {platform::pathText(Name)});
    auto *files = control<FileListBox>("File1");
    ASSERT_EQ(files->count(), 1);
    const auto *names = static_cast<QStyledItemDelegate *>(files->itemDelegate());
    EXPECT_EQ(names->displayText(files->item(0)->text(), QLocale()), Shown);

    scanFor(QStringLiteral("alpha"));
    ASSERT_EQ(form->results().totalRows(), 2) << statusText().toStdString();
    const MatchRecord row = form->results().row(0);
    EXPECT_EQ(row.path, path);
    EXPECT_EQ(form->results().data(form->results().index(0, ResultsModel::PathColumn)),
              folder + u'/' + Shown);
    EXPECT_EQ(ResultsReport::rowLine(row), QStringLiteral("FILE: ") + folder + u'/' + Shown +
                                               QStringLiteral(";  LINE: 1;  MATCH: one alpha"));
}

TEST_F(NotUtf8NameTest, IsEditedSavedAndShownInTheProperties) {
    openOnFiles(folder, {platform::pathText(Name)});
    scanFor(QStringLiteral("alpha"));
    ASSERT_EQ(form->results().totalRows(), 2);
    selectFirstRow();

    QString caption;
    onNextModal<QUARXEditorForm>([&](QUARXEditorForm *editor) {
        caption = editor->windowTitle();
        editor->rtfText->setSelStart(0);
        QTest::keyClicks(editor->rtfText, QStringLiteral("X"));
        onNextModal<QMessageBox>([](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); });
        editor->SaveText();
        editor->close();
    });
    control<QAction>("mnuEdit")->trigger();
    EXPECT_TRUE(caption.endsWith(Shown)) << caption.toStdString();
    EXPECT_EQ(readBytes(bytes), "Xone alpha\n");

    selectFirstRow();
    QString shownName, size;
    onNextModal<CFIForm>([&](CFIForm *window) {
        shownName = window->findChild<QLineEdit *>(QStringLiteral("txtFileName"))->text();
        size = window->findChild<QLineEdit *>(QStringLiteral("txtSize"))->text();
        window->findChild<QPushButton *>(QStringLiteral("OK"))->click();
    });
    control<QAction>("mnuFileInfo")->trigger();
    EXPECT_EQ(FileInfoShared::FileInfoPath, path);
    EXPECT_EQ(shownName, Shown);
    EXPECT_TRUE(size.contains(QStringLiteral("11"))) << size.toStdString();
}
