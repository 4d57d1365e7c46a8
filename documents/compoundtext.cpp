#include "documents/compoundtext.h"

#include "documents/documenttext.h"
#include "documents/exceltext.h"
#include "documents/officecrypto.h"
#include "documents/powerpointtext.h"
#include "documents/wordtext.h"

#include "platform/codepage.h"
#include "platform/littleendian.h"

#include <algorithm>
#include <vector>

namespace {

using littleendian::u16;
using littleendian::u32;

constexpr int MaxStorageDepth = 16;
constexpr qsizetype MinRun = 4;

bool isText8(quint8 b) {
    return (b >= 0x20 && b < 0x7F) || b >= 0xA0 || b == '\t';
}

bool isText16(char16_t u) {
    // Latin, Greek, Cyrillic, Hebrew and Arabic; other scripts are too easily
    // confused with pairs of 8-bit characters read as one.
    return (u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u < 0x0700) || u == '\t' ||
           (u >= 0x2010 && u <= 0x2027);
}

void runs8(QByteArrayView bytes, QString &out) {
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && isText8(quint8(bytes[i])))
            continue;
        if (i - start >= MinRun)
            out += QString::fromLatin1(bytes.sliced(start, i - start)) + QStringLiteral("\r\n");
        start = i + 1;
    }
}

void runs16(QByteArrayView bytes, QString &out) {
    QString run;
    const auto flush = [&] {
        if (run.size() >= MinRun)
            out += run + QStringLiteral("\r\n");
        run.clear();
    };
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t u = char16_t(quint8(bytes[i]) | quint8(bytes[i + 1]) << 8);
        if (isText16(u))
            run += QChar(u);
        else
            flush();
    }
    flush();
}

/// A 128-byte directory entry: a terminated UTF-16 name of the length its
/// length field gives, a known type and a red or black colour.
bool looksLikeDirectoryEntry(QByteArrayView e) {
    const quint16 nameBytes = u16(e, 0x40);
    const quint8 type = quint8(e[0x42]), colour = quint8(e[0x43]);
    if (nameBytes < 4 || nameBytes > 64 || nameBytes % 2 || colour > 1 ||
        !(type == 1 || type == 2 || type == 5))
        return false;
    for (qsizetype i = 0; i + 2 < nameBytes; i += 2)
        if (u16(e, i) == 0)
            return false;
    return u16(e, nameBytes - 2) == 0;
}

/// True when a stream holds text and nothing else: no control bytes but
/// tabs, line and page ends (NULs may pad its end), or UTF-16 after a
/// byte-order mark.
QString textOfStream(QByteArrayView bytes) {
    while (!bytes.isEmpty() && bytes.back() == '\0')
        bytes.chop(1);
    if (bytes.isEmpty())
        return {};
    QString text = bytes.startsWith("\xFF\xFE") ? platform::fromUtf16LE(bytes.sliced(2))
                                                : platform::decodeText(bytes);
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u >= 0x20 ? (u < 0x7F || u > 0x9F)
                         : (u == '\t' || u == '\r' || u == '\n' || u == '\f');
    });
    return plain ? text : QString();
}

bool has(const CompoundFile &file, quint32 storage, QStringView name) {
    return file.find(storage, name) != CompoundFile::NoEntry;
}

/// True when the document in the storage opens only with its password.
bool encrypted(const CompoundFile &file, quint32 storage) {
    if (has(file, storage, u"EncryptedPackage") || has(file, storage, u"EncryptedSummary"))
        return true;
    if (const quint32 word = file.find(storage, u"WordDocument"); word != CompoundFile::NoEntry) {
        const QByteArray fib = file.stream(word);
        if (u16(fib, 0) == 0xA5EC || u16(fib, 0) == 0xA5DC)
            return u16(fib, 0x0A) & 0x0100;
    }
    for (const QStringView name : {QStringView(u"Workbook"), QStringView(u"Book")})
        if (const quint32 book = file.find(storage, name); book != CompoundFile::NoEntry)
            return officecrypto::workbookLocked(file.stream(book));
    if (const quint32 user = file.find(storage, u"Current User"); user != CompoundFile::NoEntry)
        return u32(file.stream(user), 12) == 0xF3D1C4DF;
    return false;
}

/// Reads each storage and stream once, within a bounded walk: a damaged
/// directory may name one storage or one tree of entries from many places,
/// which would otherwise be read again and again.
class StorageReader {
  public:
    StorageReader(const CompoundFile &file, StopToken stop)
        : file_(file), stop_(stop), seen_(size_t(file.entries().size()), false),
          budget_(8 * file.entries().size() + 64) {
        if (!seen_.empty())
            seen_[0] = true;
    }

