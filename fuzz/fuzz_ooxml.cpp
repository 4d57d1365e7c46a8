// Word, Excel and PowerPoint 2007+ readers from their XML parts, stored here
// in a zip so that the fuzzer works on the markup, not on the container.
// The first byte picks the kind; parts are cut at "|PART|":
//   Word:       document|PART|header|PART|footnotes|PART|comments|PART|numbering
//               |PART|styles|PART|chart
//   Excel:      workbook|PART|sheet|PART|sharedStrings|PART|styles|PART|comments
//               |PART|drawing|PART|chart
//   PowerPoint: presentation|PART|slide|PART|notes|PART|layout|PART|master
//               |PART|comments|PART|chart
#include "documents/ooxmltext.h"
#include "fuzz/fuzzparts.h"
#include "tests/support/zipbytes.h"

namespace {

QByteArray rels(const std::vector<std::pair<const char *, const char *>> &targets) {
    QByteArray out = "<Relationships>";
    int id = 1;
    for (const auto &[type, target] : targets)
        out += "<Relationship Id=\"rId" + QByteArray::number(id++) + "\" Type=\"http://x/" + type +
               "\" Target=\"" + target + "\"/>";
    return out + "</Relationships>";
}

QByteArray package(int kind, const QList<QByteArrayView> &p) {
    const char *main = kind == 0   ? "word/document.xml"
                       : kind == 1 ? "xl/workbook.xml"
                                   : "ppt/presentation.xml";
    std::vector<ZipEntryBytes> entries = {
        storedZipEntry("[Content_Types].xml", "<Types/>"),
        storedZipEntry("_rels/.rels", rels({{"officeDocument", main}})),
        storedZipEntry(main, p[0].toByteArray())};
    if (kind == 0) {
        entries.push_back(storedZipEntry("word/_rels/document.xml.rels",
                                         rels({{"header", "header1.xml"},
                                               {"footnotes", "footnotes.xml"},
                                               {"comments", "comments.xml"},
                                               {"numbering", "numbering.xml"},
                                               {"styles", "styles.xml"},
                                               {"chart", "charts/chart1.xml"},
                                               {"diagramData", "../../../../etc/passwd"}})));
        entries.push_back(storedZipEntry("word/header1.xml", p[1].toByteArray()));
        entries.push_back(storedZipEntry("word/footnotes.xml", p[2].toByteArray()));
        entries.push_back(storedZipEntry("word/comments.xml", p[3].toByteArray()));
        entries.push_back(storedZipEntry("word/numbering.xml", p[4].toByteArray()));
        entries.push_back(storedZipEntry("word/styles.xml", p[5].toByteArray()));
        entries.push_back(storedZipEntry("word/charts/chart1.xml", p[6].toByteArray()));
    } else if (kind == 1) {
        entries.push_back(storedZipEntry("xl/_rels/workbook.xml.rels",
                                         rels({{"worksheet", "worksheets/sheet1.xml"},
                                               {"sharedStrings", "sharedStrings.xml"},
                                               {"styles", "styles.xml"}})));
        entries.push_back(storedZipEntry("xl/worksheets/sheet1.xml", p[1].toByteArray()));
        entries.push_back(storedZipEntry("xl/sharedStrings.xml", p[2].toByteArray()));
        entries.push_back(storedZipEntry("xl/styles.xml", p[3].toByteArray()));
        entries.push_back(storedZipEntry(
            "xl/worksheets/_rels/sheet1.xml.rels",
            rels({{"comments", "../comments1.xml"}, {"drawing", "../drawings/drawing1.xml"}})));
        entries.push_back(storedZipEntry("xl/comments1.xml", p[4].toByteArray()));
        entries.push_back(storedZipEntry("xl/drawings/drawing1.xml", p[5].toByteArray()));
        entries.push_back(storedZipEntry("xl/drawings/_rels/drawing1.xml.rels",
                                         rels({{"chart", "../charts/chart1.xml"}})));
        entries.push_back(storedZipEntry("xl/charts/chart1.xml", p[6].toByteArray()));
    } else {
        entries.push_back(storedZipEntry("ppt/_rels/presentation.xml.rels",
                                         rels({{"slide", "slides/slide1.xml"}})));
        entries.push_back(storedZipEntry("ppt/slides/slide1.xml", p[1].toByteArray()));
        entries.push_back(storedZipEntry("ppt/slides/_rels/slide1.xml.rels",
                                         rels({{"notesSlide", "../notesSlides/notesSlide1.xml"},
                                               {"slideLayout", "../slideLayouts/slideLayout1.xml"},
                                               {"comments", "../comments/comment1.xml"},
                                               {"chart", "../charts/chart1.xml"}})));
        entries.push_back(storedZipEntry("ppt/notesSlides/notesSlide1.xml", p[2].toByteArray()));
        entries.push_back(storedZipEntry("ppt/slideLayouts/slideLayout1.xml", p[3].toByteArray()));
        entries.push_back(storedZipEntry("ppt/slideLayouts/_rels/slideLayout1.xml.rels",
                                         rels({{"slideMaster", "../slideMasters/m1.xml"}})));
        entries.push_back(storedZipEntry("ppt/slideMasters/m1.xml", p[4].toByteArray()));
        entries.push_back(storedZipEntry("ppt/comments/comment1.xml", p[5].toByteArray()));
        entries.push_back(storedZipEntry("ppt/charts/chart1.xml", p[6].toByteArray()));
    }
    return zipFile(entries);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    const int kind = data[0] % 3;
    const QByteArray bytes = package(kind, fuzzparts::split(data + 1, size - 1, 7));
    Extraction extraction(bytes, {}, {qsizetype(1) << 24, qint64(512) << 20});
    extractOfficePackage(extraction);
    return 0;
}
