#include "fileprops/cfileversioninfo.h"
#include "fileprops/versionblock.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace {

QString fixture(const char *name) {
    return QStringLiteral(QUARRIX_FILEPROPS_DATA "/") + QLatin1String(name);
}

CFileVersionInfo versionOf(const char *name) {
    CFileVersionInfo info;
    info.setFullPathName(fixture(name));
    return info;
}

CFileVersionInfo decoded(const VersionBlock::Fixed &fixed) {
    CFileVersionInfo info;
    info.RefreshFrom(
        VersionBlock::resource(fixed, {}, VersionBlock::translations({{0x409, 1252}})));
    return info;
}

quint32 words(quint16 high, quint16 low) {
    return quint32(high) << 16 | low;
}

} // namespace

TEST(CFileVersionInfo, FormatsVersionWords) {
    struct Case {
        quint16 a, b, c, d;
        const char *expected;
    };
    const Case cases[] = {
        {1, 0, 0, 5, "1.00.0005"},
        {1, 2, 3, 4, "1.02.0304"},
        {6, 0, 8169, 0, "6.00.816900"},
        {5, 1, 2600, 2180, "5.01.26002180"},
        {10, 0, 0, 0, "10.00.0000"},
        {2, 15, 40000, 1, "2.15.0001"},
        {1, 40000, 0, 40000, "1.-25536.-25536"},
    };
    for (const Case &c : cases) {
        VersionBlock::Fixed fixed;
        fixed.fileMS = words(c.a, c.b);
        fixed.fileLS = words(c.c, c.d);
        fixed.productMS = words(c.a, c.b);
        fixed.productLS = words(c.c, c.d);
        const CFileVersionInfo info = decoded(fixed);
        EXPECT_EQ(info.VerFile(), QLatin1String(c.expected));
        EXPECT_EQ(info.VerProduct(), QLatin1String(c.expected));
    }
    VersionBlock::Fixed fixed;
    EXPECT_EQ(decoded(fixed).VerStructure(), QStringLiteral("1.0"));
}

TEST(CFileVersionInfo, NamesFlagsSystemAndType) {
    VersionBlock::Fixed fixed;
    fixed.flags = 0x03;
    EXPECT_EQ(decoded(fixed).FileFlags(), QStringLiteral("Debug PreRel"));
    fixed.flags = 0;
    EXPECT_EQ(decoded(fixed).FileFlags(), QString());
    fixed.flags = 0xFFFFFFFF;
    EXPECT_EQ(decoded(fixed).FileFlags(),
              QStringLiteral("Debug PreRel Patched Private Info Special"));
    fixed.flags = 0x40;
    EXPECT_EQ(decoded(fixed).FileFlags(), QString());

    const std::pair<quint32, const char *> systems[] = {
        {0x10001, "DOS-Win16"},
        {0x10004, "DOS-Win32"},
        {0x20002, "OS/2-16 PM-16"},
        {0x30003, "OS/2-16 PM-32"},
        {0x40004, "NT-Win32"},
        {0x4, "Unknown"},
        {0, "Unknown"},
    };
    for (const auto &[os, word] : systems) {
        fixed.os = os;
        EXPECT_EQ(decoded(fixed).FileOS(), QLatin1String(word)) << os;
    }

    const std::pair<quint32, const char *> types[] = {
        {0, "Unknown"}, {1, "Application"}, {2, "DLL"}, {3, "Driver"},  {4, "Font"},
        {5, "VxD"},     {6, "Unknown"},     {7, "Lib"}, {8, "Unknown"},
    };
    for (const auto &[type, word] : types) {
        fixed.type = type;
        EXPECT_EQ(decoded(fixed).FileType(), QLatin1String(word)) << type;
    }
}

TEST(CFileVersionInfo, SubtypesOfDriversAndFonts) {
    const char *drivers[] = {"Unknown",     "Printer drv", "Keyboard drv", "Language drv",
                             "Display drv", "Mouse drv",   "Network drv",  "System drv",
                             "Installable", "Sound drv",   "Comm drv"};
    VersionBlock::Fixed fixed;
    fixed.type = 3;
    for (quint32 subtype = 0; subtype < std::size(drivers); ++subtype) {
        fixed.subtype = subtype;
        EXPECT_EQ(decoded(fixed).FileSubType(), QLatin1String(drivers[subtype]));
    }
    fixed.type = 4;
    fixed.subtype = 3;
    EXPECT_EQ(decoded(fixed).FileSubType(), QStringLiteral("TrueType Font"));

    // A subtype without a word keeps the previous one.
    CFileVersionInfo info;
    fixed.type = 3;
    fixed.subtype = 9;
    info.RefreshFrom(VersionBlock::resource(fixed, {}, {}));
    fixed.subtype = 12;
    info.RefreshFrom(VersionBlock::resource(fixed, {}, {}));
    EXPECT_EQ(info.FileType(), QStringLiteral("Driver"));
    EXPECT_EQ(info.FileSubType(), QStringLiteral("Sound drv"));
    fixed.type = 1;
    info.RefreshFrom(VersionBlock::resource(fixed, {}, {}));
    EXPECT_EQ(info.FileSubType(), QStringLiteral("Sound drv"));
    EXPECT_EQ(decoded(fixed).FileSubType(), QString());
}

