#include "support/tempdir.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

struct Result {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

Result runScanWith(const QStringList &args, const std::function<void(QProcess &)> &setUp) {
    QProcess process;
    setUp(process);
    process.start(QStringLiteral(QUARRIX_SCAN_PATH), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

Result runScan(const QStringList &args) {
    return runScanWith(args, [](QProcess &) {});
}

// Permissions only hold for a user other than root.
void asNobody(QProcess &process) {
    if (::geteuid() == 0)
        process.setChildProcessModifier([] {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                std::_Exit(99);
        });
}

void setMode(const QString &path, mode_t mode) {
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

QList<QByteArray> reportLines(const QByteArray &report) {
    EXPECT_TRUE(report.endsWith("\r\n"));
    QList<QByteArray> lines = report.split('\n');
    lines.removeLast();
    for (QByteArray &line : lines) {
        EXPECT_TRUE(line.endsWith('\r'));
        line.chop(1);
    }
    return lines;
}

} // namespace

TEST(QuarrixScan, ScansNamedFilesInOrderAndWritesTheReport) {
    TempDir dir;
    const QString a = dir.write(QStringLiteral("a.txt"), "Alpha one\nbeta\n");
    const QString b = dir.write(QStringLiteral("b.txt"), "caf\xE9 alpha\r\n");
    const Result r = runScan({QStringLiteral("alpha"), b, a});
    EXPECT_EQ(r.exitCode, 0);
    const QList<QByteArray> lines = reportLines(r.out);
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[0], "Results From Selected File Scan");
    EXPECT_TRUE(lines[1].startsWith("Date/Time: "));
    EXPECT_EQ(lines[2], "Searched For: alpha");
    EXPECT_EQ(lines[3], "Directory: " + dir.path().toUtf8());
    EXPECT_EQ(lines[6], "Matches...");
    EXPECT_EQ(lines[7], "FILE: " + b.toUtf8() + ";  LINE: 1;  MATCH: caf\xC3\xA9 alpha");
    EXPECT_EQ(lines[8], "FILE: " + a.toUtf8() + ";  LINE: 1;  MATCH: Alpha one");
    EXPECT_EQ(lines[9], "** End Of Matches **");
}

// -z reads a compressed file as what it holds, and a bound met inside goes
// to standard error and the exit status like any file that failed.
TEST(QuarrixScan, SearchZipNamesRowsInsideAndReportsBounds) {
    TempDir dir;
    QProcess gzip;
    const QString log = dir.write(QStringLiteral("syslog.2"), "boot\nalpha here\n");
    gzip.start(QStringLiteral("gzip"), {log});
    ASSERT_TRUE(gzip.waitForFinished());
    const QString gz = log + QStringLiteral(".gz");
    EXPECT_EQ(runScan({QStringLiteral("alpha"), gz}).exitCode, 1);
    const Result inside = runScan({QStringLiteral("-z"), QStringLiteral("alpha"), gz});
    EXPECT_EQ(inside.exitCode, 0);
    EXPECT_TRUE(inside.out.contains("FILE: " + gz.toUtf8() +
                                    " \xE2\x96\xB8 syslog.2;  LINE: 2;  MATCH: alpha here"))
        << inside.out.toStdString();

    // A gzip bomb in small: 10 MiB of one line packs far below a hundredth of its size.
    const QString zeros =
        dir.write(QStringLiteral("zeros"), QByteArray("beta\n").repeated(2 << 20));
    gzip.start(QStringLiteral("gzip"), {zeros});
    ASSERT_TRUE(gzip.waitForFinished());
    const Result bomb = runScan(
        {QStringLiteral("--search-zip"), QStringLiteral("alpha"), zeros + QStringLiteral(".gz")});
    EXPECT_EQ(bomb.exitCode, 2);
    EXPECT_TRUE(bomb.err.startsWith("Error: The archive unpacks to more than "))
        << bomb.err.toStdString();
}

// Names may begin or end with a space: the report names the file that exists.
TEST(QuarrixScan, ANameWithSpacesAtItsEndsIsReportedAsItIs) {
    TempDir dir;
    const QString trailing = dir.write(QStringLiteral("notes.txt "), "alpha\n");
    const QString leading = dir.write(QStringLiteral(" plan.txt"), "alpha\n");
    const Result r = runScan({QStringLiteral("alpha"), dir.path()});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QList<QByteArray> lines = reportLines(r.out);
    ASSERT_EQ(lines.size(), 10);
    for (const QByteArray &line : {lines[7], lines[8]}) {
        const QByteArray path = line.mid(6, line.indexOf(";  LINE: ") - 6);
        EXPECT_TRUE(path == leading.toUtf8() || path == trailing.toUtf8()) << line.toStdString();
        EXPECT_TRUE(QFile::exists(QString::fromUtf8(path))) << line.toStdString();
    }
}

TEST(QuarrixScan, ExitStatusSaysWhatHappened) {
    TempDir dir;
    const QString a = dir.write(QStringLiteral("a.txt"), "text");
    EXPECT_EQ(runScan({QStringLiteral("text"), a}).exitCode, 0);
    const Result none = runScan({QStringLiteral("zebra"), a});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.out.endsWith("FILE: ;  LINE: ;  MATCH: ** No Matches Found **\r\n"));

    // Command-line mistakes are not "nothing matched".
    const Result bogus = runScan({QStringLiteral("--bogus"), QStringLiteral("x"), a});
    EXPECT_EQ(bogus.exitCode, 2);
    EXPECT_TRUE(bogus.err.contains("bogus")) << bogus.err.toStdString();
    EXPECT_EQ(runScan({QStringLiteral("-alpha"), a}).exitCode, 2);
    EXPECT_EQ(runScan({QStringLiteral("--"), QStringLiteral("-alpha"), a}).exitCode, 1);

    // A file that cannot be read is trouble even when another file matched.
    const QString pipe = dir.file(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_EQ(runScan({QStringLiteral("text"), pipe}).exitCode, 2);
    EXPECT_EQ(runScan({QStringLiteral("text"), pipe, a}).exitCode, 2);

    const Result proc = runScan({QStringLiteral("x"), QStringLiteral("/proc")});
    EXPECT_EQ(proc.exitCode, 1);
    EXPECT_TRUE(proc.err.contains("/proc")) << proc.err.toStdString();

    EXPECT_EQ(runScan({QStringLiteral("x"), dir.file(QStringLiteral("missing"))}).exitCode, 2);
    EXPECT_EQ(runScan({QStringLiteral("x"), a, dir.path()}).exitCode, 2);
    EXPECT_EQ(runScan({QStringLiteral("x")}).exitCode, 2);
    for (const QString &readers : {QStringLiteral("0"), QStringLiteral("65"), QStringLiteral("x")})
        EXPECT_EQ(runScan({QStringLiteral("--readers"), readers, QStringLiteral("x"), a}).exitCode,
                  2)
            << readers.toStdString();
    const Result blankType =
        runScan({QStringLiteral("--type"), QStringLiteral(" "), QStringLiteral("x"), dir.path()});
    EXPECT_EQ(blankType.exitCode, 2);
    EXPECT_TRUE(blankType.err.contains(
        "You Must Specify An Extension To Search For When Using The Specified Type Option!"));
}

TEST(QuarrixScan, FolderScanFiltersByTypeAndReportsUnreadableFiles) {
    TempDir dir;
    dir.write(QStringLiteral("a.TXT"), "key");
    dir.write(QStringLiteral("b.log"), "key");
    dir.write(QStringLiteral("c.exe"), "key");
    const Result all = runScan({QStringLiteral("key"), dir.path()});
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_TRUE(all.out.startsWith("Results From Directory Tree Scan\r\n"));
    EXPECT_EQ(all.out.count("FILE: "), 2);
    const Result typed = runScan(
        {QStringLiteral("--type"), QStringLiteral("txt"), QStringLiteral("key"), dir.path()});
    EXPECT_EQ(typed.out.count("FILE: "), 1);
    EXPECT_TRUE(typed.out.contains("a.TXT;  LINE: 1;  MATCH: key"));

    const QString pipe = dir.file(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const Result withPipe =
        runScan({QStringLiteral("key"), pipe, dir.file(QStringLiteral("b.log"))});
    EXPECT_EQ(withPipe.exitCode, 2);
    EXPECT_TRUE(withPipe.err.startsWith("Error: ")) << withPipe.err.toStdString();
    EXPECT_TRUE(withPipe.err.contains("(" + pipe.toUtf8() + ")"));

    const QString report = dir.file(QStringLiteral("report.txt"));
    EXPECT_EQ(
        runScan({QStringLiteral("--output"), report, QStringLiteral("key"), dir.path()}).exitCode,
        0);
    QList<QByteArray> written = reportLines(readAll(report));
    QList<QByteArray> printed = reportLines(all.out);
    written.removeAt(1); // the time of writing may differ by a second
    printed.removeAt(1);
    EXPECT_EQ(written, printed);

    // Readers ahead of the report change nothing in it.
    QFile::remove(report);
    for (const char *readers : {"1", "4"}) {
        QList<QByteArray> read =
            reportLines(runScan({QStringLiteral("--readers"), QString::fromLatin1(readers),
                                 QStringLiteral("key"), dir.path()})
                            .out);
        read.removeAt(1);
        EXPECT_EQ(read, printed) << readers;
    }
}

// On a tree of plain LF text files the match lines must be exactly GNU grep's.
TEST(QuarrixScan, AgreesWithGrepOnPlainTextFiles) {
    const QString grep = QStandardPaths::findExecutable(QStringLiteral("grep"));
    if (grep.isEmpty())
        GTEST_SKIP() << "grep is not installed";
    TempDir dir;
    QRandomGenerator random(2024);
    const QList<QByteArray> words = {"alpha",  "Beta", "GAMMA", "delta", "needle",
                                     "NeEdLe", "x",    "  ",    "\t"};
    for (int f = 0; f < 40; ++f) {
        QByteArray content;
        const int lines = random.bounded(0, 400);
        for (int l = 0; l < lines; ++l) {
            const int n = random.bounded(0, 12);
            for (int w = 0; w < n; ++w)
                content += words[random.bounded(int(words.size()))] + ' ';
            content += '\n';
        }
        dir.write(QStringLiteral("d%1/f%2.txt").arg(f % 5).arg(f), content);
    }
    for (const QString &word :
         {QStringLiteral("needle"), QStringLiteral("a b"), QStringLiteral("GAMMA delta")}) {
        QProcess process;
        process.setProcessEnvironment([] {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
            return env;
        }());
        process.start(grep, {QStringLiteral("-rinF"), QStringLiteral("--"), word, dir.path()});
        ASSERT_TRUE(process.waitForFinished(60000));
        std::set<std::tuple<QByteArray, QByteArray, QByteArray>> expected;
        for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
            if (line.isEmpty())
                continue;
            const qsizetype c1 = line.indexOf(':');
            const qsizetype c2 = line.indexOf(':', c1 + 1);
            expected.emplace(line.left(c1), line.mid(c1 + 1, c2 - c1 - 1),
                             line.mid(c2 + 1).trimmed());
        }
        std::set<std::tuple<QByteArray, QByteArray, QByteArray>> found;
        for (const QByteArray &line : reportLines(runScan({word, dir.path()}).out)) {
            if (!line.startsWith("FILE: ") || line.contains("** No Matches Found **"))
                continue;
            const qsizetype l = line.indexOf(";  LINE: ");
            const qsizetype m = line.indexOf(";  MATCH: ");
            // grep's whitespace trim stands in for the report's space trim on both sides.
            found.emplace(line.mid(6, l - 6), line.mid(l + 9, m - l - 9),
                          line.mid(m + 10).trimmed());
        }
        EXPECT_FALSE(expected.empty()) << word.toStdString();
        EXPECT_EQ(found, expected) << word.toStdString();
    }
}

TEST(QuarrixScan, AFolderThatCannotBeReadIsNamedAndTheRestScanned) {
    TempDir dir;
    setMode(dir.path(), 0755);
    dir.write(QStringLiteral("a.txt"), "key\n");
    const QString locked = dir.mkdir(QStringLiteral("locked"));
    dir.write(QStringLiteral("locked/b.txt"), "key\n");
    setMode(locked, 0);
    const Result r = runScanWith({QStringLiteral("key"), dir.path()}, asNobody);
    setMode(locked, 0755);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("Error: Permission denied (" + locked.toUtf8() + ")"))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("a.txt;  LINE: 1")) << r.out.toStdString();
}

