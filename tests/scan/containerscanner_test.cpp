#include "controls/richtext/richtextbuffer.h"
#include "documents/documenterrors.h"
#include "scan/compiledsearch.h"
#include "scan/containerscanner.h"
#include "scan/membercopy.h"
#include "scan/resultsmodel.h"
#include "scan/resultsreport.h"
#include "scan/rowpath.h"
#include "scan/scanrun.h"
#include "scan/scantexts.h"
#include "support/archivebytes.h"
#include "support/recordingsinks.h"
#include "support/tempdir.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <archive.h>
#include <archive_entry.h>
#include <climits>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

using Members = std::vector<std::pair<QString, QByteArray>>;

const QByteArray Planted = "before\nthe needle line\nafter\n";

struct Harness {
    Harness() : run(sinks, sinks, sinks) {}
    ScanOutcome scan(const QString &folder, bool archives = true, int readers = 1,
                     const QString &type = {}) {
        ScanQuery query;
        query.mode = ScanMode::DirectoryTree;
        query.folder = folder;
        query.searchText = search;
        query.searchArchives = archives;
        query.specifiedType = !type.isEmpty();
        query.type = type;
        run.readers = readers;
        return run.run(query);
    }
    /// Each row but the marker as "inner names joined by |: cell".
    QStringList found() const {
        QStringList rows;
        for (const MatchRecord &row : sinks.rows)
            if (!row.path.isEmpty())
                rows << row.inner.join(u'|') + QStringLiteral(": ") + row.line.text();
        return rows;
    }
    RecordingSinks sinks;
    QString search = QStringLiteral("needle");
    ScanRun run;
};

QByteArray fixture(const char *name) {
    return readAll(QStringLiteral(SCAN_TEST_DATA) + QLatin1StringView(name));
}

} // namespace

// Every family libarchive writes, read through the run in both reader modes:
// the member's text is found and its row names the container and the member.
TEST(ContainerNaming, EachFamilyNamesItsMembers) {
    const Members members{{QStringLiteral("docs/q3.txt"), Planted}};
    struct Case {
        const char *file;
        ArchiveMaking making;
        QString inner;
    };
    const std::vector<Case> cases{
        {"a.zip", {"zip"}, QStringLiteral("docs/q3.txt")},
        {"stored.zip", {"zip", "", "zip:compression=store"}, QStringLiteral("docs/q3.txt")},
        {"a.7z", {"7zip"}, QStringLiteral("docs/q3.txt")},
        {"a.tar", {"ustar"}, QStringLiteral("docs/q3.txt")},
        {"a.tgz", {"ustar", "gzip"}, QStringLiteral("docs/q3.txt")},
        {"a.tar.bz2", {"ustar", "bzip2"}, QStringLiteral("docs/q3.txt")},
        {"a.tar.xz", {"pax", "xz"}, QStringLiteral("docs/q3.txt")},
        {"a.cpio", {"cpio"}, QStringLiteral("docs/q3.txt")},
        {"syslog.2.gz", {"raw", "gzip"}, QStringLiteral("syslog.2")},
        {"notes.txt.xz", {"raw", "xz"}, QStringLiteral("notes.txt")},
    };
    for (const int readers : {1, 4}) {
        TempDir dir;
        QStringList expected;
        for (const Case &c : cases) {
            dir.write(QString::fromLatin1(c.file), archiveBytes(c.making, members));
            expected << QString::fromLatin1(c.file) + u'|' + c.inner + QStringLiteral(": 2");
        }
        dir.write(QStringLiteral("plain.txt"), Planted);
        Harness h;
        ASSERT_EQ(h.scan(dir.path(), true, readers), ScanOutcome::Completed);
        EXPECT_TRUE(h.sinks.errors.isEmpty()) << h.sinks.errors.join(u'\n').toStdString();
        QStringList rows;
        for (const MatchRecord &row : h.sinks.rows)
            if (!row.inner.isEmpty())
                rows << QFileInfo(row.path).fileName() + u'|' + row.inner.join(u'|') +
                            QStringLiteral(": ") + row.line.text();
        rows.sort();
        expected.sort();
        EXPECT_EQ(rows, expected) << "readers " << readers;
        EXPECT_EQ(h.sinks.rows.size(), size_t(cases.size() + 2)); // plain.txt and the marker
    }
}

