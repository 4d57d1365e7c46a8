// Word and Excel text from streams built here record by record: what office
// programs seldom write but files carry (cells out of order, one string named
// a million times, special characters at every position of a piece).
#include "documents/compoundfile.h"
#include "documents/compoundtext.h"
#include "documents/exceltext.h"
#include "documents/textwriter.h"
#include "documents/wordtext.h"
#include "tests/support/recordbytes.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>

namespace {

QByteArray record(quint16 type, const QByteArray &data) {
    QByteArray out;
    put16(out, type);
    put16(out, quint16(data.size()));
    return out + data;
}

QByteArray cell(quint16 type, quint16 row, quint16 col, const QByteArray &value) {
    QByteArray data;
    put16(data, row);
    put16(data, col);
    put16(data, 0);
    return record(type, data + value);
}
QByteArray number(quint16 row, quint16 col, double value) {
    return cell(0x0203, row, col, QByteArray(reinterpret_cast<const char *>(&value), 8));
}
QByteArray rk(quint16 row, quint16 col, quint32 value) {
    QByteArray data;
    put32(data, value);
    return cell(0x027E, row, col, data);
}
QByteArray labelSst(quint16 row, quint16 col, quint32 index) {
    QByteArray data;
    put32(data, index);
    return cell(0x00FD, row, col, data);
}

QByteArray bof() {
    QByteArray data;
    put16(data, 0x0600);
    put16(data, 0x0010);
    return record(0x0809, data + QByteArray(12, '\0'));
}
QByteArray eof() {
    return record(0x000A, {});
}

QByteArray sst(const QList<QByteArray> &strings) {
    QByteArray data;
    put32(data, quint32(strings.size()));
    put32(data, quint32(strings.size()));
    for (const QByteArray &s : strings) {
        put16(data, quint16(s.size()));
        data += '\0' + s;
    }
    return record(0x00FC, data);
}

/// A workbook of named sheets, each given as its cell records.
QByteArray workbook(const QList<QByteArray> &strings,
                    const QList<std::pair<QByteArray, QByteArray>> &sheets) {
    qsizetype globals = bof().size() + sst(strings).size() + eof().size();
    for (const auto &sheet : sheets)
        globals += 4 + 8 + sheet.first.size();
    QByteArray out = bof();
    qsizetype position = globals;
    for (const auto &[name, cells] : sheets) {
        QByteArray data;
        put32(data, quint32(position));
        data += QByteArray("\0\0", 2) + char(name.size()) + '\0' + name;
        out += record(0x0085, data);
        position += bof().size() + cells.size() + eof().size();
    }
    out += sst(strings) + eof();
    for (const auto &sheet : sheets)
        out += bof() + sheet.second + eof();
    return out;
}

QString workbookText(const QByteArray &stream) {
    QString text;
    EXPECT_EQ(officetext::workbookText(stream, text), Outcome::Text);
    return text;
}

TEST(ExcelText, CellsOutOfOrderAreSortedWithinTheirSheet) {
    QByteArray formula;
    put16(formula, 2);
    put16(formula, 1);
    put16(formula, 0);
    formula += QByteArray("\0\0\0\0\0\0\xFF\xFF", 8) + QByteArray(6, '\0');
    QByteArray result;
    put16(result, 4);
    result += QByteArray("\0late", 5);
    QByteArray mulRk;
    put16(mulRk, 1);
    put16(mulRk, 2);
    for (const quint32 value : {(5u << 2) | 2, (6u << 2) | 2}) {
        put16(mulRk, 0);
        put32(mulRk, value);
    }
    put16(mulRk, 3);
    const QByteArray first = labelSst(2, 0, 1) + record(0x0006, formula) + record(0x0207, result) +
                             number(0, 1, 2.5) + rk(0, 0, (7u << 2) | 2) + record(0x00BD, mulRk) +
                             labelSst(1, 0, 0) + labelSst(1, 0, 1);
    const QByteArray second =
        labelSst(0, 0, 0) + rk(0, 3, quint32(-5 << 2) | 2) + rk(1, 0, (1234u << 2) | 3);
    EXPECT_EQ(workbookText(workbook({"alpha", "beta"}, {{"First", first}, {"Second", second}})),
              QStringLiteral("First\r\n7 2.5\r\nalpha beta 5 6\r\nbeta late\r\n"
                             "Second\r\nalpha -5\r\n12.34\r\n"));
}

TEST(ExcelText, SharedStringsSplitAcrossContinueRecords) {
    // "hello" with its count before the cut and its options after it;
    // "abcd" cut inside its characters, going on as UTF-16.
    QByteArray first, second;
    put32(first, 2);
    put32(first, 2);
    put16(first, 5);
    second = QByteArray("\0hello", 6);
    put16(second, 4);
    second += QByteArray("\0ab", 3);
    const QByteArray third("\1c\0d\0", 5);
    QByteArray stream = bof() + record(0x00FC, first) + record(0x003C, second) +
                        record(0x003C, third) + eof() + bof() + labelSst(0, 0, 0) +
                        labelSst(0, 1, 1) + eof();
    EXPECT_EQ(workbookText(stream), QStringLiteral("hello abcd\r\n"));
}

TEST(ExcelText, NumbersInTheirShortestForm) {
    std::vector<double> values{0.0,
                               -0.0,
                               1,
                               -1,
                               2.5,
                               -2.5,
                               0.05,
                               -0.05,
                               -0.5,
                               0.1,
                               0.01,
                               -0.01,
                               1e12,
                               1e15,
                               -1e15,
                               1e16,
                               1e300,
                               1e-7,
                               1.0 / 3,
                               99.99,
                               1e12 - 0.01,
                               999999999999.99,
                               123456.7,
                               std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::denorm_min()};
    QRandomGenerator random(7);
    for (int i = 0; i < 3000; ++i) {
        const qint64 whole = qint64(random.bounded(2e13)) - qint64(1e13);
        const double hundredths = double(whole) / 100;
        for (const double v :
             {hundredths, std::nextafter(hundredths, 1e300), std::nextafter(hundredths, -1e300)})
            values.push_back(v);
        values.push_back(random.bounded(1e6) - 5e5);
        quint64 bits = random.generate64();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        values.push_back(any);
    }
    QByteArray cells;
    QStringList expected;
    for (size_t i = 0; i < values.size(); ++i) {
        const double v = values[i];
        char digits[32];
        const bool whole = std::fabs(v) < 1e15 && v == std::trunc(v);
        const auto end = whole ? std::to_chars(digits, digits + 32, qint64(v)).ptr
                               : std::to_chars(digits, digits + 32, v).ptr;
        expected << QString::fromLatin1(digits, end - digits);
        cells += number(quint16(i / 100), quint16(i % 100), v);
    }
    const QStringList rows =
        workbookText(workbook({}, {{"N", cells}})).split(QStringLiteral("\r\n"));
    QStringList got;
    for (const QString &row : rows.mid(1))
        if (!row.isEmpty())
            got += row.split(u' ');
    ASSERT_EQ(got.size(), expected.size());
    for (qsizetype i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], expected[i]) << "value " << i;
}

