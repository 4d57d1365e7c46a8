// Office packages (.xlsx and the others) kept encrypted in a compound file:
// EncryptionInfo describes the key, EncryptedPackage holds the package's size
// and its encrypted bytes. Standard encryption is AES-ECB with a SHA-1 key;
// Agile encryption describes itself in XML and encrypts the package in
// segments of 4096 bytes, each with its own IV, with a key that the password
// decrypts.
#include "documents/officecrypto.h"

#include "documents/cipherkit.h"
#include "platform/littleendian.h"

#include <QXmlStreamReader>
#include <QtEndian>

#include <cstring>

namespace {

using cipherkit::HashKind;
using littleendian::u16;
using littleendian::u32;

constexpr qsizetype SegmentBytes = 4096;
constexpr quint32 MaxSpins = 10'000'000; // the most the format allows

/// The package's stated size, when it fits both the stream and the bound.
qint64 statedSize(QByteArrayView package, qint64 maxBytes) {
    if (package.size() < 8)
        return -1;
    const qint64 size = qFromLittleEndian<qint64>(package.data());
    return size >= 0 && size <= package.size() - 8 && size <= maxBytes ? size : -1;
}

/// A key as long as asked: the hash truncated, or padded with 0x36.
QByteArray sized(QByteArray bytes, qsizetype size) {
    return bytes.size() >= size ? bytes.first(size) : bytes.append(size - bytes.size(), '\x36');
}

std::optional<QByteArray> standardPackage(QByteArrayView info, QByteArrayView package,
                                          qint64 maxBytes, QStringView password) {
    const qsizetype headerSize = u32(info, 8);
    const qsizetype verifierAt = 12 + headerSize;
    if (headerSize < 32 || verifierAt + 72 > info.size() || u32(info, verifierAt) != 16)
        return std::nullopt;
    const quint32 keyBits = u32(info, 12 + 16);
    const QByteArrayView salt = info.sliced(verifierAt + 4, 16);
    const QByteArray spun =
        cipherkit::spunHash(HashKind::Sha1, salt, cipherkit::utf16le(password), 50'000);
    const QByteArray final = cipherkit::hash(HashKind::Sha1, spun, cipherkit::le32(0));
    if (final.size() != 20 || keyBits / 8 > 40)
        return std::nullopt;
    QByteArray inner(64, '\x36'), outer(64, '\x5C');
    for (int i = 0; i < 20; ++i) {
        inner[i] = char(inner[i] ^ final[i]);
        outer[i] = char(outer[i] ^ final[i]);
    }
    const QByteArray key =
        QByteArray(cipherkit::hash(HashKind::Sha1, inner) + cipherkit::hash(HashKind::Sha1, outer))
            .left(keyBits / 8);
    const QByteArray verifier = cipherkit::aes(key, {}, info.sliced(verifierAt + 20, 16));
    const QByteArray verifierHash = cipherkit::aes(key, {}, info.sliced(verifierAt + 40, 32));
    if (verifier.isEmpty() || !verifierHash.startsWith(cipherkit::hash(HashKind::Sha1, verifier)))
        return std::nullopt;
    const qint64 size = statedSize(package, maxBytes);
    if (size < 0)
        return std::nullopt;
    // ECB blocks stand alone: decrypted a stretch at a time into place.
    QByteArray plain(qsizetype(size), Qt::Uninitialized);
    constexpr qsizetype Stretch = qsizetype(1) << 20;
    for (qsizetype at = 0; at < size; at += Stretch) {
        const qsizetype want = qMin(Stretch, qsizetype(size) - at);
        const QByteArray part = cipherkit::aes(
            key, {},
            package.sliced(8 + at).first(qMin((want + 15) / 16 * 16, package.size() - 8 - at)));
        if (part.size() < want)
            return std::nullopt;
        std::memcpy(plain.data() + at, part.data(), size_t(want));
    }
    return plain;
}

/// The attributes of one key in an Agile descriptor.
struct AgileKey {
    HashKind hash = HashKind::Sha1;
    QByteArray salt;
    qsizetype keyBytes = 0, blockBytes = 16, hashBytes = 0;
    quint32 spins = 0;
    QByteArray verifierInput, verifierValue, keyValue;
    bool found = false;
};

std::optional<AgileKey> agileKey(const QXmlStreamAttributes &attributes) {
    const auto a = [&attributes](const char *name) {
        return attributes.value(QLatin1StringView(name));
    };
    const std::optional<HashKind> hash = cipherkit::hashNamed(a("hashAlgorithm"));
    if (!hash || a("cipherAlgorithm") != u"AES" || a("cipherChaining") != u"ChainingModeCBC")
        return std::nullopt;
    AgileKey key;
    key.hash = *hash;
    const auto bytes = [&a](const char *name) {
        return QByteArray::fromBase64(a(name).toLatin1());
    };
    key.salt = bytes("saltValue");
    key.keyBytes = a("keyBits").toInt() / 8;
    key.blockBytes = a("blockSize").toInt();
    key.hashBytes = a("hashSize").toInt();
    key.spins = a("spinCount").toUInt();
    key.verifierInput = bytes("encryptedVerifierHashInput");
    key.verifierValue = bytes("encryptedVerifierHashValue");
    key.keyValue = bytes("encryptedKeyValue");
    key.found = true;
    const bool aesKey = key.keyBytes == 16 || key.keyBytes == 24 || key.keyBytes == 32;
    if (!aesKey || key.blockBytes != 16 || key.salt.isEmpty() || key.spins > MaxSpins)
        return std::nullopt;
    return key;
}

/// The descriptor's keyData and the password's key encryptor.
bool readDescriptor(QByteArrayView xml, AgileKey &data, AgileKey &password) {
    QXmlStreamReader reader(xml.toByteArray());
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const bool isData = reader.name() == u"keyData";
        const bool isPassword = reader.name() == u"encryptedKey" &&
                                reader.namespaceUri().endsWith(u"keyEncryptor/password");
        if (isData || isPassword) {
            const std::optional<AgileKey> key = agileKey(reader.attributes());
            if (!key)
                return false;
            (isData ? data : password) = *key;
        }
    }
    return data.found && password.found;
}

std::optional<QByteArray> agilePackage(QByteArrayView info, QByteArrayView package, qint64 maxBytes,
                                       QStringView password) {
    AgileKey data, encryptor;
    if (!readDescriptor(info.sliced(8), data, encryptor))
        return std::nullopt;
    const QByteArray spun = cipherkit::spunHash(encryptor.hash, encryptor.salt,
                                                cipherkit::utf16le(password), encryptor.spins);
    // The three values the password's key decrypts, each with its own block key.
    const auto decrypted = [&](const char *blockKey, const QByteArray &value) {
        const QByteArray key = sized(
            cipherkit::hash(encryptor.hash, spun, QByteArrayView(blockKey, 8)), encryptor.keyBytes);
        return cipherkit::aes(key, sized(encryptor.salt, 16), value);
    };
    const QByteArray input = decrypted("\xFE\xA7\xD2\x76\x3B\x4B\x9E\x79", encryptor.verifierInput);
    const QByteArray value = decrypted("\xD7\xAA\x0F\x6D\x30\x61\x34\x4E", encryptor.verifierValue);
    const QByteArray expected =
        cipherkit::hash(encryptor.hash, input.first(qMin(input.size(), encryptor.salt.size())));
    if (input.isEmpty() || expected.isEmpty() || !value.startsWith(expected))
        return std::nullopt;
    const QByteArray key =
        decrypted("\x14\x6E\x0B\xE7\xAB\xAC\xD0\xD6", encryptor.keyValue).left(data.keyBytes);
    const qint64 size = statedSize(package, maxBytes);
    if (size < 0 || key.size() != data.keyBytes)
        return std::nullopt;
    QByteArray plain(qsizetype(size), Qt::Uninitialized);
    for (qsizetype at = 0, segment = 0; at < size; at += SegmentBytes, ++segment) {
        const QByteArray iv =
            sized(cipherkit::hash(data.hash, data.salt, cipherkit::le32(quint32(segment))), 16);
        const QByteArrayView encrypted =
            package.sliced(8 + at).first(qMin(SegmentBytes, package.size() - 8 - at));
        const QByteArray part = cipherkit::aes(key, iv, encrypted);
        const qsizetype want = qMin(SegmentBytes, qsizetype(size) - at);
        if (part.size() < want)
            return std::nullopt;
        std::memcpy(plain.data() + at, part.data(), size_t(want));
    }
    return plain;
}

} // namespace

namespace officecrypto {

std::optional<QByteArray> decryptPackage(QByteArrayView info, QByteArrayView package,
                                         qint64 maxBytes, QStringView password) {
    const quint16 major = u16(info, 0), minor = u16(info, 2);
    if (major == 4 && minor == 4)
        return agilePackage(info, package, maxBytes, password);
    if ((major == 3 || major == 4) && minor == 2)
        return standardPackage(info, package, maxBytes, password);
    return std::nullopt;
}

} // namespace officecrypto
