#include "scan/filetypefilter.h"
#include "scan/functionmodule.h"
#include "scan/traversedirectories.h"
#include "support/recordingsinks.h"
#include "support/tempdir.h"

#include <QFile>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace FileTypeFilter;

TEST(FileTypeFilter, ExtensionIsTheTextAfterTheLastDot) {
    EXPECT_EQ(GetAfterLast(QStringLiteral("archive.tar.gz"), u'.'), QStringLiteral("gz"));
    EXPECT_EQ(GetAfterLast(QStringLiteral("README"), u'.'), QString());
    EXPECT_EQ(GetAfterLast(QStringLiteral("name."), u'.'), QString());
    EXPECT_EQ(GetAfterLast(QStringLiteral("/data.old/README"), u'.'), QStringLiteral("old/README"));
}

TEST(FileTypeFilter, AllFilesSkipsTheElevenTypesOnly) {
    EXPECT_FALSE(passesAllFiles(QStringLiteral("setup.EXE")));
    for (const char *skipped :
         {"exe", "dll", "com", "zip", "rar", "arj", "gif", "jpg", "mp3", "ico", "bmp"})
        EXPECT_FALSE(passesAllFiles(QStringLiteral("/x/f.") + QLatin1String(skipped))) << skipped;
    EXPECT_TRUE(passesAllFiles(QStringLiteral("archive.tar.gz")));
    EXPECT_TRUE(passesAllFiles(QStringLiteral("README")));
    EXPECT_TRUE(passesAllFiles(QStringLiteral("photo.jpeg")));
    EXPECT_TRUE(
        passesAllFiles(QStringLiteral("/data.exe/README"))); // the extension is "exe/README"
}

TEST(FileTypeFilter, SpecifiedTypeIsOneTrimmedExtensionCaseIgnored) {
    EXPECT_TRUE(passesSpecifiedType(QStringLiteral("report.TXT"), QStringLiteral("txt")));
    EXPECT_TRUE(passesSpecifiedType(QStringLiteral("report.txt"), QStringLiteral(" TXT ")));
    for (const char *written : {".txt", "*.txt", " *.TXT "})
        EXPECT_TRUE(passesSpecifiedType(QStringLiteral("report.txt"), QString::fromLatin1(written)))
            << written;
    EXPECT_FALSE(passesSpecifiedType(QStringLiteral("report.txt"), QStringLiteral("*txt.")));
    EXPECT_FALSE(passesSpecifiedType(QStringLiteral("report.txt"), QStringLiteral("**.txt")));
    // A list takes any of its types, each written in any of the ways above.
    for (const char *list : {"txt;log", "c; *.TXT", "*.log;.txt;"})
        EXPECT_TRUE(passesSpecifiedType(QStringLiteral("report.txt"), QString::fromLatin1(list)))
            << list;
    EXPECT_FALSE(passesSpecifiedType(QStringLiteral("report.txt"), QStringLiteral("c;h")));
    EXPECT_EQ(normalisedType(QStringLiteral(" ; ; ")), QString()); // refused as no type
    EXPECT_FALSE(passesSpecifiedType(QStringLiteral("README"), QStringLiteral("txt")));
}

TEST(FileTypeFilter, SixteenDocumentTypesGoToTheRichTextReader) {
    for (const char *type : {"DOC", "ppt", "Dot", "dif", "eml", "mpp", "mpt", "mpw", "mpx", "obd",
                             "obt", "pot", "ppa", "pps", "xls", "xlt"})
        EXPECT_TRUE(IsRichTextType(QStringLiteral("Budget.") + QLatin1String(type))) << type;
    EXPECT_FALSE(IsRichTextType(QStringLiteral("Budget.xlsx")));
    EXPECT_FALSE(IsRichTextType(QStringLiteral("/a.doc/README")));
    // A type in other letters is compared in upper case as a whole: the
    // dotless i is an I there, though it is no i when case is ignored.
    EXPECT_TRUE(IsRichTextType(QStringLiteral("Budget.d\u0131f")));
    EXPECT_FALSE(IsRichTextType(QStringLiteral("Budget.x\u00E9s")));
}

TEST(TraverseFolder, ListsFilesBeforeSubfoldersInNameOrder) {
    TempDir dir;
    dir.write(QStringLiteral("b.txt"), "");
    dir.write(QStringLiteral("a.txt"), "");
    dir.write(QStringLiteral("Y/d.txt"), "");
    dir.write(QStringLiteral("X/c.txt"), "");
    dir.write(QStringLiteral("release.old/e"), "");
    dir.mkdir(QStringLiteral("empty"));
    RecordingSinks status;
    QStringList found;
    TraverseDirectories::TraverseFolder(dir.path(), true, found, status);
    const QString root = dir.path() + u'/';
    EXPECT_EQ(found,
              QStringList({root + QStringLiteral("a.txt"), root + QStringLiteral("b.txt"),
                           root + QStringLiteral("X/c.txt"), root + QStringLiteral("Y/d.txt"),
                           root + QStringLiteral("release.old/e")}));
    EXPECT_EQ(status.status.front(), QStringLiteral("Checking ") + root + QStringLiteral("..."));
    EXPECT_TRUE(
        status.status.contains(QStringLiteral("Checking ") + root + QStringLiteral("X/...")));

    QStringList flat;
    TraverseDirectories::TraverseFolder(dir.path(), false, flat, status);
    EXPECT_EQ(flat.size(), 2);
}