TEST(ContainerNaming, NestedArchivesAndTheShownPath) {
    TempDir dir;
    const QByteArray inner = archiveBytes({"zip"}, {{QStringLiteral("2024/q3.txt"), Planted}});
    dir.write(QStringLiteral("outer.tar.gz"),
              archiveBytes({"ustar", "gzip"}, {{QStringLiteral("reports.zip"), inner}}));
    Harness h;
    h.scan(dir.path());
    EXPECT_EQ(h.found(), QStringList{QStringLiteral("reports.zip|2024/q3.txt: 2")});
    const MatchRecord row = h.sinks.rows.front();
    EXPECT_EQ(row.path, dir.file(QStringLiteral("outer.tar.gz"))); // kept apart, never joined
    const QString shown = dir.file(QStringLiteral("outer.tar.gz")) +
                          QStringLiteral(" \u25B8 reports.zip \u25B8 2024/q3.txt");
    EXPECT_EQ(RowPath::shown(row.path, row.inner), shown);
    EXPECT_TRUE(ResultsReport::rowLine(row).startsWith(QStringLiteral("FILE: ") + shown));
    ResultsModel model;
    model.AddMatch(row);
    model.flush();
    EXPECT_EQ(model.data(model.index(0, ResultsModel::PathColumn)).toString(), shown);
    EXPECT_EQ(model.row(0), row);
}

// Archives inside archives, streamed or (a 7z, read by moving in it) held whole.
TEST(ContainerNaming, ArchivesInsideEachOuterFamily) {
    const Members members{{QStringLiteral("q3.txt"), Planted}};
    TempDir dir;
    for (const auto &[name, making] :
         {std::pair{"in.zip", ArchiveMaking{"zip"}}, std::pair{"in.7z", ArchiveMaking{"7zip"}},
          std::pair{"in.tar.xz", ArchiveMaking{"ustar", "xz"}}}) {
        const Members inner{{QString::fromLatin1(name), archiveBytes(making, members)}};
        dir.write(QStringLiteral("outer.tgz"), archiveBytes({"ustar", "gzip"}, inner));
        dir.write(QStringLiteral("outer.zip"), archiveBytes({"zip"}, inner));
        Harness h;
        h.scan(dir.path());
        const QString row = QString::fromLatin1(name) + QStringLiteral("|q3.txt: 2");
        EXPECT_EQ(h.found(), QStringList({row, row})) << name;
        EXPECT_TRUE(h.sinks.errors.isEmpty()) << h.sinks.errors.join(u'\n').toStdString();
    }
}

TEST(ContainerNaming, OffByDefaultAnArchiveIsWhatItWasBefore) {
    TempDir dir;
    dir.write(QStringLiteral("a.tar"),
              archiveBytes({"ustar"}, {{QStringLiteral("x.txt"), Planted}}));
    dir.write(QStringLiteral("a.zip"), archiveBytes({"zip"}, {{QStringLiteral("x.txt"), Planted}}));
    Harness h;
    h.scan(dir.path(), false);
    // The tar's bytes hold the line as it is; the zip is left out by the all-files filter.
    EXPECT_EQ(h.found().size(), 1);
    EXPECT_TRUE(h.sinks.rows.front().inner.isEmpty());
    EXPECT_TRUE(h.sinks.rows.front().path.endsWith(QStringLiteral("a.tar")));
}

// Members go through the judgement of tree files: the type filter,
// executables and images left out, documents turned into text.
TEST(ContainerMembers, AreJudgedAsTreeFiles) {
    TempDir dir;
    const QByteArray mail = "Subject: a needle in the subject\r\n\r\nbody\r\n";
    const Members members{{QStringLiteral("tool.exe"), Planted},
                          {QStringLiteral("photo.jpg"), Planted},
                          {QStringLiteral("notes.log"), Planted},
                          {QStringLiteral("letter.eml"), mail},
                          {QStringLiteral("report.docx"), fixture("modern/writer.docx")},
                          {QStringLiteral("readme.txt"), Planted}};
    dir.write(QStringLiteral("mixed.zip"), archiveBytes({"zip"}, members));
    for (const int readers : {1, 4}) {
        Harness all;
        all.search = QStringLiteral("needle|BodyProbe");
        all.scan(dir.path(), true, readers);
        QStringList found = all.found();
        EXPECT_EQ(found.size(), 4) << found.join(u'\n').toStdString();
        EXPECT_EQ(found.filter(QStringLiteral("letter.eml: @")).size(), 1);
        EXPECT_EQ(found.filter(QStringLiteral("report.docx: @")).size(), 1);
        EXPECT_TRUE(found.contains(QStringLiteral("notes.log: 2")));
        EXPECT_TRUE(found.contains(QStringLiteral("readme.txt: 2")));
    }
    Harness logs;
    logs.scan(dir.path(), true, 1, QStringLiteral("log"));
    EXPECT_EQ(logs.found(), QStringList{QStringLiteral("notes.log: 2")});
}

