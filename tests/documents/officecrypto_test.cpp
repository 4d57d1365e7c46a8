// Workbooks and packages encrypted here from the plain fixtures, by the
// inverse of each method: Excel's default password opens them and gives the
// plain file's text; any other password keeps them encrypted.
#include "documents/compoundfile.h"
#include "documents/documenttext.h"
#include "documents/exceltext.h"
#include "documents/officecrypto.h"
#include "support/compoundbytes.h"
#include "support/officeencryptor.h"
#include "support/recordbytes.h"
#include "support/tempdir.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

using officeencryptor::PackageMethod;
using officeencryptor::WorkbookMethod;

QByteArray plainWorkbook() {
    static const QByteArray sample = readAll(QStringLiteral(DOCUMENTS_DATA "sample.xls"));
    CompoundFile file;
    EXPECT_TRUE(file.open(sample));
    return file.stream(file.find(0, u"Workbook")); // a view of the kept sample
}

struct Read {
    Outcome outcome;
    QString text;
};

Read extracted(const QByteArray &bytes) {
    Extraction extraction(bytes);
    const Outcome outcome = extractDocument(extraction, u"book.xls");
    return {outcome, extraction.text};
}

constexpr QStringView Other = u"Velvet";

TEST(OfficeCrypto, WorkbooksOpenWithTheDefaultPasswordOnly) {
    const QByteArray plain = plainWorkbook();
    QString expected;
    ASSERT_EQ(officetext::workbookText(plain, expected), Outcome::Text);
    ASSERT_TRUE(expected.contains(u"LongString1499 makes the shared string table long"));
    for (const WorkbookMethod method : {WorkbookMethod::Xor, WorkbookMethod::Rc4,
                                        WorkbookMethod::CryptoApi, WorkbookMethod::CryptoApi40}) {
        SCOPED_TRACE(int(method));
        const QByteArray opens =
            officeencryptor::encryptWorkbook(plain, method, officecrypto::DefaultPassword);
        ASSERT_NE(opens, plain);
        QString text;
        EXPECT_EQ(officetext::workbookText(opens, text), Outcome::Text);
        EXPECT_EQ(text, expected);
        const Read file = extracted(compoundFileOf({{QStringLiteral("Workbook"), opens}}));
        EXPECT_EQ(file.outcome, Outcome::Text);
        EXPECT_EQ(file.text, expected);

        const QByteArray locked = officeencryptor::encryptWorkbook(plain, method, Other);
        text.clear();
        EXPECT_EQ(officetext::workbookText(locked, text), Outcome::Encrypted);
        EXPECT_TRUE(officecrypto::workbookLocked(locked));
        EXPECT_TRUE(officecrypto::decryptWorkbook(locked, Other).has_value());
        const Read lockedFile = extracted(compoundFileOf({{QStringLiteral("Workbook"), locked}}));
        EXPECT_EQ(lockedFile.outcome, Outcome::Encrypted);
        EXPECT_TRUE(lockedFile.text.isEmpty());
    }
}

// Excel 5.0/95 books know XOR obfuscation alone.
TEST(OfficeCrypto, Excel95BooksOpenWithTheDefaultPasswordOnly) {
    const auto rec = [](quint16 type, const QByteArray &data) {
        return le16(type) + le16(quint16(data.size())) + data;
    };
    const QByteArray bof = le16(0x0500) + le16(0x0005) + QByteArray(4, '\0');
    const QByteArray sheet = rec(0x0809, bof) +
                             rec(0x0204, QByteArray(6, '\0') + le16(9) + "Velvet95!") +
                             rec(0x000A, {});
    const QByteArray globalsEnd = rec(0x000A, {});
    const qsizetype sheetAt = 4 + bof.size() + 4 + 11 + globalsEnd.size();
    const QByteArray book = rec(0x0809, bof) +
                            rec(0x0085, le32(quint32(sheetAt)) + le16(0) +
                                            "\x04"
                                            "Book") +
                            globalsEnd + sheet;
    for (const QStringView password : {officecrypto::DefaultPassword, Other}) {
        QString text;
        const Outcome outcome = officetext::workbookText(
            officeencryptor::encryptWorkbook(book, WorkbookMethod::Xor, password), text);
        EXPECT_EQ(outcome, password == Other ? Outcome::Encrypted : Outcome::Text);
        EXPECT_EQ(text, password == Other ? QString() : QStringLiteral("Book\r\nVelvet95!\r\n"));
    }
}

