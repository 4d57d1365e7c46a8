#include "platform/codepage.h"
#include "scan/linefinder.h"
#include "scan/resultsmodel.h"
#include "scan/resultsreport.h"
#include "scan/scanrun.h"
#include "scan/scantexts.h"
#include "scan/textfilereader.h"
#include "support/recordingsinks.h"
#include "support/tempdir.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <mutex>

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
    bool longLineMatched(qint64 number, QByteArrayView head) override {
        lines.emplace_back(number, head.toByteArray() + "<cut>");
        return true;
    }
    bool blockDone() override { return true; }
    Lines lines;

  private:
    const LineFinder &finder_;
};

// Every case is read with block sizes from tiny to the real one, so that
// lines, CR LF pairs and hits straddle block edges.
Lines scanEveryWay(const QByteArray &content, const QString &search, bool binaryAsText = false) {
    TempDir dir;
    const QString path = dir.write(QStringLiteral("f.txt"), content);
    const SearchExpression expression(search);
    const LineFinder finder(expression, true);
    Lines first;
    for (const qsizetype block : {4, 5, 7, 16, 33, 64, 1000, 256 * 1024}) {
        Collect collect(finder);
        TextFileReader reader(block);
        reader.setBinaryAsText(binaryAsText);
        EXPECT_TRUE(reader.scan(path, collect)) << reader.errorString().toStdString();
        if (block == 4)
            first = collect.lines;
        else
            EXPECT_EQ(collect.lines, first) << "block size " << block;
    }
    return first;
}

