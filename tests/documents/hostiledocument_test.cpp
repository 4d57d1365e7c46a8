// Documents crafted to crash, hang or reach outside themselves: each is read
// as far as it is sound, or refused, and never leaves its own bytes.
#include "controls/richtext/richtextbuffer.h"
#include "documents/documenterrors.h"
#include "documents/documenttext.h"
#include "documents/mailtext.h"
#include "documents/pdftext.h"
#include "documents/zipcontainer.h"
#include "scan/documentpieces.h"
#include "support/tempdir.h"
#include "tests/support/zipbytes.h"

#include <QStringTokenizer>
#include <gtest/gtest.h>

namespace {

QStringList pieces(const QString &text) {
    QStringList out;
    for (const QStringView piece : QStringTokenizer(text, u'\r'))
        out << StripControlChars(piece).trimmed();
    return out;
}

QByteArray wordDocument(const QByteArray &body, std::vector<ZipEntryBytes> more = {}) {
    std::vector<ZipEntryBytes> entries = wordPackage(
        zipEntry("word/document.xml", "<w:document><w:body>" + body + "</w:body></w:document>"));
    for (ZipEntryBytes &entry : more)
        entries.push_back(std::move(entry));
    return zipFile(entries);
}

TEST(HostilePackage, RelationshipsThatClimbAboveThePackageNameNoPart) {
    const QByteArray climbing = "<Relationships>"
                                "<Relationship Id=\"rId1\" Type=\"x/header\" "
                                "Target=\"../../../../etc/passwd\"/>"
                                "<Relationship Id=\"rId2\" Type=\"x/footer\" "
                                "Target=\"/../../footer1.xml\"/>"
                                "<Relationship Id=\"rId3\" Type=\"x/footer\" "
                                "Target=\"../word/footer2.xml\"/>"
                                "</Relationships>";
    const QByteArray bytes = wordDocument(
        "<w:p><w:r><w:t>Body</w:t></w:r></w:p>",
        {zipEntry("word/_rels/document.xml.rels", climbing),
         zipEntry("footer1.xml", "<w:ftr><w:p><w:r><w:t>Escaped</w:t></w:r></w:p></w:ftr>"),
         zipEntry("word/footer2.xml", "<w:ftr><w:p><w:r><w:t>Inside</w:t></w:r></w:p></w:ftr>")});
    Extraction extraction(bytes);
    EXPECT_EQ(extractDocument(extraction), Outcome::Text);
    const QStringList text = pieces(extraction.text);
    EXPECT_TRUE(text.contains(u"Body"));
    EXPECT_TRUE(text.contains(u"Inside")); // "../" that stays inside the package is followed
    EXPECT_FALSE(text.contains(u"Escaped"));
}

// Two names whose directory records point at one local entry: the zip that
// inflates one block under thousands of names.
TEST(HostilePackage, EntriesThatShareTheirBytesAreRefused) {
    const QByteArray sound = wordDocument("<w:p><w:r><w:t>Body</w:t></w:r></w:p>");
    const qsizetype directory = sound.indexOf("PK\x01\x02");
    const qsizetype end = sound.indexOf("PK\x05\x06");
    const qsizetype last = sound.lastIndexOf("PK\x01\x02", end);
    QByteArray twin = sound.sliced(last, end - last);
    twin.replace("word/document.xml", "word/documenX.xml");
    QByteArray overlapping = sound.first(end) + twin + sound.sliced(end);
    const qsizetype eocd = overlapping.indexOf("PK\x05\x06");
    const quint16 count = quint16(sound.count("PK\x01\x02") + 1);
    const quint32 size = quint32(eocd - directory);
    overlapping.replace(eocd + 8, 2, le16(count));
    overlapping.replace(eocd + 10, 2, le16(count));
    overlapping.replace(eocd + 12, 4, le32(size));

    ZipContainer zip;
    ASSERT_TRUE(zip.open(sound));
    EXPECT_FALSE(zip.damaged());
    // Refused as it stands; the entries are read once each, as laid out.
    ZipContainer refused;
    ASSERT_TRUE(refused.open(overlapping));
    EXPECT_TRUE(refused.damaged());
    EXPECT_EQ(refused.names(), zip.names());
}

// Nested parts, each with its own boundary: read up to a bound, for the mail
// parser's work grows with the square of their depth.
TEST(HostileMail, DeeplyNestedPartsAreReadUpToABound) {
    const auto nested = [](int depth) {
        QByteArray mail = "From: a@example.org\nSubject: nested\nMIME-Version: 1.0\n";
        for (int i = 0; i < depth; ++i)
            mail += "Content-Type: multipart/mixed; boundary=\"b" + QByteArray::number(i) +
                    "\"\n\n--b" + QByteArray::number(i) + '\n';
        mail += "Content-Type: text/plain\n\ndeepest\n";
        for (int i = depth - 1; i >= 0; --i)
            mail += "--b" + QByteArray::number(i) + "--\n";
        return mail;
    };
    const QByteArray few = nested(50);
    const QByteArray many = nested(20000);
    Extraction shallow(few);
    EXPECT_EQ(extractMail(shallow), Outcome::Text);
    EXPECT_TRUE(shallow.text.contains(u"deepest"));
    Extraction deep(many);
    EXPECT_EQ(extractMail(deep), Outcome::BoundReached);
    EXPECT_TRUE(deep.text.contains(u"nested")); // the header fields before the bound
    EXPECT_FALSE(deep.text.contains(u"deepest"));
}

// A document cut off (a broken download) or with a broken directory gives
// the parts that are whole, or the damaged message; never its bytes as text.
TEST(DamagedDocument, GivesItsWholePartsOrTheDamagedMessage) {
    const QByteArray sound = wordDocument("<w:p><w:r><w:t>Body words</w:t></w:r></w:p>");
    const qsizetype directory = sound.indexOf("PK\x01\x02");
    const QByteArray noDirectory = sound.first(directory + 10);
    const QByteArray withinFirstPart = sound.first(40);
    QByteArray brokenDirectory = sound;
    brokenDirectory[directory + 1] = 'X';
    const struct {
        const char *name;
        QByteArray bytes;
        QString text, error;
    } cases[] = {
        {"cut in its directory", noDirectory, u"Body words\r\n"_qs, {}},
        {"broken directory", brokenDirectory, u"Body words\r\n"_qs, {}},
        {"cut in its first part", withinFirstPart, {}, documenterrors::damaged()},
        {"sound", sound, u"Body words\r\n"_qs, {}},
    };
    TempDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RichTextBuffer box;
        EXPECT_EQ(box.setFileName(dir.write(QStringLiteral("report.docx"), c.bytes)),
                  c.error.isEmpty());
        EXPECT_EQ(box.Text(), c.text);
        EXPECT_EQ(box.errorString(), c.error);
    }
}

