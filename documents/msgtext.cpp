// Outlook messages: a compound file whose storages hold a message's
// properties, one stream per string or binary property, a storage per
// recipient and per attachment; an attached message is a storage of its own.
#include "documents/msgtext.h"

#include "documents/compoundfile.h"
#include "documents/htmltext.h"
#include "documents/rtfreader.h"
#include "platform/codepage.h"
#include "platform/littleendian.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QStringList>
#include <QTimeZone>

#include <vector>

namespace {

using littleendian::u32;

constexpr int MaxMessageDepth = 8;

// Property ids of what a reader sees.
enum Property : quint16 {
    Subject = 0x0037,
    SubmitTime = 0x0039,
    SentRepresentingName = 0x0042,
    SenderName = 0x0C1A,
    SenderAddress = 0x0C1F,
    RecipientType = 0x0C15,
    DisplayBcc = 0x0E02,
    DisplayCc = 0x0E03,
    DisplayTo = 0x0E04,
    DeliveryTime = 0x0E06,
    Body = 0x1000,
    RtfCompressed = 0x1009,
    HtmlBody = 0x1013,
    DisplayName = 0x3001,
    EmailAddress = 0x3003,
    AttachData = 0x3701,
    AttachFileName = 0x3704,
    AttachLongFileName = 0x3707,
    SmtpAddress = 0x39FE,
    InternetCodePage = 0x3FDE,
    MessageCodePage = 0x3FFD,
    SenderSmtpAddress = 0x5D01,
};

enum PropertyType : quint16 {
    Integer32 = 0x0003,
    String8 = 0x001E,
    Unicode = 0x001F,
    Time = 0x0040,
    Object = 0x000D,
    Binary = 0x0102,
};

// The LZFu dictionary begins with this RTF prologue, so that a body's common
// opening compresses to references.
constexpr char RtfPrologue[] =
    "{\\rtf1\\ansi\\mac\\deff0\\deftab720{\\fonttbl;}{\\f0\\fnil \\froman \\fswiss \\fmodern "
    "\\fscript \\fdecor MS Sans SerifSymbolArialTimes New RomanCourier{\\colortbl\\red0\\green0"
    "\\blue0\r\n\\par \\pard\\plain\\f0\\fs20\\b\\i\\u\\tab\\tx";
static_assert(sizeof RtfPrologue - 1 == 207);

constexpr quint32 Compressed = 0x75465A4C;   // "LZFu"
constexpr quint32 Uncompressed = 0x414C454D; // "MELA"

QString streamName(quint16 id, quint16 type) {
    return QStringLiteral("__substg1.0_%1%2")
        .arg(id, 4, 16, QChar(u'0'))
        .arg(type, 4, 16, QChar(u'0'));
}

/// A message, recipient or attachment storage: its fixed-size properties
/// from the property stream, the others from streams of their own.
class Storage {
  public:
    Storage(const CompoundFile &file, quint32 entry, qsizetype headerBytes)
        : file_(file), entry_(entry) {
        const quint32 stream = file.find(entry, u"__properties_version1.0");
        const QByteArray bytes = file.stream(stream);
        for (qsizetype at = headerBytes; at + 16 <= bytes.size(); at += 16) {
            const quint32 tag = u32(bytes, at);
            values_.insert(quint16(tag >> 16),
                           {quint16(tag), u32(bytes, at + 8), u32(bytes, at + 12)});
        }
    }

    quint32 entry() const { return entry_; }

    /// An integer property, or fallback when it is missing.
    qint64 integer(quint16 id, qint64 fallback = 0) const {
        const auto value = values_.constFind(id);
        return value != values_.cend() && value->type == Integer32 ? qint32(value->low) : fallback;
    }

    /// A time property as a mail's Date shows it, or empty.
    QString time(quint16 id) const {
        const auto value = values_.constFind(id);
        if (value == values_.cend() || value->type != Time)
            return {};
        // Hundreds of nanoseconds since 1601.
        const quint64 ticks = quint64(value->high) << 32 | value->low;
        constexpr quint64 Epoch = 116444736000000000ULL;
        if (ticks <= Epoch || ticks >= Epoch + 3155760000000000000ULL) // 1970 to 11970
            return {};
        const QDateTime at =
            QDateTime::fromMSecsSinceEpoch(qint64((ticks - Epoch) / 10000), QTimeZone::utc());
        return QLocale::c().toString(at, u"ddd, dd MMM yyyy hh:mm:ss +0000");
    }

