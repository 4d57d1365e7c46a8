// A document read on a thread whose owner stops the reading: every family
// ends early, as if the document ended there, with at most the text read so
// far.
#include "documents/documenttext.h"
#include "documents/extractionstop.h"
#include "documents/rtfreader.h"
#include "documents/xmlreader.h"
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
    QString text;
    {
        const ExtractionStop scope(stop);
        text = documentText(bytes);
    }
    raiser.join();
    return text;
}

/// Markup that endlessly repeats one element, handed over a block at a time;
/// the stop is raised once stopAfter bytes were handed over.
class EndlessMarkup : public ByteSource {
  public:
    EndlessMarkup(std::atomic<bool> &stop, qint64 stopAfter) : stop_(stop), stopAfter_(stopAfter) {}
    qint64 read(char *to, qint64 max) override {
        if (handed >= qint64(1) << 30)
            return 0;
        const QByteArrayView element = "<p>text</p>";
        const qint64 n = max - max % element.size();
        for (qint64 at = 0; at < n; at += element.size())
            std::memcpy(to + at, element.data(), size_t(element.size()));
        handed += n;
        if (handed >= stopAfter_)
            stop_ = true;
        return n;
    }
    qint64 handed = 0;

  private:
    std::atomic<bool> &stop_;
    qint64 stopAfter_;
};

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

TEST(StoppedReading, XmlEndsWithinABlockOfTheStop) {
    std::atomic<bool> stop = false;
    EndlessMarkup markup(stop, qint64(1) << 20);
    const ExtractionStop scope(stop);
    XmlReader reader(markup);
    qint64 elements = 0;
    while (reader.readNext() != XmlReader::EndDocument)
        elements += reader.isStart("p") ? 1 : 0;
    EXPECT_TRUE(reader.stoppedEarly());
    EXPECT_GT(elements, 1000);
    EXPECT_LT(markup.handed, qint64(2) << 20);
}

TEST(StoppedReading, RtfEndsWithinAStretchOfTheStop) {
    const QByteArray rtf =
        "{\\rtf1\\ansi " + QByteArray("a paragraph\\par\n").repeated(1000000) + "}";
    std::atomic<bool> stop = false;
    StoppingSink sink(stop);
    {
        const ExtractionStop scope(stop);
        readRtf(rtf, sink);
    }
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
        std::atomic<bool> stop = true;
        const ExtractionStop scope(stop);
        const QString text = documentText(bytes);
        EXPECT_FALSE(whole.isEmpty());
        EXPECT_LT(text.size(), whole.size() / 4) << text.toStdString();
    }
}
