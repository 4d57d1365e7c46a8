// Word, Excel and PowerPoint 2007+ files, OpenDocument files and PDF made by
// LibreOffice, and hand-made edge cases: what a scan finds in them, in what
// order, and what it must never show.
#include "documents/documenttext.h"
#include "documents/ooxmltext.h"
#include "documents/zipcontainer.h"
#include "scan/documentpieces.h"
#include "scan/scanrun.h"
#include "support/recordingsinks.h"
#include "tests/support/zipbytes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringTokenizer>
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace {

QString dataPath(const QString &name) {
    return QStringLiteral(MODERN_DATA) + name;
}

QStringList list(std::initializer_list<const char *> texts) {
    QStringList out;
    for (const char *text : texts)
        out << QString::fromUtf8(text);
    return out;
}

QStringList pieces(const QString &text) {
    QStringList out;
    for (const QStringView piece : QStringTokenizer(text, u'\r'))
        out << StripControlChars(piece);
    return out;
}

QStringList documentPieces(const QString &name) {
    const QByteArray bytes = readAll(dataPath(name));
    Extraction extraction(bytes);
    EXPECT_EQ(extractDocumentNamedAsText(extraction), Outcome::Text) << name.toStdString();
    return pieces(extraction.text);
}

/// Each expected piece is present, and they come in the order given.
void expectInOrder(const QString &name, std::initializer_list<const char *> inOrder) {
    SCOPED_TRACE(name.toStdString());
    const QStringList expected = list(inOrder);
    const QStringList all = documentPieces(name);
    qsizetype last = -1;
    for (const QString &piece : expected) {
        const qsizetype at = all.indexOf(piece);
        EXPECT_GT(at, last) << piece.toStdString() << " in\n" << all.join(u'\n').toStdString();
        last = qMax(last, at);
    }
}

// Markup, attribute values, style, sheet-less table and frame names, authors
// and zip entry names that a reader must keep out of the rows.
const QStringList Machinery = {
    QStringLiteral("<"),           QStringLiteral("xmlns"),        QStringLiteral("schemas"),
    QStringLiteral(".xml"),        QStringLiteral("rels"),         QStringLiteral("Content_Types"),
    QStringLiteral("mimetype"),    QStringLiteral("AuthorHidden"), QStringLiteral("TableHidden"),
    QStringLiteral("FrameHidden"), QStringLiteral("PageHidden"),   QStringLiteral("Standard"),
    QStringLiteral("Liberation"),  QStringLiteral("Arial"),        QStringLiteral("General"),
    QStringLiteral("rId"),         QStringLiteral("Normal"),       QStringLiteral("docProps")};

const QStringList WordFiles =
    list({"writer.docx", "writer.dotx", "writer.docm", "writer.odt", "writer.ott"});
const QStringList ExcelFiles = list({"calc.xlsx", "calc.xltx", "calc.ods", "calc.ots"});
const QStringList SlideFiles =
    list({"impress.pptx", "impress.potx", "impress.ppsx", "impress.odp", "impress.otp"});

TEST(WordProcessorText, BodyTablesTextBoxesThenHeadersFootersNotesAndComments) {
    for (const QString &name : WordFiles) {
        expectInOrder(name,
                      {"HeadingProbe title", "BodyProbe first paragraph",
                       "Müller café señor Straße Привет Ελληνικά 日本語", "Before note after note",
                       "Before endnote after endnote", "Commented paragraph",
                       "CellOne CellTwo CellThree", "CellFour CellFive CellSix", "Anchor paragraph",
                       "TextBoxProbe inside", "Tab between and   spaces",
                       "Last paragraph LastProbe", "HeaderProbe alpha", "FooterProbe beta"});
        const QStringList all = documentPieces(name);
        for (const char *aside :
             {"FootnoteProbe below", "EndnoteProbe at the end", "CommentProbe remark"})
            EXPECT_TRUE(all.contains(QString::fromUtf8(aside))) << name.toStdString() << aside;
    }
}

TEST(SpreadsheetText, SheetsRowsFormattedNumbersAndCellNotes) {
    for (const QString &name : ExcelFiles) {
        const QStringList all = documentPieces(name);
        SCOPED_TRACE(name.toStdString());
        for (const char *piece :
             {"FirstSheetProbe", "SecondSheetProbe", "StringProbe Ελληνικά 42.5",
              "15% $1,250.00 12/31/2024 1,234,567.89", "Commented cell FormulaProbe",
              "CellNoteProbe remark", "SheetTwoProbe Привет"})
            EXPECT_TRUE(all.contains(QString::fromUtf8(piece))) << piece << " in\n"
                                                                << all.join(u'\n').toStdString();
        EXPECT_LT(all.indexOf(QStringLiteral("StringProbe Ελληνικά 42.5")),
                  all.indexOf(QStringLiteral("SheetTwoProbe Привет")));
    }
}

// Each kind of cell shows its own text and nothing else: a formula's text and
// an error as written (once with stray bytes after them), booleans, inline
// and rich shared strings, numbers by their style, and values no number
// format can read. A number that shows nothing leaves no gap in its row.
TEST(SpreadsheetText, EachKindOfCellShowsItsOwnText) {
    const QByteArray strings = "<sst><si><t>first</t></si><si><r><t>rich </t></r><r><t>two</t></r>"
                               "<rPh><t>reading</t></rPh></si></sst>";
    const QByteArray styles = "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\";;;\"/>"
                              "</numFmts><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"4\"/>"
                              "<xf numFmtId=\"10\"/><xf numFmtId=\"164\"/><xf numFmtId=\"14\"/>"
                              "</cellXfs></styleSheet>";
    const QByteArray sheet =
        "<worksheet><sheetData>"
        "<row r=\"1\"><c t=\"str\"><f>A2&amp;B2</f><v>a &amp; b</v></c><c "
        "t=\"e\"><v>#DIV/0!</v></c>"
        "<c t=\"b\"><v>1</v></c><c t=\"b\"><v>0</v></c>"
        "<c t=\"inlineStr\"><is><t>inline &lt;x&gt;</t></is></c></row>"
        "<row r=\"2\"><c t=\"s\"><v>1</v></c><c t=\"s\"><v>7</v></c><c t=\"s\"><v>0</v></c></row>"
        "<row r=\"3\"><c s=\"1\"><v>1234.5</v></c><c s=\"1\"><v>-0.004</v></c>"
        "<c s=\"2\"><v>0.125</v></c><c s=\"3\"><v>5</v></c><c s=\"4\"><v>45657</v></c>"
        "<c s=\"9\"><v>2.50</v></c><c><v>-1E-7</v></c><c s=\"1\"><v>n/a</v></c></row>"
        "</sheetData></worksheet>";
    const QByteArray bytes =
        zipFile(workbookPackage(zipEntry("xl/worksheets/sheet1.xml", sheet), strings, styles));
    Extraction extraction(bytes);
    ASSERT_EQ(extractOfficePackage(extraction), Outcome::Text);
    EXPECT_EQ(extraction.text,
              QStringLiteral("Data\r\n"
                             "a & b #DIV/0! TRUE FALSE inline <x>\r\n"
                             "rich two first\r\n"
                             "1,234.50 0.00 12.50% 12/31/2024 2.5 -1e-07 n/a\r\n"));
}

TEST(PresentationText, SlidesInOrderEachFollowedByItsNotes) {
    for (const QString &name : SlideFiles)
        expectInOrder(name, {"SlideOneProbe title", "ShapeProbe Ελληνικά", "NotesOneProbe spoken",
                             "SlideTwoProbe title", "Привет again", "NotesTwoProbe spoken",
                             "SlideThreeProbe title", "Last shape", "NotesThreeProbe spoken"});
}

TEST(PdfText, EveryPageLineAsLaidOut) {
    expectInOrder(QStringLiteral("writer.pdf"),
                  {"HeaderProbe alpha", "HeadingProbe title", "BodyProbe first paragraph",
                   "Müller café señor Straße Привет Ελληνικά 日本語", "Anchor paragraph",
                   "TextBoxProbe inside", "Last paragraph LastProbe", "FootnoteProbe below",
                   "FooterProbe beta", "EndnoteProbe at the end"});
}

TEST(DocumentMachinery, NoMarkupNamesOrEntriesInAnyPiece) {
    for (const QStringList &family :
         {WordFiles, ExcelFiles, SlideFiles, QStringList{QStringLiteral("writer.pdf")}})
        for (const QString &name : family)
            for (const QString &piece : documentPieces(name))
                for (const QString &word : Machinery)
                    EXPECT_FALSE(piece.contains(word))
                        << name.toStdString() << ": " << piece.toStdString();
}

// ---- through the scan, as the user runs it

struct ScanResult {
    std::vector<MatchRecord> rows;
    QStringList errors;
};

ScanResult scanSelected(const QString &name, const QString &search) {
    RecordingSinks sinks;
    ScanRun run(sinks, sinks, sinks);
    ScanQuery query;
    query.searchText = search;
    query.folder = QStringLiteral(MODERN_DATA);
    query.selectedFiles = QStringList{name};
    run.run(query);
    sinks.rows.pop_back(); // the marker row
    return {sinks.rows, sinks.errors};
}

TEST(DocumentRecognition, ARenamedWorkbookAndPdfAreReadByTheirContent) {
    const ScanResult book =
        scanSelected(QStringLiteral("renamed-workbook.dat"), QStringLiteral("SheetTwoProbe"));
    ASSERT_EQ(book.rows.size(), 1u);
    EXPECT_EQ(book.rows[0].line.kind, LineCell::Kind::Piece);
    EXPECT_EQ(book.rows[0].text, QStringLiteral("SheetTwoProbe Привет"));
    const ScanResult pdf =
        scanSelected(QStringLiteral("renamed-pdf.txt"), QStringLiteral("LastProbe"));
    ASSERT_EQ(pdf.rows.size(), 1u);
    EXPECT_EQ(pdf.rows[0].line.kind, LineCell::Kind::Piece);
    EXPECT_TRUE(pdf.errors.isEmpty());
}

TEST(DocumentRecognition, AZipThatIsNoDocumentIsReadAsText) {
    TempDir dir;
    const QString path =
        dir.write(QStringLiteral("archive.jar"),
                  zipFile({zipEntry("notes.txt", "PlainZipProbe")}) + "\r\nTrailerProbe line\r\n");
    RecordingSinks sinks;
    ScanRun run(sinks, sinks, sinks);
    run.editSearchText(QStringLiteral("TrailerProbe"));
    run.ScanSelectedFiles(FixedFileSelection(dir.path(), {QStringLiteral("archive.jar")}));
    ASSERT_EQ(sinks.rows.size(), 1u);
    EXPECT_EQ(sinks.rows[0].line.kind, LineCell::Kind::Line); // a text line, not a piece
}

TEST(DocumentRecognition, DirectoryScanReadsDocumentsAndKeepsExcludedTypesOut) {
    TempDir dir;
    const QByteArray docx = readAll(dataPath(QStringLiteral("writer.docx")));
    dir.write(QStringLiteral("report.docx"), docx);
    dir.write(QStringLiteral("report.zip"), docx); // an excluded type stays excluded
    RecordingSinks sinks;
    ScanRun run(sinks, sinks, sinks);
    ScanQuery query;
    query.searchText = QStringLiteral("LastProbe");
    query.mode = ScanMode::DirectoryTree;
    query.folder = dir.path();
    run.run(query);
    ASSERT_EQ(sinks.rows.size(), 2u);
    EXPECT_TRUE(sinks.rows[0].path.endsWith(QStringLiteral("report.docx")));
    EXPECT_EQ(sinks.rows[0].text, QStringLiteral("Last paragraph LastProbe"));
}

TEST(EncryptedDocument, NamedInTheStatusLineWithNoRows) {
    const QString path = dataPath(QStringLiteral("encrypted.odt"));
    const ScanResult result = scanSelected(QStringLiteral("encrypted.odt"), QStringLiteral("e"));
    EXPECT_TRUE(result.rows.empty());
    EXPECT_EQ(result.errors,
              QStringList{QStringLiteral("Error: The document is encrypted (%1)").arg(path)});
}

// ---- bounds on hostile files

TEST(DocumentBounds, AZipBombEndsWithTheTextReadSoFar) {
    // 4 GB of markup from a file of a few MB: the inflate budget stops it.
    const QByteArray head = "<w:document><w:body><w:p><w:r><w:t>BeforeBomb</w:t></w:r></w:p>";
    const QByteArray chunk = "<!--" + QByteArray(1 << 20, ' ') + "-->";
    const QByteArray bytes = zipFile(wordPackage(repeatedZipEntry(
        "word/document.xml", head, chunk, 3800, "<w:p><w:r><w:t>AfterBomb</w:t></w:r></w:p>")));
    QElapsedTimer timer;
    timer.start();
    Extraction bounded(bytes, {}, {qsizetype(1) << 20, qint64(16) << 20});
    EXPECT_EQ(extractOfficePackage(bounded), Outcome::BoundReached);
    EXPECT_TRUE(bounded.zip()->budgetSpent());
    EXPECT_TRUE(bounded.text.startsWith(QStringLiteral("BeforeBomb\r\n")));
    EXPECT_FALSE(bounded.text.contains(QStringLiteral("AfterBomb")));
    EXPECT_LT(bounded.text.size(), qsizetype(1) << 20);

    // The whole way with the default budget: bounded in time as well.
    Extraction all(bytes);
    EXPECT_EQ(extractDocument(all), Outcome::BoundReached);
    EXPECT_TRUE(all.text.startsWith(QStringLiteral("BeforeBomb")));
    EXPECT_LT(timer.elapsed(), 60000);
}

// A package whose main part names 100,000 sheets, slides or headers through
// as many relationships, listed in the opposite order; only the last part is
// there. Each is looked up by id or gathered by type: read whole, not
// cut short, and with the last part's text.
TEST(DocumentBounds, ThousandsOfRelationshipsAreAllFollowed) {
    constexpr int Count = 100000;
    struct Kind {
        QByteArray folder, main, element, type, part, partText;
    };
    const Kind kinds[] = {
        {"xl/", "workbook.xml", "<sheet name=\"S%1\" r:id=\"rId%1\"/>", "worksheet",
         "worksheets/sheet%1.xml",
         "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>LastPart</t></is></c></row>"
         "</sheetData></worksheet>"},
        {"ppt/", "presentation.xml", "<p:sldId r:id=\"rId%1\"/>", "slide", "slides/slide%1.xml",
         "<p:sld><a:p><a:r><a:t>LastPart</a:t></a:r></a:p></p:sld>"},
        {"word/", "document.xml", "", "header", "header%1.xml",
         "<w:hdr><w:p><w:r><w:t>LastPart</w:t></w:r></w:p></w:hdr>"},
    };
    for (const Kind &kind : kinds) {
        SCOPED_TRACE(kind.main.toStdString());
        QByteArray main = "<main><w:p><w:r><w:t>Body</w:t></w:r></w:p>", rels = "<Relationships>";
        for (int i = 0; i < Count; ++i)
            main += QByteArray(kind.element).replace("%1", QByteArray::number(i));
        for (int i = Count - 1; i >= 0; --i)
            rels += "<Relationship Id=\"rId" + QByteArray::number(i) + "\" Type=\"x/" + kind.type +
                    "\" Target=\"" + QByteArray(kind.part).replace("%1", QByteArray::number(i)) +
                    "\"/>";
        const QByteArray last = kind.folder + QByteArray(kind.part).replace("%1", "99999");
        const QByteArray bytes = zipFile(
            {zipEntry("[Content_Types].xml", "<Types/>"),
             zipEntry("_rels/.rels", "<Relationships><Relationship Id=\"rId1\" "
                                     "Type=\"x/officeDocument\" Target=\"" +
                                         kind.folder + kind.main + "\"/></Relationships>"),
             zipEntry(kind.folder + kind.main, main + "</main>"),
             zipEntry(kind.folder + "_rels/" + kind.main + ".rels", rels + "</Relationships>"),
             zipEntry(last, kind.partText)});
        Extraction extraction(bytes);
        ASSERT_EQ(extractOfficePackage(extraction), Outcome::Text);
        const QString &text = extraction.text;
        EXPECT_TRUE(text.endsWith(QStringLiteral("LastPart\r\n"))) << text.right(80).toStdString();
        if (kind.folder == "xl/") { // every sheet's name, in the workbook's order
            EXPECT_TRUE(text.startsWith(QStringLiteral("S0\r\nS1\r\n")) &&
                        text.contains(QStringLiteral("\r\nS99999\r\n")) &&
                        text.count(u'\n') == Count + 1);
        }
    }
}

TEST(DocumentBounds, DeepOrEndlessMarkupEndsThePartNotTheDocument) {
    const QByteArray deep = QByteArray("<w:p>").repeated(200000);
    const QByteArray bytes = zipFile(wordPackage(repeatedZipEntry(
        "word/document.xml", "<w:document><w:body><w:p><w:r><w:t>BeforeDeep</w:t></w:r></w:p>",
        deep, 20, "<w:r><w:t>InsideDeep</w:t></w:r>")));
    Extraction deepOne(bytes);
    EXPECT_EQ(extractDocument(deepOne), Outcome::Text);
    EXPECT_EQ(deepOne.text, QStringLiteral("BeforeDeep\r\n"));

    // One text run of 64 MB with no tag after it: the token bound ends it.
    const QByteArray endless = zipFile(wordPackage(repeatedZipEntry(
        "word/document.xml", "<w:document><w:body><w:p><w:r><w:t>BeforeRun</w:t></w:r></w:p><w:t>",
        QByteArray(1 << 20, 'x'), 64, {})));
    Extraction endlessOne(endless);
    EXPECT_EQ(extractDocument(endlessOne), Outcome::Text);
    EXPECT_EQ(endlessOne.text, QStringLiteral("BeforeRun\r\n"));
}

TEST(DocumentBounds, DamagedPackagesGiveWhatTheyHoldWithoutCrashing) {
    const QByteArray docx = readAll(dataPath(QStringLiteral("writer.docx")));
    const QByteArray pdf = readAll(dataPath(QStringLiteral("writer.pdf")));
    for (const QByteArray &original : {docx, pdf}) {
        for (qsizetype cut : {qsizetype(5), original.size() / 3, original.size() - 30}) {
            // The reading holds a view of its bytes: they must outlive it.
            const QByteArray head = original.first(cut);
            Extraction extraction(head);
            extractDocument(extraction);
        }
        QByteArray flipped = original;
        for (qsizetype i = 100; i < flipped.size(); i += 97)
            flipped[i] = char(flipped[i] ^ 0x5A);
        Extraction extraction(flipped);
        extractDocument(extraction);
    }
}

// Files read ahead are read in several threads at once: each must give the
// text it gives alone.
TEST(DocumentThreads, SeveralFilesReadAtOnceGiveTheirOwnText) {
    const QStringList names = list({"writer.pdf", "writer.docx", "calc.xlsx", "writer.odt"});
    std::vector<QByteArray> bytes;
    QStringList alone;
    for (const QString &name : names) {
        bytes.push_back(readAll(dataPath(name)));
        alone << documentText(bytes.back());
    }
    constexpr int Threads = 8;
    std::vector<QString> texts(Threads);
    // Standard threads: their join is a hand-over the thread sanitizer sees.
    std::vector<std::thread> threads;
    for (int i = 0; i < Threads; ++i)
        threads.emplace_back([&, i] {
            for (int round = 0; round < 5; ++round)
                texts[size_t(i)] = documentText(bytes[size_t(i) % bytes.size()]);
        });
    for (std::thread &thread : threads)
        thread.join();
    for (int i = 0; i < Threads; ++i)
        EXPECT_EQ(texts[size_t(i)], alone.at(i % alone.size()))
            << names.at(i % names.size()).toStdString();
}

} // namespace

