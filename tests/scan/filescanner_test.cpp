// The file scanner through both schedules: the run's own reader and the pool.
#include "scan/resultsreport.h"
#include "scan/scanrun.h"
#include "scan/scantexts.h"
#include "scan/textfilereader.h"
#include "support/recordingsinks.h"
#include "support/tempdir.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <random>
#include <string_view>

using namespace Qt::StringLiterals;

namespace {

QString fixture(const QString &name) {
    return QStringLiteral(SCAN_TEST_DATA) + name;
}

// A line of text in one of the encodings and line ends the readers meet.
QByteArray lineOf(std::minstd_rand &random) {
    using namespace std::string_view_literals;
    static constexpr std::string_view words[] = {"alpha",
                                                 "key",
                                                 "Key",
                                                 "nothing",
                                                 "here",
                                                 "caf\xE9",
                                                 "Gr\xC3\xBC\xC3\x9F"
                                                 "e",
                                                 "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
                                                 "word",
                                                 "x\tKEYy",
                                                 "\0nul"sv,
                                                 "  pad  "};
    QByteArray line;
    const unsigned count = random() % 9;
    for (unsigned i = 0; i < count; ++i) {
        const std::string_view word = words[random() % std::size(words)];
        line += QByteArrayView(word.data(), qsizetype(word.size()));
        line += ' ';
    }
    static const char *const ends[] = {"\r\n", "\n", "\r", "\r\n"};
    return line + ends[random() % std::size(ends)];
}

// A few thousand text files of every kind of line, with documents of every
// format among them, some under names that are not a document's.
void plantLargeTree(const TempDir &dir) {
    std::minstd_rand random(20240611);
    for (int i = 0; i < 2600; ++i) {
        QByteArray body;
        const unsigned lines = random() % 60;
        for (unsigned l = 0; l < lines; ++l)
            body += lineOf(random);
        switch (i % 50) {
        case 7: // larger than a block, a match across its edge
            body = body.repeated(2) + QByteArray(300 * 1024, 'z') + " key\r\n" + body;
            break;
        case 11:
            body.prepend("\xEF\xBB\xBF");
            break;
        case 13: {
            const QString text = QString::fromLatin1(body);
            body = QByteArray("\xFF\xFE") +
                   QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
            break;
        }
        case 17:
            body.clear();
            break;
        default:
            break;
        }
        static const char *const types[] = {".txt", ".log", ".c", ".exe", ".md", ""};
        dir.write(u"t/%1/%2/f%3%4"_s.arg(i % 13)
                      .arg(i % 7)
                      .arg(i, 4, 10, QChar(u'0'))
                      .arg(QString::fromLatin1(types[i % std::size(types)])),
                  body);
    }
    const QStringList documents = QDir(fixture(u"documents"_s))
                                      .entryList({u"*.doc"_s, u"*.dot"_s, u"*.xls"_s, u"*.xlt"_s,
                                                  u"*.ppt"_s, u"*.rtf"_s, u"*.eml"_s});
    const QStringList modern = QDir(fixture(u"modern"_s)).entryList(QDir::Files);
    for (int copy = 0; copy < 3; ++copy) {
        for (const QString &name : documents)
            dir.write(u"d%1/%2"_s.arg(copy).arg(name), readAll(fixture(u"documents/"_s + name)));
        for (const QString &name : modern)
            if (!name.endsWith(u".py"_s))
                dir.write(u"d%1/modern/%2"_s.arg(copy).arg(name),
                          readAll(fixture(u"modern/"_s + name)));
    }
    dir.write(u"d0/plain.doc"_s, "key in a plain doc\r\nsecond KEY\n\nword\r");
}

/// The report and the status texts of a tree scan, with the tree's own path
/// left out.
class ReportSinks : public RecordingSinks {
  public:
    explicit ReportSinks(QString tree) : tree_(std::move(tree)) {
        buffer_.open(QIODevice::WriteOnly);
        ResultsReport::Header header;
        header.selectedFileMode = false;
        header.when = QDateTime(QDate(2001, 7, 17), QTime(11, 33, 5));
        header.searchedFor = u"fixed"_s;
        header.directory = u"<tree>"_s;
        writer_.writeHeader(header, QLocale::c());
    }
    bool AddMatch(const MatchRecord &row) override {
        MatchRecord relative = row;
        relative.path.replace(tree_, u"<tree>"_s);
        writer_.writeRow(relative);
        return true;
    }
    void SBar(const QString &text) override { status << QString(text).replace(tree_, u"<tree>"_s); }
    QByteArray digest() {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(buffer_.data());
        hash.addData(status.join(u'\n').toUtf8());
        return hash.result().toHex();
    }