/// The lines of content that match, found the slow plain way: cut into lines,
/// decode, test each whole line; a line longer than limit keeps limit bytes.
Lines reference(const QByteArray &content, const SearchExpression &expression, qsizetype limit) {
    Lines lines;
    qint64 number = 0;
    for (qsizetype at = 0; at < content.size();) {
        qsizetype end = at;
        while (end < content.size() && content[end] != '\r' && content[end] != '\n')
            ++end;
        const QByteArray line = content.mid(at, end - at);
        ++number;
        const bool blank = expression.isBlank();
        if (blank || expression.LineMatches(platform::decodeText(line))) {
            const char *head = line.constData();
            const qsizetype kept =
                LineFinder::wholeCharactersEnd(head, head + std::min(limit, line.size())) - head;
            lines.emplace_back(number, line.size() > limit ? line.left(kept) + "<cut>" : line);
        }
        if (end == content.size())
            break;
        at = end +
             (content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n' ? 2 : 1);
        if (at == content.size())
            break;
    }
    return lines;
}

Lines readAll(const QString &path, const QString &search, qsizetype block, qsizetype limit) {
    const SearchExpression expression(search);
    const LineFinder finder(expression, true);
    Collect collect(finder);
    TextFileReader reader(block, limit);
    EXPECT_TRUE(reader.scan(path, collect)) << reader.errorString().toStdString();
    return collect.lines;
}

/// Random text of short and very long lines over a small alphabet, so terms
/// occur often and straddle every kind of edge.
QByteArray randomText(QRandomGenerator &random, const QList<QByteArray> &alphabet) {
    QByteArray text;
    const int lines = random.bounded(1, 12);
    for (int i = 0; i < lines; ++i) {
        const int length = random.bounded(4) == 0 ? random.bounded(300, 3000) : random.bounded(40);
        for (int j = 0; j < length; ++j)
            text += alphabet[random.bounded(static_cast<int>(alphabet.size()))];
        static const char *ends[] = {"\n", "\r\n", "\r"};
        if (i + 1 < lines || random.bounded(2))
            text += ends[random.bounded(3)];
    }
    return text;
}

qint64 statusKilobytes(const char *field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression pattern(QString::fromLatin1(field) + QStringLiteral(":\\s+(\\d+)"));
    return pattern.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong();
}

/// The growth of the process's peak resident memory while body runs, in MB.
qint64 peakGrowthMegabytes(const std::function<void()> &body) {
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    const bool canReset = reset.open(QIODevice::WriteOnly) && reset.write("5") == 1;
    reset.close();
    const qint64 before = canReset ? statusKilobytes("VmRSS") : statusKilobytes("VmHWM");
    body();
    return (statusKilobytes("VmHWM") - before) / 1024;
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
    EXPECT_EQ(scanEveryWay(line + "\nx", QStringLiteral("c"), true), (Lines{{1, line}}));
}

// The NUL is in the first four bytes, so every block size sees it in the first block.
TEST(TextFileReader, ABinaryFileGivesOneRowAtItsFirstMatchUnlessReadAsText) {
    const QByteArray binary("\x7F\0\x01\nno\nbin target\r\nmore target\n", 32);
    QByteArray utf16("\xFF\xFE");
    for (const char c : QByteArray("a\nb target"))
        utf16 += QByteArray(1, c) + '\0';
    const QByteArray row = ScanTexts::BinaryFileMatches.toUtf8();
    const struct {
        QByteArray content;
        const char *search;
        bool asText;
        Lines expected;
    } cases[] = {
        {binary, "target", false, {{3, row}}},
        {binary, "target", true, {{3, "bin target"}, {4, "more target"}}},
        {binary, "absent", false, {}},
        {utf16, "target", false, {{2, "b target"}}},
        {"no nul here\ntarget", "target", false, {{2, "target"}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(scanEveryWay(c.content, QString::fromLatin1(c.search), c.asText), c.expected)
            << c.content.toHex().toStdString();

    // A binary file without line ends matches in its long-line pieces.
    TempDir dir;
    const QString path =
        dir.write(QStringLiteral("lib.so"), QByteArray(1, '\0') + QByteArray(5000, 'x') + "target");
    const SearchExpression expression(QStringLiteral("target"));
    const LineFinder finder(expression, true);
    Collect collect(finder);
    TextFileReader reader(256, 64);
    EXPECT_TRUE(reader.scan(path, collect));
    EXPECT_EQ(collect.lines, (Lines{{1, row}}));
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

// Lines longer than the reader holds: searched as they stream, in bounded memory.
// Terms straddle piece edges, AND terms sit in different pieces of one line,
// and line numbers run on past long lines; checked against the plain reference
// with pieces from tiny to moderate and many-term forms that take the matcher.
TEST(LongLines, MatchAsTheReferenceDoesWhateverThePieceEdges) {
    QRandomGenerator random(11);
    const QStringList searches = {QStringLiteral("abcab"),
                                  QStringLiteral("ca&bb"),
                                  QStringLiteral("cc|aab|x"),
                                  QStringLiteral("b a&c b"),
                                  QStringLiteral("aa|bb|cc|ab|ba|ca|ac"),
                                  QStringLiteral("abc&bca&cab&aaa&bbb&ccc&a b"),
                                  QStringLiteral("é&cé"),
                                  QStringLiteral("Éa|cÉ"),
                                  QStringLiteral("zz|"),
                                  QStringLiteral(" "),
                                  QString()};
    // UTF-8 text, and single-byte text that is not UTF-8.
    const QList<QByteArray> alphabets[] = {{"a", "b", "c", "a", "b", "c", " ", "A", "\xC3\xA9"},
                                           {"a", "b", "c", " ", "A", "\xE9", "\xC9"}};
    for (int round = 0; round < 60; ++round) {
        const QByteArray text = randomText(random, alphabets[round % 2]);
        TempDir dir;
        const QString path = dir.write(QStringLiteral("f.txt"), text);
        for (const QString &search : searches) {
            const SearchExpression expression(search);
            for (const auto &[block, limit] :
                 {std::pair{4, 8}, {16, 100}, {64, 257}, {512, 2000}}) {
                ASSERT_EQ(readAll(path, search, block, limit), reference(text, expression, limit))
                    << "round " << round << " search " << search.toStdString() << " block " << block
                    << " limit " << limit;
            }
        }
    }
}

TEST(LongLines, AFileWithoutLineEndsIsSearchedInBoundedMemory) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("sparse.img"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64{300} << 20)); // a hole: reads as zero bytes
        ASSERT_TRUE(file.seek(qint64{200} << 20));
        ASSERT_EQ(file.write("needle"), 6);
    }
    Lines lines;
    const qsizetype block = 256 * 1024;
    const qsizetype limit = TextFileReader::DefaultLineLimit;
    const qint64 growth =
        peakGrowthMegabytes([&] { lines = readAll(path, QStringLiteral("NEEDLE"), block, limit); });
    EXPECT_LT(growth, 64);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].first, 1);
    EXPECT_EQ(lines[0].second, ScanTexts::BinaryFileMatches.toUtf8()); // all NUL bytes
    EXPECT_EQ(readAll(path, QStringLiteral("absent"), block, limit), Lines{});
}

// The window's rows and the report both show that a line was cut.
TEST(LongLines, AMatchingLongLineIsRecordedCutWithAVisibleMark) {
    TempDir dir;
    const qsizetype limit = TextFileReader::DefaultLineLimit;
    QByteArray text = "short match\n" + QByteArray(3 * limit, 'x') + "match\nlast match";
    text[12 + limit - 1] = '\xC3'; // a character the cut would split
    text[12 + limit] = '\xA9';
    const QString path = dir.write(QStringLiteral("long.txt"), text);
    RecordingSinks sinks;
    ScanRun run(sinks, sinks, sinks);
    ScanQuery query;
    query.searchText = QStringLiteral("match");
    query.folder = dir.path();
    query.selectedFiles = {QStringLiteral("long.txt")};
    ASSERT_EQ(run.run(query), ScanOutcome::Completed);
    ASSERT_EQ(sinks.rows.size(), 4u);
    EXPECT_EQ(sinks.rows[0].text, QStringLiteral("short match"));
    EXPECT_EQ(sinks.rows[2].line, LineCell::line(3));
    const MatchRecord &cut = sinks.rows[1];
    EXPECT_EQ(cut.line, LineCell::line(2));
    EXPECT_EQ(cut.text, QString(limit - 1, u'x') + ScanTexts::LineCut);

    ResultsModel model;
    model.AddMatch(cut);
    EXPECT_TRUE(model.row(0).text.endsWith(ScanTexts::LineCut));
    EXPECT_TRUE(ResultsReport::rowLine(cut).endsWith(ScanTexts::LineCut.trimmed()));
}

