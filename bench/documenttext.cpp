// Text extraction speed of a 10 MB Word document and a 10 MB Excel workbook,
// against reading the same file. Built with the tests (target
// bench_documenttext); run: build/release/tests/documents/bench_documenttext [RUNS]
//
// The documents are written here in the formats' own layout (a version 4
// compound file; Word's FIB and piece table with 8-bit and UTF-16 pieces;
// BIFF8 with a shared string table split by CONTINUE records), so that the
// benchmark needs no office program.
#include "documents/documenttext.h"
#include "bench/benchsupport.h"
#include "platform/inputfile.h"
#include "tests/support/recordbytes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qsizetype Target = 10 * 1024 * 1024;
constexpr int SectorSize = 4096;

void set32(QByteArray &b, qsizetype at, quint32 v) {
    qToLittleEndian(v, b.data() + at);
}

/// A version 4 compound file holding streams in the root storage, each at
/// least 4096 bytes so that none goes to the mini stream.
QByteArray compoundFile(const std::vector<std::pair<QString, QByteArray>> &streams) {
    std::vector<quint32> starts, counts;
    quint32 next = 0;
    for (const auto &s : streams) {
        starts.push_back(next);
        counts.push_back(quint32((s.second.size() + SectorSize - 1) / SectorSize));
        next += counts.back();
    }
    const quint32 dirSector = next++;
    const quint32 fatCount = (next + 1024) / 1023 + 1;
    const quint32 fatStart = next;
    next += fatCount;
    std::vector<quint32> fat(size_t(fatCount) * 1024, 0xFFFFFFFF);
    for (size_t i = 0; i < streams.size(); ++i)
        for (quint32 k = 0; k < counts[i]; ++k)
            fat[starts[i] + k] = k + 1 < counts[i] ? starts[i] + k + 1 : 0xFFFFFFFE;
    fat[dirSector] = 0xFFFFFFFE;
    for (quint32 k = 0; k < fatCount; ++k)
        fat[fatStart + k] = 0xFFFFFFFD;

    QByteArray header(SectorSize, '\0');
    header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    const char fixed[] = {0x3E, 0, 4, 0, '\xFE', '\xFF', 12, 0, 6, 0};
    header.replace(0x18, 10, QByteArray(fixed, 10));
    set32(header, 0x2C, fatCount);
    set32(header, 0x30, dirSector);
    set32(header, 0x38, 4096);
    set32(header, 0x3C, 0xFFFFFFFE);
    set32(header, 0x44, 0xFFFFFFFE);
    for (int i = 0; i < 109; ++i)
        set32(header, 0x4C + i * 4, quint32(i) < fatCount ? fatStart + i : 0xFFFFFFFF);

    QByteArray out = header;
    for (const auto &s : streams)
        out += s.second + QByteArray((SectorSize - s.second.size() % SectorSize) % SectorSize, 0);
    QByteArray dir(SectorSize, '\0');
    const auto entry = [&](int i, const QString &name, int type, quint32 child, quint32 right,
                           quint32 start, quint32 size) {
        const qsizetype at = i * 128;
        dir.replace(at, name.size() * 2,
                    QByteArray(reinterpret_cast<const char *>(name.utf16()), name.size() * 2));
        qToLittleEndian(quint16((name.size() + 1) * 2), dir.data() + at + 0x40);
        dir[at + 0x42] = char(type);
        set32(dir, at + 0x44, 0xFFFFFFFF);
        set32(dir, at + 0x48, right);
        set32(dir, at + 0x4C, child);
        set32(dir, at + 0x74, start);
        set32(dir, at + 0x78, size);
    };
    entry(0, QStringLiteral("Root Entry"), 5, 1, 0xFFFFFFFF, 0xFFFFFFFE, 0);
    for (size_t i = 0; i < streams.size(); ++i)
        entry(int(i) + 1, streams[i].first, 2, 0xFFFFFFFF,
              i + 1 < streams.size() ? quint32(i) + 2 : 0xFFFFFFFF, starts[i],
              quint32(streams[i].second.size()));
    out += dir;
    for (const quint32 word : fat)
        put32(out, word);
    return out;
}

