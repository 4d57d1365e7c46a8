#include "platform/outputfile.h"
#include "support/tempdir.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t Other = 65534;

QByteArray bytes(const QString &path) {
    return QFile::encodeName(path);
}

struct stat statOf(const QString &path) {
    struct stat st {};
    EXPECT_EQ(::lstat(bytes(path).constData(), &st), 0) << path.toStdString();
    return st;
}

bool writeReport(const QString &path, const QByteArray &text, QString *error = nullptr) {
    platform::OutputFile output;
    const bool written =
        output.open(path) && output.device().write(text) == text.size() && output.commit();
    if (error)
        *error = output.errorString();
    return written;
}

} // namespace

// In a sticky folder anyone may write to, a link is followed only when the
// writer or the folder's owner made it; elsewhere links are followed as ever.
TEST(OutputFile, FollowsOnlyTheLinksTheKernelWouldInASharedFolder) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "planting another user's link needs root";
    struct Case {
        mode_t folderMode;
        uid_t folderOwner;
        uid_t linkOwner;
        bool followed;
    };
    const Case cases[] = {
        {01777, 0, Other, false}, // planted by a third party in /tmp
        {01777, 0, 0, true},      // the writer's own link
        {01777, Other, Other, true},
        {0777, 0, Other, true},  // not sticky: the kernel follows it too
        {01775, 0, Other, true}, // not writable by anyone
    };
    for (const Case &c : cases) {
        TempDir dir;
        const QString secret = dir.write(QStringLiteral("secret"), "root only\n");
        ::chmod(bytes(secret).constData(), 0600);
        const QString shared = dir.mkdir(QStringLiteral("shared"));
        const QString link = shared + QStringLiteral("/report.txt");
        ASSERT_EQ(::symlink(bytes(secret).constData(), bytes(link).constData()), 0);
        ASSERT_EQ(::lchown(bytes(link).constData(), c.linkOwner, c.linkOwner), 0);
        ASSERT_EQ(::chown(bytes(shared).constData(), c.folderOwner, c.folderOwner), 0);
        ASSERT_EQ(::chmod(bytes(shared).constData(), c.folderMode), 0);

        QString error;
        const bool written = writeReport(link, "report\n", &error);
        const auto context = ::testing::Message()
                             << std::oct << c.folderMode << " link of " << std::dec << c.linkOwner;
        EXPECT_EQ(written, c.followed) << context;
        EXPECT_EQ(readAll(secret), c.followed ? "report\n" : "root only\n") << context;
        if (!c.followed) {
            EXPECT_EQ(error, QStringLiteral("Permission denied")) << context;
            EXPECT_TRUE(S_ISLNK(statOf(link).st_mode)) << context;
        }
    }
}

TEST(OutputFile, AReplacedReportKeepsItsOwnerButNoSpecialBits) {
    TempDir dir;
    const QString old = dir.write(QStringLiteral("old.txt"), "old\n");
    ASSERT_EQ(::chmod(bytes(old).constData(), 06754), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(bytes(old).constData(), Other, Other), 0);
    }
    const struct stat before = statOf(old);

    ASSERT_TRUE(writeReport(old, "new\n"));
    const struct stat after = statOf(old);
    EXPECT_EQ(readAll(old), "new\n");
    EXPECT_EQ(after.st_mode & 07777, mode_t(0754));
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_NE(after.st_ino, before.st_ino); // written beside and put in its place
}

// A disk that fills part way through a block must name its cause: a short
// write followed by a refusal once said "Unknown error".
TEST(OutputFile, AFailedWriteSaysWhy) {
    QString error;
    EXPECT_FALSE(writeReport(QStringLiteral("/dev/full"), "line\n", &error));
    EXPECT_EQ(error, QStringLiteral("No space left on device"));

    TempDir dir;
    const QString path = dir.file(QStringLiteral("big.txt"));
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100000; // not a multiple of the block: one write is cut short
    ::setrlimit(RLIMIT_FSIZE, &small);
    bool refused = false;
    QString reason;
    {
        platform::OutputFile output;
        EXPECT_TRUE(output.open(path));
        const QByteArray line = QByteArray(99, 'x') + '\n';
        for (int i = 0; i < 5000 && !refused; ++i)
            refused = output.device().write(line) != line.size();
        reason = output.device().errorString();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);

    EXPECT_TRUE(refused);
    EXPECT_EQ(reason, QStringLiteral("File too large"));
    EXPECT_TRUE(QDir(dir.path()).isEmpty()); // no piece left behind
}