TEST(QuarrixScan, TheReportNeverOverwritesOrReadsWhatItScans) {
    TempDir dir;
    const QString a = dir.write(QStringLiteral("a.txt"), "key\n");
    const Result refused = runScan({QStringLiteral("--output"), a, QStringLiteral("key"), a});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains("overwrite")) << refused.err.toStdString();
    EXPECT_EQ(readAll(a), "key\n");
    const Result appended = runScanWith({QStringLiteral("key"), a}, [&](QProcess &p) {
        p.setStandardOutputFile(a, QIODevice::Append);
    });
    EXPECT_EQ(appended.exitCode, 2);
    EXPECT_EQ(readAll(a), "key\n");

    // A report inside the scanned tree: neither the one written nor the one it
    // replaces is read, nor through a link, and no temporary file is left behind.
    const QString report = dir.file(QStringLiteral("report.txt"));
    ASSERT_TRUE(QFile::link(report, dir.file(QStringLiteral("link-to-report.txt"))));
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(runScan({QStringLiteral("--output"), report, QStringLiteral("key"), dir.path()})
                      .exitCode,
                  0);
        EXPECT_EQ(readAll(report).count("FILE: "), 1) << run; // a.txt only
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);

    // Standard output sent to a file in the tree is not read either.
    const QString out = dir.file(QStringLiteral("out.txt"));
    for (int run = 0; run < 2; ++run) {
        const Result toFile = runScanWith({QStringLiteral("key"), dir.path()},
                                          [&](QProcess &p) { p.setStandardOutputFile(out); });
        EXPECT_EQ(toFile.exitCode, 0);
        EXPECT_TRUE(readAll(out).contains("a.txt;")) << run;
        EXPECT_FALSE(readAll(out).contains("out.txt;")) << run;
    }
}