  private:
    QString tree_;
    QBuffer buffer_;
    ResultsReport::Writer writer_{buffer_};
};

QByteArray treeDigest(const QString &tree, const QString &search, int readers,
                      bool binaryAsText = true) {
    ReportSinks sinks(tree);
    ScanRun run(sinks, sinks, sinks);
    run.readers = readers;
    ScanQuery query;
    query.mode = ScanMode::DirectoryTree;
    query.folder = tree;
    query.searchText = search;
    query.binaryAsText = binaryAsText;
    EXPECT_EQ(run.run(query), ScanOutcome::Completed);
    return sinks.digest();
}

/// What a run shows of one file: each row as "cell|text", and its errors.
struct Scanned {
    QStringList rows;
    QStringList errors;
    bool operator==(const Scanned &) const = default;
};

void PrintTo(const Scanned &scanned, std::ostream *out) {
    *out << (scanned.rows + scanned.errors).join(u'\n').toStdString();
}

Scanned scanOne(const QString &path, const QString &search, int readers) {
    RecordingSinks sinks;
    ScanRun run(sinks, sinks, sinks);
    run.readers = readers;
    const QFileInfo file(path);
    const FixedFileSelection selection(file.path(), {file.fileName()});
    ScanQuery query;
    query.searchText = search;
    EXPECT_EQ(run.run(query, &selection), ScanOutcome::Completed);
    Scanned scanned{{}, sinks.errors};
    for (const MatchRecord &row : sinks.rows)
        if (!row.path.isEmpty())
            scanned.rows << row.line.text() + u'|' + row.text;
    return scanned;
}

} // namespace

// Reports of a large tree, as the engine gave them before its readers were
// made one (since then, page headers and footers of sheets are text of their
// own and RTF files are read as RTF whatever their name): the same rows and
// status texts, in the same order, with one reader and with many. Files with
// NUL bytes give them when read as text; otherwise each that matches gives
// its one binary row.
TEST(FileScanner, ALargeTreeGivesTheReportItAlwaysGave) {
    TempDir dir;
    plantLargeTree(dir);
    const struct {
        QString search;
        QByteArray digest;
        QByteArray binaryRowsDigest;
    } cases[] = {
        {u"word|key|привет"_s, "51b3aa34502270d3d2f0c59c4e467793b7d437347dd28aec4b0746f95ff5f97a",
         "d9d74452632a5353c6bfaf6ca503f13eefe5f2231e315a527627cad8e2cdce29"},
        {u"  "_s, "53f1923ad0dacfee05621ec23db4ae714d585e4614780d36533c82d06d642530",
         "1d25a32e25d0ed91c8a005ecb153eeb2fce5be133a6ce0c7b05cda40e1fe7dd9"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.search.toStdString());
        for (const int readers : {1, 4}) {
            EXPECT_EQ(treeDigest(dir.path(), c.search, readers), c.digest);
            EXPECT_EQ(treeDigest(dir.path(), c.search, readers, false), c.binaryRowsDigest);
        }
    }
}

