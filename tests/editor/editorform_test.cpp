#include "controls/richtext/richtextbox.h"
#include "dialogs/dialogtesting.h"
#include "editor/openfile.h"
#include "editor/quarxeditorform.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

constexpr quint32 Red = 255;

/// A fresh editor with a file loaded and the search text coloured.
struct OpenEditor {
    OpenEditor(const QString &name, const QByteArray &bytes, const QString &search = {}) {
        path = dir.write(name, bytes);
        QString error;
        EXPECT_TRUE(editor.openFile(path, error)) << error.toStdString();
        editor.setSearchTextReader([this] { return searchText; });
        searchText = search;
        editor.Form_Activate();
    }
    RichTextBox &box() { return *editor.rtfText; }
    quint32 colorAt(int position) {
        box().setSelStart(position);
        box().setSelLength(1);
        return box().SelColor();
    }

    TempDir dir;
    QString path;
    QString searchText;
    QUARXEditorForm editor;
};

/// Presses the button with text answer on the next message box; returns its text.
std::shared_ptr<QString> answerNextBox(const QString &answer) {
    auto seen = std::make_shared<QString>();
    onNextModal<QMessageBox>([seen, answer](QMessageBox *box) {
        *seen = box->windowTitle() + QLatin1Char('|') + box->text();
        for (QAbstractButton *button : box->buttons())
            if (button->text().remove(QLatin1Char('&')) == answer)
                button->click();
    });
    return seen;
}

} // namespace

TEST(EditorWindow, HasTheToolbarButtonsTipsAndBox) {
    QUARXEditorForm editor;
    const QStringList keys = {"EBSave", "EBPrint", "EBUndo", "EBRedo",
                              "EBCut",  "EBCopy",  "EBPaste"};
    const QStringList tips = {"Save Changes", "Print File", "Undo", "Redo", "Cut", "Copy", "Paste"};
    const QList<QAction *> actions = editor.EditTB->actions();
    ASSERT_EQ(actions.size(), keys.size());
    for (int i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(actions[i]->objectName(), keys[i]);
        EXPECT_EQ(actions[i]->toolTip(), tips[i]);
        EXPECT_FALSE(actions[i]->icon().isNull());
    }
    EXPECT_EQ(editor.EditTB->height(), 40);
    EXPECT_EQ(editor.rtfText->document()->defaultFont().family(),
              QStringLiteral("Times New Roman"));
    EXPECT_DOUBLE_EQ(editor.rtfText->document()->defaultFont().pointSizeF(), 9.75);
    EXPECT_EQ(editor.rtfText->y(), 40);
}

TEST(EditorWindow, LoadsPlainAndRtfFilesWithCaption) {
    OpenEditor plain(QStringLiteral("notes.txt"), "one\ntwo\n");
    EXPECT_EQ(plain.box().Text(), QStringLiteral("one\r\ntwo\r\n"));
    EXPECT_EQ(plain.editor.windowTitle(), QStringLiteral("Text File Editor - ") + plain.path);
    EXPECT_EQ(plain.box().FileName(), plain.path);

    OpenEditor rich(QStringLiteral("letter.rtf"),
                    "{\\rtf1\\ansi{\\colortbl;\\red0\\green0\\blue255;}Hello \\cf1 blue\\cf0 .}");
    EXPECT_EQ(rich.box().Text(), QStringLiteral("Hello blue."));
    EXPECT_EQ(rich.colorAt(6), 0xFF0000u);
}

TEST(EditorWindow, HighlightsEveryOccurrenceIgnoringCaseFromTheFirstCharacter) {
    OpenEditor open(QStringLiteral("a.txt"), "Apple pie\r\nan APPLE a day\r\n",
                    QStringLiteral("apple"));
    EXPECT_EQ(open.colorAt(0), Red);
    EXPECT_EQ(open.colorAt(4), Red);
    EXPECT_EQ(open.colorAt(5), 0u);
    EXPECT_EQ(open.colorAt(13), Red);
    EXPECT_FALSE(open.editor.FirstActivate);
    EXPECT_FALSE(open.editor.history().canUndo()) << "colouring is not an edit";
}

TEST(EditorWindow, HighlightingKeepsTheCaretAndSelection) {
    OpenEditor open(QStringLiteral("a.txt"), "find me, find me\r\n");
    open.box().setSelStart(3);
    open.box().setSelLength(4);
    QUARXEditorForm::HighlightMatches(&open.box(), QStringLiteral("find"), Red);
    EXPECT_EQ(open.box().SelStart(), 3);
    EXPECT_EQ(open.box().SelLength(), 4);
    EXPECT_EQ(open.colorAt(9), Red);
}

