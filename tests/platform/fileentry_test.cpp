#include "platform/fileentry.h"
#include "platform/fullpath.h"
#include "support/tempdir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

struct stat statOf(const QString &path) {
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    return st;
}

QDateTime utc(const struct timespec &t) {
    return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000, Qt::UTC);
}

} // namespace

TEST(FullPathName, MakesRelativePathsAbsoluteAndDropsDotComponents) {
    TempDir dir;
    CurrentFolder here(dir.path());
    const QString base = QDir::currentPath();
    EXPECT_EQ(fullPathName(QStringLiteral("a.txt")), base + QStringLiteral("/a.txt"));
    EXPECT_EQ(fullPathName(QStringLiteral("./x/../b.txt")), base + QStringLiteral("/b.txt"));
    EXPECT_EQ(fullPathName(QStringLiteral("/usr//lib/./../bin/")), QStringLiteral("/usr/bin"));
    EXPECT_EQ(fullPathName(QStringLiteral("/..")), QStringLiteral("/"));
    EXPECT_EQ(fullPathName(QStringLiteral("/../../etc/./x")), QStringLiteral("/etc/x"));
    // The file need not exist, and links are not followed.
    EXPECT_EQ(fullPathName(QStringLiteral("/no/such/file")), QStringLiteral("/no/such/file"));
}

TEST(FullPathName, RefusesEmptyAndOverlongPaths) {
    EXPECT_FALSE(fullPathName(QString()));
    EXPECT_FALSE(fullPathName(QStringLiteral("/tmp/") + QString(5000, QLatin1Char('a'))));
    // Longer than the old 260-character limit is fine.
    const QString deep = QStringLiteral("/tmp/") + QString(300, QLatin1Char('b'));
    EXPECT_EQ(fullPathName(deep), deep);
}

TEST(ShortPathName, IsTheLongPathOfAnExistingFile) {
    TempDir dir;
    const QString file = dir.write(QStringLiteral("Long File Name.text"), "x");
    EXPECT_EQ(shortPathName(file), file);
    EXPECT_FALSE(shortPathName(dir.file(QStringLiteral("missing"))));
}

TEST(FindFirstFile, DescribesAFileAsStatDoes) {
    TempDir dir;
    const QString path = dir.write(QStringLiteral("data.bin"), QByteArray(5000, 'x'));
    const std::optional<FileEntry> entry = findFirstFile(path);
    ASSERT_TRUE(entry);
    const struct stat st = statOf(path);
    EXPECT_EQ(entry->longName, QStringLiteral("data.bin"));
    EXPECT_TRUE(entry->shortName.isEmpty());
    EXPECT_EQ(entry->size, 5000);
    EXPECT_EQ(entry->lastWriteTime, utc(st.st_mtim));
    EXPECT_EQ(entry->lastAccessTime, utc(st.st_atim));
    // Birth time where recorded, else the status change; never after either.
    EXPECT_LE(entry->creationTime, utc(st.st_ctim));
    EXPECT_EQ(entry->attributes, 0u);
}

TEST(FindFirstFile, SetsReadOnlyHiddenAndDirectoryBits) {
    TempDir dir;
    const QString locked = dir.write(QStringLiteral(".locked"), "x");
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0444), 0);
    EXPECT_EQ(findFirstFile(locked)->attributes, FileAttribute::ReadOnly | FileAttribute::Hidden);
    const QString folder = dir.mkdir(QStringLiteral("sub"));
    EXPECT_EQ(findFirstFile(folder)->attributes, FileAttribute::Directory);
}

TEST(FindFirstFile, FindsNothingForMissingPathsAndRoots) {
    TempDir dir;
    EXPECT_FALSE(findFirstFile(dir.file(QStringLiteral("missing"))));
    EXPECT_FALSE(findFirstFile(QStringLiteral("/")));
    EXPECT_FALSE(findFirstFile(dir.path() + QStringLiteral("/")));
}

TEST(FindFirstFile, PatternTakesTheFirstMatchByName) {
    TempDir dir;
    dir.write(QStringLiteral("b.log"), "1");
    dir.write(QStringLiteral("a.txt"), "22");
    dir.write(QStringLiteral("c.log"), "333");
    EXPECT_EQ(findFirstFile(dir.file(QStringLiteral("*.log")))->longName, QStringLiteral("b.log"));
    EXPECT_EQ(findFirstFile(dir.file(QStringLiteral("?.txt")))->size, 2);
    EXPECT_EQ(findFirstFile(dir.file(QStringLiteral("*")))->longName, QStringLiteral("a.txt"));
    EXPECT_FALSE(findFirstFile(dir.file(QStringLiteral("*.doc"))));
    // "." is an ordinary character in a pattern.
    EXPECT_FALSE(findFirstFile(dir.file(QStringLiteral("a?txt.*"))));
}

TEST(FindFirstFile, ANameThatExistsIsNotAPattern) {
    TempDir dir;
    dir.write(QStringLiteral("a1"), "1");
    dir.write(QStringLiteral("a*"), "22");
    EXPECT_EQ(findFirstFile(dir.file(QStringLiteral("a*")))->size, 2);
}

TEST(FindFirstFile, FollowsLinksButDescribesADanglingOne) {
    TempDir dir;
    const QString target = dir.write(QStringLiteral("target"), QByteArray(10, 'x'));
    const QString link = dir.file(QStringLiteral("link"));
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()),
              0);
    EXPECT_EQ(findFirstFile(link)->size, 10);
    EXPECT_EQ(findFirstFile(link)->longName, QStringLiteral("link"));
    QFile::remove(target);
    EXPECT_TRUE(findFirstFile(link));
}

TEST(OnDiskSize, CountsAllocatedBlocks) {
    TempDir dir;
    const QString path = dir.write(QStringLiteral("data"), QByteArray(10000, 'x'));
    EXPECT_EQ(onDiskSize(path), qint64(statOf(path).st_blocks) * 512);
    EXPECT_EQ(onDiskSize(dir.file(QStringLiteral("missing"))), -1);

    // A sparse file occupies less than its size.
    const QString sparse = dir.file(QStringLiteral("sparse"));
    QFile file(sparse);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(64 * 1024 * 1024));
    file.close();
    EXPECT_LT(onDiskSize(sparse), 64 * 1024 * 1024);
}