    bool encryptedRoot = false;
    bool boundReached = false;

    void read(quint32 storage, int depth, QString &text) {
        using namespace officetext;
        const QList<quint32> children = file_.children(storage);
        budget_ -= children.size() + 1;
        if (budget_ < 0)
            return;
        if (encrypted(file_, storage)) {
            encryptedRoot = encryptedRoot || storage == 0;
            return;
        }
        QString document;
        if (const Outcome read = documentText(storage, document); givesText(read)) {
            boundReached = boundReached || read == Outcome::BoundReached;
            text += document;
            return;
        }
        // Unknown documents: the streams that are text, nothing of the
        // file's machinery (names, tables, binary records).
        for (const quint32 child : children) {
            if (stop_.stopped())
                return;
            if (seen_[child])
                continue;
            seen_[child] = true;
            const CompoundFile::Type type = file_.entries().at(child).type;
            if (type == CompoundFile::Type::Storage && depth < MaxStorageDepth) {
                read(child, depth + 1, text);
            } else if (type == CompoundFile::Type::Stream) {
                const QString stream = textOfStream(file_.stream(child));
                if (!stream.isEmpty())
                    text += stream + QStringLiteral("\r\n");
            }
        }
    }

  private:
    /// The storage's document by the reader its streams name; the readers
    /// that fail leave what they wrote for the next.
    Outcome documentText(quint32 storage, QString &document) const {
        using namespace officetext;
        Outcome read = Outcome::NotThisFormat;
        if (has(file_, storage, u"WordDocument"))
            read = wordText(file_, storage, document, stop_);
        if (!givesText(read) && (has(file_, storage, u"Workbook") || has(file_, storage, u"Book")))
            read = excelText(file_, storage, document, stop_);
        if (!givesText(read) && has(file_, storage, u"PowerPoint Document"))
            read = powerPointText(file_, storage, document, stop_);
        return read;
    }

    const CompoundFile &file_;
    StopToken stop_;
    std::vector<bool> seen_;
    qsizetype budget_;
};

} // namespace

namespace officetext {

QString streamText(QByteArrayView bytes) {
    // The header and whatever looks like a directory entry are the
    // container's, not the document's: they are blanked before reading.
    QByteArray own = bytes.toByteArray();
    own.replace(0, qMin<qsizetype>(512, own.size()),
                QByteArray(qMin<qsizetype>(512, own.size()), '\0'));
    for (qsizetype at = 512; at + 128 <= own.size(); at += 128)
        if (looksLikeDirectoryEntry(QByteArrayView(own).sliced(at, 128)))
            std::fill_n(own.begin() + at, 128, '\0');
    QString out;
    runs8(own, out);
    runs16(own, out);
    return out;
}

Outcome compoundText(const CompoundFile &file, QString &text, StopToken stop) {
    StorageReader reader(file, stop);
    reader.read(0, 0, text);
    if (reader.encryptedRoot)
        return Outcome::Encrypted;
    return reader.boundReached ? Outcome::BoundReached : Outcome::Text;
}

} // namespace officetext

namespace {

/// The package of an encrypted Office package file, when the default
/// password opens it, at most maxBytes long.
std::optional<QByteArray> decryptedPackage(const CompoundFile &file, qint64 maxBytes) {
    const quint32 info = file.find(0, u"EncryptionInfo");
    const quint32 package = file.find(0, u"EncryptedPackage");
    if (info == CompoundFile::NoEntry || package == CompoundFile::NoEntry)
        return std::nullopt;
    return officecrypto::decryptPackage(file.stream(info), file.stream(package), maxBytes);
}

/// Reads the decrypted package as the document it is.
Outcome extractPackage(Extraction &extraction, const QByteArray &package) {
    Extraction inner(package, extraction.stop(), ExtractionBounds::forInput(package.size()));
    const Outcome outcome = extractDocumentNamedAsText(inner);
    extraction.text = std::move(inner.text);
    extraction.embedded = std::move(inner.embedded);
    return outcome == Outcome::NotThisFormat ? Outcome::Damaged : outcome;
}

} // namespace

Outcome extractCompoundFile(Extraction &extraction) {
    const CompoundFile *file = extraction.compoundFile();
    if (!file) { // too damaged to find its streams
        extraction.text = officetext::streamText(extraction.bytes());
        return Outcome::Damaged;
    }
    if (const std::optional<QByteArray> package =
            decryptedPackage(*file, extraction.bounds().maxInflated))
        return extractPackage(extraction, *package);
    return officetext::compoundText(*file, extraction.text, extraction.stop());
}
