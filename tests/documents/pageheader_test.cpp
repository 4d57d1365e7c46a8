// Page headers and footers of spreadsheets and presentations are text of
// their sheet or slides: found, without the codes and fields they are kept in.
#include "documents/documenttext.h"
#include "documents/pageheader.h"
#include "support/documentrows.h"
#include "tests/support/zipbytes.h"

#include <gtest/gtest.h>

namespace {

QByteArray openDocument(const char *type, const QByteArray &content, const QByteArray &styles) {
    return zipFile(
        {storedZipEntry("mimetype", QByteArray("application/vnd.oasis.opendocument.") + type),
         zipEntry("content.xml", content), zipEntry("styles.xml", styles)});
}

TEST(PageHeaders, CodesOfTheSheetHeaderLanguageAreLeftOut) {
    const struct {
        const char *codes, *shown;
    } cases[] = {
        {"&LLeft&CCentre&RRight", "Left Centre Right"},
        {"&\"Times New Roman,Italic\"&14Budget &D &T", "Budget"},
        {"&KFF0000Red&K01+033 theme", "Red theme"},
        {"Tom && Jerry &P/&N &F &A &Z&G", "Tom & Jerry /"},
        {"&B&I&U&S&X&Y&E", ""},
        {"trailing &", "trailing &"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(sheetHeaderText(QString::fromUtf8(c.codes)), QString::fromUtf8(c.shown))
            << c.codes;
}

TEST(PageHeaders, SheetsAndSlidesShowTheirHeadersAndFooters) {
    const QByteArray sheet =
        "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>cell</t></is></c></row>"
        "</sheetData><headerFooter><oddHeader>&amp;CBudget 2026</oddHeader>"
        "<oddFooter>&amp;LConfidential&amp;RPage &amp;P</oddFooter>"
        "<evenHeader>&amp;CBudget 2026</evenHeader></headerFooter></worksheet>";
    const QByteArray xlsx = zipFile(
        workbookPackage(zipEntry("xl/worksheets/sheet1.xml", sheet), "<sst/>", "<styleSheet/>"));
    EXPECT_EQ(documentRows(xlsx),
              QStringList({u"Data"_qs, u"cell"_qs, u"Budget 2026"_qs, u"Confidential Page"_qs}));

    const QByteArray ods = openDocument(
        "spreadsheet",
        "<office:document-content><office:body><office:spreadsheet><table:table table:name=\"S1\">"
        "<table:table-row><table:table-cell><text:p>cell</text:p></table:table-cell>"
        "</table:table-row></table:table></office:spreadsheet></office:body>"
        "</office:document-content>",
        "<office:document-styles><office:master-styles><style:master-page>"
        "<style:header><style:region-left><text:p>Budget <text:sheet-name>??"
        "?</text:sheet-name>"
        "</text:p></style:region-left></style:header><style:footer><text:p>Page "
        "<text:page-number>1</text:page-number> Internal</text:p></style:footer>"
        "</style:master-page></office:master-styles></office:document-styles>");
    EXPECT_EQ(documentRows(ods),
              QStringList({u"S1"_qs, u"cell"_qs, u"Budget "_qs, u"Page  Internal"_qs}));

    const QByteArray odp = openDocument(
        "presentation",
        "<office:document-content><office:body><office:presentation>"
        "<presentation:footer-decl presentation:name=\"ftr1\">Sales "
        "meeting</presentation:footer-decl>"
        "<draw:page><draw:frame><draw:text-box><text:p>Slide text</text:p></draw:text-box>"
        "</draw:frame></draw:page></office:presentation></office:body></office:document-content>",
        "<office:document-styles/>");
    EXPECT_EQ(documentRows(odp), QStringList({u"Sales meeting"_qs, u"Slide text"_qs}));
}

} // namespace
