#define OPENSSL_SUPPRESS_DEPRECATED
#include "support/officeencryptor.h"

#include "documents/officecrypto.h"
#include "support/recordbytes.h"

#include <openssl/evp.h>
#include <openssl/rc4.h>

#include <QtEndian>

#include <cstring>

namespace {

QByteArray digest(const char *name, const QByteArray &data) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_Digest(data.data(), size_t(data.size()), out, &size, EVP_get_digestbyname(name), nullptr);
    return QByteArray(reinterpret_cast<const char *>(out), int(size));
}

QByteArray utf16(QStringView text) {
    QByteArray out;
    for (const QChar c : text)
        put16(out, c.unicode());
    return out;
}

QByteArray salt(char seed, int size = 16) {
    QByteArray out;
    for (int i = 0; i < size; ++i)
        out += char(seed + 7 * i);
    return out;
}

void rc4(const QByteArray &key, char *data, qsizetype size) {
    RC4_KEY state;
    RC4_set_key(&state, int(key.size()), reinterpret_cast<const unsigned char *>(key.data()));
    RC4(&state, size_t(size), reinterpret_cast<unsigned char *>(data),
        reinterpret_cast<unsigned char *>(data));
}

QByteArray aesEncrypt(const QByteArray &key, const QByteArray &iv, const QByteArray &data) {
    const EVP_CIPHER *cipher = key.size() == 32
                                   ? (iv.isEmpty() ? EVP_aes_256_ecb() : EVP_aes_256_cbc())
                                   : (iv.isEmpty() ? EVP_aes_128_ecb() : EVP_aes_128_cbc());
    EVP_CIPHER_CTX *ctx = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(ctx, cipher, nullptr, reinterpret_cast<const unsigned char *>(key.data()),
                       iv.isEmpty() ? nullptr : reinterpret_cast<const unsigned char *>(iv.data()));
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    QByteArray padded = data;
    padded.append((16 - padded.size() % 16) % 16, '\0');
    QByteArray out(padded.size(), '\0');
    int n = 0;
    EVP_EncryptUpdate(ctx, reinterpret_cast<unsigned char *>(out.data()), &n,
                      reinterpret_cast<const unsigned char *>(padded.data()), int(padded.size()));
    EVP_CIPHER_CTX_free(ctx);
    return out;
}

// RC4 1.1 and CryptoAPI: the key of one 1024-byte block.
QByteArray rc4Key(officeencryptor::WorkbookMethod method, const QByteArray &salt,
                  QStringView password, quint32 block) {
    if (method == officeencryptor::WorkbookMethod::Rc4) {
        const QByteArray h0 = digest("MD5", utf16(password)).first(5);
        QByteArray buffer;
        for (int i = 0; i < 16; ++i)
            buffer += h0 + salt;
        return digest("MD5", digest("MD5", buffer).first(5) + le32(block));
    }
    const QByteArray h0 = digest("SHA1", salt + utf16(password));
    const QByteArray key = digest("SHA1", h0 + le32(block));
    if (method == officeencryptor::WorkbookMethod::CryptoApi40) // padded to 128 bits
        return key.first(5) + QByteArray(11, '\0');
    return key.first(16);
}

QByteArray filePass(officeencryptor::WorkbookMethod method, QStringView password,
                    const QByteArray &salt, bool biff5) {
    using officeencryptor::WorkbookMethod;
    QByteArray data;
    if (method == WorkbookMethod::Xor) {
        if (!biff5) // BIFF5 knows XOR alone and names no method
            put16(data, 0);
        put16(data, 0x1234); // the key: unused when reading
        put16(data, officecrypto::xorVerifier(password));
        return data;
    }
    const QByteArray verifier = QByteArrayLiteral("0123456789abcdef");
    QByteArray hidden = verifier + digest(method == WorkbookMethod::Rc4 ? "MD5" : "SHA1", verifier);
    rc4(rc4Key(method, salt, password, 0), hidden.data(), hidden.size());
    put16(data, 1);
    if (method == WorkbookMethod::Rc4) {
        put16(data, 1);
        put16(data, 1);
        return data + salt + hidden;
    }
    put16(data, 4);
    put16(data, 2);
    put32(data, 0x04); // fCryptoAPI
    QByteArray header;
    put32(header, 0x04);
    put32(header, 0);
    put32(header, 0x6801); // RC4
    put32(header, 0x8004); // SHA-1
    put32(header, method == WorkbookMethod::CryptoApi40 ? 40 : 128);
    put32(header, 1);
    put32(header, 0);
    put32(header, 0);
    header += utf16(u"Provider") + QByteArray(2, '\0');
    put32(data, quint32(header.size()));
    data += header;
    put32(data, 16);
    data += salt + hidden.first(16);
    put32(data, 20);
    return data + hidden.sliced(16);
}

