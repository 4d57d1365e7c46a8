// Charts in Word, Excel and PowerPoint packages: their titles, axis titles,
// series names and category labels are found; their numbers and the cell
// references they are drawn from are not text. The text that slide masters
// and layouts draw on slides is found; their prompts are not.
#include "documents/documenttext.h"
#include "support/documentrows.h"
#include "tests/support/zipbytes.h"

#include <gtest/gtest.h>

namespace {

const QByteArray Chart =
    "<c:chartSpace><c:chart><c:title><c:tx><c:rich><a:p><a:r><a:t>Sales by </a:t></a:r>"
    "<a:r><a:t>quarter</a:t></a:r></a:p></c:rich></c:tx></c:title><c:plotArea><c:barChart>"
    "<c:ser><c:tx><c:strRef><c:f>Sheet1!$B$1</c:f><c:strCache><c:pt idx=\"0\"><c:v>North</c:v>"
    "</c:pt></c:strCache></c:strRef></c:tx><c:cat><c:strRef><c:f>Sheet1!$A$2:$A$3</c:f>"
    "<c:strCache><c:pt idx=\"0\"><c:v>Q1</c:v></c:pt><c:pt idx=\"1\"><c:v>Q2</c:v></c:pt>"
    "</c:strCache></c:strRef></c:cat><c:val><c:numRef><c:numCache><c:formatCode>General"
    "</c:formatCode><c:pt idx=\"0\"><c:v>98765</c:v></c:pt></c:numCache></c:numRef></c:val>"
    "</c:ser><c:ser><c:tx><c:v>South</c:v></c:tx><c:cat><c:strRef><c:strCache><c:pt idx=\"0\">"
    "<c:v>Q1</c:v></c:pt><c:pt idx=\"1\"><c:v>Q2</c:v></c:pt></c:strCache></c:strRef></c:cat>"
    "</c:ser></c:barChart><c:valAx><c:title><c:tx><c:rich><a:p><a:r><a:t>Revenue</a:t></a:r>"
    "</a:p></c:rich></c:tx></c:title></c:valAx></c:plotArea></c:chart></c:chartSpace>";

const QStringList ChartText = {u"Sales by quarter"_qs, u"North"_qs, u"Q1"_qs, u"Q2"_qs, u"South"_qs,
                               u"Revenue"_qs};

QByteArray rels(const char *type, const char *target) {
    return QByteArray("<Relationships><Relationship Id=\"rId9\" Type=\"x/") + type +
           "\" Target=\"" + target + "\"/></Relationships>";
}

QByteArray wordWithChart(const QByteArray &chart = Chart) {
    auto entries = wordPackage(zipEntry(
        "word/document.xml",
        "<w:document><w:body><w:p><w:r><w:t>Body</w:t></w:r></w:p></w:body></w:document>"));
    entries.push_back(zipEntry("word/_rels/document.xml.rels", rels("chart", "charts/chart1.xml")));
    entries.push_back(zipEntry("word/charts/chart1.xml", chart));
    return zipFile(entries);
}

QByteArray workbookWithChart() {
    auto entries = workbookPackage(
        zipEntry("xl/worksheets/sheet1.xml",
                 "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>Body</t></is></c></row>"
                 "</sheetData></worksheet>"),
        "<sst/>", "<styleSheet/>");
    entries.push_back(zipEntry("xl/worksheets/_rels/sheet1.xml.rels",
                               rels("drawing", "../drawings/drawing1.xml")));
    entries.push_back(zipEntry("xl/drawings/drawing1.xml", "<xdr:wsDr/>"));
    entries.push_back(
        zipEntry("xl/drawings/_rels/drawing1.xml.rels", rels("chart", "../charts/chart1.xml")));
    entries.push_back(zipEntry("xl/charts/chart1.xml", Chart));
    return zipFile(entries);
}

std::vector<ZipEntryBytes> presentation() {
    return {
        zipEntry("[Content_Types].xml",
                 "<Types><Override PartName=\"/ppt/presentation.xml\" ContentType=\"application/"
                 "vnd.openxmlformats-officedocument.presentationml.presentation.main+xml\"/>"
                 "</Types>"),
        zipEntry("_rels/.rels", rels("officeDocument", "ppt/presentation.xml")),
        zipEntry("ppt/presentation.xml",
                 "<p:presentation><p:sldIdLst><p:sldId id=\"256\" r:id=\"rId9\"/></p:sldIdLst>"
                 "</p:presentation>"),
        zipEntry("ppt/_rels/presentation.xml.rels", rels("slide", "slides/slide1.xml")),
        zipEntry("ppt/slides/slide1.xml",
                 "<p:sld><p:cSld><p:spTree><p:sp><p:txBody><a:p><a:r><a:t>Body</a:t></a:r>"
                 "</a:p></p:txBody></p:sp></p:spTree></p:cSld></p:sld>")};
}

QByteArray presentationWithChart() {
    auto entries = presentation();
    entries.push_back(
        zipEntry("ppt/slides/_rels/slide1.xml.rels", rels("chart", "../charts/chart1.xml")));
    entries.push_back(zipEntry("ppt/charts/chart1.xml", Chart));
    return zipFile(entries);
}

TEST(Charts, TitlesSeriesNamesAndCategoriesFollowThePartThatHoldsThem) {
    const struct {
        const char *format;
        QByteArray bytes;
        QStringList before;
    } cases[] = {
        {"docx", wordWithChart(), {u"Body"_qs}},
        {"xlsx", workbookWithChart(), {u"Data"_qs, u"Body"_qs}},
        {"pptx", presentationWithChart(), {u"Body"_qs}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(documentRows(c.bytes), c.before + ChartText);
    }
}

// A skipped cell reference longer than the reader's block: what follows it is
// still read, and nothing uses the name the skipped element began with.
TEST(Charts, ALongSkippedReferenceLeavesTheRestOfTheChart) {
    QByteArray chart = Chart;
    chart.replace("Sheet1!$B$1", QByteArray(300000, 'x'));
    EXPECT_EQ(documentRows(wordWithChart(chart)), QStringList{u"Body"_qs} + ChartText);
}

// SmartArt keeps its text in a data part and again in a drawing part: read once.
TEST(SlideComments, SmartArtAndCommentsFollowTheirSlideOrDocument) {
    const QByteArray diagram =
        "<dgm:dataModel><dgm:ptLst><dgm:pt><dgm:t><a:p><a:r><a:t>Plan</a:t></a:r></a:p></dgm:t>"
        "</dgm:pt><dgm:pt><dgm:t><a:p><a:r><a:t>Build</a:t></a:r></a:p></dgm:t></dgm:pt>"
        "</dgm:ptLst></dgm:dataModel>";
    const QByteArray drawing = "<dsp:drawing><a:p><a:r><a:t>Plan</a:t></a:r></a:p></dsp:drawing>";
    const QByteArray slideRels =
        "<Relationships>"
        "<Relationship Id=\"rId1\" Type=\"x/diagramData\" Target=\"../diagrams/data1.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"x/diagramDrawing\" Target=\"../diagrams/drawing1.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"x/comments\" Target=\"../comments/comment1.xml\"/>"
        "</Relationships>";
    auto slides = presentation();
    slides.push_back(zipEntry("ppt/slides/_rels/slide1.xml.rels", slideRels));
    slides.push_back(zipEntry("ppt/diagrams/data1.xml", diagram));
    slides.push_back(zipEntry("ppt/diagrams/drawing1.xml", drawing));
    slides.push_back(zipEntry("ppt/comments/comment1.xml",
                              "<p:cmLst><p:cm authorId=\"0\" dt=\"2026-01-01\" idx=\"1\">"
                              "<p:pos x=\"10\" y=\"10\"/><p:text>Check the figures</p:text>"
                              "</p:cm></p:cmLst>"));
    auto word = wordPackage(zipEntry(
        "word/document.xml",
        "<w:document><w:body><w:p><w:r><w:t>Body</w:t></w:r></w:p></w:body></w:document>"));
    word.push_back(
        zipEntry("word/_rels/document.xml.rels", rels("diagramData", "diagrams/data1.xml")));
    word.push_back(zipEntry("word/diagrams/data1.xml", diagram));
    const struct {
        const char *format;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"pptx", zipFile(slides), u"Body\r\nPlan\r\nBuild\r\nCheck the figures\r\n"_qs},
        {"docx", zipFile(word), u"Body\r\nPlan\r\nBuild\r\n"_qs},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.format);
        Extraction extraction(c.bytes);
        EXPECT_EQ(extractDocument(extraction), Outcome::Text);
        EXPECT_EQ(extraction.text, c.text);
    }
}