TEST(EditorWindow, BlankSearchTextWaitsForALaterActivation) {
    OpenEditor open(QStringLiteral("a.txt"), "word\r\n", QStringLiteral("   "));
    EXPECT_TRUE(open.editor.FirstActivate);
    EXPECT_EQ(open.colorAt(0), 0u);
    open.searchText = QStringLiteral("word");
    open.editor.Form_Activate();
    EXPECT_FALSE(open.editor.FirstActivate);
    EXPECT_EQ(open.colorAt(0), Red);
}

TEST(EditorWindow, UndoAndRedoAcrossTypingCutAndPaste) {
    OpenEditor open(QStringLiteral("a.txt"), "abc");
    RichTextBox &box = open.box();
    box.setSelStart(3);
    QTest::keyClicks(&box, QStringLiteral("de"));
    EXPECT_EQ(box.Text(), QStringLiteral("abcde"));
    box.setSelStart(0);
    box.setSelLength(2);
    open.editor.CutText();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("ab"));
    EXPECT_EQ(box.Text(), QStringLiteral("cde"));
    box.setSelStart(3);
    open.editor.PasteText();
    EXPECT_EQ(box.Text(), QStringLiteral("cdeab"));

    open.editor.UndoChange();
    EXPECT_EQ(box.Text(), QStringLiteral("cde"));
    open.editor.UndoChange();
    EXPECT_EQ(box.Text(), QStringLiteral("abcde"));
    while (open.editor.history().canUndo())
        open.editor.UndoChange();
    EXPECT_EQ(box.Text(), QStringLiteral("abc")) << "undo ends at the loaded content";
    open.editor.UndoChange();
    EXPECT_EQ(box.Text(), QStringLiteral("abc"));
    while (open.editor.history().canRedo())
        open.editor.RedoChange();
    EXPECT_EQ(box.Text(), QStringLiteral("cdeab"));
    open.editor.RedoChange();
    EXPECT_EQ(box.Text(), QStringLiteral("cdeab")) << "redo stops at the newest state";
}

TEST(EditorWindow, CopyWithNothingSelectedLeavesTheClipboardEmpty) {
    OpenEditor open(QStringLiteral("a.txt"), "abc");
    QApplication::clipboard()->setText(QStringLiteral("old"));
    open.editor.CopyText();
    EXPECT_EQ(QApplication::clipboard()->text(), QString());
    EXPECT_FALSE(open.editor.history().canUndo());
}

TEST(EditorWindow, ASecondFileStartsItsOwnHistory) {
    OpenEditor open(QStringLiteral("first.txt"), "first");
    open.box().setSelStart(5);
    QTest::keyClicks(&open.box(), QStringLiteral("!"));
    const QString second = open.dir.write(QStringLiteral("second.txt"), "second");
    QString error;
    ASSERT_TRUE(open.editor.openFile(second, error));
    open.editor.UndoChange();
    EXPECT_EQ(open.box().Text(), QStringLiteral("second"));
}

TEST(EditorWindow, SaveKeepsThePlainFilesLineEndsAndEncoding) {
    OpenEditor crlf(QStringLiteral("dos.txt"), "caf\xe9\r\nline\r\n");
    crlf.box().setSelStart(0);
    QTest::keyClicks(&crlf.box(), QStringLiteral("X"));
    answerNextBox(QStringLiteral("Yes"));
    crlf.editor.SaveText();
    EXPECT_EQ(readAll(crlf.path), QByteArray("Xcaf\xe9\r\nline\r\n"));

    OpenEditor lf(QStringLiteral("unix.txt"), "na\xc3\xafve\nend");
    lf.box().setSelStart(0);
    QTest::keyClicks(&lf.box(), QStringLiteral("Y"));
    lf.editor.UndoChange();
    answerNextBox(QStringLiteral("Yes"));
    lf.editor.SaveText();
    EXPECT_EQ(readAll(lf.path), QByteArray("na\xc3\xafve\nend"));

    OpenEditor mac(QStringLiteral("mac.txt"), "one\rtwo\r\r");
    mac.box().setSelStart(0);
    QTest::keyClicks(&mac.box(), QStringLiteral("Z"));
    mac.editor.UndoChange();
    answerNextBox(QStringLiteral("Yes"));
    mac.editor.SaveText();
    EXPECT_EQ(readAll(mac.path), QByteArray("one\rtwo\r\r"))
        << "undone through RTF, saved as loaded";
}

TEST(EditorWindow, SaveAsksFirstAndKeepsRtfAsRtf) {
    OpenEditor open(QStringLiteral("doc.rtf"), "{\\rtf1\\ansi Hello}", QStringLiteral("hello"));
    const auto asked = answerNextBox(QStringLiteral("No"));
    open.editor.SaveText();
    EXPECT_EQ(*asked, QStringLiteral("Quarrix Pro|Save File As ") + open.path + QLatin1Char('?'));
    EXPECT_EQ(readAll(open.path), QByteArray("{\\rtf1\\ansi Hello}"));

    answerNextBox(QStringLiteral("Yes"));
    open.editor.SaveText();
    const QByteArray saved = readAll(open.path);
    EXPECT_TRUE(saved.startsWith("{\\rtf1"));
    EXPECT_TRUE(saved.contains("Hello"));
    EXPECT_TRUE(saved.contains("\\red255\\green0\\blue0")) << "the colouring is saved";
}