TEST(TraverseFolder, VisitsEachFolderOnceAndSkipsWhatIsNotAFile) {
    TempDir dir;
    dir.write(QStringLiteral("sub/f.txt"), "");
    QFile::link(dir.path(), dir.file(QStringLiteral("sub/back-to-top")));
    QFile::link(dir.file(QStringLiteral("missing")), dir.file(QStringLiteral("dangling")));
    RecordingSinks status;
    QStringList found;
    TraverseDirectories::TraverseFolder(dir.path(), true, found, status);
    EXPECT_EQ(found, QStringList{dir.file(QStringLiteral("sub/f.txt"))});

    QStringList none;
    TraverseDirectories::TraverseFolder(dir.file(QStringLiteral("nowhere")), true, none, status);
    TraverseDirectories::TraverseFolder(QStringLiteral("/proc"), true, none, status);
    EXPECT_TRUE(none.isEmpty());
}

TEST(TraverseFolder, SurvivesAVeryDeepTree) {
    TempDir dir;
    QString path = dir.path();
    for (int depth = 0; depth < 300; ++depth)
        path += QStringLiteral("/d");
    dir.write(path.mid(dir.path().size() + 1) + QStringLiteral("/deep.txt"), "");
    RecordingSinks status;
    QStringList found;
    TraverseDirectories::TraverseFolder(dir.path(), true, found, status);
    EXPECT_EQ(found.size(), 1);
    EXPECT_EQ(TraverseDirectories::CutAtNul(QString(QStringLiteral("name")) + QChar(0) + u'x'),
              QStringLiteral("name"));
}

TEST(FunctionModule, AddTrailingBackslashAddsOneSeparator) {
    EXPECT_EQ(FunctionModule::AddTrailingBackslash(QString()), QStringLiteral("/"));
    EXPECT_EQ(FunctionModule::AddTrailingBackslash(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(FunctionModule::AddTrailingBackslash(QStringLiteral("/data")),
              QStringLiteral("/data/"));
}

TEST(FunctionModule, IsBinaryFileLooksAtTheFirst256Bytes) {
    TempDir dir;
    auto binary = [&](const QByteArray &bytes) {
        return FunctionModule::IsBinaryFile(dir.write(QStringLiteral("f"), bytes));
    };
    EXPECT_FALSE(binary("abc\r\n"));
    EXPECT_FALSE(binary("abc"));
    EXPECT_FALSE(binary(""));
    EXPECT_FALSE(binary("unix\nlines\tand\x0C feeds\x1A"));
    EXPECT_FALSE(binary("caf\xC3\xA9 and caf\xE9"));
    EXPECT_TRUE(binary(QByteArray("a\0b", 3)));
    EXPECT_TRUE(binary("del\x7F"));
    EXPECT_TRUE(binary("esc\x1B[0m"));
    EXPECT_FALSE(binary(QByteArray(299, 'a') + '\0'));
    QString error;
    EXPECT_FALSE(FunctionModule::IsBinaryFile(dir.file(QStringLiteral("missing")), &error));
    EXPECT_EQ(error, QStringLiteral("No such file or directory"));
}

namespace {

// Runs check as an unprivileged user, so that permissions hold even when the
// tests run as root: in a child process whose failures decide its exit code.
void asUnprivilegedUser(const std::function<void()> &check) {
    if (::geteuid() != 0) {
        check();
        return;
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        if (dropped)
            check();
        std::_Exit(dropped && !testing::Test::HasFailure() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the check failed as nobody";
}

} // namespace

TEST(TraverseFolder, NamesFoldersThatCannotBeRead) {
    TempDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    dir.write(QStringLiteral("a.txt"), "");
    dir.write(QStringLiteral("locked/hidden.txt"), "");
    const QString locked = dir.file(QStringLiteral("locked"));
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    asUnprivilegedUser([&] {
        RecordingSinks status;
        QStringList found;
        TraverseDirectories::TraverseFolder(dir.path(), true, found, status);
        EXPECT_EQ(found, QStringList{dir.file(QStringLiteral("a.txt"))});
        EXPECT_EQ(status.errors,
                  QStringList{QStringLiteral("Error: Permission denied (") + locked + u')'});

        RecordingSinks top;
        TraverseDirectories::TraverseFolder(locked, true, found, top);
        EXPECT_EQ(top.errors,
                  QStringList{QStringLiteral("Error: Permission denied (") + locked + u')'});
    });
    RecordingSinks missing;
    QStringList none;
    TraverseDirectories::TraverseFolder(dir.file(QStringLiteral("a.txt/x")), true, none, missing);
    EXPECT_EQ(missing.errors, QStringList{QStringLiteral("Error: Not a directory (") +
                                          dir.file(QStringLiteral("a.txt/x")) + u')'});
    ::chmod(QFile::encodeName(locked).constData(), 0755);
}

TEST(TraverseFolder, LinksToFilesAreFilesButLinksToFoldersAreNotEntered) {
    TempDir dir;
    TempDir outside;
    outside.write(QStringLiteral("elsewhere.txt"), "");
    dir.write(QStringLiteral("sub/own.txt"), "");
    QFile::link(outside.file(QStringLiteral("elsewhere.txt")),
                dir.file(QStringLiteral("file-link")));
    QFile::link(outside.path(), dir.file(QStringLiteral("folder-link")));
    QFile::link(QStringLiteral("/"), dir.file(QStringLiteral("sub/root")));
    RecordingSinks status;
    QStringList found;
    TraverseDirectories::TraverseFolder(dir.path(), true, found, status);
    EXPECT_EQ(found, QStringList({dir.file(QStringLiteral("file-link")),
                                  dir.file(QStringLiteral("sub/own.txt"))}));

    // The folder named for the walk may itself be a link.
    QStringList throughLink;
    TraverseDirectories::TraverseFolder(dir.file(QStringLiteral("folder-link")), true, throughLink,
                                        status);
    EXPECT_EQ(throughLink, QStringList{dir.file(QStringLiteral("folder-link/elsewhere.txt"))});
}
