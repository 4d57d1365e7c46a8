// Binary workbooks built here from the published record layout, read against
// the same sheet written as XML: both must give the same rows.
#include "documents/documenttext.h"
#include "documents/xlsbtext.h"
#include "tests/support/zipbytes.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray varint(quint32 value) {
    QByteArray out;
    do {
        out += char((value & 0x7F) | (value > 0x7F ? 0x80 : 0));
        value >>= 7;
    } while (value);
    return out;
}

QByteArray record(quint32 type, const QByteArray &data = {}) {
    return varint(type) + varint(quint32(data.size())) + data;
}

QByteArray wide(const QString &text) {
    return le32(quint32(text.size())) +
           QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

QByteArray cell(quint32 type, quint32 column, quint32 style, const QByteArray &value) {
    return record(type, le32(column) + le32(style) + value);
}

QByteArray real(double value) {
    QByteArray out(8, '\0');
    std::memcpy(out.data(), &value, 8);
    return out;
}

QByteArray xf(quint16 format) {
    return record(47, le16(0) + le16(format) + QByteArray(12, '\0'));
}

struct Parts {
    QByteArray book, sheet, strings, styles;
};

Parts workbookParts() {
    const QByteArray book = record(131) + record(153, le32(0) + le32(0)) +
                            record(156, le32(0) + le32(1) + wide(QStringLiteral("rId1")) +
                                            wide(QStringLiteral("Data"))) +
                            record(132);
    const QByteArray strings = record(159, le32(2) + le32(2)) +
                               record(19, '\0' + wide(QStringLiteral("Region"))) +
                               record(19, '\0' + wide(QStringLiteral("Revenue"))) + record(160);
    // The style formats before the cell formats must not be taken for them.
    const QByteArray styles = record(44, le16(164) + wide(QStringLiteral("0.0"))) + record(626) +
                              xf(10) + record(627) + record(617) + xf(0) + xf(10) + xf(164) +
                              xf(14) + record(618);
    const QByteArray row = record(0, QByteArray(17, '\0'));
    const QByteArray sheet =
        record(129) + record(145) + row + cell(7, 0, 0, le32(0)) + cell(7, 1, 0, le32(1)) + row +
        cell(6, 0, 0, wide(QStringLiteral("North"))) + cell(2, 1, 0, le32((1250u << 2) | 3)) +
        cell(4, 2, 0, "\x01") + row +
        cell(8, 0, 0, wide(QStringLiteral("Computed")) + le16(0) + le32(0)) +
        cell(5, 1, 0, real(1250.75)) + cell(2, 2, 1, le32(0x3FD00000)) +
        cell(9, 3, 2, real(3.14159) + le16(0) + le32(0)) + row + cell(3, 0, 0, "\x07") +
        cell(62, 1, 0, '\0' + wide(QStringLiteral("Rich text"))) +
        cell(2, 2, 0, le32(quint32(-7 * 4) | 2)) + cell(5, 3, 3, real(46000)) + record(146) +
        record(130);
    return {book, sheet, strings, styles};
}

/// The workbook, its sheet part cut after sheetBytes when that is given.
QByteArray binaryWorkbook(qsizetype sheetBytes = -1) {
    const auto [book, sheet, strings, styles] = workbookParts();
    const QByteArray rels =
        "<Relationships>"
        "<Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"worksheets/sheet1.bin\"/>"
        "<Relationship Id=\"rId2\" Type=\"x/sharedStrings\" Target=\"sharedStrings.bin\"/>"
        "<Relationship Id=\"rId3\" Type=\"x/styles\" Target=\"styles.bin\"/></Relationships>";
    return zipFile(
        {zipEntry("[Content_Types].xml",
                  "<Types><Override PartName=\"/xl/workbook.bin\" ContentType=\"application/"
                  "vnd.ms-excel.sheet.binary.macroEnabled.main\"/></Types>"),
         zipEntry("_rels/.rels", "<Relationships><Relationship Id=\"rId1\" "
                                 "Type=\"x/officeDocument\" Target=\"xl/workbook.bin\"/>"
                                 "</Relationships>"),
         zipEntry("xl/workbook.bin", book), zipEntry("xl/_rels/workbook.bin.rels", rels),
         zipEntry("xl/styles.bin", styles), zipEntry("xl/sharedStrings.bin", strings),
         zipEntry("xl/worksheets/sheet1.bin",
                  sheetBytes < 0 ? sheet : sheet.first(qMin(sheetBytes, sheet.size())))});
}

QByteArray sameAsXml() {
    return zipFile(workbookPackage(
        zipEntry("xl/worksheets/sheet1.xml",
                 "<worksheet><sheetData>"
                 "<row><c t=\"s\"><v>0</v></c><c t=\"s\"><v>1</v></c></row>"
                 "<row><c t=\"inlineStr\"><is><t>North</t></is></c><c><v>12.5</v></c>"
                 "<c t=\"b\"><v>1</v></c></row>"
                 "<row><c t=\"str\"><f>A1</f><v>Computed</v></c><c><v>1250.75</v></c>"
                 "<c s=\"1\"><v>0.25</v></c><c s=\"2\"><v>3.14159</v></c></row>"
                 "<row><c t=\"e\"><v>#DIV/0!</v></c><c t=\"inlineStr\"><is><t>Rich text</t>"
                 "</is></c><c><v>-7</v></c><c s=\"3\"><v>46000</v></c></row>"
                 "</sheetData></worksheet>"),
        "<sst><si><t>Region</t></si><si><t>Revenue</t></si></sst>",
        "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"0.0\"/></numFmts>"
        "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"10\"/><xf numFmtId=\"164\"/>"
        "<xf numFmtId=\"14\"/></cellXfs></styleSheet>"));
}

TEST(BinaryWorkbook, GivesTheRowsTheSameSheetInXmlGives) {
    const QByteArray binaryBytes = binaryWorkbook(), xmlBytes = sameAsXml();
    Extraction binary(binaryBytes);
    ASSERT_TRUE(isBinaryWorkbook(binary));
    EXPECT_EQ(extractDocument(binary, u"book.xlsb"), Outcome::Text);
    Extraction xml(xmlBytes);
    EXPECT_FALSE(isBinaryWorkbook(xml));
    ASSERT_EQ(extractDocument(xml, u"book.xlsx"), Outcome::Text);
    EXPECT_EQ(binary.text, xml.text);
    EXPECT_TRUE(binary.text.contains(u"Computed 1250.75 25.00% 3.1\r\n"))
        << binary.text.toStdString();
    EXPECT_TRUE(binary.text.startsWith(u"Data\r\nRegion Revenue\r\nNorth 12.5 TRUE\r\n"));
}

TEST(BinaryWorkbook, CutOffRecordsGiveTheCellsBeforeTheCut) {
    const QByteArray wholeBytes = binaryWorkbook();
    Extraction whole(wholeBytes);
    ASSERT_EQ(extractDocument(whole, u"book.xlsb"), Outcome::Text);
    for (qsizetype cut = 0; cut < 300; ++cut) {
        const QByteArray bytes = binaryWorkbook(cut);
        Extraction extraction(bytes);
        ASSERT_EQ(extractDocument(extraction, u"book.xlsb"), Outcome::Text);
        QString text = extraction.text;
        text.chop(2);
        EXPECT_TRUE(whole.text.startsWith(text)) << cut << " " << text.toStdString();
    }
}

// QUARRIX_WRITE_SEEDS=dir writes the workbook's parts as a seed for fuzzing.
TEST(BinaryWorkbook, WritesFuzzSeedsWhenAsked) {
    const QString dir = qEnvironmentVariable("QUARRIX_WRITE_SEEDS");
    if (dir.isEmpty())
        GTEST_SKIP();
    QDir().mkpath(dir);
    QFile file(dir + QStringLiteral("/book.parts"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const Parts parts = workbookParts();
    file.write(parts.book + "|PART|" + parts.sheet + "|PART|" + parts.strings + "|PART|" +
               parts.styles);
}

} // namespace
