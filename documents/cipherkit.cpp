// The low-level RC4 is used because OpenSSL 3 keeps the EVP one in its
// legacy provider, a module loaded from a file, which a confined worker
// cannot open; the low-level one is part of libcrypto itself.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "documents/cipherkit.h"

#include <openssl/evp.h>
#include <openssl/rc4.h>

#include <QtEndian>

#include <array>
#include <memory>

namespace {

struct Algorithms {
    std::array<EVP_MD *, 5> hashes{};
    std::array<EVP_CIPHER *, 3> ecb{}, cbc{}; ///< by key size: 128, 192, 256 bits
};

const Algorithms &algorithms() {
    static const Algorithms loaded = [] {
        Algorithms a;
        const char *hashNames[] = {"MD5", "SHA1", "SHA256", "SHA384", "SHA512"};
        for (size_t i = 0; i < a.hashes.size(); ++i)
            a.hashes[i] = EVP_MD_fetch(nullptr, hashNames[i], nullptr);
        const char *ecbNames[] = {"AES-128-ECB", "AES-192-ECB", "AES-256-ECB"};
        const char *cbcNames[] = {"AES-128-CBC", "AES-192-CBC", "AES-256-CBC"};
        for (size_t i = 0; i < 3; ++i) {
            a.ecb[i] = EVP_CIPHER_fetch(nullptr, ecbNames[i], nullptr);
            a.cbc[i] = EVP_CIPHER_fetch(nullptr, cbcNames[i], nullptr);
        }
        return a;
    }();
    return loaded;
}

const EVP_MD *md(cipherkit::HashKind kind) {
    return algorithms().hashes[size_t(kind)];
}

struct HashContext {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx{EVP_MD_CTX_new(), EVP_MD_CTX_free};
    bool start(const EVP_MD *digest) {
        return digest && EVP_DigestInit_ex2(ctx.get(), digest, nullptr);
    }
    void add(QByteArrayView bytes) {
        EVP_DigestUpdate(ctx.get(), bytes.data(), size_t(bytes.size()));
    }
    void finish(unsigned char *to) { EVP_DigestFinal_ex(ctx.get(), to, nullptr); }
};

} // namespace

namespace cipherkit {

std::optional<HashKind> hashNamed(QStringView name) {
    static constexpr std::pair<QStringView, HashKind> Names[] = {
        {u"MD5", HashKind::Md5},       {u"SHA1", HashKind::Sha1},
        {u"SHA-1", HashKind::Sha1},    {u"SHA256", HashKind::Sha256},
        {u"SHA384", HashKind::Sha384}, {u"SHA512", HashKind::Sha512}};
    for (const auto &[known, kind] : Names)
        if (name.compare(known, Qt::CaseInsensitive) == 0)
            return kind;
    return std::nullopt;
}

QByteArray hash(HashKind kind, QByteArrayView first, QByteArrayView second) {
    HashContext context;
    if (!context.start(md(kind)))
        return {};
    context.add(first);
    context.add(second);
    QByteArray out(EVP_MD_get_size(md(kind)), '\0');
    context.finish(reinterpret_cast<unsigned char *>(out.data()));
    return out;
}

QByteArray spunHash(HashKind kind, QByteArrayView salt, QByteArrayView password, quint32 spins) {
    QByteArray value = hash(kind, salt, password);
    HashContext context;
    char counter[4];
    for (quint32 i = 0; i < spins && !value.isEmpty(); ++i) {
        context.start(md(kind));
        qToLittleEndian(i, counter);
        context.add(QByteArrayView(counter, 4));
        context.add(value);
        context.finish(reinterpret_cast<unsigned char *>(value.data()));
    }
    return value;
}

QByteArray aes(QByteArrayView key, QByteArrayView iv, QByteArrayView data, bool encrypt) {
    const qsizetype sizeIndex = key.size() == 16   ? 0
                                : key.size() == 24 ? 1
                                : key.size() == 32 ? 2
                                                   : -1;
    if (sizeIndex < 0 || (!iv.isEmpty() && iv.size() != 16))
        return {};
    const EVP_CIPHER *cipher = (iv.isEmpty() ? algorithms().ecb : algorithms().cbc)[sizeIndex];
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                        EVP_CIPHER_CTX_free);
    const auto *k = reinterpret_cast<const unsigned char *>(key.data());
    const auto *v = iv.isEmpty() ? nullptr : reinterpret_cast<const unsigned char *>(iv.data());
    if (!cipher || !EVP_CipherInit_ex2(ctx.get(), cipher, k, v, encrypt ? 1 : 0, nullptr))
        return {};
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    const qsizetype whole = data.size() / 16 * 16;
    QByteArray out(whole, '\0');
    int written = 0;
    if (whole > 0 &&
        !EVP_CipherUpdate(ctx.get(), reinterpret_cast<unsigned char *>(out.data()), &written,
                          reinterpret_cast<const unsigned char *>(data.data()), int(whole)))
        return {};
    return out;
}

void rc4(QByteArrayView key, char *data, qsizetype size) {
    RC4_KEY state;
    RC4_set_key(&state, int(key.size()), reinterpret_cast<const unsigned char *>(key.data()));
    auto *bytes = reinterpret_cast<unsigned char *>(data);
    RC4(&state, size_t(size), bytes, bytes);
}

QByteArray utf16le(QStringView text) {
    QByteArray out(text.size() * 2, '\0');
    qToLittleEndian<char16_t>(text.utf16(), text.size(), out.data());
    return out;
}

QByteArray le32(quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    return QByteArray(bytes, 4);
}

void load() {
    algorithms();
}

} // namespace cipherkit
