#include "documents/documenttext.h"
#include "documents/rtfreader.h"
#include "tests/support/recordbytes.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QString plain(const char *rtf) {
    return rtfPlainText(QByteArray(rtf));
}

/// Records text runs with their formatting, for checks of the reader's state.
class RunSink : public RtfSink {
  public:
    void text(QStringView text, const RtfCharFormat &format) override {
        runs.push_back({text.toString(), format});
    }
    void paragraph(const RtfCharFormat &) override {}
    void lineBreak(const RtfCharFormat &) override {}
    void tab(const RtfCharFormat &) override {}
    void cellEnd(const RtfCharFormat &) override {}
    std::vector<std::pair<QString, RtfCharFormat>> runs;
};

TEST(RtfReader, ParagraphsLinesTabsAndCells) {
    EXPECT_EQ(plain(R"({\rtf1\ansi first\par second\line third\tab x\cell y\cell\row})"),
              u"first\r\nsecond\r\nthird\tx y \r\n");
}

TEST(RtfReader, EscapesAndCodePages) {
    EXPECT_EQ(plain(R"({\rtf1\ansi \{a\}\\ caf\'e9 \'80})"), u"{a}\\ café €");
    EXPECT_EQ(plain(R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8})"), u"При");
    // The font's character set decides over the document's code page.
    EXPECT_EQ(plain(R"({\rtf1\ansi{\fonttbl{\f1\fcharset161 Greek;}}\f1 \'e1\'e2})"), u"αβ");
    // Two bytes of a double-byte code page make one character.
    EXPECT_EQ(plain(R"({\rtf1\ansi\ansicpg932 \'82\'a0})"), u"あ");
}

TEST(RtfReader, UnicodeSkipsItsFallback) {
    EXPECT_EQ(plain(R"({\rtf1\ansi\uc1 \u1055?\u-3913?x})"), u"П\uF0B7x");
    EXPECT_EQ(plain(R"({\rtf1\ansi\uc2 \u1055\'3f\'3fx})"), u"Пx");
    EXPECT_EQ(plain(R"({\rtf1\ansi{\uc0 \u1055}x})"), u"Пx");
    // A surrogate pair written as two \u words.
    EXPECT_EQ(plain(R"({\rtf1\ansi \u-10179?\u-8704?})"), QString::fromUtf8("\xF0\x9F\x98\x80"));
}

TEST(RtfReader, MachineryIsNotText) {
    const char *rtf = R"({\rtf1\ansi{\fonttbl{\f0\froman Times New Roman;}})"
                      R"({\colortbl;\red255\green0\blue0;}{\stylesheet{\s1 Heading 1;}})"
                      R"({\info{\title Secret}{\author Someone}}{\*\generator Writer;})"
                      R"({\pict\pngblip 89504e47}{\*\unknowndest hidden}{\v hidden }shown)"
                      R"({\field{\*\fldinst PAGE}{\fldrslt 7}}})";
    EXPECT_EQ(plain(rtf), u"shown7");
}