TEST(HostilePdf, AFontThatNamesAFileOutsideTheDataFoldersIsRefused) {
    for (const char *name : {"..#2F..#2F..#2F..#2F..#2F..#2F..#2Fdev#2Fzero",
                             "#2E#2E#2F#2E#2E#2F#2E#2E#2Ftmp#2Ffifo"}) {
        SCOPED_TRACE(name);
        const QByteArray pdf = "%PDF-1.4\n"
                               "1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
                               "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
                               "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 200 200]"
                               "/Resources<</Font<</F1 4 0 R>>>>/Contents 5 0 R>>endobj\n"
                               "4 0 obj<</Type/Font/Subtype/Type0/BaseFont/X/Encoding /" +
                               QByteArray(name) +
                               "/DescendantFonts[6 0 R]>>endobj\n"
                               "5 0 obj<</Length 30>>stream\nBT /F1 12 Tf 10 10 Td (ab) Tj ET\n"
                               "endstream endobj\n"
                               "6 0 obj<</Type/Font/Subtype/CIDFontType0/BaseFont/X"
                               "/CIDSystemInfo<</Registry(Adobe)/Ordering(Japan1)"
                               "/Supplement 0>>>>endobj\n"
                               "trailer<</Root 1 0 R>>\n%%EOF\n";
        Extraction extraction(pdf);
        EXPECT_EQ(extractPdf(extraction), Outcome::Damaged);
        EXPECT_TRUE(extraction.text.isEmpty());
    }
}

// "TO<tab>FROM" is two words in every reader, never "TOFROM".
TEST(DocumentText, ATabBetweenWordsPartsThem) {
    const QByteArray odt = zipFile(
        {storedZipEntry("mimetype", "application/vnd.oasis.opendocument.text"),
         zipEntry("content.xml", "<office:document-content><office:body><office:text>"
                                 "<text:p>TO<text:tab/>FROM</text:p>"
                                 "</office:text></office:body></office:document-content>")});
    const struct {
        const char *format;
        QByteArray bytes;
    } cases[] = {
        {"docx", wordDocument("<w:p><w:r><w:t>TO</w:t><w:tab/><w:t>FROM</w:t></w:r></w:p>")},
        {"odt", odt},
        {"rtf", "{\\rtf1\\ansi TO\\tab FROM\\par}"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.format);
        Extraction extraction(c.bytes);
        extractDocument(extraction, QStringLiteral("x.doc"));
        EXPECT_TRUE(pieces(extraction.text).contains(u"TO FROM")) << extraction.text.toStdString();
    }
}

} // namespace