// Every kind of file, read on the run's own thread and by the readers ahead
// of it: the same rows, the same errors.
TEST(FileScanner, EachKindOfFileGivesTheSameRowsThroughBothSchedules) {
    TempDir dir;
    QByteArray beyondABlock = QByteArray(300 * 1024, 'z') + "\r\n";
    beyondABlock.insert(256 * 1024 - 3, "\r\nkey\r\n"); // a line across the block's edge
    const QByteArray longLine = "key " + QByteArray(1100 * 1024, 'x');
    const QString missing = dir.file(u"missing.txt"_s);
    const QString locked = dir.write(u"locked.odt"_s, readAll(fixture(u"modern/encrypted.odt"_s)));
    const struct {
        QString name;
        QByteArray bytes;
        QString search;
        QStringList rows;
        QStringList errors;
    } cases[] = {
        {u"crlf.txt"_s,
         "alpha\r\nbeta\r\nALPHA beta\r\n",
         u"alpha"_s,
         {u"1|alpha"_s, u"3|ALPHA beta"_s},
         {}},
        {u"ends.log"_s,
         "a key\rb\nkey c\r\n\nkey",
         u"KEY"_s,
         {u"1|a key"_s, u"3|key c"_s, u"5|key"_s},
         {}},
        {u"blank.txt"_s, "one\n\ntwo", u" "_s, {u"1|one"_s, u"2|"_s, u"3|two"_s}, {}},
        {u"blank.doc"_s, "one\r\ntwo", u""_s, {}, {}},
        {u"pieces.doc"_s,
         "first\r\nsecond\r\nword\tjoined",
         u"second|word joined"_s,
         {u"@1|second"_s, u"@2|word joined"_s},
         {}},
        {u"and.txt"_s, "a b\nb\na c b", u"a&b"_s, {u"1|a b"_s, u"3|a c b"_s}, {}},
        {u"utf16.txt"_s,
         QByteArray("\xFF\xFEk\0e\0y\0\r\0\n\0z\0", 14),
         u"key"_s,
         {u"1|key"_s},
         {}},
        {u"block.txt"_s, beyondABlock, u"key"_s, {u"2|key"_s}, {}},
        {u"long.txt"_s,
         longLine,
         u"key"_s,
         {u"1|key "_s + QString(1024 * 1024 - 4, u'x') + ScanTexts::LineCut},
         {}},
        {u"renamed.txt"_s,
         readAll(fixture(u"modern/writer.docx"_s)),
         u"bodyprobe"_s,
         {u"@1|BodyProbe first paragraph"_s},
         {}},
        {u"archive.jar"_s, "PK\x03\x04 not a document\nkey\n", u"key"_s, {u"2|key"_s}, {}},
        {u"program"_s,
         QByteArray("\x7F"
                    "ELF\0\nkey\nkey\n",
                    14),
         u"key"_s,
         {u"2|"_s + ScanTexts::BinaryFileMatches},
         {}},
        {u"letter.rtf"_s,
         "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}first\\par second\\par}",
         u"second|arial"_s,
         {u"@1|second"_s},
         {}},
        {u"missing.txt"_s,
         {},
         u"key"_s,
         {},
         {u"Error: No such file or directory ("_s + missing + u')'}},
        {u"locked.odt"_s,
         {},
         u"key"_s,
         {},
         {u"Error: The document is encrypted ("_s + locked + u')'}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const QString path = c.bytes.isEmpty() ? dir.file(c.name) : dir.write(c.name, c.bytes);
        const Scanned expected{c.rows, c.errors};
        EXPECT_EQ(scanOne(path, c.search, 1), expected);
        EXPECT_EQ(scanOne(path, c.search, 4), expected);
    }
}

// A file large enough to be cut into stretches gives, through the readers,
// the rows of the run's own reader: lines across the cuts, every kind of
// line end, the numbers counted on from stretch to stretch.
TEST(FileScanner, ALargeFileSplitAcrossReadersGivesTheRowsOfOneReader) {
    TempDir dir;
    std::minstd_rand random(7);
    QByteArray body;
    while (body.size() < TextFileReader::StretchFrom + (qint64{3} << 20))
        body += lineOf(random).replace('\0', '0'); // text, not a binary file
    const QString path = dir.write(u"large.log"_s, body);
    for (const QString &search : {u"key"_s, u"alpha|nothing"_s}) {
        SCOPED_TRACE(search.toStdString());
        const Scanned one = scanOne(path, search, 1);
        EXPECT_GT(one.rows.size(), 1000);
        EXPECT_EQ(scanOne(path, search, 4), one);
    }
}