// A NUL byte past the first few bytes makes a member binary as it makes a
// file of the tree: one row for each, the same.
TEST(ContainerMembers, BinaryAsATreeFileIs) {
    TempDir dir;
    const QByteArray dump = "the needle first\n" + QByteArray(1000, 'x') + '\0' + "\nneedle\n";
    dir.write(QStringLiteral("dump.dat"), dump);
    dir.write(QStringLiteral("dumps.tgz"),
              archiveBytes({"ustar", "gzip"}, {{QStringLiteral("dump.dat"), dump}}));
    Harness h;
    h.scan(dir.path());
    const QStringList found = h.found();
    ASSERT_EQ(found.size(), 2) << found.join(u'\n').toStdString();
    EXPECT_EQ(QStringLiteral("dump.dat") + found.constFirst(), found.constLast());
}

TEST(ContainerMembers, EncryptedMemberAndDamagedContainerAreNamed) {
    TempDir dir;
    const QString locked = dir.write(QStringLiteral("locked.zip"),
                                     archiveBytes({"zip", "", "zip:encryption=zipcrypt", "secret"},
                                                  {{QStringLiteral("hidden.txt"), Planted}}));
    QByteArray cut = archiveBytes({"ustar", "gzip"}, {{QStringLiteral("a.txt"), Planted},
                                                      {QStringLiteral("b.txt"), Planted}});
    const QString damaged = dir.write(QStringLiteral("cut.tgz"), cut.left(cut.size() / 2));
    Harness h;
    EXPECT_EQ(h.scan(dir.path()), ScanOutcome::Completed);
    ASSERT_EQ(h.sinks.errors.size(), 2) << h.sinks.errors.join(u'\n').toStdString();
    EXPECT_TRUE(h.sinks.errors.at(0).startsWith(QStringLiteral("Error: ")));
    EXPECT_TRUE(h.sinks.errors.at(0).endsWith(damaged + u')'));
    EXPECT_EQ(h.sinks.errors.at(1),
              ScanTexts::fileError(documenterrors::encrypted(),
                                   RowPath::shown(locked, {QStringLiteral("hidden.txt")})));
}

namespace {

/// Rows and errors of ContainerScanner alone, with bounds small enough for a test.
struct Bounded : ContainerScanner::Rows, FileScanner::Receiver {
    Bounded() : search_(QStringLiteral("needle")), scanner_(box_) {}
    FileScanner::Outcome scan(const QString &path, ContainerScanner::Bounds bounds) {
        ContainerScanner container(scanner_, passes);
        return container.scan(path, *this, bounds);
    }
    FileScanner::Receiver &member(const QStringList &inner) override {
        inner_ = inner;
        return *this;
    }
    void error(const QStringList &inner, const QString &description) override {
        errors << inner.join(u'|') + QStringLiteral(": ") + description;
    }
    bool goOn() override { return ++asked < stopAfter; }
    const CompiledSearch &search() override { return search_; }
    bool lineFound(qint64, QByteArrayView, QStringView) override {
        rows << inner_.join(u'|');
        return true;
    }
    bool blockDone() override { return goOn(); }
    bool nextPiece(qint64) override { return true; }
    void pieceFound(qint64, const QString &) override { rows << inner_.join(u'|'); }

    CompiledSearch search_;
    RichTextBuffer box_;
    FileScanner scanner_;
    QStringList inner_, rows, errors;
    int asked = 0;
    int stopAfter = INT_MAX;
    std::function<bool(const QString &)> passes = [](const QString &) { return true; };
};

QByteArray nested(int levels) {
    QByteArray bytes = archiveBytes({"zip"}, {{QStringLiteral("deep.txt"), Planted}});
    for (int level = levels; level > 1; --level)
        bytes = archiveBytes({"zip"}, {{QStringLiteral("n%1.zip").arg(level), bytes}});
    return bytes;
}

} // namespace

