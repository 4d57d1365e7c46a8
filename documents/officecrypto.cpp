// Workbooks (BIFF8, and BIFF5's XOR) whose FILEPASS record names their
// encryption. The whole stream is transformed by stream position, as Excel
// does; the record headers, the records Excel leaves readable and each
// BoundSheet's stream position are then put back as they were.
#include "documents/officecrypto.h"

#include "documents/cipherkit.h"
#include "platform/littleendian.h"

#include <array>

namespace {

using cipherkit::HashKind;
using littleendian::u16;
using littleendian::u32;

constexpr quint16 Bof = 0x0809, Eof = 0x000A, FilePass = 0x002F, BoundSheet = 0x0085;
constexpr qsizetype BlockBytes = 1024;

/// The FILEPASS record's data, and the BOF's version; null when none.
struct FilePassRecord {
    QByteArrayView data;
    quint16 version = 0;
};

FilePassRecord filePass(QByteArrayView workbook) {
    FilePassRecord found;
    for (qsizetype at = 0, records = 0; at + 4 <= workbook.size() && records < 4096; ++records) {
        const quint16 type = u16(workbook, at);
        const qsizetype size = qMin<qsizetype>(u16(workbook, at + 2), workbook.size() - at - 4);
        if (type == Bof && at == 0)
            found.version = u16(workbook, 4);
        if (type == FilePass) {
            found.data = workbook.sliced(at + 4, size);
            return found;
        }
        if (type == Eof)
            break;
        at += 4 + size;
    }
    return {};
}

bool readableRecord(quint16 type) {
    // BOF, FILEPASS, USREXCL, FILELOCK, INTERFACEHDR, RRDINFO, RRDHEAD
    for (const quint16 clear : {Bof, FilePass, quint16(0x0194), quint16(0x0195), quint16(0x00E1),
                                quint16(0x0196), quint16(0x0138)})
        if (type == clear)
            return true;
    return false;
}

/// Puts back what Excel leaves unencrypted in a transformed stream.
void restoreClearParts(QByteArrayView original, QByteArray &plain) {
    for (qsizetype at = 0; at + 4 <= original.size();) {
        const quint16 type = u16(original, at);
        const qsizetype size = qMin<qsizetype>(u16(original, at + 2), original.size() - at - 4);
        const qsizetype kept = readableRecord(type) ? 4 + size
                               : type == BoundSheet ? 4 + qMin<qsizetype>(4, size)
                                                    : 4;
        std::copy_n(original.data() + at, kept, plain.data() + at);
        at += 4 + size;
    }
}

// XOR obfuscation: the key and verifier of the password, then an array of 16
// bytes that record data is XORed with.
constexpr std::array<quint16, 15> InitialCode = {0xE1F0, 0x1D0F, 0xCC9C, 0x84C0, 0x110C,
                                                 0x0E10, 0xF1CE, 0x313E, 0x1872, 0xE139,
                                                 0xD40F, 0x84F9, 0x280C, 0xA96A, 0x4EC3};
constexpr std::array<quint16, 105> XorMatrix = {
    0xAEFC, 0x4DD9, 0x9BB2, 0x2745, 0x4E8A, 0x9D14, 0x2A09, 0x7B61, 0xF6C2, 0xFDA5, 0xEB6B, 0xC6F7,
    0x9DCF, 0x2BBF, 0x4563, 0x8AC6, 0x05AD, 0x0B5A, 0x16B4, 0x2D68, 0x5AD0, 0x0375, 0x06EA, 0x0DD4,
    0x1BA8, 0x3750, 0x6EA0, 0xDD40, 0xD849, 0xA0B3, 0x5147, 0xA28E, 0x553D, 0xAA7A, 0x44D5, 0x6F45,
    0xDE8A, 0xAD35, 0x4A4B, 0x9496, 0x390D, 0x721A, 0xEB23, 0xC667, 0x9CEF, 0x29FF, 0x53FE, 0xA7FC,
    0x5FD9, 0x47D3, 0x8FA6, 0x0F6D, 0x1EDA, 0x3DB4, 0x7B68, 0xF6D0, 0xB861, 0x60E3, 0xC1C6, 0x93AD,
    0x377B, 0x6EF6, 0xDDEC, 0x45A0, 0x8B40, 0x06A1, 0x0D42, 0x1A84, 0x3508, 0x6A10, 0xAA51, 0x4483,
    0x8906, 0x022D, 0x045A, 0x08B4, 0x1168, 0x76B4, 0xED68, 0xCAF1, 0x85C3, 0x1BA7, 0x374E, 0x6E9C,
    0x3730, 0x6E60, 0xDCC0, 0xA9A1, 0x4363, 0x86C6, 0x1DAD, 0x3331, 0x6662, 0xCCC4, 0x89A9, 0x0373,
    0x06E6, 0x0DCC, 0x1021, 0x2042, 0x4084, 0x8108, 0x1231, 0x2462, 0x48C4};
constexpr std::array<quint8, 15> PadArray = {0xBB, 0xFF, 0xFF, 0xBA, 0xFF, 0xFF, 0xB9, 0x80,
                                             0x00, 0xBE, 0x0F, 0x00, 0xBF, 0x0F, 0x00};

/// The password's single bytes: each character's low byte, or its high byte
/// when the low one is zero; at most 15.
QByteArray singleBytes(QStringView password) {
    QByteArray out;
    for (const QChar c : password.first(qMin<qsizetype>(15, password.size())))
        out += char(c.cell() ? c.cell() : c.row());
    return out;
}

quint16 xorKey(QByteArrayView password) {
    if (password.isEmpty())
        return 0;
    quint16 key = InitialCode[size_t(password.size() - 1)];
    int element = 0x68;
    for (qsizetype i = password.size() - 1; i >= 0; --i) {
        quint8 c = quint8(password[i]);
        for (int bit = 0; bit < 7; ++bit, c <<= 1, --element)
            if (c & 0x40)
                key ^= XorMatrix[size_t(element)];
    }
    return key;
}

quint16 verifierOf(QByteArrayView password) {
    quint16 verifier = 0;
    const auto step = [&verifier](quint8 byte) {
        verifier = quint16((((verifier >> 14) & 1) | ((verifier << 1) & 0x7FFF)) ^ byte);
    };
    for (qsizetype i = password.size() - 1; i >= 0; --i)
        step(quint8(password[i]));
    step(quint8(password.size()));
    return verifier ^ 0xCE4B;
}

quint8 xorRor(quint8 a, quint8 b) {
    const quint8 v = a ^ b;
    return quint8((v >> 1) | (v << 7));
}

std::array<quint8, 16> arrayOf(QByteArrayView password) {
    const quint16 key = xorKey(password);
    const quint8 high = quint8(key >> 8), low = quint8(key);
    std::array<quint8, 16> out{};
    qsizetype index = password.size();
    if (index % 2 == 1) {
        out[size_t(index)] = xorRor(PadArray[0], high);
        --index;
        out[size_t(index)] = xorRor(quint8(password.back()), low);
    }
    while (index > 0) {
        --index;
        out[size_t(index)] = xorRor(quint8(password[index]), high);
        --index;
        out[size_t(index)] = xorRor(quint8(password[index]), low);
    }
    for (qsizetype at = 15, pad = 15 - password.size(); pad > 0; at -= 2, pad -= 2) {
        out[size_t(at)] = xorRor(PadArray[size_t(pad)], high);
        out[size_t(at - 1)] = xorRor(PadArray[size_t(pad - 1)], low);
    }
    return out;
}

/// XOR obfuscation: each record's data from the array position its stream
/// position and size give.
std::optional<QByteArray> unXor(QByteArrayView workbook, QByteArrayView fields,
                                QStringView password, bool verifyOnly) {
    const QByteArray bytes = singleBytes(password);
    if (fields.size() < 4 || u16(fields, 2) != verifierOf(bytes))
        return std::nullopt;
    if (verifyOnly)
        return QByteArray();
    const std::array<quint8, 16> array = arrayOf(bytes);
    QByteArray plain = workbook.toByteArray();
    for (qsizetype at = 0; at + 4 <= plain.size();) {
        const qsizetype size = qMin<qsizetype>(u16(plain, at + 2), plain.size() - at - 4);
        const qsizetype data = at + 4;
        for (qsizetype i = 0; i < size; ++i) {
            const quint8 v = quint8(plain[data + i]) ^ array[size_t((data + size + i) % 16)];
            plain[data + i] = char((v >> 5) | (v << 3));
        }
        at = data + size;
    }
    restoreClearParts(workbook, plain);
    return plain;
}

/// RC4 in blocks of 1024 bytes of the stream, each with its own key.
template <typename BlockKey> QByteArray unRc4(QByteArrayView workbook, const BlockKey &blockKey) {
    QByteArray plain = workbook.toByteArray();
    for (qsizetype at = 0; at < plain.size(); at += BlockBytes)
        cipherkit::rc4(blockKey(quint32(at / BlockBytes)), plain.data() + at,
                       qMin(BlockBytes, plain.size() - at));
    restoreClearParts(workbook, plain);
    return plain;
}

/// Decrypts the verifier and its hash with the first block's key; true when
/// they agree.
bool verifies(QByteArrayView key, QByteArrayView verifier, QByteArrayView verifierHash,
              HashKind kind) {
    QByteArray both = verifier.toByteArray() + verifierHash.toByteArray();
    cipherkit::rc4(key, both.data(), both.size());
    const QByteArray expected = cipherkit::hash(kind, both.first(verifier.size()));
    return !expected.isEmpty() && both.sliced(verifier.size()).startsWith(expected);
}

/// RC4 encryption (version 1.1): MD5 of the password, truncated and salted.
std::optional<QByteArray> unRc4Md5(QByteArrayView workbook, QByteArrayView fields,
                                   QStringView password, bool verifyOnly) {
    if (fields.size() < 54)
        return std::nullopt;
    const QByteArrayView salt = fields.sliced(6, 16);
    const QByteArray truncated =
        cipherkit::hash(HashKind::Md5, cipherkit::utf16le(password)).left(5);
    QByteArray buffer;
    for (int i = 0; i < 16; ++i)
        buffer += truncated + salt.toByteArray();
    const QByteArray base = cipherkit::hash(HashKind::Md5, buffer).left(5);
    const auto key = [&base](quint32 block) {
        return cipherkit::hash(HashKind::Md5, base, cipherkit::le32(block));
    };
    if (!verifies(key(0), fields.sliced(22, 16), fields.sliced(38, 16), HashKind::Md5))
        return std::nullopt;
    return verifyOnly ? QByteArray() : unRc4(workbook, key);
}

/// CryptoAPI RC4: SHA-1 of the salted password, the key as long as the
/// header says (40 bits are padded with zeros to 128).
std::optional<QByteArray> unRc4CryptoApi(QByteArrayView workbook, QByteArrayView fields,
                                         QStringView password, bool verifyOnly) {
    const qsizetype headerSize = u32(fields, 10);
    const qsizetype verifierAt = 14 + headerSize;
    if (headerSize < 32 || verifierAt + 60 > fields.size())
        return std::nullopt;
    const quint32 keyBits = u32(fields, 14 + 16) ? u32(fields, 14 + 16) : 40;
    if (keyBits < 40 || keyBits > 128 || keyBits % 8 || u32(fields, verifierAt) != 16)
        return std::nullopt;
    const QByteArray base = cipherkit::hash(HashKind::Sha1, fields.sliced(verifierAt + 4, 16),
                                            cipherkit::utf16le(password));
    const auto key = [&base, keyBits](quint32 block) {
        QByteArray k =
            cipherkit::hash(HashKind::Sha1, base, cipherkit::le32(block)).left(keyBits / 8);
        if (keyBits == 40)
            k.append(11, '\0');
        return k;
    };
    if (!verifies(key(0), fields.sliced(verifierAt + 20, 16), fields.sliced(verifierAt + 40, 20),
                  HashKind::Sha1))
        return std::nullopt;
    return verifyOnly ? QByteArray() : unRc4(workbook, key);
}

std::optional<QByteArray> decrypt(QByteArrayView workbook, QStringView password, bool verifyOnly) {
    const FilePassRecord record = filePass(workbook);
    if (record.data.size() < 4 || (record.version == 0x0600 && record.data.size() < 6))
        return std::nullopt;
    if (record.version != 0x0600) // BIFF5: the XOR key and verifier alone
        return unXor(workbook, record.data, password, verifyOnly);
    if (u16(record.data, 0) == 0)
        return unXor(workbook, record.data.sliced(2), password, verifyOnly);
    const quint16 major = u16(record.data, 2), minor = u16(record.data, 4);
    if (major == 1 && minor == 1)
        return unRc4Md5(workbook, record.data, password, verifyOnly);
    if (major >= 2 && major <= 4 && minor == 2)
        return unRc4CryptoApi(workbook, record.data, password, verifyOnly);
    return std::nullopt;
}

} // namespace

namespace officecrypto {

void loadCiphers() {
    cipherkit::load();
}

bool workbookEncrypted(QByteArrayView workbook) {
    return !filePass(workbook).data.isNull();
}

bool workbookLocked(QByteArrayView workbook, QStringView password) {
    return workbookEncrypted(workbook) && !decrypt(workbook, password, true);
}

std::optional<QByteArray> decryptWorkbook(QByteArrayView workbook, QStringView password) {
    return decrypt(workbook, password, false);
}

std::array<quint8, 16> xorArray(QStringView password) {
    return arrayOf(singleBytes(password));
}

quint16 xorVerifier(QStringView password) {
    return verifierOf(singleBytes(password));
}

} // namespace officecrypto