// Destinations marked ignorable are skipped unless they hold text the
// document shows: the Unicode copy of a \upr group (not its 8-bit one),
// list numbers; field codes never.
TEST(RtfReader, IgnorableDestinationsGiveOnlyTheTextShown) {
    const struct {
        const char *rtf;
        const char16_t *text;
    } cases[] = {
        {R"({\rtf1\ansi {\upr{Gr\'fc\'dfe ?}{\*\ud{Gr\u252?\u223?e \u1055?}}}x})", u"Grüße Пx"},
        {R"({\rtf1{\*\listtext 3.2\tab}Scope\par})", u"3.2\tScope\r\n"},
        {R"({\rtf1{\*\pntext IV.}Four})", u"IV.Four"},
        {R"({\rtf1{\field{\*\fldinst {HYPERLINK "x"}}{\*\fldrslt link}}{\*\unknown y}.})",
         u"link."},
        {R"({\rtf1{\info{\upr{\title T}{\*\ud{\title T}}}}body})", u"body"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(plain(c.rtf), QString::fromUtf16(c.text)) << c.rtf;
}

QByteArray fixture(const char *name) {
    QFile file(QStringLiteral(DOCUMENTS_DATA) + QLatin1StringView(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

/// An \object group of an embedded object of that class and native data.
QByteArray objectGroup(const QByteArray &className, const QByteArray &native) {
    QByteArray header = le32(0x0501) + le32(2);
    for (const QByteArray &name : {className, QByteArray(), QByteArray()})
        header += le32(quint32(name.size() + 1)) + name + '\0';
    header += le32(quint32(native.size())) + native;
    QByteArray hex = header.toHex();
    for (qsizetype at = 128; at < hex.size(); at += 129)
        hex.insert(at, '\n'); // as writers wrap it
    return "{\\object\\objemb{\\*\\objclass " + className + "}{\\*\\objdata " + hex +
           "}{\\result shown picture}}";
}

// The objects an RTF document embeds are carried files of their own, named
// by their place among the document's objects.
TEST(RtfReader, EmbeddedObjectsAreCarriedFiles) {
    QByteArray packager = le16(2) + "notes.txt" + '\0' + "C:\\notes.txt" + '\0' + le16(0) + le16(3);
    packager += le32(4) + "C:\\" + '\0' + le32(18) + "PackagerFileWord\r\n";
    const QByteArray rtf = "{\\rtf1 before " + objectGroup("Excel.Sheet.8", fixture("sample.xls")) +
                           objectGroup("Paint.Picture", "not read") +
                           objectGroup("Package", packager) + " after}";
    Extraction extraction(rtf);
    ASSERT_EQ(extractDocument(extraction), Outcome::Text);
    EXPECT_EQ(extraction.text, u"before shown pictureshown pictureshown picture after"_qs);
    ASSERT_EQ(extraction.embedded.size(), 2u);
    EXPECT_EQ(extraction.embedded[0].name, u"Object 1/Workbook.xls"_qs);
    Extraction sheet(extraction.embedded[0].bytes);
    ASSERT_EQ(extractDocument(sheet), Outcome::Text);
    EXPECT_TRUE(sheet.text.contains(u"SheetOneWord"));
    EXPECT_EQ(extraction.embedded[1].name, u"Object 3/notes.txt"_qs);
    EXPECT_EQ(extraction.embedded[1].bytes, "PackagerFileWord\r\n");
}

TEST(RtfReader, HeadersFootnotesCommentsAndTextBoxesAreSeparatePieces) {
    EXPECT_EQ(plain(R"({\rtf1{\header head words}body{\footnote note words}})"),
              u"head words\r\nbody\r\nnote words");
    // A comment without its author's initials or name; a shape's text box
    // without its properties.
    EXPECT_EQ(plain(R"({\rtf1 body{\*\atnid AB}{\*\atnauthor Ann}\chatn)"
                    R"({\*\annotation{\*\atnref 1}remark words}})"),
              u"body\r\nremark words");
    EXPECT_EQ(plain(R"({\rtf1 body{\shp{\*\shpinst\shpleft0{\sp{\sn fillColor}{\sv 255}})"
                    R"({\shptxt box words}}}})"),
              u"body\r\nbox words");
}

TEST(RtfReader, FormattingFollowsGroups) {
    RunSink sink;
    RtfTables tables;
    readRtf(
        QByteArray(R"({\rtf1{\fonttbl{\f0 Arial;}{\f1 Courier;}}{\colortbl;\red0\green128\blue0;})"
                   R"(\f0\fs20 a{\b\i\ul\strike\cf1\f1\fs40 b}c\b d\b0 e\plain f})"),
        sink, &tables);
    ASSERT_EQ(sink.runs.size(), 6u);
    EXPECT_EQ(sink.runs[0].first, u"a");
    EXPECT_EQ(sink.runs[0].second.halfPoints, 20);
    const RtfCharFormat b = sink.runs[1].second;
    EXPECT_TRUE(b.bold && b.italic && b.underline && b.strike);
    EXPECT_EQ(b.font, 1);
    EXPECT_EQ(b.halfPoints, 40);
    EXPECT_EQ(tables.font(b.font)->name, u"Courier");
    EXPECT_EQ(tables.color(b.color).green, 128);
    EXPECT_FALSE(sink.runs[2].second.bold); // the group ended
    EXPECT_TRUE(sink.runs[3].second.bold);
    EXPECT_FALSE(sink.runs[4].second.bold);
    EXPECT_EQ(sink.runs[5].second.halfPoints, 24); // \plain resets
}

TEST(RtfReader, MalformedInputGivesTextSoFar) {
    EXPECT_EQ(plain(R"({\rtf1 some text {\b unclosed)"), u"some text unclosed");
    EXPECT_EQ(plain(R"({\rtf1 a}}}} b)"), u"a b");
    EXPECT_EQ(plain(R"({\rtf1 x\'4)"), u"x");
    EXPECT_EQ(plain(R"({\rtf1 x\bin999999999 y})"), u"x");
    EXPECT_EQ(plain(R"({\rtf1 x\fs99999999999999999999 y\u99999999999999 z})"), u"xy\uFFFD");
    // Deep nesting is bounded: no stack exhaustion, the text still comes out.
    QByteArray deep = "{\\rtf1 ";
    deep += QByteArray(200000, '{') + "deep" + QByteArray(200000, '}') + " end}";
    const QString text = rtfPlainText(deep);
    EXPECT_TRUE(text.endsWith(u"end")) << text.toStdString();
}

TEST(RtfReader, RecognisesRtfByItsStart) {
    EXPECT_TRUE(isRtf("{\\rtf1\\ansi"));
    EXPECT_FALSE(isRtf(" {\\rtf1"));
    EXPECT_FALSE(isRtf("{\\rt"));
}

} // namespace
