#include "scan/linefinder.h"
#include "scan/textfilereader.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::pair<qint64, QByteArray>>;

class Collect : public TextFileReader::Client {
  public:
    explicit Collect(const LineFinder &finder) : finder_(finder) {}
    const LineFinder &finder() override { return finder_; }
    bool lineMatched(qint64 number, QByteArrayView line) override {
        lines.emplace_back(number, line.toByteArray());
        return true;
    }
    bool blockDone() override { return true; }
    Lines lines;

  private:
    const LineFinder &finder_;
};

// Every case is read with block sizes from tiny to the real one, so that
// lines, CR LF pairs and hits straddle block edges.
Lines scanEveryWay(const QByteArray &content, const QString &search) {
    TempDir dir;
    const QString path = dir.write(QStringLiteral("f.txt"), content);
    const SearchExpression expression(search);
    const LineFinder finder(expression, true);
    Lines first;
    for (const qsizetype block : {4, 5, 7, 16, 33, 64, 1000, 256 * 1024}) {
        Collect collect(finder);
        TextFileReader reader(block);
        EXPECT_TRUE(reader.scan(path, collect)) << reader.errorString().toStdString();
        if (block == 4)
            first = collect.lines;
        else
            EXPECT_EQ(collect.lines, first) << "block size " << block;
    }
    return first;
}

} // namespace

TEST(TextFileReader, EndsLinesAtCrLfAndCrLf) {
    EXPECT_EQ(scanEveryWay("one\r\ntwo\nthree\rfour", QString()),
              (Lines{{1, "one"}, {2, "two"}, {3, "three"}, {4, "four"}}));
    EXPECT_EQ(scanEveryWay("a\r\n\r\nb\n\nc\r\rd\n\r", QString()),
              (Lines{{1, "a"}, {2, ""}, {3, "b"}, {4, ""}, {5, "c"}, {6, ""}, {7, "d"}, {8, ""}}));
    EXPECT_EQ(scanEveryWay("last line ends\r\n", QString()), (Lines{{1, "last line ends"}}));
    EXPECT_TRUE(scanEveryWay("", QString()).empty());
}

TEST(TextFileReader, NumbersMatchesAcrossBlockEdges) {
    QByteArray content;
    for (int i = 1; i <= 300; ++i)
        content += (i % 7 == 0 ? QByteArray("has NEEDLE ") : QByteArray("plain ")) +
                   QByteArray::number(i) +
                   (i % 3 == 0   ? "\r\n"
                    : i % 3 == 1 ? "\n"
                                 : "\r");
    Lines expected;
    for (int i = 7; i <= 300; i += 7)
        expected.emplace_back(i, "has NEEDLE " + QByteArray::number(i));
    EXPECT_EQ(scanEveryWay(content, QStringLiteral("needle")), expected);
}

TEST(TextFileReader, KeepsALineLongerThanTheBlockWhole) {
    const QByteArray longLine = QByteArray(5000, 'x') + "target" + QByteArray(5000, 'y');
    EXPECT_EQ(scanEveryWay("a\r\n" + longLine + "\r\nb target", QStringLiteral("TARGET")),
              (Lines{{2, longLine}, {3, "b target"}}));
}

TEST(TextFileReader, KeepsNulAndOtherBytesInTheLine) {
    const QByteArray line("a\0b\x1A"
                          "c\xFF",
                          6);
    EXPECT_EQ(scanEveryWay(line + "\nx", QStringLiteral("c")), (Lines{{1, line}}));
}

TEST(TextFileReader, DecodesUtf16AndDropsAUtf8Mark) {
    EXPECT_EQ(scanEveryWay("\xEF\xBB\xBFhello\r\nworld", QStringLiteral("hello")),
              (Lines{{1, "hello"}}));
    const QString text = QStringLiteral("first\r\nzweite Zeile über\nthird über");
    QByteArray le("\xFF\xFE");
    QByteArray be("\xFE\xFF");
    for (const QChar c : text) {
        le += char(c.unicode() & 0xFF);
        le += char(c.unicode() >> 8);
        be += char(c.unicode() >> 8);
        be += char(c.unicode() & 0xFF);
    }
    const Lines expected{{2, "zweite Zeile \xC3\xBC"
                             "ber"},
                         {3, "third \xC3\xBC"
                             "ber"}};
    EXPECT_EQ(scanEveryWay(le, QStringLiteral("ÜBER")), expected);
    EXPECT_EQ(scanEveryWay(be, QStringLiteral("ÜBER")), expected);
}

TEST(TextFileReader, ReportsFilesItCannotRead) {
    TempDir dir;
    const SearchExpression expression(QStringLiteral("x"));
    const LineFinder finder(expression, true);
    Collect collect(finder);
    TextFileReader reader;
    EXPECT_FALSE(reader.scan(dir.file(QStringLiteral("missing.txt")), collect));
    EXPECT_EQ(reader.errorString(), QStringLiteral("No such file or directory"));
    EXPECT_FALSE(reader.scan(dir.path(), collect));
    EXPECT_FALSE(reader.errorString().isEmpty());
}

TEST(TextFileReader, StopsWhenTheClientSaysSo) {
    TempDir dir;
    const QString path = dir.write(QStringLiteral("f.txt"), "x1\nx2\nx3\n");
    const SearchExpression expression(QStringLiteral("x"));
    const LineFinder finder(expression, true);
    struct StopAfterOne : Collect {
        using Collect::Collect;
        bool lineMatched(qint64 n, QByteArrayView line) override {
            Collect::lineMatched(n, line);
            return false;
        }
    } client(finder);
    TextFileReader reader;
    EXPECT_TRUE(reader.scan(path, client));
    EXPECT_EQ(client.lines, (Lines{{1, "x1"}}));
}
