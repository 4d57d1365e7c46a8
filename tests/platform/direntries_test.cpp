#include "platform/direntries.h"
#include "support/tempdir.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using platform::DirEntry;

namespace {
std::vector<std::pair<QByteArray, DirEntry::Kind>> entriesOf(const QString &folder) {
    std::vector<std::pair<QByteArray, DirEntry::Kind>> result;
    for (const DirEntry &e : platform::listDirectory(folder).entries)
        result.emplace_back(e.name, e.kind);
    return result;
}
} // namespace

TEST(ListDirectory, SortsByNameAndResolvesLinks) {
    TempDir dir;
    dir.write(QStringLiteral("b.txt"), "b");
    dir.write(QStringLiteral("a.txt"), "a");
    dir.mkdir(QStringLiteral("C"));
    QFile::link(dir.file(QStringLiteral("a.txt")), dir.file(QStringLiteral("link-to-file")));
    QFile::link(dir.file(QStringLiteral("C")), dir.file(QStringLiteral("link-to-folder")));
    QFile::link(dir.file(QStringLiteral("missing")), dir.file(QStringLiteral("dangling")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file(QStringLiteral("pipe"))).constData(), 0600), 0);

    const std::vector<std::pair<QByteArray, DirEntry::Kind>> expected = {
        {"C", DirEntry::Kind::Directory},       {"a.txt", DirEntry::Kind::File},
        {"b.txt", DirEntry::Kind::File},        {"dangling", DirEntry::Kind::Other},
        {"link-to-file", DirEntry::Kind::File}, {"link-to-folder", DirEntry::Kind::Directory},
        {"pipe", DirEntry::Kind::Other}};
    EXPECT_EQ(entriesOf(dir.path()), expected);
}

TEST(ListDirectory, ListsAFolderOfMoreEntriesThanOneReadGives) {
    TempDir dir;
    QStringList names;
    for (int i = 0; i < 3000; ++i) {
        names.append(
            QStringLiteral("a-rather-long-name-for-entry-%1.txt").arg(i, 4, 10, QChar(u'0')));
        QFile(dir.file(names.back())).open(QIODevice::WriteOnly);
    }
    const platform::DirListing listing = platform::listDirectory(dir.path());
    ASSERT_EQ(listing.entries.size(), names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        EXPECT_EQ(listing.entries[static_cast<size_t>(i)].name, QFile::encodeName(names[i]));
    EXPECT_TRUE(listing.error.isEmpty());
}

TEST(ListDirectory, ReportsFoldersItCannotOpenAndVirtualFileSystems) {
    TempDir dir;
    EXPECT_FALSE(platform::listDirectory(dir.file(QStringLiteral("nowhere"))).opened);
    EXPECT_FALSE(platform::listDirectory(dir.write(QStringLiteral("f"), "x")).opened);

    const platform::DirListing proc = platform::listDirectory(QStringLiteral("/proc"));
    EXPECT_TRUE(proc.virtualFileSystem);
    EXPECT_TRUE(proc.entries.empty());
    EXPECT_FALSE(platform::listDirectory(dir.path()).virtualFileSystem);
}

TEST(ListDirectory, GivesTheSameIdentityThroughALink) {
    TempDir dir;
    dir.mkdir(QStringLiteral("real"));
    QFile::link(dir.file(QStringLiteral("real")), dir.file(QStringLiteral("alias")));
    const auto real = platform::listDirectory(dir.file(QStringLiteral("real")));
    const auto alias = platform::listDirectory(dir.file(QStringLiteral("alias")));
    EXPECT_EQ(real.device, alias.device);
    EXPECT_EQ(real.inode, alias.inode);
}