TEST(ExcelText, OneLongStringNamedAgainAndAgainStopsAtTheLimit) {
    QByteArray cells;
    for (quint16 row = 0; row < 60000; ++row)
        cells += labelSst(row, 0, 0);
    const QByteArray stream = workbook({QByteArray(8000, 'x')}, {{"S", cells}});
    QString text;
    EXPECT_EQ(officetext::workbookText(stream, text), Outcome::BoundReached);
    EXPECT_LE(text.size(), TextWriter::limitFor(stream.size()));
    EXPECT_GT(text.size(), TextWriter::limitFor(stream.size()) - 8010);
    EXPECT_TRUE(text.startsWith(u"S\r\nxxx"));
}

TEST(TextWriter, KeepsWhatWasThereAndStopsAtItsLimit) {
    QString text = QStringLiteral("head ");
    {
        TextWriter out(text, 12);
        out.append(u"abc");
        out.append(u"de");
        out.append(u'f');
        EXPECT_FALSE(out.full());
        out.append(u"too long");
        EXPECT_TRUE(out.full());
        out.append(u'g');
        EXPECT_EQ(out.size(), 11);
        out.truncate(8);
    }
    EXPECT_EQ(text, QStringLiteral("head abc"));
    {
        TextWriter out(text, 1 << 20);
        for (int i = 0; i < 100000; ++i)
            out.append(u"0123456789");
    }
    EXPECT_EQ(text.size(), 8 + 1000000);
    EXPECT_TRUE(text.endsWith(u"89"));
}

// A compound file (512-byte sectors) with one stream of 4096 bytes and
// directory entries as given; entry 0 is the root.
struct DirEntry {
    QString name;
    int type;
    quint32 left = 0xFFFFFFFF, right = 0xFFFFFFFF, child = 0xFFFFFFFF;
};

