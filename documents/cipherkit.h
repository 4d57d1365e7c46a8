#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <optional>

/// The hashes and ciphers of Office document encryption, through OpenSSL's
/// libcrypto: fetched once, so that a confined worker needs no file later.
namespace cipherkit {

enum class HashKind { Md5, Sha1, Sha256, Sha384, Sha512 };

/// The hash an encryption descriptor names ("SHA512"), if one of ours.
std::optional<HashKind> hashNamed(QStringView name);

/// The digest of the pieces, one after another; empty when the hash is not
/// available.
QByteArray hash(HashKind kind, QByteArrayView first, QByteArrayView second = {});

/// A hash applied again and again, as password keys are stretched:
/// H0 = hash(salt + password), Hn = hash(n as 32 bits + Hn-1).
QByteArray spunHash(HashKind kind, QByteArrayView salt, QByteArrayView password, quint32 spins);

/// AES over whole 16-byte blocks (the rest is dropped): ECB when iv is
/// empty, else CBC. Empty when the key has no AES size.
QByteArray aes(QByteArrayView key, QByteArrayView iv, QByteArrayView data, bool encrypt = false);

/// RC4 over the bytes in place (its own inverse).
void rc4(QByteArrayView key, char *data, qsizetype size);

/// The password as Office hashes it: UTF-16 little-endian.
QByteArray utf16le(QStringView text);

/// A 32-bit little-endian number as bytes.
QByteArray le32(quint32 value);

/// Fetches the algorithms (and OpenSSL's configuration) now.
void load();

} // namespace cipherkit
