#include "controls/richtext/richtextbox.h"
#include "dialogs/dialogtesting.h"
#include "documents/rtfreader.h"
#include "editor/findbar.h"
#include "editor/openfile.h"
#include "editor/quarxeditorform.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTextBlock>
#include <QToolBar>
#include <gtest/gtest.h>
#include <malloc.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

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
    /// Red where the colouring is drawn over the text, else the text's own colour.
    quint32 colorAt(int position) {
        if (box().marks().isMarked(position))
            return Red;
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

TEST(EditorWindow, ToolbarShowsItsOwnPicturesWithoutAnIconTheme) {
    const QString oldTheme = QIcon::themeName();
    QIcon::setThemeName(QStringLiteral("no-such-theme"));
    QUARXEditorForm editor;
    QIcon::setThemeName(oldTheme);
    const QStringList names = {"document-save", "document-print", "edit-undo", "edit-redo",
                               "edit-cut",      "edit-copy",      "edit-paste"};
    const QList<QAction *> actions = editor.EditTB->actions();
    for (int i = 0; i < names.size(); ++i) {
        const QImage own(QStringLiteral(":/toolbar/24/%1.png").arg(names[i]));
        ASSERT_FALSE(own.isNull()) << names[i].toStdString();
        const QImage shown = actions[i]->icon().pixmap(QSize(24, 24), 1.0).toImage();
        EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                  own.convertToFormat(QImage::Format_ARGB32_Premultiplied))
            << names[i].toStdString();
    }
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
    EXPECT_FALSE(saved.contains("\\red255\\green0\\blue0")) << "the colouring is not saved";
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
        coloured = editor->rtfText->marks().isMarked(5);
        editor->close();
    });
    openInEditorWindow(path, nullptr, [] { return QStringLiteral("FIND"); });
    EXPECT_TRUE(modal);
    EXPECT_TRUE(coloured);
    EXPECT_EQ(QUARXEditorForm::instance().rtfText->FileName(), path);
}

TEST(EditorColouring, EachTermOfACompoundSearchAndNothingElse) {
    OpenEditor open(QStringLiteral("a.txt"), "Alpha beta gamma\nbeta only\n",
                    QStringLiteral("alpha|gamma"));
    EXPECT_EQ(open.colorAt(0), Red) << "the first character of the document";
    EXPECT_EQ(open.colorAt(4), Red);
    EXPECT_EQ(open.colorAt(6), 0u);
    EXPECT_EQ(open.colorAt(11), Red);
    EXPECT_EQ(open.colorAt(17), 0u);

    OpenEditor both(QStringLiteral("b.txt"), "lock the mutex\nmutex alone\n",
                    QStringLiteral("mutex&lock"));
    EXPECT_EQ(both.colorAt(0), Red);
    EXPECT_EQ(both.colorAt(9), Red);
    EXPECT_EQ(both.colorAt(15), 0u) << "a line without every term is not a match";
}

TEST(EditorColouring, IsAViewThatTypingUndoAndTheNextFileLeaveAlone) {
    OpenEditor open(QStringLiteral("a.txt"), "alpha\n", QStringLiteral("alpha"));
    open.box().setSelStart(0);
    QTest::keyClicks(&open.box(), QStringLiteral("xy"));
    EXPECT_EQ(open.box().Text(), QStringLiteral("xyalpha\r\n"));
    EXPECT_EQ(open.colorAt(0), 0u) << "typed text takes no red";
    EXPECT_EQ(open.colorAt(2), Red);
    open.editor.UndoChange();
    EXPECT_EQ(open.box().Text(), QStringLiteral("alpha\r\n"));
    EXPECT_EQ(open.colorAt(0), Red) << "undo keeps the colouring as it was";

    const QString other = open.dir.write(QStringLiteral("b.txt"), "one alpha two\n");
    QString error;
    ASSERT_TRUE(open.editor.openFile(other, error));
    open.editor.Form_Activate();
    EXPECT_EQ(open.colorAt(0), 0u);
    EXPECT_EQ(open.colorAt(4), Red);
    EXPECT_EQ(open.colorAt(10), 0u);
}

TEST(EditorColouring, UndoTakesBackAWordOfTyping) {
    OpenEditor open(QStringLiteral("a.txt"), "");
    QTest::keyClicks(&open.box(), QStringLiteral("one two three"));
    open.editor.UndoChange();
    EXPECT_EQ(open.box().Text(), QStringLiteral("one two "));
    open.editor.UndoChange();
    EXPECT_EQ(open.box().Text(), QStringLiteral("one "));
}