QByteArray compoundFile(const QList<DirEntry> &entries, const QByteArray &stream) {
    const quint32 streamSectors = 8, dirSectors = quint32(entries.size() + 3) / 4;
    const quint32 fatSector = streamSectors + dirSectors;
    QByteArray header(512, '\0');
    header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    const char fixed[] = {0x3E, 0, 3, 0, '\xFE', '\xFF', 9, 0, 6, 0};
    header.replace(0x18, 10, QByteArray(fixed, 10));
    qToLittleEndian(quint32(1), header.data() + 0x2C);
    qToLittleEndian(streamSectors, header.data() + 0x30);
    qToLittleEndian(quint32(4096), header.data() + 0x38);
    qToLittleEndian(quint32(0xFFFFFFFE), header.data() + 0x3C);
    qToLittleEndian(quint32(0xFFFFFFFE), header.data() + 0x44);
    for (int i = 0; i < 109; ++i)
        qToLittleEndian(i == 0 ? fatSector : 0xFFFFFFFF, header.data() + 0x4C + i * 4);
    QByteArray dir(int(dirSectors) * 512, '\0');
    for (qsizetype i = 0; i < entries.size(); ++i) {
        char *e = dir.data() + i * 128;
        const DirEntry &d = entries[i];
        std::memcpy(e, d.name.utf16(), size_t(d.name.size()) * 2);
        qToLittleEndian(quint16((d.name.size() + 1) * 2), e + 0x40);
        e[0x42] = char(d.type);
        qToLittleEndian(d.left, e + 0x44);
        qToLittleEndian(d.right, e + 0x48);
        qToLittleEndian(d.child, e + 0x4C);
        qToLittleEndian(quint32(d.type == 2 ? 0 : 0xFFFFFFFE), e + 0x74);
        qToLittleEndian(quint32(d.type == 2 ? stream.size() : 0), e + 0x78);
    }
    QByteArray fat;
    for (quint32 s = 0; s < 128; ++s)
        put32(fat, s + 1 < streamSectors || (s >= streamSectors && s + 1 < fatSector) ? s + 1
                   : s == fatSector                                                   ? 0xFFFFFFFD
                   : s <= fatSector                                                   ? 0xFFFFFFFE
                                                                                      : 0xFFFFFFFF);
    return header + stream + dir + fat;
}

TEST(CompoundText, AStorageNamedFromManyPlacesIsReadOnce) {
    // Two storages on each of 16 levels, both holding the same pair below:
    // read naively, the stream at the bottom would be read 65,536 times.
    QList<DirEntry> entries{{QStringLiteral("Root Entry"), 5}};
    entries[0].child = 1;
    for (quint32 level = 0; level < 16; ++level) {
        const quint32 a = 1 + 2 * level, below = a + 2;
        entries.append({QStringLiteral("A%1").arg(level), 1, 0xFFFFFFFF, a + 1, below});
        entries.append({QStringLiteral("B%1").arg(level), 1, 0xFFFFFFFF, 0xFFFFFFFF, below});
    }
    entries.append({QStringLiteral("Contents"), 2});
    const QByteArray bytes =
        compoundFile(entries, QByteArray("Deeply kept words") + QByteArray(4096 - 17, '\0'));
    CompoundFile file;
    ASSERT_TRUE(file.open(bytes));
    ASSERT_EQ(file.entries().size(), 36);
    QString text;
    EXPECT_EQ(officetext::compoundText(file, text), Outcome::Text);
    EXPECT_EQ(text.count(u"Deeply kept words"), 1) << text.left(300).toStdString();
}

// Word: pieces of 8-bit and UTF-16 text as a document's piece table names them.
struct Piece {
    QString text;
    bool eightBit;
};

char windows1252(char16_t c) {
    switch (c) {
    case u'\u201C':
        return char(0x93);
    case u'\u20AC':
        return char(0x80);
    default:
        return char(c);
    }
}

/// The WordDocument and 1Table streams of a document made of those pieces.
std::pair<QByteArray, QByteArray> wordStreams(const std::vector<Piece> &pieces) {
    QByteArray doc(1024, '\0');
    qToLittleEndian(quint16(0xA5EC), doc.data());
    qToLittleEndian(quint16(193), doc.data() + 2);
    qToLittleEndian(quint16(0x0200), doc.data() + 0x0A);
    qToLittleEndian(quint16(14), doc.data() + 32);
    qToLittleEndian(quint16(22), doc.data() + 62);
    qToLittleEndian(quint16(93), doc.data() + 152);
    QByteArray cps, fcs;
    quint32 cp = 0;
    for (const Piece &piece : pieces) {
        put32(cps, cp);
        cp += quint32(piece.text.size());
        put16(fcs, 0);
        if (piece.eightBit) {
            put32(fcs, quint32(doc.size() * 2) | 0x40000000);
            for (const QChar c : piece.text)
                doc += windows1252(c.unicode());
        } else {
            put32(fcs, quint32(doc.size()));
            doc.append(reinterpret_cast<const char *>(piece.text.utf16()), piece.text.size() * 2);
        }
        put16(fcs, 0);
    }
    put32(cps, cp);
    const QByteArray plc = cps + fcs;
    QByteArray table(1, '\2');
    put32(table, quint32(plc.size()));
    table += plc;
    qToLittleEndian(quint32(0), doc.data() + 154 + 33 * 8);
    qToLittleEndian(quint32(table.size()), doc.data() + 154 + 33 * 8 + 4);
    return {doc, table};
}