// A file cut into stretches searched at once gives what one reader gives:
// the same lines, numbers and order, whatever falls at a cut.
TEST(Stretches, GiveTheRowsOfOneReader) {
    QByteArray lf, crlf, cr, longLines;
    for (int i = 0; i < 3000; ++i) {
        const QByteArray line = QByteArray(i % 37, 'x') + (i % 3 ? "hit" : "miss");
        lf += line + '\n';
        crlf += line + "\r\n";
        cr += line + '\r';
        longLines += (i % 50 ? line : QByteArray(300, 'y') + "hit") + '\n';
    }
    QByteArray utf16("\xFF\xFE");
    for (const char c : lf.left(20000))
        utf16 += QByteArray(1, c) + '\0';
    const QByteArray noLineEnds = QByteArray(50000, 'z') + "hit" + QByteArray(50000, 'z');
    TempDir dir;
    const SearchExpression expression(QStringLiteral("hit"));
    const LineFinder finder(expression, true);
    for (const QByteArray &content : {lf, crlf, cr, longLines, utf16, noLineEnds, lf + "hit"}) {
        const QString path = dir.write(QStringLiteral("big.log"), content);
        const auto read = [&](int readers) {
            Collect collect(finder);
            TextFileReader reader(64, 100);
            reader.setStretchReaders(readers, 1000);
            EXPECT_TRUE(reader.scan(path, collect));
            return collect.lines;
        };
        const Lines one = read(1);
        EXPECT_FALSE(one.empty());
        for (const int readers : {2, 3, 7})
            EXPECT_EQ(read(readers), one)
                << readers << " readers, " << content.left(40).toStdString();
    }
}

// A file cut short while its stretches are read ends soundly: every row is a
// line the file held, in order.
TEST(Stretches, AFileTruncatedDuringTheReadStaysSound) {
    QByteArray content;
    for (int i = 1; i <= 20000; ++i)
        content += "line " + QByteArray::number(i) + " hit\n";
    TempDir dir;
    const QString path = dir.write(QStringLiteral("shrinking.log"), content);
    const SearchExpression expression(QStringLiteral("hit"));
    const LineFinder finder(expression, true);
    class Truncating : public Collect {
      public:
        Truncating(const LineFinder &finder, QString path) : Collect(finder), path_(path) {}
        bool blockDone() override {
            if (!truncated_)
                truncated_ = QFile::resize(path_, 1000);
            return true;
        }

      private:
        QString path_;
        bool truncated_ = false;
    } truncating(finder, path);
    TextFileReader reader(256);
    reader.setStretchReaders(4, 1000);
    reader.scan(path, truncating);
    qint64 last = 0;
    for (const auto &[number, line] : truncating.lines) {
        EXPECT_GT(number, last);
        last = number;
        EXPECT_TRUE(content.contains(line + '\n')) << line.toStdString();
    }
}

// The stretches hold their buffers and waiting lines within the budget they
// are given, give all of it back, and give the rows of one reader whether the
// budget refuses a cut, grants just the first room or grants more.
TEST(Stretches, HoldTheirLinesWithinTheBudget) {
    class Counting : public TextFileReader::Budget {
      public:
        explicit Counting(qint64 limit) : limit_(limit) {}
        bool reserve(qint64 bytes) override {
            const std::lock_guard lock(mutex_);
            if (held + bytes > limit_)
                return false;
            held += bytes;
            peak = std::max(peak, held);
            return true;
        }
        void release(qint64 bytes) override {
            const std::lock_guard lock(mutex_);
            held -= bytes;
        }
        qint64 held = 0;
        qint64 peak = 0;

      private:
        qint64 limit_;
        std::mutex mutex_;
    };
    QByteArray content; // every line matches: far more than a MB of lines waits
    for (int i = 1; content.size() < (qint64{6} << 20); ++i)
        content += "line " + QByteArray::number(i) + " hit\n";
    TempDir dir;
    const QString path = dir.write(QStringLiteral("all.log"), content);
    const SearchExpression expression(QStringLiteral("hit"));
    const LineFinder finder(expression, true);
    constexpr qsizetype Block = 64 * 1024;
    const auto read = [&](int readers, Counting *budget) {
        Collect collect(finder);
        TextFileReader reader(Block);
        reader.setStretchReaders(readers, 1000);
        reader.setStretchBudget(budget);
        EXPECT_TRUE(reader.scan(path, collect));
        return collect.lines;
    };
    const Lines one = read(1, nullptr);
    const qint64 firstRoom = Block + (qint64{1} << 20);
    for (const qint64 limit : {qint64{0}, firstRoom, qint64{64} << 20}) {
        Counting budget(limit);
        EXPECT_EQ(read(2, &budget), one) << limit;
        EXPECT_EQ(budget.held, 0) << limit;
        EXPECT_LE(budget.peak, limit);
        if (limit > firstRoom)
            EXPECT_GT(budget.peak, firstRoom) << "lines waited beyond the first room";
    }
}