TEST(EditorWindow, AFailedSaveReportsAndLosesNothing) {
    OpenEditor open(QStringLiteral("gone/a.txt"), "keep me");
    open.box().setSelStart(7);
    QTest::keyClicks(&open.box(), QStringLiteral("!"));
    QFile::remove(open.path);
    QDir(open.dir.file(QStringLiteral("gone"))).removeRecursively();
    answerNextBox(QStringLiteral("Yes"));
    const auto report = answerNextBox(QStringLiteral("OK"));
    open.editor.SaveText();
    waitUntil([&] { return !report->isEmpty(); });
    EXPECT_TRUE(report->startsWith(QStringLiteral("Quarrix Pro|Unable To Save ") + open.path))
        << report->toStdString();
    EXPECT_EQ(open.box().Text(), QStringLiteral("keep me!"));
}

TEST(EditorWindow, ToolbarButtonsDispatchOnTheirKeys) {
    OpenEditor open(QStringLiteral("a.txt"), "abc");
    open.box().setSelStart(0);
    open.box().setSelLength(3);
    open.editor.EditTB_ButtonClick(QStringLiteral("EBCopy"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("abc"));
    open.editor.EditTB_ButtonClick(QStringLiteral("EBCut"));
    EXPECT_EQ(open.box().Text(), QString());
    open.editor.EditTB_ButtonClick(QStringLiteral("EBUndo"));
    EXPECT_EQ(open.box().Text(), QStringLiteral("abc"));
    open.editor.EditTB_ButtonClick(QStringLiteral("EBNothing"));
    EXPECT_EQ(open.box().Text(), QStringLiteral("abc"));
}

TEST(OpeningInTheEditor, ABinaryFileAnsweredNoOpensNothing) {
    TempDir dir;
    FakeOpener opener;
    const QString path = dir.write(QStringLiteral("image.bin"), QByteArray("\x00\x01\x02", 3));
    const auto asked = answerNextBox(QStringLiteral("No"));
    openInEditorWindow(path, nullptr, [] { return QString(); });
    EXPECT_EQ(*asked,
              QStringLiteral("Quarrix Pro|File Appears To Be A Binary File (Non-Text)\r\n\r\n"
                             "Do You Want To Open This File In Its Associated Application?"));
    EXPECT_TRUE(opener.launches().isEmpty());
    EXPECT_FALSE(QUARXEditorForm::instance().isVisible());
}

TEST(OpeningInTheEditor, ABinaryFileAnsweredYesGoesToItsApplication) {
    TempDir dir;
    FakeOpener opener;
    const QString path = dir.write(QStringLiteral("image.bin"), QByteArray("\x00\x01\x02", 3));
    answerNextBox(QStringLiteral("Yes"));
    openInEditorWindow(path, nullptr, [] { return QString(); });
    ASSERT_TRUE(opener.waitForLaunches(1));
    EXPECT_TRUE(opener.launches().first().endsWith(QLatin1Char('|') + path));
}

TEST(OpeningInTheEditor, AMissingFileIsReported) {
    TempDir dir;
    const auto report = answerNextBox(QStringLiteral("OK"));
    openInEditorWindow(dir.file(QStringLiteral("none.txt")), nullptr, [] { return QString(); });
    EXPECT_TRUE(report->startsWith(QStringLiteral("Quarrix Pro|Unable To Open ")));
}

TEST(OpeningInTheEditor, OpensModallyAndColoursOnActivation) {
    TempDir dir;
    const QString path = dir.write(QStringLiteral("utf8.txt"), "gr\xc3\xbc\xc3\x9f\nfind here\n");
    bool coloured = false, modal = false;
    onNextModal<QUARXEditorForm>([&](QUARXEditorForm *editor) {
        modal = editor->isModal() || editor->windowModality() != Qt::NonModal;
        waitUntil([&] { return !editor->FirstActivate; }, 2000);
        editor->rtfText->setSelStart(5);
        editor->rtfText->setSelLength(1);
        coloured = editor->rtfText->SelColor() == Red;
        editor->close();
    });
    openInEditorWindow(path, nullptr, [] { return QStringLiteral("FIND"); });
    EXPECT_TRUE(modal);
    EXPECT_TRUE(coloured);
    EXPECT_EQ(QUARXEditorForm::instance().rtfText->FileName(), path);
}
