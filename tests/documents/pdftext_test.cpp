// PDF files made here, object by object: notes, character maps of the
// system's data folder, and pages crafted to cost without end, read in
// process and in the confined worker.
#include "documents/documenterrors.h"
#include "documents/pdftext.h"
#include "scan/documentpieces.h"
#include "scan/documentworker.h"
#include "support/tempdir.h"
#include "tests/support/zipbytes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringTokenizer>

#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {

/// A PDF of numbered objects (1 is the catalog) with its cross-reference table.
QByteArray pdfFile(const std::map<int, QByteArray> &objects) {
    QByteArray out = "%PDF-1.5\n";
    std::map<int, qsizetype> offsets;
    for (const auto &[number, body] : objects) {
        offsets[number] = out.size();
        out += QByteArray::number(number) + " 0 obj" + body + "\nendobj\n";
    }
    const int size = objects.rbegin()->first + 1;
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(size) + "\n0000000000 65535 f \n";
    for (int number = 1; number < size; ++number)
        out += offsets.count(number)
                   ? QByteArray::number(offsets[number]).rightJustified(10, '0') + " 00000 n \n"
                   : QByteArray("0000000000 65535 f \n");
    return out + "trailer<</Size " + QByteArray::number(size) + "/Root 1 0 R>>\nstartxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
}

QByteArray stream(const QByteArray &keys, const QByteArray &stored) {
    return "<<" + keys + "/Length " + QByteArray::number(stored.size()) + ">>stream\n" + stored +
           "\nendstream";
}

/// Flate data that inflates to chunk repeated times, made without inflating.
QByteArray inflatingTo(const QByteArray &chunk, qint64 times) {
    const QByteArray deflated = rawDeflate(chunk, Z_FULL_FLUSH);
    const uLong chunkSum = adler32(1, reinterpret_cast<const Bytef *>(chunk.data()), chunk.size());
    QByteArray out("\x78\x9c", 2);
    out.reserve(deflated.size() * times + 16);
    uLong sum = 1;
    for (qint64 i = 0; i < times; ++i) {
        out += deflated;
        sum = adler32_combine(sum, chunkSum, z_off_t(chunk.size()));
    }
    out += rawDeflate({}, Z_FINISH);
    for (const int shift : {24, 16, 8, 0})
        out += char(sum >> shift & 0xff);
    return out;
}

/// Two pages: the page given as its content stream, its resources (by
/// default Helvetica as F1) and further objects (numbered from 20), then one
/// that shows "After" in F1 (its resources given or the default).
QByteArray pdfWithPage(const QByteArray &content, const QByteArray &resources = {},
                       std::map<int, QByteArray> more = {}, const QByteArray &lastResources = {}) {
    const QByteArray helvetica = "/Font<</F1 3 0 R>>";
    more[1] = "<</Type/Catalog/Pages 2 0 R>>";
    more[2] = "<</Type/Pages/Kids[4 0 R 6 0 R]/Count 2>>";
    more[3] = "<</Type/Font/Subtype/Type1/BaseFont/Helvetica>>";
    more[4] = "<</Type/Page/Parent 2 0 R/MediaBox[0 0 300 300]/Resources<<" +
              (resources.isEmpty() ? helvetica : resources) + ">>/Contents 5 0 R>>";
    more[5] = content;
    more[6] = "<</Type/Page/Parent 2 0 R/MediaBox[0 0 300 300]/Resources<<" +
              (lastResources.isEmpty() ? helvetica : lastResources) + ">>/Contents 7 0 R>>";
    more[7] = stream({}, "BT /F1 12 Tf 20 250 Td (After) Tj ET");
    return pdfFile(more);
}

QStringList rowsOf(const QString &text) {
    QStringList out;
    for (const QStringView piece : QStringTokenizer(text, u'\r'))
        if (const QString row = StripControlChars(piece).trimmed(); !row.isEmpty())
            out << row;
    return out;
}

DocumentReading readInWorker(const QString &path) {
    DocumentWorker::Settings settings;
    settings.program = QStringLiteral(EXTRACT_TEST_PATH);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    settings.limits.addressSpaceBytes = qint64{256} * 1024 * 1024;
#endif
    settings.limits.cpuSeconds = 10;
    settings.deadline = 10s;
    DocumentWorker worker(settings);
    return worker.read(path, false, [] { return true; });
}