QString wordText(const std::vector<Piece> &pieces) {
    const auto [doc, table] = wordStreams(pieces);
    QString text;
    EXPECT_EQ(officetext::wordStreamsText(doc, {}, table, text), Outcome::Text);
    return text;
}

TEST(WordText, SpecialCharactersAndFieldsAtEveryPlaceOfAPiece) {
    // Words of every length, so that each special character falls on every
    // position of the eight-byte steps and on the edges of pieces.
    const QString letters = QStringLiteral("abcé\u201C\u20ACxyz");
    QRandomGenerator random(11);
    QString document, expected;
    for (int i = 0; i < 4000; ++i) {
        QString word;
        for (quint32 n = random.bounded(12); n > 0; --n)
            word += letters[random.bounded(int(letters.size()))];
        switch (random.bounded(7)) {
        case 0:
            document += word + u'\r';
            expected += word + QStringLiteral("\r\n");
            break;
        case 1:
            document += QChar(0x13) + QStringLiteral(" HYPERLINK ") + word + QChar(0x14) + word +
                        QChar(0x15);
            expected += word;
            break;
        case 2:
            document += word + QChar(0xA0) + QChar(0x1E) + QChar(0x07);
            expected += word + QStringLiteral(" -\r\n");
            break;
        case 3: // a button shows the text after its macro's name
            document += QChar(0x13) + QStringLiteral(" MacroButton  Go ") + word + u' ' + word +
                        QChar(0x15);
            expected += word.isEmpty() ? QString() : word + u' ' + word;
            break;
        default:
            document += word + u'\t';
            expected += word + u'\t';
        }
    }
    std::vector<Piece> pieces;
    for (qsizetype at = 0; at < document.size();) {
        const qsizetype size = 1 + random.bounded(9000);
        pieces.push_back({document.mid(at, size), pieces.size() % 2 == 0});
        at += size;
    }
    EXPECT_EQ(wordText(pieces), expected);
    pieces.push_back({QStringLiteral("\u4E2D\u6587\r"), false});
    EXPECT_TRUE(wordText(pieces).endsWith(QStringLiteral("\u4E2D\u6587\r\n")));
}

TEST(WordText, PiecesNamingOneRangeAgainAndAgainStopAtTheLimit) {
    std::vector<Piece> pieces{{QString(1 << 20, u'w'), true}};
    auto [doc, table] = wordStreams(pieces);
    // Point 200 pieces of a million characters each at the same bytes.
    QByteArray cps, fcs;
    for (quint32 i = 0; i <= 200; ++i)
        put32(cps, i << 20);
    for (int i = 0; i < 200; ++i) {
        put16(fcs, 0);
        put32(fcs, quint32(1024 * 2) | 0x40000000);
        put16(fcs, 0);
    }
    table = QByteArray(1, '\2');
    put32(table, quint32(cps.size() + fcs.size()));
    table += cps + fcs;
    qToLittleEndian(quint32(table.size()), doc.data() + 154 + 33 * 8 + 4);
    QString text;
    EXPECT_EQ(officetext::wordStreamsText(doc, {}, table, text), Outcome::BoundReached);
    EXPECT_LE(text.size(), TextWriter::limitFor(doc.size()));
    EXPECT_GE(text.size(), TextWriter::limitFor(doc.size()) - 2 * 4096);
}

} // namespace