TEST(EditorSave, KeepsRtfColoursAndPlainBytes) {
    const QByteArray rtf =
        "{\\rtf1\\ansi{\\colortbl;\\red0\\green0\\blue255;}Hello \\cf1 blue\\cf0 .}";
    OpenEditor rich(QStringLiteral("doc.rtf"), rtf, QStringLiteral("hello"));
    rich.box().setSelStart(0);
    QTest::keyClicks(&rich.box(), QStringLiteral("X"));
    answerNextBox(QStringLiteral("Yes"));
    rich.editor.SaveText();
    EXPECT_EQ(rtfPlainText(readAll(rich.path)), QStringLiteral("XHello blue."));
    OpenEditor again(QStringLiteral("again.rtf"), readAll(rich.path));
    EXPECT_EQ(again.colorAt(1), 0u) << "no red was saved";
    EXPECT_EQ(again.colorAt(7), 0xFF0000u) << "the document's own blue is kept";

    const QByteArray plain = "a\xc2\xa0"
                             "b\r\nc\nd\re\xe2\x80\xa8"
                             "f\r\n";
    OpenEditor text(QStringLiteral("mixed.txt"), plain);
    text.box().setSelStart(0);
    QTest::keyClicks(&text.box(), QStringLiteral("X"));
    QTest::keyClick(&text.box(), Qt::Key_Backspace);
    ASSERT_TRUE(text.box().document()->isModified());
    answerNextBox(QStringLiteral("Yes"));
    text.editor.SaveText();
    EXPECT_EQ(readAll(text.path), plain) << "no-break space, each line end and U+2028 kept";
}

TEST(EditorSave, Utf16WithItsMarkRoundTrips) {
    const QByteArray utf16("\xFF\xFE"
                           "a\0l\0p\0h\0a\0\r\0\n\0",
                           16);
    OpenEditor open(QStringLiteral("wide.txt"), utf16, QStringLiteral("alpha"));
    EXPECT_EQ(open.box().Text(), QStringLiteral("alpha\r\n"));
    EXPECT_EQ(open.colorAt(0), Red);
    QTest::keyClick(&open.box(), Qt::Key_End);
    QTest::keyClicks(&open.box(), QStringLiteral("!"));
    answerNextBox(QStringLiteral("Yes"));
    open.editor.SaveText();
    EXPECT_EQ(readAll(open.path), QByteArray("\xFF\xFE"
                                             "a\0l\0p\0h\0a\0!\0\r\0\n\0",
                                             18));

    TempDir dir;
    FakeOpener opener;
    bool opened = false;
    onNextModal<QUARXEditorForm>([&](QUARXEditorForm *editor) {
        opened = editor->rtfText->Text() == QStringLiteral("alpha\r\n");
        editor->close();
    });
    openInEditorWindow(dir.write(QStringLiteral("w.txt"), utf16), nullptr,
                       [] { return QString(); });
    EXPECT_TRUE(opened) << "a UTF-16 file is text, not binary";
}

TEST(EditorSave, AChangeOnDiskIsAskedAboutAndAHardLinkStaysOneFile) {
    OpenEditor open(QStringLiteral("a.txt"), "mine\n");
    const QString link = open.dir.file(QStringLiteral("link.txt"));
    ASSERT_EQ(::link(QFile::encodeName(open.path), QFile::encodeName(link)), 0);
    QTest::keyClicks(&open.box(), QStringLiteral("X"));
    QTest::qWait(20);
    {
        QFile other(open.path);
        ASSERT_TRUE(other.open(QIODevice::WriteOnly | QIODevice::Append));
        other.write("theirs\n");
    }
    answerNextBox(QStringLiteral("Yes"));
    const auto asked = answerNextBox(QStringLiteral("No"));
    open.editor.SaveText();
    EXPECT_TRUE(asked->contains(QStringLiteral("Changed By Another Program")));
    EXPECT_EQ(readAll(open.path), QByteArray("mine\ntheirs\n"));

    answerNextBox(QStringLiteral("Yes"));
    answerNextBox(QStringLiteral("Yes"));
    open.editor.SaveText();
    EXPECT_EQ(readAll(open.path), QByteArray("Xmine\n"));
    EXPECT_EQ(readAll(link), QByteArray("Xmine\n")) << "both names still show one file";
}