// Small bombs of each kind: the reading ends at the bound, keeps the rows
// found before it and names the bound once.
TEST(ContainerBounds, EachBoundEndsTheReadingWithItsMessage) {
    TempDir dir;
    Members many;
    for (int i = 0; i < 50; ++i)
        many.emplace_back(QStringLiteral("m%1.txt").arg(i), Planted);
    const QString manyPath = dir.write(QStringLiteral("many.tar"), archiveBytes({"ustar"}, many));
    const QString bombPath =
        dir.write(QStringLiteral("bomb.zip"),
                  archiveBytes({"zip"}, {{QStringLiteral("first.txt"), Planted},
                                         {QStringLiteral("zeros.txt"), QByteArray(8 << 20, '\0')},
                                         {QStringLiteral("last.txt"), Planted}}));
    const QString deepPath = dir.write(QStringLiteral("deep.zip"), nested(5));

    ContainerScanner::Bounds members = ContainerScanner::Bounds::forFile(1 << 20);
    members.members = 10;
    Bounded m;
    EXPECT_TRUE(m.scan(manyPath, members).ok);
    EXPECT_EQ(m.rows.size(), 10);
    EXPECT_EQ(m.errors, QStringList{QStringLiteral(": ") + ContainerScanner::tooManyMembers(10)});

    const ContainerScanner::Bounds unpacked =
        ContainerScanner::Bounds::forFile(QFileInfo(bombPath).size());
    ASSERT_LT(unpacked.unpackedBytes, 8 << 20); // 100 times the zip is less than its zeros
    Bounded b;
    EXPECT_TRUE(b.scan(bombPath, unpacked).ok);
    EXPECT_EQ(b.rows, QStringList{QStringLiteral("first.txt")});
    EXPECT_EQ(b.errors, QStringList{QStringLiteral(": ") +
                                    ContainerScanner::tooMuchUnpacked(unpacked.unpackedBytes)});

    // Unpacked while passing over a member that is not read counts too.
    const QString skippedPath = dir.write(
        QStringLiteral("skipped.tgz"),
        archiveBytes({"ustar", "gzip"}, {{QStringLiteral("big.exe"), QByteArray(8 << 20, 'x')},
                                         {QStringLiteral("last.txt"), Planted}}));
    Bounded s;
    s.passes = [](const QString &name) { return !name.endsWith(QLatin1StringView(".exe")); };
    s.scan(skippedPath, ContainerScanner::Bounds::forFile(QFileInfo(skippedPath).size()));
    EXPECT_TRUE(s.rows.isEmpty());
    EXPECT_EQ(s.errors.size(), 1);

    ContainerScanner::Bounds shallow = ContainerScanner::Bounds::forFile(1 << 20);
    Bounded fits;
    fits.scan(deepPath, shallow);
    EXPECT_EQ(fits.rows, QStringList{QStringLiteral("n2.zip|n3.zip|n4.zip|n5.zip|deep.txt")});
    shallow.depth = 3;
    Bounded d;
    d.scan(deepPath, shallow);
    EXPECT_TRUE(d.rows.isEmpty());
    EXPECT_EQ(d.errors,
              QStringList{QStringLiteral("n2.zip|n3.zip|n4.zip: ") + ContainerScanner::tooDeep(3)});
}

