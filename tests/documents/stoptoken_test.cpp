// A document whose owner stops the reading through its token: every family
// ends early, as if the document ended there, with at most the text read so
// far, and says it was stopped.
#include "documents/documenttext.h"
#include "documents/rtfreader.h"
#include "documents/zipcontainer.h"
#include "support/tempdir.h"
#include "tests/support/zipbytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

/// The text of the bytes, read while another thread raises the stop soon
/// after the reading began.
QString textStoppedSoon(const QByteArray &bytes) {
    std::atomic<bool> stop = false;
    std::thread raiser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop = true;
    });
    Extraction extraction(bytes, StopToken(stop));
    EXPECT_EQ(extractDocument(extraction), Outcome::Stopped);
    raiser.join();
    return extraction.text;
}

/// Counts paragraphs, and raises the stop at the first.
class StoppingSink : public RtfSink {
  public:
    explicit StoppingSink(std::atomic<bool> &stop) : stop_(stop) {}
    void text(QStringView, const RtfCharFormat &) override {}
    void paragraph(const RtfCharFormat &) override {
        ++paragraphs;
        stop_ = true;
    }
    void lineBreak(const RtfCharFormat &) override {}
    void tab(const RtfCharFormat &) override {}
    void cellEnd(const RtfCharFormat &) override {}
    int paragraphs = 0;

  private:
    std::atomic<bool> &stop_;
};

} // namespace

TEST(StoppedReading, LargePackagesEndSoonWithTheTextReadSoFar) {
    // Each inflates to hundreds of MB of markup from a few MB; read whole they
    // take most of a second here, and far longer under a sanitizer.
    constexpr qint64 Thousands = 3000;
    const QByteArray paragraph = "<w:p><w:r><w:t>key in a paragraph</w:t></w:r></w:p>";
    const QByteArray docx = zipFile(wordPackage(
        repeatedZipEntry("word/document.xml", "<w:document><w:body>", paragraph.repeated(1000),
                         Thousands, "</w:body></w:document>")));
    const QByteArray row = "<row><c t=\"inlineStr\"><is><t>key in a cell</t></is></c></row>";
    const QByteArray xlsx = zipFile(
        workbookPackage(repeatedZipEntry("xl/worksheets/sheet1.xml", "<worksheet><sheetData>",
                                         row.repeated(1000), Thousands, "</sheetData></worksheet>"),
                        "<sst/>", "<styleSheet/>"));
    const struct {
        QByteArray bytes;
        QString first; ///< the text's first line
        QString line;  ///< each repeated line
    } cases[] = {{docx, u"key in a paragraph\r\n"_s, u"key in a paragraph\r\n"_s},
                 {xlsx, u"Data\r\n"_s, u"key in a cell\r\n"_s}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.first.toStdString());
        const QString text = textStoppedSoon(c.bytes);
        EXPECT_LT(text.size(), Thousands * 1000 * c.line.size() / 4);
        if (!text.isEmpty()) {
            EXPECT_TRUE(text.startsWith(c.first));
        }
    }
}

TEST(StoppedReading, APackageEntryFailsAtItsNextReadAndNoOtherOpens) {
    const QByteArray bytes =
        zipFile({zipEntry("a.xml", QByteArray(1 << 20, 'a')), zipEntry("b.xml", "b")});
    std::atomic<bool> stop = false;
    ZipContainer zip;
    ASSERT_TRUE(zip.open(bytes, ZipContainer::DefaultInflateBudget, StopToken(stop)));
    const auto entry = zip.entry(QStringLiteral("a.xml"));
    ASSERT_TRUE(entry);
    char block[4096];
    EXPECT_EQ(entry->read(block, sizeof block), qint64(sizeof block));
    stop = true;
    EXPECT_LT(entry->read(block, sizeof block), 0);
    EXPECT_FALSE(zip.entry(QStringLiteral("b.xml")));
}

TEST(StoppedReading, RtfEndsWithinAStretchOfTheStop) {
    const QByteArray rtf =
        "{\\rtf1\\ansi " + QByteArray("a paragraph\\par\n").repeated(1000000) + "}";
    std::atomic<bool> stop = false;
    StoppingSink sink(stop);
    readRtf(rtf, sink, nullptr, StopToken(stop));
    EXPECT_GE(sink.paragraphs, 1);
    EXPECT_LT(sink.paragraphs, 10000); // a stretch of input holds about 4,000
}

TEST(StoppedReading, EveryFamilyStoppedFirstGivesLittleOrNothing) {
    const QString data = QStringLiteral(DOCUMENTS_DATA);
    const QStringList files = {
        u"sample.doc"_s,          u"sample.xls"_s,           u"sample.ppt"_s,
        u"sample.rtf"_s,          u"sample.eml"_s,           u"../modern/writer.docx"_s,
        u"../modern/calc.xlsx"_s, u"../modern/writer.odt"_s, u"../modern/writer.pdf"_s};
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray bytes = readAll(data + name);
        const QString whole = documentText(bytes);
        const std::atomic<bool> stop = true;
        Extraction extraction(bytes, StopToken(stop));
        EXPECT_EQ(extractDocument(extraction), Outcome::Stopped);
        EXPECT_FALSE(whole.isEmpty());
        EXPECT_LT(extraction.text.size(), whole.size() / 4) << extraction.text.toStdString();
    }
}