namespace {

/// Runs an ACL tool; its output, or nothing when it failed.
std::optional<QString> aclTool(const QString &program, const QStringList &arguments) {
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(10000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

} // namespace

TEST(EditorSave, AsRootAnotherUsersFileKeepsOwnerModeAndAcl) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    OpenEditor open(QStringLiteral("theirs.txt"), "text\n");
    const QByteArray name = QFile::encodeName(open.path);
    ASSERT_EQ(::chown(name.constData(), 4242, 4243), 0);
    ASSERT_EQ(::chmod(name.constData(), 0444), 0);
    if (!aclTool(QStringLiteral("setfacl"),
                 {QStringLiteral("-m"), QStringLiteral("u:4244:r"), open.path}))
        GTEST_SKIP() << "no setfacl, or a file system without access control lists";
    open.box().setSelStart(0);
    QTest::keyClicks(&open.box(), QStringLiteral("X"));
    answerNextBox(QStringLiteral("Yes"));
    open.editor.SaveText();

    EXPECT_EQ(readAll(open.path), QByteArray("Xtext\n"));
    struct stat st {};
    ASSERT_EQ(::stat(name.constData(), &st), 0);
    EXPECT_EQ(st.st_uid, 4242u);
    EXPECT_EQ(st.st_gid, 4243u);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    const auto acl = aclTool(QStringLiteral("getfacl"), {QStringLiteral("-n"), open.path});
    ASSERT_TRUE(acl);
    EXPECT_TRUE(acl->contains(QStringLiteral("user:4244:r--"))) << acl->toStdString();
}

TEST(EditorClosing, UnsavedChangesAreAskedAbout) {
    OpenEditor open(QStringLiteral("a.txt"), "text\n");
    open.editor.show();
    QTest::keyClicks(&open.box(), QStringLiteral("X"));
    const auto asked = answerNextBox(QStringLiteral("Cancel"));
    EXPECT_FALSE(open.editor.close());
    EXPECT_TRUE(asked->startsWith(QStringLiteral("Quarrix Pro|Save Changes To ")));
    answerNextBox(QStringLiteral("Yes"));
    EXPECT_TRUE(open.editor.close());
    EXPECT_EQ(readAll(open.path), QByteArray("Xtext\n"));
    open.editor.show();
    EXPECT_TRUE(open.editor.close()) << "nothing unsaved: no question";
}

TEST(EditorPlace, ARowOpensAtItsLineWithTheMatchSelected) {
    TempDir dir;
    QByteArray bytes;
    for (int line = 1; line <= 10000; ++line)
        bytes += line == 5000 ? "here is the Needle\n" : "filler line\n";
    const QString path = dir.write(QStringLiteral("long.txt"), bytes);
    int block = -1;
    QString selected;
    bool inView = false;
    onNextModal<QUARXEditorForm>([&](QUARXEditorForm *editor) {
        waitUntil([&] { return editor->rtfText->textCursor().hasSelection(); }, 2000);
        const QTextCursor cursor = editor->rtfText->textCursor();
        block = cursor.blockNumber();
        selected = cursor.selectedText();
        inView =
            editor->rtfText->viewport()->rect().contains(editor->rtfText->cursorRect().center());
        editor->close();
    });
    openInEditorWindow(path, nullptr, [] { return QStringLiteral("needle"); },
                       {LineCell::line(5000), QStringLiteral("here is the Needle")});
    EXPECT_EQ(block, 4999);
    EXPECT_EQ(selected, QStringLiteral("Needle"));
    EXPECT_TRUE(inView);
}

// A document's pieces need not be the editor's paragraphs: a mail shows its
// source, its text encoded, and the same text may stand twice.
TEST(EditorPlace, ADocumentOrMailRowOpensAtItsMatch) {
    const QByteArray mail =
        "From: a@example.org\r\nSubject: hello\r\n"
        "Content-Type: text/plain; charset=utf-8\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
        "Dear friend,\r\nthis line is wrapped by the encoder and the needle =\r\n"
        "sits after the soft break caf=C3=A9\r\nBye\r\n";
    const QByteArray rtf = "{\\rtf1\\ansi Total needle\\par Other\\par Middle\\par "
                           "Total needle\\par End\\par}";
    const struct {
        const char *name;
        QByteArray bytes;
        EditorPlace place;
        int block;
    } rows[] = {
        {"mail.eml",
         mail,
         {LineCell::piece(3),
          u"this line is wrapped by the encoder and the needle sits after the soft "
          u"break caf\u00e9"_qs},
         6},
        {"twice.doc", rtf, {LineCell::piece(3), u"Total needle"_qs}, 3},
    };
    for (const auto &row : rows) {
        TempDir dir;
        const QString path = dir.write(QString::fromLatin1(row.name), row.bytes);
        int block = -1;
        QString selected;
        onNextModal<QUARXEditorForm>([&](QUARXEditorForm *editor) {
            waitUntil([&] { return editor->rtfText->textCursor().hasSelection(); }, 2000);
            block = editor->rtfText->textCursor().blockNumber();
            selected = editor->rtfText->textCursor().selectedText();
            editor->close();
        });
        openInEditorWindow(
            path, nullptr, [] { return u"NEEDLE"_qs; }, row.place);
        EXPECT_EQ(block, row.block) << row.name;
        EXPECT_EQ(selected, u"needle"_qs) << row.name;
    }
}

TEST(EditorHistory, MemoryFollowsTheChangesNotTheDocument) {
    TempDir dir;
    const QByteArray line = "some words of a line that goes on for a while\n";
    const QString path =
        dir.write(QStringLiteral("big.txt"), line.repeated(10 * 1024 * 1024 / line.size()));
    QUARXEditorForm editor;
    QString error;
    ASSERT_TRUE(editor.openFile(path, error));
    editor.rtfText->setSelStart(5 * 1024 * 1024);
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 200; ++i)
        QTest::keyClick(editor.rtfText, i % 6 == 5 ? Qt::Key_Space : Qt::Key_A);
    const size_t after = mallinfo2().uordblks;
    EXPECT_LT(after - std::min(after, before), size_t(4 * 1024 * 1024));
    EXPECT_TRUE(editor.history().canUndo());
}