TEST(CFileVersionInfo, AnUnreadableRootCountsAsZeros) {
    VersionBlock::Node root{QStringLiteral("VS_VERSION_INFO"), {}, false, {}};
    CFileVersionInfo info;
    info.RefreshFrom(VersionBlock::encode(root));
    EXPECT_TRUE(info.Available());
    EXPECT_EQ(info.VerFile(), QStringLiteral("0.00.0000"));
    EXPECT_EQ(info.VerStructure(), QStringLiteral("0.0"));
    EXPECT_EQ(info.FileOS(), QStringLiteral("Unknown"));
    EXPECT_EQ(info.FileType(), QStringLiteral("Unknown"));
    info.RefreshFrom(QByteArray("garbage!"));
    EXPECT_TRUE(info.Available());
    EXPECT_EQ(info.VerFile(), QStringLiteral("0.00.0000"));
}

TEST(CFileVersionInfo, ReadsEveryFieldOfA32BitProgram) {
    const CFileVersionInfo info = versionOf("app32.exe");
    ASSERT_TRUE(info.Available());
    EXPECT_EQ(info.FullPathName(), fixture("app32.exe"));
    EXPECT_EQ(info.VerStructure(), QStringLiteral("1.0"));
    EXPECT_EQ(info.VerFile(), QStringLiteral("1.02.0304"));
    EXPECT_EQ(info.VerProduct(), QStringLiteral("5.01.26002180"));
    EXPECT_EQ(info.FileFlags(), QStringLiteral("Debug PreRel"));
    EXPECT_EQ(info.FileOS(), QStringLiteral("NT-Win32"));
    EXPECT_EQ(info.FileType(), QStringLiteral("Application"));
    EXPECT_EQ(info.FileSubType(), QString());
    EXPECT_EQ(info.Language(), QStringLiteral("English (United States)"));
    EXPECT_EQ(info.CompanyName(), QStringLiteral("Fixture Works Ltd."));
    EXPECT_EQ(info.FileDescription(), QStringLiteral("Fixture application"));
    EXPECT_EQ(info.FileVersion(), QStringLiteral("1.2.3.4 (fixture build)"));
    EXPECT_EQ(info.InternalName(), QStringLiteral("app32"));
    EXPECT_EQ(info.LegalCopyright(), QStringLiteral("Copyright (C) 2026 Fixture Works"));
    EXPECT_EQ(info.LegalTrademarks(), QStringLiteral("Fixture(TM)"));
    EXPECT_EQ(info.OriginalFilename(), QStringLiteral("app32.exe"));
    EXPECT_EQ(info.ProductName(), QStringLiteral("Fixture Suite"));
    EXPECT_EQ(info.ProductVersion(), QStringLiteral("5.1 beta"));
}

TEST(CFileVersionInfo, ReadsEveryFieldOfA64BitLibrary) {
    const CFileVersionInfo info = versionOf("lib64.dll");
    ASSERT_TRUE(info.Available());
    EXPECT_EQ(info.VerFile(), QStringLiteral("6.00.816900"));
    EXPECT_EQ(info.VerProduct(), QStringLiteral("10.00.0000"));
    EXPECT_EQ(info.FileFlags(), QStringLiteral("Private Special"));
    EXPECT_EQ(info.FileOS(), QStringLiteral("Unknown"));
    EXPECT_EQ(info.FileType(), QStringLiteral("DLL"));
    EXPECT_EQ(info.Language(), QStringLiteral("German (Germany)"));
    EXPECT_EQ(info.CompanyName(), QStringLiteral("Müller & Söhne GmbH"));
    EXPECT_EQ(info.FileDescription(), QStringLiteral("Prüfbibliothek"));
    EXPECT_EQ(info.FileVersion(), QStringLiteral("6.0.8169.0"));
    EXPECT_EQ(info.InternalName(), QStringLiteral("lib64"));
    EXPECT_EQ(info.LegalCopyright(), QStringLiteral("© 2026 Müller"));
    EXPECT_EQ(info.LegalTrademarks(), QString());
    EXPECT_EQ(info.OriginalFilename(), QStringLiteral("lib64.dll"));
    EXPECT_EQ(info.ProductName(), QStringLiteral("Prüfpaket"));
    EXPECT_EQ(info.ProductVersion(), QStringLiteral("10.0"));
}

TEST(CFileVersionInfo, OnlyTheFirstTranslationCounts) {
    const CFileVersionInfo info = versionOf("twolang.dll");
    ASSERT_TRUE(info.Available());
    EXPECT_EQ(info.VerFile(), QStringLiteral("2.15.0001"));
    EXPECT_EQ(info.Language(), QStringLiteral("French (France)"));
    EXPECT_EQ(info.FileDescription(), QStringLiteral("Bibliotheque en deux langues"));
    EXPECT_EQ(info.ProductName(), QStringLiteral("Bilingue"));
}

