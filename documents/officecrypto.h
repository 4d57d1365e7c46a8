#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <array>
#include <optional>

/// Office documents encrypted with the password office programs try without
/// asking: Excel's default password, which a workbook protected for writing
/// only is encrypted with. Any other password keeps a document encrypted.
namespace officecrypto {

/// The password Excel encrypts a workbook protected for writing only with.
inline constexpr QStringView DefaultPassword = u"VelvetSweatshop";

/// Fetches the hashes and ciphers (and OpenSSL's configuration) now: a
/// worker does so before it shuts files out.
void loadCiphers();

/// True when a Workbook (or Book) stream asks for a password in its globals.
bool workbookEncrypted(QByteArrayView workbook);

/// True when the workbook asks for a password that is not the given one.
bool workbookLocked(QByteArrayView workbook, QStringView password = DefaultPassword);

/// The Workbook stream decrypted record by record, its FILEPASS record kept;
/// null when it is not encrypted, by a method unknown here, or with another
/// password.
std::optional<QByteArray> decryptWorkbook(QByteArrayView workbook,
                                          QStringView password = DefaultPassword);

/// The package that an EncryptionInfo and an EncryptedPackage stream hold
/// (Standard or Agile encryption), decrypted; null when the password does
/// not open it, the streams are damaged or the package's stated size passes
/// maxBytes or the stream's own size.
std::optional<QByteArray> decryptPackage(QByteArrayView info, QByteArrayView package,
                                         qint64 maxBytes, QStringView password = DefaultPassword);

/// XOR obfuscation's 16-byte array and verifier of a password (for the
/// tests' own encryption, which is its inverse).
std::array<quint8, 16> xorArray(QStringView password);
quint16 xorVerifier(QStringView password);

} // namespace officecrypto
