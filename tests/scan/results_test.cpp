#include "scan/resultsmodel.h"
#include "scan/resultsreport.h"
#include "scan/scantexts.h"

#include <QBuffer>
#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(ResultsModel, HandsRowsToViewsInBatches) {
    ResultsModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.AddMatch({QStringLiteral("/a.txt"), LineCell::line(7), QStringLiteral("text")});
    model.AddMatch({QStringLiteral("/a.txt"), LineCell::line(9), QStringLiteral("more")});
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.totalRows(), 2);
    model.flush();
    model.flush();
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.data(model.index(1, ResultsModel::LineColumn)).toString(), QStringLiteral("9"));
    EXPECT_EQ(model.headerData(ResultsModel::MatchColumn, Qt::Horizontal).toString(),
              QStringLiteral("Match"));
    EXPECT_EQ(model.headerData(ResultsModel::LineColumn, Qt::Horizontal).toString(),
              QStringLiteral("Line #"));
    EXPECT_EQ(model.headerData(ResultsModel::PathColumn, Qt::Horizontal).toString(),
              QStringLiteral("Full Path"));

    model.ResetResultsList(false);
    EXPECT_EQ(model.rowCount(), 2);
    model.ResetResultsList(true);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.totalRows(), 0);
}

TEST(ResultsModel, EveryRowComesBackAsItWasAdded) {
    // Rows are kept compactly; whatever the cell or text, the row read back is the row added.
    const QString longText(300000, u'x'); // longer than a storage block
    const std::vector<MatchRecord> rows{
        {u"/a.txt"_qs, LineCell::line(12), u"caf\u00e9 \U0001F600 text"_qs},
        {u"/a.txt"_qs, LineCell::line(2147483647), QString()},
        {u"/b.doc"_qs, LineCell::piece(0), u"piece"_qs},
        {u"/b.doc"_qs, LineCell::piece(17), longText},
        {u"/a.txt"_qs, LineCell::line(2147483648), u"beyond 32 bits"_qs},
        {u"/a.txt"_qs, LineCell::line(qint64{1} << 47), u"a line far beyond any file's"_qs},
        {u"/c.txt"_qs, LineCell::piece(4294967296), u"a piece beyond 32 bits"_qs},
        {QString(), LineCell(), ScanTexts::EndOfMatches},
    };
    ResultsModel model;
    for (const MatchRecord &row : rows)
        model.AddMatch(row);
    model.flush();
    ASSERT_EQ(model.totalRows(), static_cast<qsizetype>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(model.row(static_cast<qsizetype>(i)), rows[i]) << i;
        const int r = static_cast<int>(i);
        EXPECT_EQ(model.data(model.index(r, ResultsModel::LineColumn)).toString(),
                  rows[i].line.text());
        EXPECT_EQ(model.data(model.index(r, ResultsModel::MatchColumn)).toString(), rows[i].text);
        EXPECT_EQ(model.data(model.index(r, ResultsModel::PathColumn)).toString(), rows[i].path);
    }
}

TEST(ResultsReport, WritesTheHeaderAndOneLinePerRow) {
    ResultsReport::Header header;
    header.selectedFileMode = false;
    header.when = QDateTime(QDate(2001, 7, 17), QTime(11, 33, 5));
    header.searchedFor = QStringLiteral(" foo|bar ");
    header.directory = QStringLiteral("/data");
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    ResultsReport::Writer writer(out);
    ASSERT_TRUE(writer.writeHeader(header, QLocale(QLocale::English, QLocale::UnitedStates)));
    for (const MatchRecord &row : {MatchRecord{QStringLiteral("/data/a.txt "), LineCell::line(12),
                                               QStringLiteral("  both foo and bar  ")},
                                   MatchRecord{QString(), LineCell(), ScanTexts::EndOfMatches}})
        ASSERT_TRUE(writer.writeLine(ResultsReport::rowLine(row)));
    EXPECT_EQ(out.data(), "Results From Directory Tree Scan\r\n"
                          "Date/Time: Tuesday, July, 17, 2001 (11:33:05)\r\n"
                          "Searched For:  foo|bar \r\n"
                          "Directory: /data\r\n"
                          "\r\n"
                          "\r\n"
                          "Matches...\r\n"
                          "FILE: /data/a.txt ;  LINE: 12;  MATCH: both foo and bar\r\n"
                          "** End Of Matches **\r\n");
    EXPECT_EQ(ResultsReport::rowLine({QString(), LineCell(), ScanTexts::NoMatchesFound}),
              QStringLiteral("FILE: ;  LINE: ;  MATCH: ** No Matches Found **"));
    EXPECT_EQ(ResultsReport::headerLines({true, {}, {}, {}}).front(),
              QStringLiteral("Results From Selected File Scan"));
    EXPECT_EQ(ResultsReport::formatDateTime(QDateTime(QDate(2026, 1, 5), QTime(9, 4, 3)),
                                            QLocale(QLocale::German, QLocale::Germany)),
              QStringLiteral("Montag, Januar, 05, 2026 (09:04:03)"));
}

TEST(ResultsReport, AWriteThatFailsIsReported) {
    QBuffer closed; // never opened: every write fails
    ResultsReport::Writer writer(closed);
    EXPECT_FALSE(writer.writeLine(QStringLiteral("x")));
}

TEST(ResultsReport, RowsWrittenAsTheyComeMatchTheirLines) {
    // writeRow keeps the file's part of the line between rows: it must follow
    // every change of path, including back to an earlier one.
    const QString escapedByte(QChar(0xDC00 + 0xE9)); // a name byte that is not UTF-8
    const QString pair = QString::fromUcs4(U"\U0001F600");
    const std::vector<MatchRecord> rows{
        {u" /d/a b.txt "_qs, LineCell::line(1), u"  one  "_qs},
        {u" /d/a b.txt "_qs, LineCell::line(2), pair + u" two "_qs + pair},
        {u"/d/"_qs + escapedByte + u".doc"_qs, LineCell::piece(0), u"caf\u00e9"_qs},
        {u" /d/a b.txt "_qs, LineCell::line(3), QString(QChar(0xD800)) + u"lone"_qs},
        {u"/d/c.txt"_qs, LineCell::line(4), QString()},
        {QString(), LineCell(), ScanTexts::NoMatchesFound},
        {QString(), LineCell(), ScanTexts::EndOfMatches},
    };
    QBuffer lines;
    QBuffer rowsOut;
    lines.open(QIODevice::WriteOnly);
    rowsOut.open(QIODevice::WriteOnly);
    ResultsReport::Writer byLine(lines);
    ResultsReport::Writer byRow(rowsOut);
    for (const MatchRecord &row : rows) {
        ASSERT_TRUE(byLine.writeLine(ResultsReport::rowLine(row)));
        ASSERT_TRUE(byRow.writeRow(row));
    }
    EXPECT_EQ(rowsOut.data(), lines.data());
    EXPECT_TRUE(
        rowsOut.data().contains("FILE:  /d/a b.txt ;  LINE: 2;  MATCH: \xF0\x9F\x98\x80 two"));

    QBuffer closed;
    ResultsReport::Writer failing(closed);
    EXPECT_FALSE(failing.writeRow(rows.front()));
}
