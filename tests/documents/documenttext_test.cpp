// The text of office and mail fixtures made by real software, found through
// the rich-text reader as a user's scan finds it.
#include "documents/compoundfile.h"
#include "documents/documenterrors.h"
#include "documents/documenttext.h"
#include "documents/mailtext.h"
#include "documents/packagetext.h"
#include "scan/documentpieces.h"
#include "scan/scanrun.h"
#include "support/recordingsinks.h"
#include "support/tempdir.h"
#include "tests/support/messagebytes.h"
#include "tests/support/zipbytes.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringTokenizer>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QString dataDir() {
    return QStringLiteral(DOCUMENTS_DATA);
}

struct Expectation {
    QStringList files, pieces, contained, absent;
};

std::vector<Expectation> expectations() {
    QFile file(dataDir() + QStringLiteral("expected.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<Expectation> all;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'[')) {
            all.push_back({line.mid(1, line.size() - 2).split(u' '), {}, {}, {}});
        } else if (line.size() > 3 && line[1] == u'|' && line.endsWith(u'|') && !all.empty()) {
            const QString text = line.mid(2, line.size() - 3);
            (line[0] == u'+'   ? all.back().pieces
             : line[0] == u'~' ? all.back().contained
                               : all.back().absent)
                .append(text);
        }
    }
    return all;
}

std::vector<MatchRecord> scan(const QString &path, const QString &search) {
    return scanDocument(path, search);
}

QStringList pieces(const QString &text) {
    QStringList out;
    for (const QStringView piece : QStringTokenizer(text, u'\r'))
        out << StripControlChars(piece);
    return out;
}

TEST(DocumentText, FixturesYieldTheirWordsAndNotTheirMachinery) {
    const auto all = expectations();
    ASSERT_EQ(all.size(), 5u);
    for (const Expectation &e : all) {
        for (const QString &name : e.files) {
            SCOPED_TRACE(name.toStdString());
            const QString path = dataDir() + name;
            const QStringList expectedPieces = pieces(documentText(readAll(path)));
            for (const QString &piece : e.pieces) {
                const qsizetype index = expectedPieces.indexOf(piece);
                EXPECT_GE(index, 0) << piece.toStdString();
                const MatchRecord row{path, LineCell::piece(index), piece};
                const auto rows = scan(path, piece);
                EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end())
                    << piece.toStdString();
            }
            for (const QString &text : e.contained) {
                const auto rows = scan(path, text);
                EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const MatchRecord &r) {
                    return r.text.contains(text);
                })) << text.toStdString();
            }
            for (const QString &text : e.absent)
                EXPECT_TRUE(scan(path, text).empty()) << text.toStdString();
        }
    }
}

TEST(DocumentText, TruncatedAndCorruptedFixturesGiveTextWithoutCrashing) {
    for (const Expectation &e : expectations()) {
        for (const QString &name : e.files) {
            SCOPED_TRACE(name.toStdString());
            const QByteArray bytes = readAll(dataDir() + name);
            const QString whole = documentText(bytes);
            for (const qsizetype cut : {bytes.size() / 2, bytes.size() / 3, qsizetype(700)}) {
                const QString text = documentText(bytes.first(cut));
                // RTF gives the text read so far, which may be none at all.
                if (name.endsWith(u".rtf"))
                    EXPECT_TRUE(whole.startsWith(text)) << cut;
                else
                    EXPECT_FALSE(text.isEmpty()) << cut;
            }
            // Overwrite spread blocks, the header and directory among them.
            for (const char fill : {'\xFF', '\x00', '\x41'}) {
                QByteArray damaged = bytes;
                for (qsizetype at = 40; at < damaged.size(); at += damaged.size() / 7 + 1)
                    damaged.replace(at, qMin<qsizetype>(48, damaged.size() - at),
                                    QByteArray(48, fill));
                EXPECT_FALSE(documentText(damaged).isEmpty());
            }
        }
    }
}