TEST(QuarrixScan, AReportThatCannotBeWrittenFailsWithTheReason) {
    TempDir dir;
    const QString a = dir.write(QStringLiteral("a.txt"), "key\n");
    const Result full = runScan(
        {QStringLiteral("--output"), QStringLiteral("/dev/full"), QStringLiteral("key"), a});
    EXPECT_EQ(full.exitCode, 2);
    EXPECT_TRUE(full.err.contains("No space left on device")) << full.err.toStdString();
    const Result fullOut = runScanWith({QStringLiteral("key"), a}, [](QProcess &p) {
        p.setStandardOutputFile(QStringLiteral("/dev/full"));
    });
    EXPECT_EQ(fullOut.exitCode, 2);
    EXPECT_TRUE(fullOut.err.contains("No space left on device")) << fullOut.err.toStdString();

    // A report that cannot be made leaves the old one as it was.
    setMode(dir.path(), 0755);
    const QString report = dir.write(QStringLiteral("sub/report.txt"), "old report");
    setMode(dir.file(QStringLiteral("sub")), 0555);
    const Result locked =
        runScanWith({QStringLiteral("--output"), report, QStringLiteral("key"), a}, asNobody);
    setMode(dir.file(QStringLiteral("sub")), 0755);
    EXPECT_EQ(locked.exitCode, 2);
    EXPECT_TRUE(locked.err.contains("Permission denied")) << locked.err.toStdString();
    EXPECT_EQ(readAll(report), "old report");
}