bool clearRecord(quint16 type) {
    return type == 0x0809 || type == 0x002F || type == 0x0194 || type == 0x0195 || type == 0x00E1 ||
           type == 0x0196 || type == 0x0138;
}

QByteArray standardKey(const QByteArray &salt, QStringView password) {
    QByteArray h = digest("SHA1", salt + utf16(password));
    for (quint32 i = 0; i < 50000; ++i)
        h = digest("SHA1", le32(i) + h);
    h = digest("SHA1", h + le32(0));
    QByteArray x1(64, '\x36'), x2(64, '\x5C');
    for (int i = 0; i < h.size(); ++i) {
        x1[i] = char(x1[i] ^ h[i]);
        x2[i] = char(x2[i] ^ h[i]);
    }
    return (digest("SHA1", x1) + digest("SHA1", x2)).first(16);
}

// Fewer than Excel's 100,000 spins, which only take longer.
constexpr quint32 AgileSpins = 4000;

QByteArray agileKey(const QByteArray &salt, QStringView password, const char *block) {
    QByteArray h = digest("SHA512", salt + utf16(password));
    for (quint32 i = 0; i < AgileSpins; ++i)
        h = digest("SHA512", le32(i) + h);
    return digest("SHA512", h + QByteArray(block, 8)).first(32);
}

QByteArray sizeField(qsizetype size) {
    char bytes[8];
    qToLittleEndian(qint64(size), bytes);
    return QByteArray(bytes, 8);
}

std::pair<QByteArray, QByteArray> standard(const QByteArray &package, QStringView password) {
    const QByteArray s = salt('S');
    const QByteArray key = standardKey(s, password);
    const QByteArray verifier = QByteArrayLiteral("fedcba9876543210");
    QByteArray info;
    put16(info, 4);
    put16(info, 2);
    put32(info, 0x24);
    QByteArray header;
    for (const quint32 field : {0x24u, 0u, 0x660Eu, 0x8004u, 128u, 0x18u, 0u, 0u})
        put32(header, field);
    header += utf16(u"AES provider") + QByteArray(2, '\0');
    put32(info, quint32(header.size()));
    info += header;
    put32(info, 16);
    info += s + aesEncrypt(key, {}, verifier);
    put32(info, 20);
    info += aesEncrypt(key, {}, digest("SHA1", verifier));
    return {info, sizeField(package.size()) + aesEncrypt(key, {}, package)};
}