QByteArray shapes(const QByteArray &placeholderText, const QByteArray &drawnText) {
    return "<p:sldMaster><p:cSld><p:spTree><p:sp><p:nvSpPr><p:nvPr><p:ph type=\"title\"/>"
           "</p:nvPr></p:nvSpPr><p:txBody><a:p><a:r><a:t>" +
           placeholderText +
           "</a:t></a:r></a:p></p:txBody></p:sp><p:sp><p:nvSpPr><p:nvPr/></p:nvSpPr><p:txBody>"
           "<a:p><a:r><a:t>" +
           drawnText + "</a:t></a:r></a:p></p:txBody></p:sp></p:spTree></p:cSld></p:sldMaster>";
}

TEST(SlideMasters, DrawnTextOnceWithoutPlaceholderPrompts) {
    auto entries = presentation();
    entries.push_back(zipEntry("ppt/slides/_rels/slide1.xml.rels",
                               rels("slideLayout", "../slideLayouts/slideLayout1.xml")));
    entries.push_back(zipEntry("ppt/slideLayouts/slideLayout1.xml",
                               shapes("Click to edit Master title style", "Layout banner")));
    entries.push_back(zipEntry("ppt/slideLayouts/_rels/slideLayout1.xml.rels",
                               rels("slideMaster", "../slideMasters/slideMaster1.xml")));
    entries.push_back(zipEntry("ppt/slideMasters/slideMaster1.xml",
                               shapes("Click to edit Master text styles", "Company confidential")));
    const QByteArray bytes = zipFile(entries);
    Extraction extraction(bytes);
    EXPECT_EQ(extractDocument(extraction), Outcome::Text);
    EXPECT_EQ(extraction.text, u"Body\r\nLayout banner\r\nCompany confidential\r\n"_qs);
}

} // namespace
