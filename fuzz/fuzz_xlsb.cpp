// Binary workbooks from their record parts, stored here in a zip so that the
// fuzzer works on the records, not on the container. Parts are cut at
// "|PART|": workbook|PART|sheet|PART|sharedStrings|PART|styles
#include "documents/xlsbtext.h"
#include "fuzz/fuzzparts.h"
#include "tests/support/zipbytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QList<QByteArrayView> p = fuzzparts::split(data, size, 4);
    const QByteArray bytes = zipFile(
        {storedZipEntry("[Content_Types].xml", "<Types/>"),
         storedZipEntry("_rels/.rels", "<Relationships><Relationship Id=\"rId1\" "
                                       "Type=\"x/officeDocument\" Target=\"xl/workbook.bin\"/>"
                                       "</Relationships>"),
         storedZipEntry("xl/_rels/workbook.bin.rels",
                        "<Relationships>"
                        "<Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"sheet1.bin\"/>"
                        "<Relationship Id=\"rId2\" Type=\"x/sharedStrings\" Target=\"s.bin\"/>"
                        "<Relationship Id=\"rId3\" Type=\"x/styles\" Target=\"styles.bin\"/>"
                        "</Relationships>"),
         storedZipEntry("xl/workbook.bin", p[0].toByteArray()),
         storedZipEntry("xl/sheet1.bin", p[1].toByteArray()),
         storedZipEntry("xl/s.bin", p[2].toByteArray()),
         storedZipEntry("xl/styles.bin", p[3].toByteArray())});
    Extraction extraction(bytes);
    if (isBinaryWorkbook(extraction))
        extractBinaryWorkbook(extraction);
    return 0;
}