// Documents are read whole: one of a few GB, by name or by content, is named
// too large without being read, in a scan that cannot take 2 GB of memory.
// A large zip named as text that is no document is read as text.
TEST(QuarrixScan, ADocumentTooLargeToReadIsNamedAndNotRead) {
    TempDir dir;
    const auto sparse = [&](const QString &name, const QByteArray &head, off_t size) {
        const QString path = dir.write(name, head);
        EXPECT_EQ(::truncate(QFile::encodeName(path).constData(), size), 0);
        return path;
    };
    const off_t huge = off_t(3) << 30;
    // Packages as their first local header begins them: the part that lists
    // their contents, or their relationships.
    const auto package = [](const QByteArray &firstPart) {
        return "PK\x03\x04" + QByteArray(22, '\0') + char(firstPart.size()) + QByteArray(3, '\0') +
               firstPart;
    };
    const QStringList tooLarge = {
        sparse(QStringLiteral("disk.doc"), "key\r\n", huge),
        sparse(QStringLiteral("scan.txt"), "%PDF-1.7\nkey\n", huge),
        sparse(QStringLiteral("book.txt"), package("[Content_Types].xml"), huge),
        sparse(QStringLiteral("slides.pptx"), package("_rels/.rels"), huge),
    };
    const QString archive =
        sparse(QStringLiteral("backup.txt"), "PK\x03\x04" + QByteArray(26, '\0') + "key\r\n",
               off_t(600) << 20);
    dir.write(QStringLiteral("notes.txt"), "key\r\n");

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
#endif
    const Result r = runScanWith({QStringLiteral("key"), dir.path()}, [](QProcess &p) {
        p.setChildProcessModifier([] {
            const rlimit memory{rlim_t(1536) << 20, rlim_t(1536) << 20};
            ::setrlimit(RLIMIT_AS, &memory);
        });
    });
    EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
    for (const QString &path : tooLarge)
        EXPECT_TRUE(r.err.contains("Error: The document is too large (" + path.toUtf8() + ")"))
            << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QFile::encodeName(archive))) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QFile::encodeName(archive) + ";  LINE: 1;")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("notes.txt;  LINE: 1;  MATCH: key")) << r.out.toStdString();
}