namespace {

// Word 6.0 and 95: the FIB of that version and 8-bit text in the code page of
// the document's language, in one run or, after a fast save, in pieces.
QByteArray word6Document(quint16 language, const QByteArray &text, bool fastSaved) {
    QByteArray doc(0x200, '\0');
    qToLittleEndian<quint16>(0xA5DC, doc.data());
    qToLittleEndian<quint16>(104, doc.data() + 2);
    qToLittleEndian<quint16>(language, doc.data() + 6);
    if (!fastSaved) {
        qToLittleEndian<quint32>(0x200, doc.data() + 0x18);
        qToLittleEndian<quint32>(quint32(text.size()), doc.data() + 0x34);
        return doc + text;
    }
    // The halves are stored swapped; the piece table puts them back in order.
    const qsizetype half = text.size() / 2;
    doc += text.mid(half) + text.left(half);
    QByteArray plc;
    for (const quint32 cp : {0u, quint32(half), quint32(text.size())})
        put32(plc, cp);
    for (const quint32 fc : {quint32(0x200 + text.size() - half), 0x200u}) {
        put16(plc, 0);
        put32(plc, fc);
        put16(plc, 0);
    }
    QByteArray clx("\x01\x02\x00\xAA\xBB\x02", 6); // a property entry, then the pieces
    put32(clx, quint32(plc.size()));
    clx += plc;
    qToLittleEndian<quint16>(0x0004, doc.data() + 0x0A);
    qToLittleEndian<quint32>(quint32(doc.size()), doc.data() + 0x160);
    qToLittleEndian<quint32>(quint32(clx.size()), doc.data() + 0x164);
    return doc + clx;
}

TEST(WordText, Word6DocumentsInTheirLanguagesCodePage) {
    struct Case {
        quint16 language;
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        {0x0419, "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0\r", QStringLiteral("Привет мир")},
        {0x0405, "\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2\r", QStringLiteral("Žluťoučký kůň")},
        {0x0408, "\xC5\xEB\xEB\xDC\xE4\xE1\r", QStringLiteral("Ελλάδα")},
        {0x0407,
         "Gr\xFC\xDF"
         "e \x80 5\r",
         QStringLiteral("Grüße € 5")},
    };
    for (const Case &c : cases) {
        for (const bool fastSaved : {false, true}) {
            SCOPED_TRACE(c.text.toStdString() + (fastSaved ? " fast-saved" : ""));
            QString text;
            EXPECT_EQ(officetext::wordStreamsText(word6Document(c.language, c.bytes, fastSaved), {},
                                                  {}, text),
                      Outcome::Text);
            EXPECT_EQ(text, c.text + QStringLiteral("\r\n"));
        }
    }
}

// Excel 5.0/95 (BIFF5): inline 8-bit strings in the workbook's code page,
// number formats by name, notes holding their own text.
QByteArray biff5Bof(quint16 kind) {
    QByteArray data;
    put16(data, 0x0500);
    put16(data, kind);
    return record(0x0809, data + QByteArray(4, '\0'));
}
QByteArray counted(const QByteArray &chars, bool longCount) {
    QByteArray out;
    if (longCount)
        put16(out, quint16(chars.size()));
    else
        out += char(chars.size());
    return out + chars;
}

TEST(ExcelText, Excel95BooksInTheirCodePageWithFormatsAndNotes) {
    const auto u16 = [](quint16 v) { return le16(v); };
    QByteArray globals = biff5Bof(0x0005) + record(0x0042, u16(1251));
    globals += record(0x041E, u16(164) + counted("0.00%", false));
    for (const quint16 format : {0, 164, 14}) // XF 0, 1, 2
        globals += record(0x00E0, u16(0) + u16(format) + QByteArray(12, '\0'));
    const QByteArray sheetName = "\xCB\xE8\xF1\xF2"; // Лист
    QByteArray sheet = biff5Bof(0x0010);
    sheet += record(0x0204, u16(0) + u16(0) + u16(0) + counted("\xCF\xF0\xE8\xE2\xE5\xF2", true));
    const double share = 0.15;
    sheet += record(0x0203, u16(0) + u16(1) + u16(1) +
                                QByteArray(reinterpret_cast<const char *>(&share), 8));
    sheet += record(0x027E, u16(0) + u16(2) + u16(2) + le32((45657u << 2) | 2));
    sheet += record(0x001C, u16(0) + u16(0) + counted("NoteWord \xEC\xE8\xF0", true));
    sheet += record(0x000A, {});
    const qsizetype boundSheetSize = 4 + 4 + 2 + 1 + sheetName.size();
    const qsizetype sheetAt = globals.size() + boundSheetSize + 4;
    globals += record(0x0085, le32(quint32(sheetAt)) + u16(0) + counted(sheetName, false));
    globals += record(0x000A, {});
    EXPECT_EQ(workbookText(globals + sheet),
              QStringLiteral("Лист\r\nПривет 15.00% 12/31/2024\r\nNoteWord мир\r\n"));
}

} // namespace
