#pragma once

#include "tests/support/recordbytes.h"

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>
#include <zlib.h>

// Zip files that tests and benchmarks write: deflated entries, and entries
// that inflate to far more than they hold (one deflated chunk repeated).

struct ZipEntryBytes {
    QByteArray name;
    QByteArray deflated; ///< the data as stored
    quint32 crc = 0;
    quint64 size = 0;
    quint16 method = 8; ///< deflated; 0 for stored
};

/// Raw deflate of data; flush Z_FULL_FLUSH leaves a chunk that can be
/// repeated, Z_FINISH ends the stream.
inline QByteArray rawDeflate(const QByteArray &data, int flush, int level = 6) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(data.size()))) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, flush);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

inline ZipEntryBytes zipEntry(const QByteArray &name, const QByteArray &data) {
    return {name, rawDeflate(data, Z_FINISH),
            quint32(crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size()))),
            quint64(data.size())};
}

/// An entry stored without compression (quick to write, as fuzzing wants).
inline ZipEntryBytes storedZipEntry(const QByteArray &name, const QByteArray &data) {
    return {name, data,
            quint32(crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size()))),
            quint64(data.size()), 0};
}

/// An entry whose data is head, then chunk repeated times, then tail.
inline ZipEntryBytes repeatedZipEntry(const QByteArray &name, const QByteArray &head,
                                      const QByteArray &chunk, qint64 times,
                                      const QByteArray &tail) {
    const auto crcOf = [](const QByteArray &b) {
        return crc32(0, reinterpret_cast<const Bytef *>(b.constData()), uInt(b.size()));
    };
    ZipEntryBytes e{name, rawDeflate(head, Z_FULL_FLUSH), quint32(crcOf(head)),
                    quint64(head.size())};
    const QByteArray deflatedChunk = rawDeflate(chunk, Z_FULL_FLUSH);
    const uLong chunkCrc = crcOf(chunk);
    uLong crc = e.crc;
    for (qint64 i = 0; i < times; ++i) {
        e.deflated += deflatedChunk;
        crc = crc32_combine(crc, chunkCrc, z_off_t(chunk.size()));
    }
    e.deflated += rawDeflate(tail, Z_FINISH);
    e.crc = quint32(crc32_combine(crc, crcOf(tail), z_off_t(tail.size())));
    e.size = quint64(head.size()) + quint64(chunk.size()) * quint64(times) + quint64(tail.size());
    return e;
}

/// A zip file of the entries (sizes past 4 GB are written as 0xFFFFFFFF,
/// which readers take as unknown or damaged).
inline QByteArray zipFile(const std::vector<ZipEntryBytes> &entries) {
    QByteArray out, directory;
    for (const ZipEntryBytes &e : entries) {
        const quint32 offset = quint32(out.size());
        const quint32 size = e.size > 0xFFFFFFFEu ? 0xFFFFFFFFu : quint32(e.size);
        QByteArray common;
        put16(common, 20);
        put16(common, 0);
        put16(common, e.method);
        put32(common, 0);
        put32(common, e.crc);
        put32(common, quint32(e.deflated.size()));
        put32(common, size);
        put16(common, quint16(e.name.size()));
        put16(common, 0);
        out += QByteArray("PK\x03\x04", 4) + common + e.name + e.deflated;
        directory += QByteArray("PK\x01\x02", 4) + le16(20) + common + le16(0) + le16(0) + le16(0) +
                     le32(0) + le32(offset) + e.name;
    }
    const quint32 directoryOffset = quint32(out.size());
    out += directory;
    out += QByteArray("PK\x05\x06", 4) + le16(0) + le16(0) + le16(quint16(entries.size())) +
           le16(quint16(entries.size())) + le32(quint32(directory.size())) + le32(directoryOffset) +
           le16(0);
    return out;
}

/// The parts every Word package needs around its document part.
inline std::vector<ZipEntryBytes> wordPackage(ZipEntryBytes document) {
    return {zipEntry("[Content_Types].xml",
                     "<?xml version=\"1.0\"?><Types><Override PartName=\"/word/document.xml\" "
                     "ContentType=\"application/"
                     "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
                     "</Types>"),
            zipEntry("_rels/.rels",
                     "<Relationships><Relationship Id=\"rId1\" Type=\"http://schemas."
                     "openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
                     "Target=\"word/document.xml\"/></Relationships>"),
            std::move(document)};
}

/// The parts of an Excel package of one sheet "Data" around its sheet part
/// (xl/worksheets/sheet1.xml), shared strings and cell styles.
inline std::vector<ZipEntryBytes> workbookPackage(ZipEntryBytes sheet, const QByteArray &strings,
                                                  const QByteArray &styles) {
    const QByteArray rels = "<Relationships>"
                            "<Relationship Id=\"rId1\" Type=\"x/worksheet\" "
                            "Target=\"worksheets/sheet1.xml\"/>"
                            "<Relationship Id=\"rId2\" Type=\"x/sharedStrings\" "
                            "Target=\"sharedStrings.xml\"/>"
                            "<Relationship Id=\"rId3\" Type=\"x/styles\" Target=\"styles.xml\"/>"
                            "</Relationships>";
    return {zipEntry("[Content_Types].xml",
                     "<Types><Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                     "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>"),
            zipEntry("_rels/.rels", "<Relationships><Relationship Id=\"rId1\" "
                                    "Type=\"x/officeDocument\" Target=\"xl/workbook.xml\"/>"
                                    "</Relationships>"),
            zipEntry("xl/workbook.xml",
                     "<workbook><sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/>"
                     "</sheets></workbook>"),
            zipEntry("xl/_rels/workbook.xml.rels", rels),
            zipEntry("xl/styles.xml", styles),
            zipEntry("xl/sharedStrings.xml", strings),
            std::move(sheet)};
}
