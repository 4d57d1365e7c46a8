// Excel 97-2003 and 5.0/95 text from streams built here record by record:
// what office programs seldom write but files carry (cells out of order, one
// string named a million times, strings split across records).
#include "documents/compoundwriter.h"
#include "documents/documenttext.h"
#include "documents/exceltext.h"
#include "documents/textwriter.h"
#include "tests/support/recordbytes.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>

namespace {

QByteArray cell(quint16 type, quint16 row, quint16 col, const QByteArray &value) {
    QByteArray data;
    put16(data, row);
    put16(data, col);
    put16(data, 0);
    return biffRecord(type, data + value);
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
    return biffRecord(0x0809, data + QByteArray(12, '\0'));
}
QByteArray eof() {
    return biffRecord(0x000A, {});
}

QByteArray sst(const QList<QByteArray> &strings) {
    QByteArray data;
    put32(data, quint32(strings.size()));
    put32(data, quint32(strings.size()));
    for (const QByteArray &s : strings) {
        put16(data, quint16(s.size()));
        data += '\0' + s;
    }
    return biffRecord(0x00FC, data);
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
        out += biffRecord(0x0085, data);
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
    const QByteArray first = labelSst(2, 0, 1) + biffRecord(0x0006, formula) +
                             biffRecord(0x0207, result) + number(0, 1, 2.5) +
                             rk(0, 0, (7u << 2) | 2) + biffRecord(0x00BD, mulRk) +
                             labelSst(1, 0, 0) + labelSst(1, 0, 1);
    const QByteArray second =
        labelSst(0, 0, 0) + rk(0, 3, quint32(-5 << 2) | 2) + rk(1, 0, (1234u << 2) | 3);
    EXPECT_EQ(workbookText(workbook({"alpha", "beta"}, {{"First", first}, {"Second", second}})),
              QStringLiteral("First\r\n7 2.5\r\nalpha beta 5 6\r\nbeta late\r\n"
                             "Second\r\nalpha -5\r\n12.34\r\n"));
}

TEST(ExcelText, PageHeadersAndFootersFollowTheirSheetsRows) {
    const auto header = [](quint16 type, const QByteArray &codes) {
        QByteArray data;
        put16(data, quint16(codes.size()));
        return biffRecord(type, data + '\0' + codes);
    };
    const QByteArray sheet = header(0x0014, "&L&\"Arial,Bold\"Quarterly&CPage &P of &N") +
                             header(0x0015, "&12Draft &&&K00FF00 copy") + biffRecord(0x0015, {}) +
                             labelSst(0, 0, 0);
    EXPECT_EQ(workbookText(workbook({"alpha"}, {{"Data", sheet}})),
              QStringLiteral("Data\r\nalpha\r\nQuarterly Page of\r\nDraft & copy\r\n"));
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
    QByteArray stream = bof() + biffRecord(0x00FC, first) + biffRecord(0x003C, second) +
                        biffRecord(0x003C, third) + eof() + bof() + labelSst(0, 0, 0) +
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

// Excel 5.0/95 (BIFF5): inline 8-bit strings in the workbook's code page,
// number formats by name, notes holding their own text.
QByteArray biff5Bof(quint16 kind) {
    QByteArray data;
    put16(data, 0x0500);
    put16(data, kind);
    return biffRecord(0x0809, data + QByteArray(4, '\0'));
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
    QByteArray globals = biff5Bof(0x0005) + biffRecord(0x0042, u16(1251));
    globals += biffRecord(0x041E, u16(164) + counted("0.00%", false));
    for (const quint16 format : {0, 164, 14}) // XF 0, 1, 2
        globals += biffRecord(0x00E0, u16(0) + u16(format) + QByteArray(12, '\0'));
    const QByteArray sheetName = "\xCB\xE8\xF1\xF2"; // Лист
    QByteArray sheet = biff5Bof(0x0010);
    sheet +=
        biffRecord(0x0204, u16(0) + u16(0) + u16(0) + counted("\xCF\xF0\xE8\xE2\xE5\xF2", true));
    const double share = 0.15;
    sheet += biffRecord(0x0203, u16(0) + u16(1) + u16(1) +
                                    QByteArray(reinterpret_cast<const char *>(&share), 8));
    sheet += biffRecord(0x027E, u16(0) + u16(2) + u16(2) + le32((45657u << 2) | 2));
    sheet += biffRecord(0x001C, u16(0) + u16(0) + counted("NoteWord \xEC\xE8\xF0", true));
    sheet += biffRecord(0x000A, {});
    const qsizetype boundSheetSize = 4 + 4 + 2 + 1 + sheetName.size();
    const qsizetype sheetAt = globals.size() + boundSheetSize + 4;
    globals += biffRecord(0x0085, le32(quint32(sheetAt)) + u16(0) + counted(sheetName, false));
    globals += biffRecord(0x000A, {});
    EXPECT_EQ(workbookText(globals + sheet),
              QStringLiteral("Лист\r\nПривет 15.00% 12/31/2024\r\nNoteWord мир\r\n"));
}

/// An Excel 2.x, 3.0 or 4.0 worksheet: a label, a percentage, a formula's
/// string result and a boolean in one row, a whole number in the next.
QByteArray oldWorksheet(int version) {
    const auto u16 = [](quint16 v) { return le16(v); };
    const bool two = version == 2;
    const auto place = [&](quint16 row, quint16 col, quint8 format) {
        // Excel 2 cells carry three attribute bytes, the second naming the
        // format; later ones an XF, here XF n has format n.
        return u16(row) + u16(col) +
               (two ? QByteArray(1, '\0') + char(format) + '\0' : u16(format));
    };
    const quint16 shift = quint16((version - 2) << 9); // 0x0009, 0x0209, 0x0409 ...
    QByteArray out = biffRecord(0x0009 | shift, u16(quint16(version << 8)) + u16(0x0010) +
                                                    QByteArray(two ? 0 : 2, '\0'));
    out += biffRecord(0x0042, u16(1251));
    for (const QByteArray code : {"General", "0.00%"})
        out += version == 4 ? biffRecord(0x041E, u16(0) + counted(code, false))
                            : biffRecord(0x001E, counted(code, false));
    for (const char format : {0, 1})
        if (!two)
            out += biffRecord(0x0043 | shift, QByteArray(1, '\0') + format + QByteArray(10, '\0'));
    out += biffRecord(two ? 0x0004 : 0x0204,
                      place(0, 0, 0) + counted("\xCF\xF0\xE8\xE2\xE5\xF2", !two)); // Привет
    const double share = 0.15;
    out += biffRecord(two ? 0x0003 : 0x0203,
                      place(0, 1, 1) + QByteArray(reinterpret_cast<const char *>(&share), 8));
    const QByteArray stringResult = QByteArray(6, '\0') + u16(0xFFFF);
    out += biffRecord(0x0006 | shift, place(0, 2, 0) + stringResult + QByteArray(4, '\0'));
    out += biffRecord(0x0007 | (two ? 0 : 0x0200), counted("FormulaWord", !two));
    out += biffRecord(two ? 0x0005 : 0x0205, place(0, 3, 0) + QByteArray("\1\0", 2));
    out += two ? biffRecord(0x0002, place(1, 0, 0) + u16(42))
               : biffRecord(0x027E, place(1, 0, 0) + le32((42u << 2) | 2));
    return out + biffRecord(0x000A, {});
}

TEST(ExcelText, Excel2To4WorksheetsGiveTheirCellsAsLaterVersionsDo) {
    for (const int version : {2, 3, 4}) {
        SCOPED_TRACE(version);
        const QByteArray sheet = oldWorksheet(version);
        EXPECT_TRUE(officetext::isOldWorkbook(sheet));
        EXPECT_EQ(workbookText(sheet), QStringLiteral("Привет 15.00% FormulaWord TRUE\r\n42\r\n"));
    }
    EXPECT_FALSE(officetext::isOldWorkbook(bof()));
    EXPECT_FALSE(officetext::isOldWorkbook(QByteArray("\x09\x00\x04\x00text", 8)));
}

TEST(ExcelText, ChartsGiveTheirTitlesSeriesNamesAndLabelsAfterTheirSheet) {
    const auto u16 = [](quint16 v) { return le16(v); };
    const auto seriesText = [&](const QByteArray &text) {
        return biffRecord(0x100D, u16(0) + char(text.size()) + '\0' + text);
    };
    QByteArray chartBof;
    put16(chartBof, 0x0600);
    put16(chartBof, 0x0020);
    const QByteArray chart = biffRecord(0x0809, chartBof + QByteArray(12, '\0')) +
                             seriesText("ChartTitle") + seriesText("SeriesName") +
                             cell(0x0204, 0, 0, u16(8) + '\0' + "CatLabel") + eof();
    const QByteArray cells = cell(0x0204, 0, 0, u16(8) + '\0' + "CellWord") + chart +
                             cell(0x0204, 1, 0, u16(9) + '\0' + "AfterWord");
    EXPECT_EQ(workbookText(workbook({}, {{"Sheet", cells}})),
              "Sheet\r\nCellWord\r\nCatLabel\r\nChartTitle\r\nSeriesName\r\nAfterWord\r\n");
}

QByteArray compObj(const QByteArray &kind) {
    return QByteArray(28, '\0') + le32(quint32(kind.size() + 1)) + kind + '\0';
}

TEST(ExcelText, ObjectsInTheSheetsAreCarriedAndReadAsTheirOwnDocuments) {
    const QByteArray inner = workbook({"InnerWord"}, {{"Inner", labelSst(0, 0, 0)}});
    CompoundWriter writer;
    writer.addStream(0, QStringLiteral("Workbook"),
                     workbook({"OuterWord"}, {{"Outer", labelSst(0, 0, 0)}}));
    const quint32 sheet = writer.addStorage(0, QStringLiteral("MBD0001A2B3"));
    writer.addStream(sheet, QStringLiteral("\u0001CompObj"), compObj("Microsoft Excel Worksheet"));
    writer.addStream(sheet, QStringLiteral("Workbook"), inner);
    const quint32 package = writer.addStorage(0, QStringLiteral("MBD0004C5D6"));
    writer.addStream(package, QStringLiteral("Package"), "PK\3\4 a package");
    writer.addStorage(0, QStringLiteral("_VBA_PROJECT_CUR")); // no object

    const QByteArray file = writer.write();
    Extraction extraction(file);
    EXPECT_EQ(extractDocument(extraction, QStringLiteral("book.xls")), Outcome::Text);
    EXPECT_TRUE(extraction.text.contains(u"OuterWord"));
    EXPECT_FALSE(extraction.text.contains(u"InnerWord")); // read once, as the object
    ASSERT_EQ(extraction.embedded.size(), 2u);
    EXPECT_EQ(extraction.embedded[0].name, QStringLiteral("Microsoft Excel Worksheet 1"));
    Extraction object(extraction.embedded[0].bytes);
    EXPECT_EQ(extractDocument(object, extraction.embedded[0].name), Outcome::Text);
    EXPECT_EQ(object.text, "Inner\r\nInnerWord\r\n");
    EXPECT_EQ(extraction.embedded[1].name, QStringLiteral("Object 2"));
    EXPECT_EQ(extraction.embedded[1].bytes, "PK\3\4 a package");
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

} // namespace
