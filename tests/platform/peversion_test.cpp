#include "fileprops/versionblock.h"
#include "platform/peversion.h"
#include "support/tempdir.h"

#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace platform;

namespace {

QString fixture(const char *name) {
    return QStringLiteral(QUARRIX_FILEPROPS_DATA "/") + QLatin1String(name);
}

QString text(QByteArrayView block, const char *path) {
    const std::optional<VersionValue> value = verQueryValue(block, QString::fromLatin1(path));
    return value ? versionText(*value) : QStringLiteral("<missing>");
}

quint32 dword(QByteArrayView bytes, qsizetype offset) {
    return qFromLittleEndian<quint32>(bytes.data() + offset);
}

} // namespace

TEST(PeVersion, ReadsA32BitProgram) {
    const QByteArray block = fileVersionInfo(fixture("app32.exe"));
    ASSERT_FALSE(block.isEmpty());
    const std::optional<VersionValue> root = verQueryValue(block, u"\\");
    ASSERT_TRUE(root);
    ASSERT_EQ(root->bytes.size(), 52);
    EXPECT_EQ(dword(root->bytes, 0), 0xFEEF04BDu);
    EXPECT_EQ(dword(root->bytes, 8), 0x00010002u);  // 1.2
    EXPECT_EQ(dword(root->bytes, 12), 0x00030004u); // 3.4
    EXPECT_EQ(dword(root->bytes, 28), 0x3u);

    const std::optional<VersionValue> translation =
        verQueryValue(block, u"\\VarFileInfo\\Translation");
    ASSERT_TRUE(translation);
    EXPECT_EQ(translation->length, 4);
    EXPECT_EQ(translation->bytes.toByteArray(), QByteArray::fromHex("0904e404"));

    EXPECT_EQ(text(block, "\\StringFileInfo\\040904E4\\CompanyName"),
              QStringLiteral("Fixture Works Ltd."));
    EXPECT_EQ(text(block, "\\StringFileInfo\\040904E4\\ProductVersion"),
              QStringLiteral("5.1 beta"));
}

TEST(PeVersion, ReadsA64BitLibraryWithUnicodeStrings) {
    const QByteArray block = fileVersionInfo(fixture("lib64.dll"));
    ASSERT_FALSE(block.isEmpty());
    EXPECT_EQ(text(block, "\\StringFileInfo\\040704B0\\CompanyName"),
              QStringLiteral("Müller & Söhne GmbH"));
    EXPECT_EQ(text(block, "\\StringFileInfo\\040704B0\\LegalCopyright"),
              QStringLiteral("© 2026 Müller"));
    // No such string in the table.
    EXPECT_FALSE(verQueryValue(block, u"\\StringFileInfo\\040704B0\\LegalTrademarks"));
}

TEST(PeVersion, KeysIgnoreCaseAndEmptyComponents) {
    const QByteArray block = fileVersionInfo(fixture("app32.exe"));
    EXPECT_EQ(text(block, "\\stringfileinfo\\040904e4\\companyname"),
              QStringLiteral("Fixture Works Ltd."));
    EXPECT_EQ(text(block, "StringFileInfo\\\\040904E4\\CompanyName\\"),
              QStringLiteral("Fixture Works Ltd."));
    EXPECT_FALSE(verQueryValue(block, u"\\StringFileInfo\\040904B0\\CompanyName"));
    EXPECT_FALSE(verQueryValue(block, u"\\StringFileInfo\\040904E4\\CompanyName\\More"));
}