// A footnote marker stays where the line has it; the notes a reader added
// (a text note, free text, the note of a highlight, in UTF-16) follow the
// page's own text, top to bottom, and never twice.
TEST(PdfText, NotesFollowTheTextOfTheirPage) {
    const QByteArray pdf = pdfWithPage(
        stream({}, "BT /F1 12 Tf 20 250 Td (Body text) Tj 5 Ts /F1 7 Tf (1) Tj 0 Ts /F1 12 Tf "
                   "( goes on) Tj ET BT /F1 8 Tf 20 30 Td (1 The footnote) Tj ET"),
        "",
        {{8, "<</Type/Annot/Subtype/Text/Rect[20 100 40 120]/Contents(Sticky remark)>>"},
         {9, "<</Type/Annot/Subtype/FreeText/Rect[20 200 200 220]/Contents(Typed remark)"
             "/DA(/Helv 10 Tf)>>"},
         {10, "<</Type/Annot/Subtype/Highlight/Rect[20 245 80 265]"
              "/QuadPoints[20 265 80 265 20 245 80 245]"
              "/Contents<FEFF00DC0062006500720062006C00690063006B>>>"},
         {11, "<</Type/Annot/Subtype/Link/Rect[0 0 10 10]/Contents(Not a note)>>"}});
    QByteArray annotated = pdf;
    annotated.replace("/Contents 5 0 R>>", "/Contents 5 0 R/Annots[8 0 R 9 0 R 10 0 R 11 0 R]>>");
    Extraction extraction(annotated);
    EXPECT_EQ(extractPdf(extraction), Outcome::Text);
    EXPECT_EQ(rowsOf(extraction.text),
              QStringList({u"Body text1 goes on"_qs, u"1 The footnote"_qs, u"Überblick"_qs,
                           u"Typed remark"_qs, u"Sticky remark"_qs, u"After"_qs}));
}

/// A page whose font names a predefined character map and collection of the
/// system's data folder: Japanese written as UCS-2 codes.
QByteArray japanesePdf(const QByteArray &encoding) {
    return pdfWithPage(stream({}, "BT /F2 12 Tf 20 250 Td <65E5672C8A9E> Tj ET"),
                       "/Font<</F2 20 0 R>>",
                       {{20, "<</Type/Font/Subtype/Type0/BaseFont/Ryumin-Light/Encoding/" +
                                 encoding + "/DescendantFonts[21 0 R]>>"},
                        {21, "<</Type/Font/Subtype/CIDFontType0/BaseFont/Ryumin-Light"
                             "/CIDSystemInfo<</Registry(Adobe)/Ordering(Japan1)/Supplement 2>>"
                             "/FontDescriptor 22 0 R>>"},
                        {22, "<</Type/FontDescriptor/FontName/Ryumin-Light/Flags 4"
                             "/FontBBox[0 0 1000 1000]/ItalicAngle 0/Ascent 800/Descent -200"
                             "/CapHeight 700/StemV 80>>"}});
}

// The character maps come from the data folder in the worker as in process;
// a map named with a path outside it (a device, a pipe) is never opened.
TEST(PdfText, CharacterMapsComeFromTheDataFolderOnly) {
    if (!QFile::exists(QString::fromLatin1(pdfDataFolder()) +
                       u"/cMap/Adobe-Japan1/UniJIS-UCS2-H"_qs))
        GTEST_SKIP() << "poppler-data is not installed";
    TempDir dir;
    const QString fifo = dir.file(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QByteArray climbing = "..";
    for (int i = 0; i < 12; ++i)
        climbing += "#2F..";
    struct Case {
        QByteArray encoding;
        QStringList rows;
        QString error;
    };
    const Case cases[] = {
        {"UniJIS-UCS2-H", {u"日本語"_qs, u"After"_qs}, {}},
        {climbing + "#2Fdev#2Fzero", {}, u"The document is damaged"_qs},
        {climbing + QFile::encodeName(fifo).replace("/", "#2F"), {}, u"The document is damaged"_qs},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.encoding.toStdString());
        const QByteArray pdf = japanesePdf(c.encoding);
        Extraction extraction(pdf);
        extractPdf(extraction);
        EXPECT_EQ(rowsOf(extraction.text), c.rows);
        QElapsedTimer clock;
        clock.start();
        const DocumentReading reading =
            readInWorker(dir.write(QStringLiteral("japanese.pdf"), pdf));
        EXPECT_EQ(rowsOf(reading.text), c.rows);
        EXPECT_EQ(reading.error, c.error);
        EXPECT_LT(clock.elapsed(), 5000);
    }
}

/// A font (object 20) whose embedded program inflates to 1 GiB.
std::map<int, QByteArray> inflatingFont() {
    return {{20, "<</Type/Font/Subtype/Type1/BaseFont/Bomb/FontDescriptor 21 0 R>>"},
            {21, "<</Type/FontDescriptor/FontName/Bomb/Flags 4/FontBBox[0 0 1 1]"
                 "/ItalicAngle 0/Ascent 1/Descent 0/CapHeight 1/StemV 1/FontFile 22 0 R>>"},
            {22, stream("/Filter/FlateDecode/Length1 1/Length2 1/Length3 0",
                        inflatingTo(QByteArray(1 << 20, '\0'), 1024))}};
}