    QString string(quint16 id, int codePage) const {
        QByteArray bytes = stream(id, Unicode);
        if (!bytes.isEmpty())
            return trimmed(platform::fromUtf16LE(bytes));
        return trimmed(platform::fromCodePage(codePage, stream(id, String8)));
    }

    QByteArray stream(quint16 id, quint16 type) const {
        return file_.stream(file_.find(entry_, streamName(id, type)));
    }

    quint32 storage(quint16 id, quint16 type) const {
        const quint32 found = file_.find(entry_, streamName(id, type));
        return found != CompoundFile::NoEntry &&
                       file_.entries().at(found).type == CompoundFile::Type::Storage
                   ? found
                   : CompoundFile::NoEntry;
    }

  private:
    static QString trimmed(QString text) {
        while (text.endsWith(QChar(u'\0')))
            text.chop(1);
        return text;
    }

    struct Value {
        quint16 type;
        quint32 low, high;
    };
    const CompoundFile &file_;
    quint32 entry_;
    QHash<quint16, Value> values_;
};

/// "Name <address>", or whichever of the two there is. Exchange addresses
/// ("/O=ORG/OU=...") are machinery, not something a reader sees.
QString person(const QString &name, const QString &address) {
    QString shown = address.contains(u'@') ? address : QString();
    if (name.isEmpty() || name == shown)
        return shown;
    return shown.isEmpty() ? name : name + QStringLiteral(" <") + shown + u'>';
}

QString lines(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    return text.replace(u'\n', QStringLiteral("\r\n"));
}

class MessageReader {
  public:
    MessageReader(const CompoundFile &file, StopToken stop, qsizetype limit)
        : file_(file), stop_(stop), limit_(limit), read_(size_t(file.entries().size()), false) {}

    QString text;
    std::vector<EmbeddedFile> attachments;

    void message(quint32 entry, int depth) {
        if (stop_.stopped() || entry >= read_.size() || read_[entry] || depth > MaxMessageDepth)
            return;
        read_[entry] = true;
        // The property stream's header is 32 bytes in the file's own message,
        // 24 in an attached one.
        const Storage storage(file_, entry, depth == 0 ? 32 : 24);
        const int codePage =
            int(storage.integer(MessageCodePage, storage.integer(InternetCodePage, 1252)));
        headers(storage, codePage);
        body(storage, codePage);
        for (const quint32 child : file_.children(entry))
            if (file_.entries().at(child).name.startsWith(u"__attach_version1.0_#"))
                attachment(Storage(file_, child, 8), codePage, depth);
    }

  private:
    void line(const QString &s) {
        if (!s.isEmpty() && text.size() < limit_)
            text += s + QStringLiteral("\r\n");
    }

    void field(const char *name, const QString &value) {
        if (!value.isEmpty())
            line(QLatin1StringView(name) + QStringLiteral(": ") + value.simplified());
    }

    void headers(const Storage &storage, int codePage) {
        QString sender = storage.string(SenderName, codePage);
        if (sender.isEmpty())
            sender = storage.string(SentRepresentingName, codePage);
        QString address = storage.string(SenderSmtpAddress, codePage);
        if (address.isEmpty())
            address = storage.string(SenderAddress, codePage);
        QStringList kinds[3]; // To, Cc, Bcc
        for (const quint32 child : file_.children(storage.entry())) {
            if (!file_.entries().at(child).name.startsWith(u"__recip_version1.0_#"))
                continue;
            const Storage recipient(file_, child, 8);
            const qint64 kind = recipient.integer(RecipientType, 1) & 0xF;
            QString to = recipient.string(SmtpAddress, codePage);
            if (to.isEmpty())
                to = recipient.string(EmailAddress, codePage);
            const QString shown = person(recipient.string(DisplayName, codePage), to);
            if (kind >= 1 && kind <= 3 && !shown.isEmpty())
                kinds[kind - 1] << shown;
        }
        // Without recipient storages, the names the message lists.
        const quint16 displays[3] = {DisplayTo, DisplayCc, DisplayBcc};
        for (int i = 0; i < 3; ++i)
            if (kinds[i].isEmpty())
                kinds[i] << storage.string(displays[i], codePage);
        field("From", person(sender, address));
        field("To", kinds[0].join(QStringLiteral(", ")));
        field("Cc", kinds[1].join(QStringLiteral(", ")));
        field("Bcc", kinds[2].join(QStringLiteral(", ")));
        field("Subject", storage.string(Subject, codePage));
        QString date = storage.time(SubmitTime);
        field("Date", date.isEmpty() ? storage.time(DeliveryTime) : date);
    }

