#include "platform/inputfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QByteArray readAll(platform::InputFile &file, qint64 chunk) {
    QByteArray all;
    QByteArray buffer(chunk, Qt::Uninitialized);
    for (qint64 n; (n = file.read(buffer.data(), chunk)) > 0;)
        all.append(buffer.constData(), n);
    return all;
}

} // namespace

TEST(InputFile, ReadsToTheEndOfAFileThatChangedAfterTheOpen) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.txt"));
    QFile writer(path);
    ASSERT_TRUE(writer.open(QIODevice::WriteOnly));
    writer.write("first line\n");
    writer.flush();
    platform::InputFile file;
    ASSERT_TRUE(file.open(path));
    EXPECT_EQ(readAll(file, 4), QByteArray("first line\n"));

    // Cut short after the open: the read ends where the data ends.
    ASSERT_TRUE(file.open(path));
    ASSERT_TRUE(writer.resize(5));
    EXPECT_EQ(readAll(file, 64), QByteArray("first"));

    // Grown before the first read: what is there is read.
    ASSERT_TRUE(file.open(path));
    writer.seek(5);
    writer.write(" and more\n");
    writer.flush();
    EXPECT_EQ(readAll(file, 64), QByteArray("first and more\n"));
}

TEST(InputFile, ReadsAKernelFileThatGivesNoSizeToItsEnd) {
    QFile reference(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(reference.open(QIODevice::ReadOnly));
    const qsizetype expected = reference.readAll().count('\n');
    platform::InputFile file;
    ASSERT_TRUE(file.open(QStringLiteral("/proc/self/maps")));
    // The kernel gives this file a page at a time; its lines change little between reads.
    EXPECT_GT(readAll(file, 256 * 1024).count('\n'), expected / 2);
}

TEST(InputFile, RefusesFoldersAndPipes) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    platform::InputFile file;
    EXPECT_FALSE(file.open(fifo));
    EXPECT_FALSE(file.open(dir.path()));
    EXPECT_FALSE(file.isOpen());
}

namespace {
int openDescriptors() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd"))
                                .entryList(QDir::NoDotAndDotDot | QDir::System)
                                .size());
}
} // namespace

TEST(InputFile, ReusingFoldersOpensEachFileOfItsOwnFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("b")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("bc")));
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    const QString inB = write(QStringLiteral("b/same.txt"), "in b");
    const QString inBc = write(QStringLiteral("bc/same.txt"), "in bc");
    const int before = openDescriptors();
    platform::InputFile file;
    file.reuseFolders(true);
    for (const auto &[path, text] : {std::pair{inB, "in b"}, {inBc, "in bc"}, {inB, "in b"}}) {
        ASSERT_TRUE(file.open(path)) << path.toStdString();
        EXPECT_EQ(readAll(file, 64), QByteArray(text));
    }
    EXPECT_FALSE(file.open(dir.filePath(QStringLiteral("b/"))));
    EXPECT_FALSE(file.open(dir.filePath(QStringLiteral("missing/same.txt"))));
    EXPECT_FALSE(file.errorString().isEmpty());
    file.close();
    file.reuseFolders(false);
    EXPECT_EQ(openDescriptors(), before);
}