std::pair<QByteArray, QByteArray> agile(const QByteArray &package, QStringView password) {
    const QByteArray keySalt = salt('K'), dataSalt = salt('D');
    const QByteArray secret = salt('Z', 32), input = salt('I');
    const auto wrap = [&](const char *block, const QByteArray &value) {
        return aesEncrypt(agileKey(keySalt, password, block), keySalt, value).toBase64();
    };
    const QByteArray verifierInput = wrap("\xFE\xA7\xD2\x76\x3B\x4B\x9E\x79", input);
    const QByteArray verifierValue =
        wrap("\xD7\xAA\x0F\x6D\x30\x61\x34\x4E", digest("SHA512", input));
    const QByteArray keyValue = wrap("\x14\x6E\x0B\xE7\xAB\xAC\xD0\xD6", secret);
    QByteArray encrypted = sizeField(package.size());
    for (qsizetype at = 0, i = 0; at < package.size(); at += 4096, ++i)
        encrypted += aesEncrypt(secret, digest("SHA512", dataSalt + le32(quint32(i))).first(16),
                                package.mid(at, 4096));
    const QByteArray attributes =
        "saltSize=\"16\" blockSize=\"16\" keyBits=\"256\" hashSize=\"64\" "
        "cipherAlgorithm=\"AES\" cipherChaining=\"ChainingModeCBC\" "
        "hashAlgorithm=\"SHA512\" ";
    const QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<encryption xmlns=\"http://schemas.microsoft.com/office/2006/encryption\" "
        "xmlns:p=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\">"
        "<keyData " +
        attributes + "saltValue=\"" + dataSalt.toBase64() +
        "\"/>"
        "<keyEncryptors><keyEncryptor "
        "uri=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\">"
        "<p:encryptedKey spinCount=\"" +
        QByteArray::number(AgileSpins) + "\" " + attributes + "saltValue=\"" + keySalt.toBase64() +
        "\" encryptedVerifierHashInput=\"" + verifierInput + "\" encryptedVerifierHashValue=\"" +
        verifierValue + "\" encryptedKeyValue=\"" + keyValue +
        "\"/></keyEncryptor></keyEncryptors></encryption>";
    QByteArray info;
    put16(info, 4);
    put16(info, 4);
    put32(info, 0x40);
    return {info + xml, encrypted};
}

} // namespace

namespace officeencryptor {

QByteArray encryptWorkbook(const QByteArray &workbook, WorkbookMethod method,
                           QStringView password) {
    const QByteArray s = salt('s');
    const bool biff5 = qFromLittleEndian<quint16>(workbook.data() + 4) == 0x0500;
    const QByteArray pass = biffRecord(0x002F, filePass(method, password, s, biff5));
    const qsizetype firstEnd = 4 + qFromLittleEndian<quint16>(workbook.data() + 2);
    QByteArray out = workbook.first(firstEnd) + pass + workbook.sliced(firstEnd);
    for (qsizetype at = 0; at + 4 <= out.size();) {
        const quint16 type = qFromLittleEndian<quint16>(out.data() + at);
        const qsizetype size = qFromLittleEndian<quint16>(out.data() + at + 2);
        if (type == 0x0085) // each sheet's stream position moves with the new record
            qToLittleEndian(qFromLittleEndian<quint32>(out.data() + at + 4) + quint32(pass.size()),
                            out.data() + at + 4);
        at += 4 + size;
    }
    QByteArray encrypted = out;
    if (method == WorkbookMethod::Xor) {
        const std::array<quint8, 16> array = officecrypto::xorArray(password);
        for (qsizetype at = 0; at + 4 <= out.size();) {
            const qsizetype size = qFromLittleEndian<quint16>(out.data() + at + 2);
            for (qsizetype i = 0; i < size; ++i) {
                const quint8 v = quint8(out[at + 4 + i]);
                encrypted[at + 4 + i] =
                    char(quint8((v << 5) | (v >> 3)) ^ array[size_t((at + 4 + size + i) % 16)]);
            }
            at += 4 + size;
        }
    } else {
        for (qsizetype at = 0; at < out.size(); at += 1024)
            rc4(rc4Key(method, s, password, quint32(at / 1024)), encrypted.data() + at,
                qMin<qsizetype>(1024, out.size() - at));
    }
    // Headers, the records left readable and sheet positions stay clear.
    for (qsizetype at = 0; at + 4 <= out.size();) {
        const quint16 type = qFromLittleEndian<quint16>(out.data() + at);
        const qsizetype size = qFromLittleEndian<quint16>(out.data() + at + 2);
        const qsizetype clear = clearRecord(type) ? 4 + size : type == 0x0085 ? 8 : 4;
        std::memcpy(encrypted.data() + at, out.data() + at, size_t(clear));
        at += 4 + size;
    }
    return encrypted;
}

std::pair<QByteArray, QByteArray> encryptPackage(const QByteArray &package, PackageMethod method,
                                                 QStringView password) {
    return method == PackageMethod::Standard ? standard(package, password)
                                             : agile(package, password);
}

} // namespace officeencryptor
