#include "fileprops/cfileinfo.h"
#include "support/tempdir.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

CFileInfo infoFor(const QString &path) {
    CFileInfo info;
    info.setFullPathName(path);
    return info;
}

QDateTime localSeconds(const struct timespec &t) {
    return QDateTime::fromSecsSinceEpoch(t.tv_sec).toLocalTime();
}

} // namespace

TEST(FormatFileSize, FollowsTheTableOfUnits) {
    const std::pair<qint64, const char *> cases[] = {
        {0, "0 bytes"},
        {1023, "1,023 bytes"},
        {1024, "1.00KB (1,024 bytes)"},
        {10239, "10.00KB (10,239 bytes)"},
        {10240, "10.0KB (10,240 bytes)"},
        {12595, "12.3KB (12,595 bytes)"},
        {1023999, "1000KB (1,023,999 bytes)"},
        {1024000, "0.98MB (1,024,000 bytes)"},
        {1048576, "1.00MB (1,048,576 bytes)"},
        {10240000, "9.8MB (10,240,000 bytes)"},
        {102400000, "98MB (102,400,000 bytes)"},
        {1024000000, "0.95GB (1,024,000,000 bytes)"},
        {2147483647, "2.00GB (2,147,483,647 bytes)"},
        {-1, "-1 bytes"},
        {-5000, "-5,000 bytes"},
        // Sizes of 2 GiB and more keep their true value.
        {2147483648, "2.00GB (2,147,483,648 bytes)"},
        {5368709120, "5.00GB (5,368,709,120 bytes)"},
        {1099511627776, "1024.00GB (1,099,511,627,776 bytes)"},
    };
    for (const auto &[size, expected] : cases)
        EXPECT_EQ(CFileInfo::FormatFileSize(size), QLatin1String(expected)) << size;
}