// Pages crafted to cost without end: each is cut within its budget, in the
// worker under its memory bound, and the page after it is still read.
TEST(HostilePdf, ACostlyPageIsCutAndTheNextPageRead) {
    std::map<int, QByteArray> formObjects;
    for (int depth = 0; depth < 8; ++depth)
        formObjects[30 + depth] =
            stream("/Type/XObject/Subtype/Form/BBox[0 0 300 300]/Resources<</XObject<</X " +
                       QByteArray::number(31 + depth) + " 0 R>>/Font<</F1 3 0 R>>>>",
                   "/X Do /X Do /X Do /X Do /X Do /X Do /X Do /X Do /X Do /X Do");
    formObjects[38] = stream("/Type/XObject/Subtype/Form/BBox[0 0 300 300]"
                             "/Resources<</Font<</F1 3 0 R>>>>",
                             "BT /F1 12 Tf 20 20 Td (Leaf) Tj ET");
    struct Case {
        const char *name;
        QByteArray pdf;
    };
    const Case cases[] = {
        {"content inflating to 2 GiB of text",
         pdfWithPage(
             stream("/Filter/FlateDecode",
                    inflatingTo(QByteArray("BT /F1 1 Tf 9 9 Td (Endless) Tj ET\n").repeated(30000),
                                2048)))},
        {"forms 10 wide and 8 deep",
         pdfWithPage(stream({}, "/X Do"), "/XObject<</X 30 0 R>>", formObjects)},
        {"an image of 100,000 by 100,000 in JBIG2",
         pdfWithPage(stream({}, "q 300 0 0 300 0 0 cm /I Do Q"), "/XObject<</I 20 0 R>>",
                     {{20, stream("/Type/XObject/Subtype/Image/Width 100000/Height 100000"
                                  "/BitsPerComponent 1/ColorSpace/DeviceGray/Filter/JBIG2Decode",
                                  QByteArray("\0\0\0\0\x30\0\x01\0\0\0\x13", 11) +
                                      QByteArray(200, '\xff'))}})},
        {"an embedded font inflating to 1 GiB",
         pdfWithPage(stream({}, "BT /F2 12 Tf 20 250 Td (Glyphs) Tj ET"), "/Font<</F2 20 0 R>>",
                     inflatingFont())},
    };
    TempDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QElapsedTimer clock;
        clock.start();
        Extraction extraction(c.pdf);
        const Outcome outcome = extractPdf(extraction);
        EXPECT_TRUE(givesText(outcome));
        EXPECT_EQ(rowsOf(extraction.text).value(rowsOf(extraction.text).size() - 1), u"After");
        EXPECT_LT(clock.elapsed(), 10000);
        clock.restart();
        const DocumentReading reading = readInWorker(dir.write(QStringLiteral("page.pdf"), c.pdf));
        EXPECT_EQ(reading.error, QString());
        EXPECT_TRUE(rowsOf(reading.text).contains(u"After"));
        EXPECT_LT(clock.elapsed(), 10000);
    }
}

// A font past its bound is judged once: every page that names it is
// skipped, none reads it whole.
TEST(HostilePdf, AFontPastItsBoundIsNeverRead) {
    const QByteArray pdf =
        pdfWithPage(stream({}, "BT /F2 12 Tf 20 250 Td (Glyphs) Tj ET"), "/Font<</F2 20 0 R>>",
                    inflatingFont(), "/Font<</F1 3 0 R/F2 20 0 R>>");
    QElapsedTimer clock;
    clock.start();
    Extraction extraction(pdf);
    EXPECT_EQ(extractPdf(extraction), Outcome::BoundReached);
    EXPECT_EQ(rowsOf(extraction.text), QStringList());
    EXPECT_LT(clock.elapsed(), 5000);
}

// A file of 3 GiB, all but its first bytes a hole, that begins as a PDF:
// refused, said quickly, under the worker's memory bound.
TEST(HostilePdf, AHugeFileThatOnlyBeginsAsAPdfIsDamaged) {
    TempDir dir;
    const QString path = dir.write(QStringLiteral("sparse.pdf"), "%PDF-1.7\n");
    QFile file(path);
    ASSERT_TRUE(file.resize(qint64{3} << 30));
    QElapsedTimer clock;
    clock.start();
    const DocumentReading reading = readInWorker(path);
    EXPECT_TRUE(reading.text.isEmpty());
    EXPECT_EQ(reading.error, documenterrors::tooLarge());
    EXPECT_LT(clock.elapsed(), 10000);
}

} // namespace
