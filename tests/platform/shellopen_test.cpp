#include "dialogs/dialogtesting.h"
#include "platform/pathname.h"
#include "platform/shellopen.h"

#include <QDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using platform::openWithAssociatedApplication;

TEST(ShellOpen, TellsAddressesFromFiles) {
    EXPECT_TRUE(platform::isAddress(QStringLiteral("https://quarrix.example.org/")));
    EXPECT_TRUE(platform::isAddress(QStringLiteral("mailto:a@example.org?Subject=A B")));
    EXPECT_FALSE(platform::isAddress(QStringLiteral("C:\\report.txt")));
    EXPECT_FALSE(platform::isAddress(QStringLiteral("/tmp/a:b.txt")));
    EXPECT_FALSE(platform::isAddress(QStringLiteral("-rf")));
}

TEST(ShellOpen, HandsTheItemOverAsOneArgumentFromTheWorkingFolder) {
    FakeOpener opener;
    TempDir dir;
    const QString file = dir.write(QStringLiteral("a file; $(echo no).txt"), "x");
    EXPECT_TRUE(openWithAssociatedApplication(file, dir.path()));
    ASSERT_TRUE(opener.waitForLaunches(1));
    EXPECT_EQ(opener.launches().last(), dir.path() + QLatin1Char('|') + file);

    const QString mail = QStringLiteral("mailto:a@example.org?Subject=Quarrix Pro Version 1.6.001");
    EXPECT_TRUE(openWithAssociatedApplication(mail, dir.path()));
    ASSERT_TRUE(opener.waitForLaunches(2));
    EXPECT_EQ(opener.launches().last(), dir.path() + QLatin1Char('|') + mail);
}

TEST(ShellOpen, ANameThatIsNotUtf8GoesAsAFileAddressThatKeepsItsBytes) {
    FakeOpener opener;
    TempDir dir;
    const QByteArray name = QFile::encodeName(dir.path()) + "/caf\xE9 1.txt";
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_TRUE(openWithAssociatedApplication(platform::pathText(name), dir.path()));
    ::unlink(name.constData());
    ASSERT_TRUE(opener.waitForLaunches(1));
    EXPECT_EQ(opener.launches().last(), dir.path() + QStringLiteral("|file://") + dir.path() +
                                            QStringLiteral("/caf%E9%201.txt"));
}

TEST(ShellOpen, RelativeNamesGoAsFullPathsSoNoneReadsAsAnOption) {
    FakeOpener opener;
    TempDir dir;
    const QString file = dir.write(QStringLiteral("--help"), "x");
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    EXPECT_TRUE(openWithAssociatedApplication(QStringLiteral("--help")));
    QDir::setCurrent(old);
    ASSERT_TRUE(opener.waitForLaunches(1));
    EXPECT_TRUE(opener.launches().last().endsWith(QLatin1Char('|') + file));
}

TEST(ShellOpen, MissingFileOrOpenerIsAFailure) {
    TempDir dir;
    {
        FakeOpener opener;
        EXPECT_FALSE(openWithAssociatedApplication(dir.file(QStringLiteral("missing.txt"))));
        EXPECT_FALSE(openWithAssociatedApplication(QStringLiteral("   ")));
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir.path()));
    EXPECT_FALSE(openWithAssociatedApplication(dir.write(QStringLiteral("a.txt"), "x")));
    qputenv("PATH", path);
}