TEST(CFileVersionInfo, WithoutAStringTableOnlyTheFixedValuesAndLanguageAreSet) {
    const CFileVersionInfo info = versionOf("nostrings.exe");
    ASSERT_TRUE(info.Available());
    EXPECT_EQ(info.VerFile(), QStringLiteral("10.00.0000"));
    EXPECT_EQ(info.FileFlags(), QStringLiteral("Debug PreRel Patched Private Info Special"));
    EXPECT_EQ(info.FileOS(), QStringLiteral("DOS-Win32"));
    EXPECT_EQ(info.FileType(), QStringLiteral("Driver"));
    EXPECT_EQ(info.FileSubType(), QStringLiteral("Display drv"));
    EXPECT_EQ(info.Language(), QStringLiteral("English (United States)"));
    EXPECT_EQ(info.CompanyName(), QString());
    EXPECT_EQ(info.FileDescription(), QString());
}

TEST(CFileVersionInfo, ATableUnderAnotherKeyIsNotFound) {
    const CFileVersionInfo info = versionOf("otherkey.dll");
    ASSERT_TRUE(info.Available());
    EXPECT_EQ(info.FileType(), QStringLiteral("Font"));
    EXPECT_EQ(info.FileSubType(), QStringLiteral("TrueType Font"));
    EXPECT_EQ(info.FileOS(), QStringLiteral("OS/2-16 PM-16"));
    EXPECT_EQ(info.FileFlags(), QStringLiteral("Patched"));
    EXPECT_EQ(info.Language(), QStringLiteral("English (United States)"));
    EXPECT_EQ(info.CompanyName(), QString());
}

TEST(CFileVersionInfo, MissingValuesKeepWhatTheyHeld) {
    CFileVersionInfo info;
    info.setFullPathName(fixture("app32.exe"));
    info.setFullPathName(fixture("otherkey.dll"));
    EXPECT_EQ(info.CompanyName(), QStringLiteral("Fixture Works Ltd."));
    EXPECT_EQ(info.FileType(), QStringLiteral("Font"));
    info.setFullPathName(fixture("noresource.exe"));
    EXPECT_FALSE(info.Available());
    EXPECT_EQ(info.FileType(), QStringLiteral("Font"));
    EXPECT_EQ(info.FullPathName(), fixture("noresource.exe"));
    info.setFullPathName(QString());
    EXPECT_EQ(info.FullPathName(), fixture("noresource.exe"));

    // An empty string in the table (length 0) keeps the old value too; a
    // string of text is read up to its NUL.
    VersionBlock::Node table = VersionBlock::stringTable(
        QStringLiteral("040904E4"), {{QStringLiteral("ProductName"), QStringLiteral("New")}});
    table.children.push_back({QStringLiteral("CompanyName"), {}, true, {}});
    info.RefreshFrom(
        VersionBlock::resource({}, {table}, VersionBlock::translations({{0x409, 1252}})));
    EXPECT_EQ(info.CompanyName(), QStringLiteral("Fixture Works Ltd."));
    EXPECT_EQ(info.ProductName(), QStringLiteral("New"));
}

TEST(CFileVersionInfo, TranslationShorterThanOneEntryIsIgnored) {
    CFileVersionInfo info;
    const QByteArray shortTranslation("\x09\x04", 2);
    info.RefreshFrom(VersionBlock::resource(
        {},
        {VersionBlock::stringTable(QStringLiteral("040904E4"),
                                   {{QStringLiteral("CompanyName"), QStringLiteral("X")}})},
        shortTranslation));
    EXPECT_TRUE(info.Available());
    EXPECT_EQ(info.Language(), QString());
    EXPECT_EQ(info.CompanyName(), QString());
}

TEST(CFileVersionInfo, FilesWithoutAResourceLeaveANewObjectEmpty) {
    TempDir dir;
    for (const QString &path :
         {fixture("noresource.exe"), dir.write(QStringLiteral("t.txt"), "text"),
          dir.file(QStringLiteral("missing.dll"))}) {
        CFileVersionInfo info;
        info.setFullPathName(path);
        EXPECT_FALSE(info.Available());
        EXPECT_EQ(info.FullPathName(), path);
        EXPECT_TRUE(info.VerFile().isEmpty());
        EXPECT_TRUE(info.CompanyName().isEmpty());
        EXPECT_TRUE(info.Language().isEmpty());
    }
}

TEST(CFileVersionInfo, TruncatedCopiesOfAProgramDoNotCrash) {
    TempDir dir;
    const QByteArray image = readAll(fixture("app32.exe"));
    for (qsizetype size = 0; size <= image.size(); size += 97) {
        CFileVersionInfo info;
        info.setFullPathName(dir.write(QStringLiteral("cut.exe"), image.left(size)));
        if (info.Available()) {
            EXPECT_EQ(info.VerFile(), QStringLiteral("1.02.0304"));
        }
    }
}