// Every format through the registry: which claims the bytes (content before
// name), what its reading ends with, and a word of its text.
TEST(DocumentFormats, ContentFirstNameSecondAndOneOutcomeEach) {
    const QString modern = dataDir() + QStringLiteral("../modern/");
    const QByteArray doc = readAll(dataDir() + QStringLiteral("sample.doc"));
    const QByteArray html = "<p>HtmlWord &amp; more</p>";
    const QByteArray plainZip = zipFile({zipEntry("notes.txt", "PlainZipProbe")});
    const struct {
        QByteArray bytes;
        QString fileName;
        const char *format; ///< null: none claims it
        Outcome outcome;
        const char *word; ///< in the text; null for no text
    } cases[] = {
        {readAll(modern + QStringLiteral("writer.pdf")), {}, "PDF", Outcome::Text, "LastProbe"},
        {readAll(modern + QStringLiteral("writer.docx")),
         {},
         "Office Open XML",
         Outcome::Text,
         "LastProbe"},
        {readAll(modern + QStringLiteral("writer.odt")),
         {},
         "OpenDocument",
         Outcome::Text,
         "LastProbe"},
        {readAll(modern + QStringLiteral("encrypted.odt")),
         {},
         "OpenDocument",
         Outcome::Encrypted,
         nullptr},
        {"{\\rtf1 RtfWord\\par}", QStringLiteral("a.html"), "RTF", Outcome::Text, "RtfWord"},
        {doc, QStringLiteral("page.htm"), "Compound file", Outcome::Text, "BodyWord"},
        {doc.first(1024), {}, "Compound file", Outcome::Damaged, nullptr},
        {messagebytes::message({}, {messagebytes::unicode(0x0037, QStringLiteral("MsgWord"))}),
         QStringLiteral("mail.txt"), "Outlook message", Outcome::Text, "MsgWord"},
        {QByteArray("\x09\0\4\0\0\2\x10\0" // an Excel 2 worksheet with one label
                    "\4\0\x0F\0\0\0\0\0\0\0\0\7OldWord\x0A\0\0\0",
                    31),
         QStringLiteral("sheet.xls"), "Excel 2-4", Outcome::Text, "OldWord"},
        {"From: a@b\r\nSubject: MailWord\r\n\r\nbody", {}, "Mail", Outcome::Text, "MailWord"},
        {html, QStringLiteral("page.HTML"), "HTML", Outcome::Text, "HtmlWord & more"},
        {html, QStringLiteral("page.doc"), nullptr, Outcome::Text, "<p>HtmlWord"},
        {plainZip, {}, nullptr, Outcome::Text, "PK"},
        {"%PDF-1.4 nothing more", {}, "PDF", Outcome::Damaged, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes.left(40).toStdString() + " " + c.fileName.toStdString());
        Extraction extraction(c.bytes);
        const DocumentFormat *format = formatOf(extraction, c.fileName);
        EXPECT_STREQ(format ? format->name : nullptr, c.format);
        EXPECT_EQ(extractDocument(extraction, c.fileName), c.outcome);
        if (c.word)
            EXPECT_TRUE(extraction.text.contains(QString::fromUtf8(c.word)))
                << extraction.text.left(200).toStdString();
        else
            EXPECT_TRUE(extraction.text.isEmpty() || c.outcome == Outcome::Damaged);
        // Only packages, PDF and messages are documents whatever the file's
        // name; any zip or compound file may be one.
        const bool whateverName = format && format->whateverName;
        EXPECT_EQ(mayBeDocument(c.bytes),
                  whateverName || c.bytes == plainZip || CompoundFile::isCompoundFile(c.bytes));
        Extraction namedAsText(c.bytes);
        EXPECT_EQ(extractDocumentNamedAsText(namedAsText) != Outcome::NotThisFormat, whateverName);
    }
}

TEST(DocumentText, OtherContentComesInByteForByte) {
    const QByteArray dif = "TABLE\r\n0,1\r\n\"EXCEL\"\r\nVECTORS\r\n";
    EXPECT_EQ(documentText(dif), QString::fromLatin1(dif));
    const QByteArray bytes("a\0b\xE9\r\nc", 7);
    EXPECT_EQ(documentText(bytes), QString::fromLatin1(bytes));
}