TEST(OfficeCrypto, PackagesOpenWithTheDefaultPasswordOnly) {
    const QByteArray package = readAll(QStringLiteral(MODERN_DATA "calc.xlsx"));
    const QString expected = extracted(package).text;
    ASSERT_FALSE(expected.isEmpty());
    for (const PackageMethod method : {PackageMethod::Standard, PackageMethod::Agile}) {
        SCOPED_TRACE(int(method));
        const auto [info, encrypted] =
            officeencryptor::encryptPackage(package, method, officecrypto::DefaultPassword);
        const Read opens =
            extracted(compoundFileOf({{QStringLiteral("EncryptionInfo"), info},
                                      {QStringLiteral("EncryptedPackage"), encrypted}}));
        EXPECT_EQ(opens.outcome, Outcome::Text);
        EXPECT_EQ(opens.text, expected);
        // The stated size bounds the package: past the bound or the stream, nothing.
        EXPECT_FALSE(officecrypto::decryptPackage(info, encrypted, package.size() - 1));
        QByteArray overstated = encrypted;
        overstated[0] = char(overstated[0] + 64);
        EXPECT_FALSE(officecrypto::decryptPackage(info, overstated, qint64(1) << 30));

        const auto [lockedInfo, lockedPackage] =
            officeencryptor::encryptPackage(package, method, Other);
        const Read locked =
            extracted(compoundFileOf({{QStringLiteral("EncryptionInfo"), lockedInfo},
                                      {QStringLiteral("EncryptedPackage"), lockedPackage}}));
        EXPECT_EQ(locked.outcome, Outcome::Encrypted);
        EXPECT_TRUE(locked.text.isEmpty());
        EXPECT_EQ(officecrypto::decryptPackage(lockedInfo, lockedPackage, qint64(1) << 30, Other),
                  package);
    }
}

// Descriptors that ask for what no AES key is, or for endless spins, open
// nothing and read no byte past a value.
TEST(OfficeCrypto, HostileAgileDescriptorsOpenNothing) {
    const QByteArray package = QByteArray("PK\3\4") + QByteArray(5000, 'x');
    const auto [info, encrypted] = officeencryptor::encryptPackage(package, PackageMethod::Agile,
                                                                   officecrypto::DefaultPassword);
    ASSERT_EQ(officecrypto::decryptPackage(info, encrypted, 1 << 20), package);
    const std::pair<const char *, const char *> changes[] = {
        {"keyBits=\"256\"", "keyBits=\"-8\""},
        {"keyBits=\"256\"", "keyBits=\"4096\""},
        {"blockSize=\"16\"", "blockSize=\"0\""},
        {"spinCount=\"", "spinCount=\"99999"},
        {"ChainingModeCBC", "ChainingModeCFB"},
        {"encryptedKeyValue=\"", "encryptedKeyValue=\"\" rest=\""},
    };
    for (const auto &[from, to] : changes) {
        SCOPED_TRACE(to);
        QByteArray changed = info;
        changed.replace(from, to);
        ASSERT_NE(changed, info);
        EXPECT_FALSE(officecrypto::decryptPackage(changed, encrypted, 1 << 20));
    }
}

// The scan reads documents in confined workers, which open no file once a
// document is read: the ciphers are ready before.
TEST(OfficeCrypto, TheScanFindsTextOfAWorkbookWithTheDefaultPassword) {
    const QByteArray plain = plainWorkbook();
    TempDir dir;
    const QString opens = dir.write(
        QStringLiteral("opens.xls"),
        compoundFileOf({{QStringLiteral("Workbook"),
                         officeencryptor::encryptWorkbook(plain, WorkbookMethod::CryptoApi,
                                                          officecrypto::DefaultPassword)}}));
    const QString locked = dir.write(
        QStringLiteral("locked.xls"),
        compoundFileOf(
            {{QStringLiteral("Workbook"),
              officeencryptor::encryptWorkbook(plain, WorkbookMethod::CryptoApi, Other)}}));
    QProcess scan;
    scan.start(QStringLiteral(QUARRIX_SCAN_PATH), {QStringLiteral("SheetTwoWord"), opens, locked});
    ASSERT_TRUE(scan.waitForFinished(60000));
    EXPECT_EQ(scan.exitCode(), 2); // the locked one cannot be read
    const QByteArray rows = scan.readAllStandardOutput();
    EXPECT_TRUE(rows.contains("FILE: " + opens.toUtf8())) << rows.toStdString();
    EXPECT_TRUE(rows.contains("MATCH: SheetTwoWord \xD0\x9F")) << rows.toStdString();
    const QByteArray errors = scan.readAllStandardError();
    EXPECT_TRUE(errors.contains("encrypted")) << errors.toStdString();
    EXPECT_FALSE(errors.contains("opens.xls")) << errors.toStdString();
}

} // namespace