TEST(FormatFileSize, UsesTheUsersSeparators) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(CFileInfo::FormatFileSize(1048576), QStringLiteral("1,00MB (1.048.576 bytes)"));
    EXPECT_EQ(CFileInfo::FormatFileSize(1023999), QStringLiteral("1000KB (1.023.999 bytes)"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

TEST(FormatFileDate, IsLongDateThenLongTime) {
    const QDateTime when(QDate(2026, 3, 5), QTime(14, 7, 9));
    const QLocale locale;
    const QString expected = locale.toString(when.date(), QLocale::LongFormat) + QLatin1Char(' ') +
                             locale.toString(when, locale.timeFormat(QLocale::LongFormat));
    EXPECT_EQ(CFileInfo::FormatFileDate(when), expected);
    EXPECT_TRUE(CFileInfo::FormatFileDate(when).startsWith(
        QStringLiteral("Thursday, March 5, 2026 2:07:09")));
    EXPECT_TRUE(CFileInfo::FormatFileDate(CFileInfo::zeroDate())
                    .startsWith(QStringLiteral("Saturday, December 30, 1899 12:00:00")));
}

TEST(FormatFileDate, NamesTheZoneInForceOnThatDay) {
    if (!QFile::exists(QStringLiteral("/usr/share/zoneinfo/Europe/Berlin")))
        GTEST_SKIP() << "no time zone data";
    const QByteArray saved = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    ::tzset();
    const QString summer = CFileInfo::FormatFileDate(QDateTime(QDate(2026, 7, 1), QTime(12, 0)));
    const QString winter = CFileInfo::FormatFileDate(QDateTime(QDate(2026, 1, 1), QTime(12, 0)));
    saved.isNull() ? qunsetenv("TZ") : qputenv("TZ", saved);
    ::tzset();
    EXPECT_EQ(summer, QStringLiteral("Wednesday, July 1, 2026 12:00:00 PM CEST"));
    EXPECT_EQ(winter, QStringLiteral("Thursday, January 1, 2026 12:00:00 PM CET"));
}

TEST(CFileInfo, NewObjectHoldsNothing) {
    const CFileInfo info;
    EXPECT_TRUE(info.FullPathName().isEmpty());
    EXPECT_FALSE(info.FileExists());
    EXPECT_EQ(info.FileSize(), 0);
    EXPECT_EQ(info.CreationTime(), CFileInfo::zeroDate());
    EXPECT_TRUE(info.hIcon().isNull());
}

TEST(CFileInfo, ReadsAFile) {
    TempDir dir;
    const QString path = dir.write(QStringLiteral("report.final.txt"), QByteArray(12595, 'a'));
    const CFileInfo info = infoFor(path);
    ASSERT_TRUE(info.FileExists());
    EXPECT_TRUE(info.PathExists());
    EXPECT_EQ(info.FullPathName(), path);
    EXPECT_EQ(info.FileName(), QStringLiteral("report.final.txt"));
    EXPECT_EQ(info.FilePath(), dir.path() + QLatin1Char('/'));
    EXPECT_EQ(info.FileExtension(), QStringLiteral("txt"));
    EXPECT_EQ(info.DisplayName(), QStringLiteral("report.final.txt"));
    EXPECT_EQ(info.TypeName(), QStringLiteral("plain text document"));
    EXPECT_FALSE(info.hIcon().isNull());
    EXPECT_EQ(info.FileSize(), 12595);
    EXPECT_EQ(info.FileSizeHigh(), 0u);
    EXPECT_GE(info.CompressedFileSize(), 12595);
    // No short names: the long ones stand in, upper-cased for the name.
    EXPECT_EQ(info.ShortName(), QStringLiteral("REPORT.FINAL.TXT"));
    EXPECT_EQ(info.ShortPathName(), path);
    EXPECT_EQ(info.ShortPath(), dir.path() + QLatin1Char('/'));
    EXPECT_EQ(info.Attributes(), 0u);
}

TEST(CFileInfo, TimesAreLocalWholeSecondsOfTheEntry) {
    TempDir dir;
    const QString path = dir.write(QStringLiteral("t"), "x");
    struct timespec times[2] = {{1700000000, 999000000}, {1600000000, 250000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    // Before the object reads the file, which may move its access time.
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    const CFileInfo info = infoFor(path);
    EXPECT_EQ(info.LastAccessTime(), localSeconds(st.st_atim));
    EXPECT_EQ(info.ModifyTime(), localSeconds(st.st_mtim));
    EXPECT_EQ(info.ModifyTime(), QDateTime::fromSecsSinceEpoch(1600000000).toLocalTime());
    EXPECT_EQ(info.ModifyTime().time().msec(), 0);
    EXPECT_LE(info.CreationTime(), localSeconds(st.st_ctim));
    EXPECT_GE(info.CreationTime(), QDateTime::currentDateTime().addSecs(-600));
}

TEST(CFileInfo, APipeIsDescribedWithoutBeingRead) {
    TempDir dir;
    const QString fifo = dir.file(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const CFileInfo info = infoFor(fifo);
    EXPECT_TRUE(info.FileExists());
    EXPECT_EQ(info.FileSize(), 0);
}

TEST(CFileInfo, ReadOnlyAndHiddenFilesSetTheirBits) {
    TempDir dir;
    const QString path = dir.write(QStringLiteral(".profile"), "x");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    const CFileInfo info = infoFor(path);
    EXPECT_TRUE(info.attrReadOnly());
    EXPECT_TRUE(info.attrHidden());
    EXPECT_FALSE(info.attrArchive());
    EXPECT_FALSE(info.attrSystem());
    EXPECT_FALSE(info.attrTemporary());
    EXPECT_FALSE(info.attrCompressed());
    EXPECT_EQ(info.FileExtension(), QStringLiteral("profile"));
}

TEST(CFileInfo, ExtensionsAndTypeFallback) {
    TempDir dir;
    const QByteArray binary("\x01\x02\x03\xff\xfe\x00\x01", 7);
    EXPECT_EQ(infoFor(dir.write(QStringLiteral("archive.tar.gz"), "x")).FileExtension(),
              QStringLiteral("gz"));
    const CFileInfo point = infoFor(dir.write(QStringLiteral("name."), binary));
    EXPECT_TRUE(point.FileExtension().isEmpty());
    EXPECT_EQ(point.TypeName(), QStringLiteral("File"));
    const CFileInfo unknown = infoFor(dir.write(QStringLiteral("data.xyz"), binary));
    EXPECT_EQ(unknown.TypeName(), QStringLiteral("XYZ File"));
    const CFileInfo bare = infoFor(dir.write(QStringLiteral("blob"), binary));
    EXPECT_TRUE(bare.FileExtension().isEmpty());
    EXPECT_EQ(bare.TypeName(), QStringLiteral("File"));
}

TEST(CFileInfo, RelativeAndDottedPathsBecomeAbsolute) {
    TempDir dir;
    dir.mkdir(QStringLiteral("sub/deeper"));
    const QString path = dir.write(QStringLiteral("sub/file.txt"), "x");
    CurrentFolder here(dir.file(QStringLiteral("sub/deeper")));
    const CFileInfo info = infoFor(QStringLiteral("./../deeper/.././file.txt"));
    ASSERT_TRUE(info.FileExists());
    EXPECT_EQ(info.FullPathName(),
              QDir::cleanPath(QDir::current().absoluteFilePath(QStringLiteral("../file.txt"))));
    EXPECT_EQ(info.FileName(), QStringLiteral("file.txt"));
    EXPECT_TRUE(info.FilePath().endsWith(QStringLiteral("/sub/")));
}

TEST(CFileInfo, AFileInTheRootHasTheRootAsFolder) {
    const CFileInfo info = infoFor(QStringLiteral("/etc/../etc/hostname"));
    if (!info.FileExists())
        GTEST_SKIP() << "no /etc/hostname";
    EXPECT_EQ(info.FilePath(), QStringLiteral("/etc/"));
    const CFileInfo root = infoFor(QStringLiteral("/"));
    EXPECT_FALSE(root.FileExists());
    EXPECT_EQ(root.FullPathName(), QStringLiteral("/"));
}

TEST(CFileInfo, WildcardsResolveToTheFirstMatch) {
    TempDir dir;
    dir.write(QStringLiteral("b.log"), "22");
    dir.write(QStringLiteral("a.log"), "1");
    const CFileInfo info = infoFor(dir.file(QStringLiteral("*.log")));
    ASSERT_TRUE(info.FileExists());
    EXPECT_EQ(info.FileName(), QStringLiteral("a.log"));
    EXPECT_EQ(info.FullPathName(), dir.file(QStringLiteral("a.log")));
    EXPECT_EQ(info.FileSize(), 1);
}

TEST(CFileInfo, AMissingFileKeepsEveryValue) {
    TempDir dir;
    const CFileInfo fresh = infoFor(dir.file(QStringLiteral("missing.txt")));
    EXPECT_FALSE(fresh.FileExists());
    EXPECT_FALSE(fresh.PathExists());
    EXPECT_EQ(fresh.FullPathName(), dir.file(QStringLiteral("missing.txt")));
    EXPECT_TRUE(fresh.FileName().isEmpty());
    EXPECT_TRUE(fresh.FilePath().isEmpty());
    EXPECT_TRUE(fresh.TypeName().isEmpty());
    EXPECT_EQ(fresh.FileSize(), 0);
    EXPECT_EQ(fresh.ModifyTime(), CFileInfo::zeroDate());

    // An object that had found a file keeps what it read, PathExists included.
    CFileInfo used = infoFor(dir.write(QStringLiteral("there.txt"), "abc"));
    used.setFullPathName(dir.file(QStringLiteral("gone.txt")));
    EXPECT_FALSE(used.FileExists());
    EXPECT_TRUE(used.PathExists());
    EXPECT_EQ(used.FileName(), QStringLiteral("there.txt"));
    EXPECT_EQ(used.FileSize(), 3);
    EXPECT_EQ(used.FullPathName(), dir.file(QStringLiteral("gone.txt")));
}

TEST(CFileInfo, AnEmptyPathChangesNothing) {
    TempDir dir;
    CFileInfo info = infoFor(dir.write(QStringLiteral("kept.txt"), "abc"));
    info.setFullPathName(QString());
    EXPECT_TRUE(info.FileExists());
    EXPECT_EQ(info.FullPathName(), dir.file(QStringLiteral("kept.txt")));
}

TEST(CFileInfo, PathsLongerThan260CharactersWork) {
    TempDir dir;
    QString folder = QStringLiteral("x");
    for (int i = 0; i < 5; ++i)
        folder += QLatin1Char('/') + QString(60, QChar(QLatin1Char('a' + i)));
    const QString path = dir.write(folder + QStringLiteral("/long.txt"), "abc");
    ASSERT_GT(path.size(), 300);
    const CFileInfo info = infoFor(path);
    ASSERT_TRUE(info.FileExists());
    EXPECT_EQ(info.FullPathName(), path);
    EXPECT_EQ(info.FileSize(), 3);
}

TEST(CFileInfo, SizesAbove4GiBKeepTheirHighHalf) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("big.img"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    if (!file.resize(5 * 1024LL * 1024 * 1024 + 7))
        GTEST_SKIP() << "the scratch volume cannot hold a sparse 5 GiB file";
    file.close();
    const CFileInfo info = infoFor(path);
    EXPECT_EQ(info.FileSize(), 5 * 1024LL * 1024 * 1024 + 7);
    EXPECT_EQ(info.FileSizeHigh(), 1u);
    EXPECT_LT(info.CompressedFileSize(), info.FileSize());
    EXPECT_EQ(CFileInfo::FormatFileSize(info.FileSize()),
              QStringLiteral("5.00GB (5,368,709,127 bytes)"));
}

TEST(CFileInfo, RefreshReadsTheFileAgain) {
    TempDir dir;
    const QString path = dir.write(QStringLiteral("grow.txt"), "ab");
    CFileInfo info = infoFor(path);
    dir.write(QStringLiteral("grow.txt"), "abcdef");
    EXPECT_EQ(info.FileSize(), 2);
    info.Refresh();
    EXPECT_EQ(info.FileSize(), 6);
    EXPECT_FALSE(info.hIcon().isNull());
}