TEST(ExcelText, NumbersAreShownAsLibreOfficeShowsThem) {
    // formats.csv is LibreOffice's own text of formats.xls.
    QFile csv(dataDir() + QStringLiteral("formats.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QStringList shown =
        pieces(documentText(readAll(dataDir() + QStringLiteral("formats.xls"))));
    int rows = 0;
    for (const QString &line : QString::fromUtf8(csv.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        // Cells joined by a space, as a row's piece has them; quotes and
        // padding of the CSV dropped.
        QStringList cells;
        for (const QString &field :
             line.split(QRegularExpression(QStringLiteral(",(?=(?:[^\"]*\"[^\"]*\")*[^\"]*$)"))))
            cells << QString(field).remove(u'"').trimmed();
        const QString row = cells.join(u' ');
        EXPECT_TRUE(shown.contains(row)) << row.toStdString();
        ++rows;
    }
    EXPECT_EQ(rows, 11);
}

TEST(ExcelText, CommentsAndShapesArePiecesOfTheirSheet) {
    const QStringList shown =
        pieces(documentText(readAll(dataDir() + QStringLiteral("formats.xls"))));
    const qsizetype second = shown.indexOf(u"Zweites Blatt");
    ASSERT_GT(second, 0);
    for (const QString &piece : {QStringLiteral("CommentWord Ελληνικά Привет 日本語"),
                                 QStringLiteral("ShapeWord Привет Ελληνικά")}) {
        const qsizetype at = shown.indexOf(piece);
        EXPECT_TRUE(at > 0 && at < second) << piece.toStdString();
    }
    EXPECT_GT(shown.indexOf(u"SecondNote"), second);
    EXPECT_FALSE(shown.contains(u"Tester")); // the comment's author is not its text
}

TEST(DocumentText, APicturesOnlyPresentationGivesNoStructure) {
    const QString text = documentText(readAll(dataDir() + QStringLiteral("pictures.ppt")));
    for (const QString &machinery :
         {QStringLiteral("Root Entry"), QStringLiteral("PowerPoint Document"),
          QStringLiteral("Current User"), QStringLiteral("Pictures"), QStringLiteral("Arial"),
          QStringLiteral("Times New Roman"), QStringLiteral("Click to edit"),
          QStringLiteral("Outline Level"), QStringLiteral("SummaryInformation"),
          QStringLiteral("___PPT10")})
        EXPECT_FALSE(text.contains(machinery)) << machinery.toStdString();
}

/// A copy of a fixture marked as its program marks a document saved with a
/// password; the text inside stays as it was, so only the mark can keep it out.
QByteArray markedEncrypted(const QString &name) {
    QByteArray bytes = readAll(dataDir() + name);
    CompoundFile file;
    EXPECT_TRUE(file.open(bytes));
    const auto offsetOf = [&](QStringView stream) {
        const QByteArray content = file.stream(file.find(0, stream));
        const qsizetype at = bytes.indexOf(content.first(qMin<qsizetype>(64, content.size())));
        EXPECT_GE(at, 0);
        return at;
    };
    if (name.endsWith(u".doc")) {
        bytes[offsetOf(u"WordDocument") + 0x0B] =
            char(bytes[offsetOf(u"WordDocument") + 0x0B] | 0x01);
    } else if (name.endsWith(u".xls")) {
        // FILEPASS takes the place of the record after BOF: a CODEPAGE-sized one.
        const qsizetype at = offsetOf(u"Workbook");
        const qsizetype second = at + 4 + qFromLittleEndian<quint16>(bytes.constData() + at + 2);
        qToLittleEndian<quint16>(0x002F, bytes.data() + second);
    } else {
        const qsizetype at = bytes.indexOf(QByteArray::fromHex("5FC091E3"));
        EXPECT_GE(at, 0);
        bytes.replace(at, 4, QByteArray::fromHex("DFC4D1F3"));
    }
    return bytes;
}

TEST(DocumentText, EncryptedDocumentsAreNamedInTheStatusLineAndGiveNoRows) {
    TempDir dir;
    for (const QString &name : {QStringLiteral("sample.doc"), QStringLiteral("sample.xls"),
                                QStringLiteral("sample.ppt")}) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray bytes = markedEncrypted(name);
        Extraction extraction(bytes);
        EXPECT_EQ(extractDocument(extraction), Outcome::Encrypted);
        EXPECT_TRUE(extraction.text.isEmpty());

        const QString path = dir.write(name, bytes);
        RecordingSinks sinks;
        ScanRun run(sinks, sinks, sinks);
        run.editSearchText(QStringLiteral("a"));
        run.ContinueScan = true;
        run.ScanRichTextFile(path);
        EXPECT_TRUE(sinks.rows.empty());
        EXPECT_EQ(sinks.errors,
                  QStringList{QStringLiteral("Error: The document is encrypted (") + path + u')'});
    }
    const QByteArray sound = readAll(dataDir() + QStringLiteral("sample.doc"));
    Extraction extraction(sound);
    EXPECT_EQ(extractDocument(extraction), Outcome::Text);
}

} // namespace