TEST(EditorFind, GoesBothWaysAndRoundTheEnds) {
    QTextDocument document(u"alpha one\nbeta alpha\ngamma"_qs);
    const SearchExpression alpha(u"ALPHA"_qs);
    const struct {
        int from;
        bool forward;
        int start; // -1: none
        bool wrapped;
    } cases[] = {
        {0, true, 0, false},  {1, true, 15, false},   {20, true, 0, true},    {15, false, 0, false},
        {0, false, 15, true}, {16, false, 15, false}, {26, false, 15, false}, {5, false, 0, false},
    };
    for (const auto &c : cases) {
        const std::optional<FindHit> hit = findHit(document, alpha, c.from, c.forward);
        ASSERT_TRUE(hit) << c.from;
        EXPECT_EQ(hit->start, c.start) << c.from << (c.forward ? " forward" : " back");
        EXPECT_EQ(hit->length, 5);
        EXPECT_EQ(hit->wrapped, c.wrapped) << c.from;
    }
    EXPECT_FALSE(findHit(document, SearchExpression(u"zeta"_qs), 3, true));
    // Each term of a compound text is found.
    EXPECT_EQ(findHit(document, SearchExpression(u"zeta|gamma"_qs), 3, true)->start, 21);
}

TEST(EditorFind, TheBarFindsWithTheKeysAndEscapeClosesOnlyIt) {
    OpenEditor open(QStringLiteral("a.txt"), "alpha one\nbeta alpha\ngamma\n",
                    QStringLiteral("alpha"));
    open.editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&open.editor));
    QTest::keyClick(&open.box(), Qt::Key_F, Qt::ControlModifier);
    FindBar *bar = open.editor.findBar;
    auto *field = bar->findChild<QLineEdit *>(u"FindText"_qs);
    auto *note = bar->findChild<QLabel *>(u"FindNote"_qs);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(field->text(), u"alpha"_qs) << "the search text to begin with";
    EXPECT_TRUE(field->hasFocus());
    EXPECT_LE(open.box().geometry().bottom(), bar->y()) << "the bar covers no text";
    const auto caret = [&] { return open.box().textCursor().selectionStart(); };
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(caret(), 0);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(caret(), 15);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(caret(), 0);
    EXPECT_EQ(note->text(), EditorTexts::FindWrapped);
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(caret(), 15);
    field->setText(u"gamma"_qs);
    QTest::keyClick(field, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(caret(), 21);
    field->setText(u"zeta"_qs);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(note->text(), EditorTexts::FindNotFound);
    EXPECT_EQ(caret(), 21);
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(open.editor.isVisible());
    EXPECT_TRUE(open.box().hasFocus());
    QTest::keyClick(&open.box(), Qt::Key_F3);
    EXPECT_TRUE(bar->isVisible()) << "F3 shows the bar it finds with";
    QString error;
    ASSERT_TRUE(open.editor.openFile(open.path, error));
    EXPECT_FALSE(bar->isVisible()) << "the next file opens without it";
}