TEST(QuarrixScan, NamesThatAreNotUtf8AreScannedAndShownWithReplacementCharacters) {
    TempDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray name = folder + "/caf\xE9.txt";
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "key\n", 4), 4);
    ::close(fd);
    const QByteArray shown = "FILE: " + folder + "/caf\xEF\xBF\xBD.txt;  LINE: 1;  MATCH: key";
    const Result tree = runScan({QStringLiteral("key"), dir.path()});
    EXPECT_EQ(tree.exitCode, 0) << tree.err.toStdString();
    EXPECT_TRUE(tree.out.contains(shown)) << tree.out.toStdString();
    EXPECT_TRUE(tree.err.isEmpty()) << tree.err.toStdString();

    // The same name given on the command line, as a shell passes its bytes.
    QProcess process;
    process.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                         QStringLiteral("exec \"$0\" key \"$1$(printf '\\351')."
                                                        "txt\""),
                                         QStringLiteral(QUARRIX_SCAN_PATH), dir.file("caf")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(process.readAllStandardOutput().contains(shown));
    ::unlink(name.constData()); // a name the temporary folder's removal cannot spell
}

TEST(QuarrixScan, ASearchTextIsDecodedFromTheLocalesCharacterSet) {
    TempDir dir;
    const QString a = dir.write(QStringLiteral("a.txt"), "caf\xC3\xA9 au lait\n");
    // The text's bytes as a Latin-1 terminal sends them; QProcess would pass UTF-8.
    const auto scanLatin1 = [&](const QString &locale, const QString &locales) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), locale);
        env.insert(QStringLiteral("LOCPATH"), locales);
        process.setProcessEnvironment(env);
        process.start(QStringLiteral("sh"),
                      {QStringLiteral("-c"),
                       QStringLiteral("exec \"$0\" \"$(printf 'caf\\351')\" \"$1\""),
                       QStringLiteral(QUARRIX_SCAN_PATH), a});
        EXPECT_TRUE(process.waitForFinished(60000));
        return Result{process.exitCode(), process.readAllStandardOutput(),
                      process.readAllStandardError()};
    };
    const Result utf8 = scanLatin1(QStringLiteral("C.UTF-8"), QStringLiteral("/usr/lib/locale"));
    EXPECT_EQ(utf8.exitCode, 2);
    EXPECT_TRUE(utf8.err.contains("UTF-8")) << utf8.err.toStdString();

    const QString locales = dir.mkdir(QStringLiteral("locales"));
    QProcess make;
    make.start(QStringLiteral("localedef"),
               {QStringLiteral("-i"), QStringLiteral("en_US"), QStringLiteral("-f"),
                QStringLiteral("ISO-8859-1"), locales + QStringLiteral("/en_US.ISO-8859-1")});
    if (!make.waitForFinished(60000) || make.exitCode() != 0)
        GTEST_SKIP() << "no Latin-1 locale can be made here (Debian package locales)";
    const Result latin1 = scanLatin1(QStringLiteral("en_US.ISO-8859-1"), locales);
    EXPECT_EQ(latin1.exitCode, 0) << latin1.err.toStdString();
    EXPECT_TRUE(latin1.out.contains("MATCH: caf\xC3\xA9 au lait")) << latin1.out.toStdString();
}

