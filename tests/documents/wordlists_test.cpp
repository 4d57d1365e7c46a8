// The numbers and bullets of Word's lists are in no run of the document: a
// search for "3.2 Scope" must still find the numbered heading.
#include "documents/documenttext.h"
#include "support/documentrows.h"
#include "tests/support/zipbytes.h"

#include <gtest/gtest.h>

namespace {

QByteArray level(int ilvl, const char *format, const char *text, int start = 1) {
    return QByteArray("<w:lvl w:ilvl=\"") + QByteArray::number(ilvl) + "\"><w:start w:val=\"" +
           QByteArray::number(start) + "\"/><w:numFmt w:val=\"" + format +
           "\"/><w:lvlText w:val=\"" + text + "\"/></w:lvl>";
}

QByteArray paragraph(const char *text, int numId = -1, int ilvl = 0, const char *style = "") {
    QByteArray properties;
    if (*style)
        properties += QByteArray("<w:pStyle w:val=\"") + style + "\"/>";
    if (numId >= 0)
        properties += "<w:numPr><w:ilvl w:val=\"" + QByteArray::number(ilvl) +
                      "\"/><w:numId w:val=\"" + QByteArray::number(numId) + "\"/></w:numPr>";
    return "<w:p><w:pPr>" + properties + "</w:pPr><w:r><w:t>" + text + "</w:t></w:r></w:p>";
}

QStringList numberedPieces() {
    const QByteArray numbering =
        "<w:numbering>"
        "<w:abstractNum w:abstractNumId=\"0\">" +
        level(0, "decimal", "%1.") + level(1, "decimal", "%1.%2") + level(2, "lowerLetter", "%3)") +
        "</w:abstractNum>"
        "<w:abstractNum w:abstractNumId=\"1\">" +
        level(0, "bullet", "\xEF\x82\xB7") +
        "</w:abstractNum>"
        "<w:abstractNum w:abstractNumId=\"2\">" +
        level(0, "upperRoman", "%1.") + level(1, "lowerRoman", "(%2)", 3) +
        "</w:abstractNum>"
        "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>"
        "<w:num w:numId=\"2\"><w:abstractNumId w:val=\"1\"/></w:num>"
        "<w:num w:numId=\"3\"><w:abstractNumId w:val=\"2\"/>"
        "<w:lvlOverride w:ilvl=\"0\"><w:startOverride w:val=\"4\"/></w:lvlOverride></w:num>"
        "<w:num w:numId=\"4\"><w:abstractNumId w:val=\"0\"/></w:num>"
        "</w:numbering>";
    const QByteArray styles =
        "<w:styles><w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:pPr><w:numPr>"
        "<w:numId w:val=\"1\"/></w:numPr></w:pPr></w:style>"
        "<w:style w:type=\"paragraph\" w:styleId=\"Chapter\"><w:basedOn w:val=\"Heading1\"/>"
        "</w:style></w:styles>";
    const QByteArray body =
        paragraph("Introduction", -1, 0, "Heading1") + paragraph("Purpose", 1, 1) +
        paragraph("Scope", 1, 1) + paragraph("first", 1, 2) + paragraph("second", 1, 2) +
        paragraph("Design", -1, 0, "Chapter") + paragraph("Layers", 4, 1) + paragraph("point", 2) +
        paragraph("Fourth", 3) + paragraph("sub", 3, 1) + paragraph("Plain") +
        paragraph("Unlisted", 0, 0, "Heading1");
    std::vector<ZipEntryBytes> entries = wordPackage(
        zipEntry("word/document.xml", "<w:document><w:body>" + body + "</w:body></w:document>"));
    entries.push_back(zipEntry("word/_rels/document.xml.rels",
                               "<Relationships>"
                               "<Relationship Id=\"rId1\" Type=\"x/numbering\" "
                               "Target=\"numbering.xml\"/>"
                               "<Relationship Id=\"rId2\" Type=\"x/styles\" Target=\"styles.xml\"/>"
                               "</Relationships>"));
    entries.push_back(zipEntry("word/numbering.xml", numbering));
    entries.push_back(zipEntry("word/styles.xml", styles));
    return documentRows(zipFile(entries));
}

TEST(WordLists, NumbersLettersRomansAndBulletsAsWordDrawsThem) {
    EXPECT_EQ(numberedPieces(), QStringList({
                                    u"1. Introduction"_qs, u"1.1 Purpose"_qs, u"1.2 Scope"_qs,
                                    u"a) first"_qs, u"b) second"_qs,
                                    u"2. Design"_qs,  // a style based on a numbered one
                                    u"2.1 Layers"_qs, // another list of one definition counts on
                                    u"\u00B7 point"_qs,
                                    u"IV. Fourth"_qs, // a list that starts anew at 4
                                    u"(iii) sub"_qs, u"Plain"_qs,
                                    u"Unlisted"_qs, // list 0 takes the style's number away
                                }));
}

} // namespace