// The objects an OpenDocument file embeds (a chart's table, a frame of
// another kind) are documents of their own in folders; their text is the
// document's too, after its body.
TEST(OpenDocumentObjects, EmbeddedObjectsTextIsRead) {
    const QByteArray ns = "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                          "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                          "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\"";
    const QByteArray body = "<office:document-content " + ns +
                            "><office:body><office:text><text:p>Body line</text:p>"
                            "</office:text></office:body></office:document-content>";
    const QByteArray chart =
        "<office:document-content " + ns +
        "><office:body><office:chart><table:table><table:table-row><table:table-cell>"
        "<text:p>Chart probe</text:p></table:table-cell></table:table-row></table:table>"
        "</office:chart></office:body></office:document-content>";
    const QByteArray sheet = "<office:document-content " + ns +
                             "><office:body><office:spreadsheet><table:table><table:table-row>"
                             "<table:table-cell><text:p>Sheet probe</text:p></table:table-cell>"
                             "</table:table-row></table:table></office:spreadsheet></office:body>"
                             "</office:document-content>";
    const QByteArray odt =
        zipFile({storedZipEntry("mimetype", "application/vnd.oasis.opendocument.text"),
                 zipEntry("content.xml", body), zipEntry("Object 1/content.xml", chart),
                 zipEntry("ObjectReplacements/Object 1", "Replacement picture"),
                 zipEntry("Object 2/content.xml", sheet)});
    Extraction extraction(odt);
    ASSERT_EQ(extractDocumentNamedAsText(extraction), Outcome::Text);
    QStringList got = pieces(extraction.text);
    got.removeAll(QString()); // a table's last row ends its line
    EXPECT_EQ(got, list({"Body line", "Chart probe", "Sheet probe"}));
}