// A stop asked between blocks ends a long member and the rest of the container.
TEST(ContainerCancel, StopsInsideALongMember) {
    TempDir dir;
    QByteArray longText;
    for (int i = 0; i < 200'000; ++i)
        longText += "a line of text that does not match at all\n";
    longText += "needle at the end\n";
    const QString path =
        dir.write(QStringLiteral("long.tgz"),
                  archiveBytes({"ustar", "gzip"}, {{QStringLiteral("long.txt"), longText},
                                                   {QStringLiteral("b.txt"), Planted}}));
    Bounded all;
    all.scan(path, ContainerScanner::Bounds::forFile(1 << 30));
    EXPECT_EQ(all.rows, QStringList({QStringLiteral("long.txt"), QStringLiteral("b.txt")}));
    Bounded stopped;
    stopped.stopAfter = 3;
    EXPECT_TRUE(stopped.scan(path, ContainerScanner::Bounds::forFile(1 << 30)).ok);
    EXPECT_TRUE(stopped.rows.isEmpty());
    EXPECT_TRUE(stopped.errors.isEmpty());
    EXPECT_LE(stopped.asked, 4);
}

namespace {

/// A tar.gz of count empty members written straight to path.
void writeManyMembers(const QString &path, int count) {
    archive *a = archive_write_new();
    archive_write_set_format_ustar(a);
    archive_write_add_filter_gzip(a);
    archive_write_set_options(a, "gzip:compression-level=1");
    archive_write_open_filename(a, path.toLocal8Bit().constData());
    archive_entry *entry = archive_entry_new();
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    for (int i = 0; i < count; ++i) {
        archive_entry_set_pathname(entry, QByteArray::number(i).append(".txt").constData());
        archive_write_header(a, entry);
    }
    archive_entry_free(entry);
    archive_write_close(a);
    archive_write_free(a);
}

/// A zip of 16 zips of 16 zips ... levels deep, each of the last holding
/// 16 MB of zeros: terabytes unpacked from some kilobytes.
QByteArray nestedBomb(int levels) {
    QByteArray bytes =
        archiveBytes({"zip"}, {{QStringLiteral("zeros.txt"), QByteArray(16 << 20, '\0')}});
    for (int level = 1; level <= levels; ++level) {
        Members copies;
        for (int i = 0; i < 16; ++i)
            copies.emplace_back(QStringLiteral("%1-%2.zip").arg(level).arg(i), bytes);
        bytes = archiveBytes({"zip"}, copies);
    }
    return bytes;
}

qint64 peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

// Hostile archives at full size end soon, in little memory, naming their bound.
TEST(ContainerBounds, MillionMembersAndNestedBombEndSoon) {
    TempDir dir;
    const QString many = dir.file(QStringLiteral("million.tgz"));
    writeManyMembers(many, 1'000'000);
    const QString bomb = dir.write(QStringLiteral("42.zip"), nestedBomb(5));
    ASSERT_LT(QFileInfo(bomb).size(), 64 * 1024);
    const std::vector<std::pair<QString, QString>> cases{
        {many, ContainerScanner::tooManyMembers(ContainerScanner::Bounds{}.members)},
        {bomb, ContainerScanner::tooMuchUnpacked(
                   ContainerScanner::Bounds::forFile(QFileInfo(bomb).size()).unpackedBytes)}};
    for (const auto &[path, message] : cases) {
        Bounded b;
        QElapsedTimer timer;
        timer.start();
        ContainerScanner container(b.scanner_, b.passes);
        EXPECT_TRUE(container.scan(path, b).ok);
        EXPECT_LT(timer.elapsed(), 10'000) << path.toStdString();
        ASSERT_EQ(b.errors.size(), 1) << path.toStdString();
        EXPECT_TRUE(b.errors.front().endsWith(message)) << b.errors.front().toStdString();
    }
    EXPECT_LT(peakMegabytes(), 300);
}

// Cancel inside a member of an archive inside a compressed archive, while
// the outer one unpacks on its own thread, ends the reading at once.
TEST(ContainerCancel, EndsWithinATenthOfASecond) {
    TempDir dir;
    QByteArray longText;
    for (int i = 0; i < 1'000'000; ++i)
        longText += "a line of text that does not match at all\n";
    const QByteArray zip = archiveBytes({"zip"}, {{QStringLiteral("long.txt"), longText}});
    const QString path =
        dir.write(QStringLiteral("long.tgz"),
                  archiveBytes({"ustar", "gzip"}, {{QStringLiteral("in.zip"), zip}}));
    // Cancel comes a few blocks into the long member, however fast they are read.
    struct Timed : Bounded {
        bool goOn() override {
            if (++asked < 20)
                return true;
            if (!stopAsked.isValid())
                stopAsked.start();
            return false;
        }
        QElapsedTimer stopAsked;
    } t;
    t.scan(path, ContainerScanner::Bounds::forFile(1 << 30));
    ASSERT_TRUE(t.stopAsked.isValid());
    EXPECT_LT(t.stopAsked.elapsed(), 100);
}

namespace {

Members membersOf(const QByteArray &zip) {
    Members members;
    archive *a = archive_read_new();
    archive_read_support_format_zip(a);
    archive_read_open_memory(a, zip.constData(), size_t(zip.size()));
    archive_entry *entry = nullptr;
    while (archive_read_next_header(a, &entry) == ARCHIVE_OK) {
        QByteArray bytes(qsizetype(archive_entry_size(entry)), '\0');
        archive_read_data(a, bytes.data(), size_t(bytes.size()));
        members.emplace_back(QString::fromUtf8(archive_entry_pathname(entry)), bytes);
    }
    archive_read_free(a);
    return members;
}

QByteArray mailWith(const std::vector<std::pair<QByteArray, QByteArray>> &attachments) {
    QByteArray mail = "From: a@example.org\r\nSubject: reports\r\nMIME-Version: 1.0\r\n"
                      "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
                      "--b\r\nContent-Type: text/plain\r\n\r\nSee attached.\r\n";
    for (const auto &[name, bytes] : attachments)
        mail += "--b\r\nContent-Type: application/octet-stream\r\n"
                "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; "
                "filename=\"" +
                name + "\"\r\n\r\n" + bytes.toBase64() + "\r\n";
    return mail + "--b--\r\n";
}

} // namespace

// Files a mail or a document carries are read whenever it is, option or
// not, in both reader modes, each row under the carried file's name.
TEST(CarriedFiles, AttachmentsAndEmbeddedPackagesAreSearched) {
    TempDir dir;
    dir.write(QStringLiteral("note.eml"), mailWith({{"report.docx", fixture("modern/writer.docx")},
                                                    {"scan.pdf", fixture("modern/writer.pdf")}}));
    Members docx = membersOf(fixture("modern/writer.docx"));
    docx.emplace_back(QStringLiteral("word/embeddings/Sheet1.xlsx"), fixture("modern/calc.xlsx"));
    dir.write(QStringLiteral("report.docx"), archiveBytes({"zip"}, docx));
    for (const int readers : {1, 4}) {
        Harness h;
        h.search = QStringLiteral("BodyProbe|FirstSheetProbe|HeadingProbe");
        h.scan(dir.path(), false, readers);
        QStringList found = h.found();
        found.removeDuplicates();
        for (QString &row : found)
            row = row.section(u':', 0, 0);
        found.removeDuplicates();
        EXPECT_EQ(found,
                  QStringList({QStringLiteral("report.docx"), QStringLiteral("scan.pdf"),
                               QStringLiteral(""), QStringLiteral("word/embeddings/Sheet1.xlsx")}))
            << "readers " << readers;
        EXPECT_TRUE(h.sinks.errors.isEmpty());
    }
}

// What Edit File, Launch File and File Information act on for a row inside:
// the member at any depth (archive in archive, a file a document carries),
// copied read-only into a folder only its owner may enter.
TEST(InnerRowActions, MembersAreFoundAndCopiedReadOnly) {
    TempDir dir;
    const QByteArray sheet = fixture("modern/calc.xlsx");
    Members docx = membersOf(fixture("modern/writer.docx"));
    docx.emplace_back(QStringLiteral("word/embeddings/Sheet1.xlsx"), sheet);
    const QByteArray zip =
        archiveBytes({"zip"}, {{QStringLiteral("in/report.docx"), archiveBytes({"zip"}, docx)}});
    const QString path =
        dir.write(QStringLiteral("outer.tar.gz"),
                  archiveBytes({"ustar", "gzip"}, {{QStringLiteral("a.txt"), Planted},
                                                   {QStringLiteral("reports.zip"), zip}}));
    const QStringList inner{QStringLiteral("reports.zip"), QStringLiteral("in/report.docx"),
                            QStringLiteral("word/embeddings/Sheet1.xlsx")};
    QString error;
    const std::optional<MemberFile> member = readMember(path, inner, error);
    ASSERT_TRUE(member) << error.toStdString();
    EXPECT_EQ(member->bytes, sheet);
    EXPECT_EQ(member->size, sheet.size());
    EXPECT_EQ(member->modified.toSecsSinceEpoch(), 1'700'000'000);

    const QString copy = MemberCopies::instance().copyOf(path, inner, error);
    ASSERT_FALSE(copy.isEmpty()) << error.toStdString();
    EXPECT_EQ(QFileInfo(copy).fileName(), QStringLiteral("Sheet1.xlsx"));
    EXPECT_EQ(readAll(copy), sheet);
    // Owner, group and others; the user's own bits say what root may do.
    EXPECT_EQ(QFileInfo(copy).permissions() & 0x7077, QFileDevice::ReadOwner);
    const QFileInfo folder(QFileInfo(QFileInfo(copy).path()).path());
    EXPECT_EQ(folder.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
    EXPECT_EQ(MemberCopies::instance().copyOf(path, inner, error), copy); // made once

    EXPECT_FALSE(readMember(path, {QStringLiteral("gone.txt")}, error));
    EXPECT_FALSE(error.isEmpty());
}