TEST(QuarrixScan, ControlCharactersReachATerminalEscapedButAFileExact) {
    if (QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty())
        GTEST_SKIP() << "script is not installed";
    TempDir dir;
    // Direction controls too: U+202E would show the name as ending "exe.txt".
    const QString a = dir.write(QStringLiteral("a\x1B[2J\u202Etxt.exe"),
                                "key \x1B]0;title\x07 end \xE2\x81\xA7\xE2\x80\x8F\n");
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUARRIX_SCAN"), QStringLiteral(QUARRIX_SCAN_PATH));
    env.insert(QStringLiteral("INPUT"), a);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("script"),
                  {QStringLiteral("-qec"), QStringLiteral("\"$QUARRIX_SCAN\" key \"$INPUT\""),
                   QStringLiteral("/dev/null")});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QByteArray shown = process.readAllStandardOutput();
    EXPECT_TRUE(shown.contains("a\\x1B[2J\\u202Etxt.exe;  LINE: 1;  MATCH: key "
                               "\\x1B]0;title\\x07 end \\u2067\\u200F"))
        << shown.toStdString();
    EXPECT_FALSE(shown.contains('\x1B'));
    EXPECT_FALSE(shown.contains("\xE2\x80\xAE"));

    const QString report = dir.file(QStringLiteral("report.txt"));
    EXPECT_EQ(runScan({QStringLiteral("--output"), report, QStringLiteral("key"), a}).exitCode, 0);
    EXPECT_TRUE(readAll(report).contains("a\x1B[2J\xE2\x80\xAEtxt.exe;  LINE: 1;  MATCH: key "
                                         "\x1B]0;title\x07 end \xE2\x81\xA7\xE2\x80\x8F"));
}