    void body(const Storage &storage, int codePage) {
        if (const QString plain = storage.string(Body, codePage); !plain.trimmed().isEmpty())
            return line(lines(plain));
        if (const QByteArray html = storage.stream(HtmlBody, Binary); !html.isEmpty()) {
            const qint64 htmlCodePage = storage.integer(InternetCodePage, 0);
            return line(
                lines(htmlText(htmlCodePage ? platform::fromCodePage(int(htmlCodePage), html)
                                            : platform::decodeText(html))));
        }
        if (const QString html = storage.string(HtmlBody, codePage); !html.isEmpty())
            return line(lines(htmlText(html)));
        const QByteArray rtf =
            msgtext::decompressRtf(storage.stream(RtfCompressed, Binary), limit_);
        if (!rtf.isEmpty())
            line(lines(rtfPlainText(rtf, stop_)));
    }

    void attachment(const Storage &storage, int codePage, int depth) {
        if (stop_.stopped())
            return;
        QString name = storage.string(AttachLongFileName, codePage);
        if (name.isEmpty())
            name = storage.string(AttachFileName, codePage);
        if (name.isEmpty())
            name = storage.string(DisplayName, codePage);
        line(name);
        // An attached message is read in full, as a mail's attached message is.
        if (const quint32 inner = storage.storage(AttachData, Object);
            inner != CompoundFile::NoEntry)
            return message(inner, depth + 1);
        const QByteArray data = storage.stream(AttachData, Binary);
        if (!data.isEmpty() && data.size() <= MaxEmbeddedBytes)
            attachments.push_back({name, QByteArray(data.constData(), data.size())});
    }

    const CompoundFile &file_;
    StopToken stop_;
    qsizetype limit_;
    std::vector<bool> read_; // each storage is read once, whatever names it
};

} // namespace

namespace msgtext {

bool isMessage(Extraction &extraction) {
    const CompoundFile *file = extraction.compoundFile();
    return file && file->find(0, u"__properties_version1.0") != CompoundFile::NoEntry;
}

QByteArray decompressRtf(QByteArrayView body, qsizetype limit) {
    if (body.size() < 16)
        return {};
    const quint32 size = u32(body, 0), type = u32(body, 8);
    const QByteArrayView data =
        body.sliced(16, qMin<qint64>(body.size() - 16, qMax(12u, size) - 12));
    if (type == Uncompressed)
        return data.first(qMin<qsizetype>(data.size(), limit)).toByteArray();
    if (type != Compressed)
        return {};
    char dictionary[4096] = {};
    std::memcpy(dictionary, RtfPrologue, sizeof RtfPrologue - 1);
    quint32 write = sizeof RtfPrologue - 1;
    QByteArray out;
    // A control byte and eight references give 136 bytes at most.
    limit = qMin(limit, 17 * data.size());
    out.reserve(qMin<qsizetype>(qsizetype(u32(body, 4)), limit));
    const auto put = [&](char c) {
        out += c;
        dictionary[write] = c;
        write = (write + 1) & 0xFFF;
    };
    for (qsizetype at = 0; at < data.size() && out.size() < limit;) {
        const quint8 control = quint8(data[at++]);
        for (int bit = 0; bit < 8 && at < data.size(); ++bit) {
            if (!(control & (1 << bit))) {
                put(data[at++]);
                continue;
            }
            if (at + 1 >= data.size())
                return out;
            const quint16 reference = quint16(quint8(data[at]) << 8 | quint8(data[at + 1]));
            at += 2;
            const quint32 offset = reference >> 4;
            if (offset == write) // the end marker
                return out;
            for (quint32 i = 0; i < (reference & 0xFu) + 2; ++i)
                put(dictionary[(offset + i) & 0xFFF]);
        }
    }
    return out;
}

} // namespace msgtext

Outcome extractMessage(Extraction &extraction) {
    if (!msgtext::isMessage(extraction))
        return Outcome::NotThisFormat;
    MessageReader reader(*extraction.compoundFile(), extraction.stop(),
                         extraction.bounds().maxChars);
    reader.message(0, 0);
    const bool bounded = reader.text.size() >= extraction.bounds().maxChars;
    extraction.text = std::move(reader.text);
    extraction.embedded = std::move(reader.attachments);
    return bounded ? Outcome::BoundReached : Outcome::Text;
}
