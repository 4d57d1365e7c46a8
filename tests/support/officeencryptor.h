#pragma once

#include <QByteArray>
#include <QStringView>

#include <utility>

// Encrypted workbooks and packages made from plain ones, as Excel writes
// them: each method's inverse, written from the format's description with
// OpenSSL, so that the reader is checked against a second hand.
namespace officeencryptor {

enum class WorkbookMethod { Xor, Rc4, CryptoApi, CryptoApi40 };
enum class PackageMethod { Standard, Agile };

/// A Workbook stream (BIFF8, or BIFF5 with XOR) with a FILEPASS record
/// after its BOF and its records encrypted with the password.
QByteArray encryptWorkbook(const QByteArray &workbook, WorkbookMethod method, QStringView password);

/// The EncryptionInfo and EncryptedPackage streams of a package.
std::pair<QByteArray, QByteArray> encryptPackage(const QByteArray &package, PackageMethod method,
                                                 QStringView password);

} // namespace officeencryptor