// The search flags as a grep user types them: what each matches, leaves out
// and writes, and a refusal (status 2) for a value it cannot use.
TEST(QuarrixScan, SearchFlagsMatchLeaveOutAndWriteAsGrepUsersExpect) {
    TempDir dir;
    dir.write(QStringLiteral("a.c"), "log in\nlogin\nError here\nerror there\nfoo_bar\n");
    dir.write(QStringLiteral("b.h"), "one log\n");
    dir.write(QStringLiteral("build/c.c"), "log built\n");
    const QString a = dir.file(QStringLiteral("a.c"));
    const QString b = dir.file(QStringLiteral("b.h"));
    const QString c = dir.file(QStringLiteral("build/c.c"));
    struct Case {
        const char *args; ///< words apart by spaces, before the folder
        int exitCode;
        QStringList lines;  ///< lines the output holds
        QStringList absent; ///< texts it must not hold
    };
    const auto row = [](const QString &path, int line, const char *text) {
        return QStringLiteral("FILE: %1;  LINE: %2;  MATCH: %3")
            .arg(path)
            .arg(line)
            .arg(QLatin1String(text));
    };
    const auto context = [](const QString &path, int line, const char *text) {
        return QStringLiteral("FILE: %1;  LINE: %2;  CONTEXT: %3")
            .arg(path)
            .arg(line)
            .arg(QLatin1String(text));
    };
    const auto texts = [](std::initializer_list<const char *> list) {
        QStringList out;
        for (const char *text : list)
            out << QString::fromUtf8(text);
        return out;
    };
    const QString reportRow = QStringLiteral("FILE: ");
    const QList<Case> cases{
        {"-w log", 0, {row(a, 1, "log in"), row(b, 1, "one log")}, texts({"login"})},
        {"--match-case Error", 0, {row(a, 3, "Error here")}, texts({"error there"})},
        {"-E fo+_\\w+", 0, {row(a, 5, "foo_bar")}, {}},
        {"-E log(", 2, {}, {reportRow}},
        {"-g *.h log", 0, {row(b, 1, "one log")}, texts({"a.c"})},
        {"-g !*.h --exclude-dir build log", 0, {row(a, 2, "login")}, texts({"b.h", "c.c"})},
        {"--max-filesize 12 log", 0, {row(b, 1, "one log")}, texts({"a.c"})},
        {"--changed-after 2999-01-01 log", 1, {}, texts({"a.c"})},
        {"--changed-after yesterday log", 2, {}, {}},
        {"-A 10 log", 2, {}, {}},
        {"-l -w log", 0, {a, b, c}, {reportRow}},
        {"-c log",
         0,
         {a + QStringLiteral(":2"), b + QStringLiteral(":1"), c + QStringLiteral(":1")},
         {reportRow}},
        {"-C 1 --exclude-dir build there",
         0,
         {context(a, 3, "Error here"), row(a, 4, "error there"), context(a, 5, "foo_bar")},
         {}},
    };
    for (const Case &test : cases) {
        const QString args = QString::fromUtf8(test.args);
        const Result result = runScan(args.split(u' ') << dir.path());
        const QString out = QString::fromUtf8(result.out);
        const QStringList lines = out.split(QRegularExpression(QStringLiteral("\r?\n")));
        EXPECT_EQ(result.exitCode, test.exitCode) << test.args;
        for (const QString &line : test.lines)
            EXPECT_TRUE(lines.contains(line))
                << test.args << " wants " << line.toStdString() << " in\n"
                << out.toStdString();
        for (const QString &text : test.absent)
            EXPECT_FALSE(out.contains(text)) << test.args;
    }

    // One object per matching line with the byte range of each hit, and one per file end.
    const Result json = runScan({QStringLiteral("--json"), QStringLiteral("é|log"), b});
    const QList<QByteArray> objects = json.out.trimmed().split('\n');
    ASSERT_EQ(objects.size(), 2) << json.out.toStdString();
    const QJsonObject match = QJsonDocument::fromJson(objects[0]).object();
    EXPECT_EQ(match[QStringLiteral("type")].toString(), QStringLiteral("match"));
    EXPECT_EQ(match[QStringLiteral("path")].toString(), b);
    EXPECT_EQ(match[QStringLiteral("hits")].toArray(), (QJsonArray{QJsonArray{4, 7}}));
    EXPECT_EQ(QJsonDocument::fromJson(objects[1]).object()[QStringLiteral("matches")].toInt(), 1);
}