TEST(PeVersion, FilesWithoutAResourceHaveNone) {
    TempDir dir;
    EXPECT_TRUE(fileVersionInfo(fixture("noresource.exe")).isEmpty());
    EXPECT_TRUE(fileVersionInfo(fixture("app32.rc")).isEmpty());
    EXPECT_TRUE(fileVersionInfo(dir.write(QStringLiteral("empty"), {})).isEmpty());
    EXPECT_TRUE(fileVersionInfo(dir.write(QStringLiteral("mz"), "MZ")).isEmpty());
    EXPECT_TRUE(fileVersionInfo(dir.path()).isEmpty());
    EXPECT_TRUE(fileVersionInfo(dir.file(QStringLiteral("missing"))).isEmpty());
    // A pipe without a writer must not block the reader.
    const QString fifo = dir.file(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_TRUE(fileVersionInfo(fifo).isEmpty());
}

TEST(PeVersion, MemoryAndFileReadersAgree) {
    for (const char *name :
         {"app32.exe", "lib64.dll", "twolang.dll", "nostrings.exe", "otherkey.dll"}) {
        const QByteArray fromFile = fileVersionInfo(fixture(name));
        EXPECT_FALSE(fromFile.isEmpty()) << name;
        EXPECT_EQ(peVersionInfo(readAll(fixture(name))), fromFile) << name;
    }
}

// Every cut that removes part of the resource leaves no resource, and none crashes.
TEST(PeVersion, TruncatedImagesHaveNoResource) {
    TempDir dir;
    for (const char *name : {"app32.exe", "lib64.dll"}) {
        const QByteArray image = readAll(fixture(name));
        const QByteArray whole = peVersionInfo(image);
        const qsizetype end = image.indexOf(whole) + whole.size();
        ASSERT_GT(end, whole.size()) << name;
        for (qsizetype size = 0; size < end; ++size)
            ASSERT_TRUE(peVersionInfo(QByteArrayView(image).first(size)).isEmpty()) << name << size;
        const QString copy = dir.write(QStringLiteral("cut"), image.left(end - 1));
        EXPECT_TRUE(fileVersionInfo(copy).isEmpty()) << name;
        EXPECT_EQ(fileVersionInfo(dir.write(QStringLiteral("cut"), image.left(end))), whole)
            << name;
    }
}

TEST(PeVersion, DamagedHeadersAreRefused) {
    const QByteArray image = readAll(fixture("app32.exe"));
    const quint32 pe = dword(image, 0x3C);
    auto damaged = [&](qsizetype offset, QByteArrayView bytes) {
        QByteArray copy = image;
        copy.replace(offset, bytes.size(), bytes.toByteArray());
        return peVersionInfo(copy);
    };
    EXPECT_TRUE(damaged(0, "ZM").isEmpty());
    EXPECT_TRUE(damaged(0x3C, "\xff\xff\xff\x7f").isEmpty());
    EXPECT_TRUE(damaged(pe, "PX").isEmpty());
    EXPECT_TRUE(damaged(pe + 24, "\x07\x01").isEmpty()); // unknown optional-header magic
    EXPECT_TRUE(damaged(pe + 20, QByteArrayView("\0\0", 2)).isEmpty()); // no optional header
    EXPECT_TRUE(damaged(pe + 6, QByteArrayView("\0\0", 2)).isEmpty());  // no sections
    EXPECT_TRUE(damaged(pe + 24 + 92, QByteArrayView("\2\0\0\0", 4)).isEmpty()); // two directories
    // Any single byte changed anywhere: no crash, and either nothing or a block
    // whose declared length fits.
    for (qsizetype at = 0; at < image.size(); ++at) {
        QByteArray copy = image;
        copy[at] = char(copy[at] ^ 0x80);
        const QByteArray block = peVersionInfo(copy);
        if (!block.isEmpty()) {
            ASSERT_EQ(qFromLittleEndian<quint16>(block.constData()), block.size()) << at;
        }
    }
}

TEST(VersionQuery, RefusesBlocksThatOverrunTheirParent) {
    VersionBlock::Fixed fixed;
    QByteArray block = VersionBlock::resource(
        fixed,
        {VersionBlock::stringTable(QStringLiteral("040904E4"),
                                   {{QStringLiteral("A"), QStringLiteral("x")}})},
        VersionBlock::translations({{0x409, 1252}}));
    ASSERT_EQ(text(block, "\\StringFileInfo\\040904E4\\A"), QStringLiteral("x"));
    EXPECT_FALSE(verQueryValue(block.left(block.size() - 1), u"\\"));
    EXPECT_FALSE(verQueryValue(QByteArray(), u"\\"));
    EXPECT_FALSE(verQueryValue(QByteArray(6, '\0'), u"\\")); // length 0
    // A child longer than its parent ends the search.
    QByteArray overrun = block;
    const qsizetype child =
        overrun.indexOf(VersionBlock::text(QStringLiteral("StringFileInfo"))) - 6;
    qToLittleEndian(quint16(0xFFF0), overrun.data() + child);
    EXPECT_FALSE(verQueryValue(overrun, u"\\StringFileInfo\\040904E4\\A"));
    // Unterminated key.
    EXPECT_FALSE(verQueryValue(QByteArray("\x0a\0\0\0\0\0A\0B\0", 10), u"\\"));
}
