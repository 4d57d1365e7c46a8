#include "controls/richtext/richtextbox.h"
#include "controls/richtext/rtfdocument.h"
#include "support/tempdir.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

// Fontconfig, which Qt asks for fonts, keeps caches it never frees; they are
// not this program's leaks.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace {

class RichTextBoxTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "richtextbox_test";
        static char *argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }
    RichTextBox box;
    TempDir dir;
};

QTextCharFormat formatAt(const QTextDocument &document, int position) {
    QTextCursor cursor(const_cast<QTextDocument *>(&document));
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

TEST_F(RichTextBoxTest, DefaultFont) {
    EXPECT_EQ(box.document()->defaultFont().family(), u"Times New Roman");
    EXPECT_DOUBLE_EQ(box.document()->defaultFont().pointSizeF(), 9.75);
}

TEST_F(RichTextBoxTest, LoadsRtfAsRichTextAndOtherFilesAsPlainText) {
    const QString rtf = dir.write(QStringLiteral("a.doc"), R"({\rtf1\ansi {\b bold}\par next})");
    ASSERT_TRUE(box.setFileName(rtf));
    EXPECT_EQ(box.FileName(), rtf);
    EXPECT_EQ(box.Text(), u"bold\r\nnext");
    EXPECT_EQ(formatAt(*box.document(), 0).fontWeight(), QFont::Bold);

    const QString text = dir.write(QStringLiteral("b.txt"), "one\r\n{\\b two}\rthree");
    ASSERT_TRUE(box.LoadFile(text));
    EXPECT_EQ(box.Text(), u"one\r\n{\\b two}\r\nthree");

    EXPECT_FALSE(box.LoadFile(dir.file(QStringLiteral("missing"))));
    EXPECT_FALSE(box.errorString().isEmpty());
    ASSERT_TRUE(box.setFileName(QString()));
    EXPECT_EQ(box.Text(), u"");
    EXPECT_EQ(box.FileName(), u"");
}

TEST_F(RichTextBoxTest, SelectionAndColour) {
    box.setText(QStringLiteral("alpha beta\r\ngamma"));
    box.setSelStart(6);
    EXPECT_EQ(box.SelStart(), 6);
    EXPECT_EQ(box.SelLength(), 0);
    box.setSelLength(4);
    EXPECT_EQ(box.SelText(), u"beta");
    box.setSelColor(255);
    EXPECT_EQ(box.SelColor(), 255u);
    EXPECT_EQ(formatAt(*box.document(), 6).foreground().color(), QColor(Qt::red));
    EXPECT_NE(formatAt(*box.document(), 0).foreground().color(), QColor(Qt::red));
    box.setSelText(QStringLiteral("BETA"));
    EXPECT_EQ(box.Text(), u"alpha BETA\r\ngamma");
    box.setSelStart(1000);
    EXPECT_EQ(box.SelStart(), 16);
    box.setSelStart(-5);
    EXPECT_EQ(box.SelStart(), 0);
}

TEST_F(RichTextBoxTest, FindIgnoresCaseUnlessAskedAndOption8KeepsSelection) {
    box.setText(QStringLiteral("Red red RED\r\nred"));
    box.setSelStart(2);
    EXPECT_EQ(box.Find(QStringLiteral("red"), 0, RichTextBox::NoHighlight), 0);
    EXPECT_EQ(box.SelStart(), 2);
    EXPECT_EQ(box.Find(QStringLiteral("red"), 1, 8), 4);
    EXPECT_EQ(box.Find(QStringLiteral("RED"), 5, 8 | RichTextBox::MatchCase), 8);
    EXPECT_EQ(box.Find(QStringLiteral("red"), 9, 8), 12); // the paragraph break counts one
    EXPECT_EQ(box.Find(QStringLiteral("red"), 13, 8), -1);
    EXPECT_EQ(box.Find(QStringLiteral("missing"), 0, 8), -1);
    EXPECT_EQ(box.Find(QStringLiteral("red"), 4, 0), 4);
    EXPECT_EQ(box.SelText(), u"red");
}

TEST_F(RichTextBoxTest, ChangeAfterEveryChange) {
    QSignalSpy spy(&box, &RichTextBox::Change);
    box.setText(QStringLiteral("x"));
    const int afterSet = spy.count();
    EXPECT_GE(afterSet, 1);
    box.setSelStart(1);
    box.setSelText(QStringLiteral("y"));
    EXPECT_GT(spy.count(), afterSet);
    const int afterInsert = spy.count();
    box.setTextRTF(QStringLiteral(R"({\rtf1 z})"));
    EXPECT_GT(spy.count(), afterInsert);
}

TEST_F(RichTextBoxTest, RtfRoundTripKeepsTextAndFormatting) {
    box.setText(QStringLiteral("plain bold\r\nПривет {braces} \\ tab\there"));
    QTextCursor cursor(box.document());
    cursor.setPosition(6);
    cursor.setPosition(10, QTextCursor::KeepAnchor);
    QTextCharFormat strong;
    strong.setFontWeight(QFont::Bold);
    strong.setFontItalic(true);
    strong.setFontUnderline(true);
    strong.setFontStrikeOut(true);
    strong.setForeground(QColor(0, 0, 255));
    strong.setFontFamilies({QStringLiteral("DejaVu Sans")});
    strong.setFontPointSize(14);
    cursor.mergeCharFormat(strong);

    const QString rtf = box.TextRTF();
    RichTextBox copy;
    copy.setTextRTF(rtf);
    EXPECT_EQ(copy.Text(), box.Text());
    const QTextCharFormat back = formatAt(*copy.document(), 6);
    EXPECT_EQ(back.fontWeight(), QFont::Bold);
    EXPECT_TRUE(back.fontItalic());
    EXPECT_TRUE(back.fontUnderline());
    EXPECT_TRUE(back.fontStrikeOut());
    EXPECT_EQ(back.foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(back.fontFamilies().toStringList(), QStringList{QStringLiteral("DejaVu Sans")});
    EXPECT_DOUBLE_EQ(back.fontPointSize(), 14);
    const QTextCharFormat before = formatAt(*copy.document(), 0);
    EXPECT_EQ(before.fontWeight(), QFont::Normal);
    EXPECT_EQ(before.fontFamilies().toStringList(), QStringList{QStringLiteral("Times New Roman")});
    // The default 9.75 points is kept to the half point RTF can hold.
    EXPECT_DOUBLE_EQ(before.fontPointSize(), 10);

    const QString path = dir.file(QStringLiteral("saved.rtf"));
    ASSERT_TRUE(copy.SaveFile(path));
    RichTextBox reread;
    ASSERT_TRUE(reread.LoadFile(path));
    EXPECT_EQ(reread.Text(), box.Text());
    EXPECT_EQ(reread.TextRTF(), rtf);
}

TEST_F(RichTextBoxTest, SaveFailureIsReported) {
    box.setText(QStringLiteral("keep"));
    EXPECT_FALSE(box.SaveFile(dir.file(QStringLiteral("no/such/folder/x.rtf"))));
    EXPECT_FALSE(box.errorString().isEmpty());
    EXPECT_EQ(box.Text(), u"keep");
}

TEST_F(RichTextBoxTest, LibreOfficeReadsWhatTheBoxWrites) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    box.setText(QStringLiteral("Erste Zeile mit Umlaut äöü\r\nΕλληνικά και 日本語"));
    box.setSelStart(0);
    box.setSelLength(5);
    box.setSelColor(255);
    const QString path = dir.file(QStringLiteral("out.rtf"));
    ASSERT_TRUE(box.SaveFile(path));
    QProcess office;
    office.start(
        soffice,
        {QStringLiteral("-env:UserInstallation=file://") + dir.file(QStringLiteral("profile")),
         QStringLiteral("--headless"), QStringLiteral("--convert-to"),
         QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("--outdir"), dir.path(), path});
    ASSERT_TRUE(office.waitForFinished(180000));
    const QString text = QString::fromUtf8(readAll(dir.file(QStringLiteral("out.txt"))));
    EXPECT_TRUE(text.contains(u"Erste Zeile mit Umlaut äöü")) << text.toStdString();
    EXPECT_TRUE(text.contains(u"Ελληνικά και 日本語")) << text.toStdString();
}

} // namespace

namespace {

TEST_F(RichTextBoxTest, FormatRangeFillsPagesUntilTheEnd) {
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("Line %1 of the printed text").arg(i);
    box.setText(lines.join(QStringLiteral("\r\n")));
    const int length = box.GetTextLength();
    EXPECT_EQ(length, box.toPlainText().size());
    QImage page(400, 300, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    int pages = 0;
    for (int first = 0; first < length; ++pages) {
        const int next = box.FormatRange(&painter, QRectF(10, 10, 380, 280), first, length, true);
        ASSERT_GT(next, first);
        first = next;
    }
    EXPECT_GT(pages, 3);
    EXPECT_LT(pages, 200);
    painter.end();
    bool drawn = false;
    for (int y = 0; y < page.height() && !drawn; ++y)
        for (int x = 0; x < page.width() && !drawn; ++x)
            drawn = page.pixel(x, y) != QColor(Qt::white).rgb();
    EXPECT_TRUE(drawn);
    EXPECT_EQ(box.FormatRange(&painter, QRectF(0, 0, 10, 10), length, length, false), length);
}

} // namespace