QByteArray wordDocument() {
    const QByteArray sentence =
        "The quick brown fox jumps over the lazy dog near the river bank.\r";
    QByteArray doc(1024, '\0');
    qToLittleEndian(quint16(0xA5EC), doc.data());
    qToLittleEndian(quint16(193), doc.data() + 2);
    qToLittleEndian(quint16(0x0200), doc.data() + 0x0A); // the table stream is 1Table
    qsizetype at = 32;
    qToLittleEndian(quint16(14), doc.data() + at);
    at += 2 + 28;
    qToLittleEndian(quint16(22), doc.data() + at);
    at += 2 + 88;
    qToLittleEndian(quint16(93), doc.data() + at);
    const qsizetype clxPair = at + 2 + 33 * 8;
    // Pieces of 64 KB, 8-bit and UTF-16 in turn.
    std::vector<quint32> cps{0}, fcs;
    while (doc.size() < Target) {
        const bool wide = fcs.size() % 2;
        QByteArray piece;
        while (piece.size() < 64 * 1024)
            piece += sentence;
        fcs.push_back(wide ? quint32(doc.size()) : quint32(doc.size() * 2) | 0x40000000);
        if (wide) {
            const QString text = QString::fromLatin1(piece);
            doc.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        } else {
            doc += piece;
        }
        cps.push_back(cps.back() + quint32(piece.size()));
    }
    QByteArray plc;
    for (const quint32 cp : cps)
        put32(plc, cp);
    for (const quint32 fc : fcs) {
        put16(plc, 0);
        put32(plc, fc);
        put16(plc, 0);
    }
    QByteArray table(4096, '\0');
    table[0] = 2;
    set32(table, 1, quint32(plc.size()));
    table.replace(5, plc.size(), plc);
    table.resize(qMax<qsizetype>(table.size(), 5 + plc.size()));
    set32(doc, clxPair, 0);
    set32(doc, clxPair + 4, quint32(5 + plc.size()));
    return compoundFile({{QStringLiteral("WordDocument"), doc}, {QStringLiteral("1Table"), table}});
}

void record(QByteArray &out, quint16 type, const QByteArray &data) {
    put16(out, type);
    put16(out, quint16(data.size()));
    out += data;
}

QByteArray workbook() {
    QByteArray book;
    QByteArray bof;
    put16(bof, 0x0600);
    put16(bof, 0x0005);
    bof += QByteArray(12, '\0');
    record(book, 0x0809, bof);
    QByteArray sheet;
    put32(sheet, 0); // the sheet's offset, set below
    sheet += QByteArray("\0\0\5\0Data", 8);
    const qsizetype sheetRecord = book.size() + 4;
    record(book, 0x0085, sheet);
    // Shared strings in records of at most 8224 bytes, cut between strings.
    const int strings = 60000;
    QByteArray part;
    put32(part, strings);
    put32(part, strings);
    quint16 type = 0x00FC;
    for (int i = 0; i < strings; ++i) {
        QByteArray s = "Customer number " + QByteArray::number(i) + " in region north";
        QByteArray one;
        put16(one, quint16(s.size()));
        one += '\0' + s;
        if (part.size() + one.size() > 8224) {
            record(book, type, part);
            type = 0x003C;
            part.clear();
        }
        part += one;
    }
    record(book, type, part);
    record(book, 0x000A, {});
    set32(book, sheetRecord, quint32(book.size()));
    record(book, 0x0809, bof);
    for (quint32 row = 0; book.size() < Target; ++row) {
        for (quint16 col = 0; col < 18; ++col) {
            QByteArray cell;
            put16(cell, quint16(row));
            put16(cell, col);
            put16(cell, 0);
            if (col % 3 == 0) {
                put32(cell, (row * 6 + col / 3) % strings);
                record(book, 0x00FD, cell);
            } else if (col % 3 == 1) {
                const double value = row * 1.25;
                cell.append(reinterpret_cast<const char *>(&value), 8);
                record(book, 0x0203, cell);
            } else {
                put32(cell, (row << 2) | 2);
                record(book, 0x027E, cell);
            }
        }
    }
    record(book, 0x000A, {});
    return compoundFile({{QStringLiteral("Workbook"), book}});
}

/// Reading the file into memory and taking its text, as the scan's buffer
/// does; *load is the part spent reading it into memory.
double extractSeconds(const QString &path, qsizetype *chars, double *load) {
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    *load = timer.nsecsElapsed() / 1e9;
    *chars = documentText(bytes).size();
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

using bench::median;
using bench::readSeconds;

int main(int argc, char **argv) {
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    bench::DocumentFolder folder;
    for (const auto &[name, bytes] : {std::pair{QStringLiteral("big.doc"), wordDocument()},
                                      std::pair{QStringLiteral("big.xls"), workbook()}}) {
        const QString path = folder.write(name, bytes);
        std::vector<double> read, extract, load;
        qsizetype chars = 0;
        for (int i = 0; i < runs; ++i) {
            read.push_back(readSeconds(path));
            extract.push_back(extractSeconds(path, &chars, &load.emplace_back()));
        }
        std::printf("%s: %.1f MB, %lld characters of text; read %.2f ms, extract %.2f ms "
                    "(of which loading %.2f ms; medians of %d), ratio %.1f\n",
                    qPrintable(name), bytes.size() / 1048576.0, static_cast<long long>(chars),
                    median(read) * 1e3, median(extract) * 1e3, median(load) * 1e3, runs,
                    median(extract) / median(read));
    }
}
