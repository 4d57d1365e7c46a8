#include "documents/mailtext.h"

#include "documents/htmltext.h"

#include <QList>

#include <gmime/gmime.h>

#include <mutex>

namespace {

constexpr int MaxMessageDepth = 8;
// GMime tests every line against every boundary still open, so thousands of
// nested parts take minutes; real mails declare a few. A mail is read up to its
// MaxBoundaries-th boundary.
constexpr int MaxBoundaries = 1000;

const char *const ShownHeaders[] = {"From", "To", "Cc", "Bcc", "Reply-To", "Subject", "Date"};

/// A GLib-allocated string, freed on every way out.
struct GString8 {
    explicit GString8(char *p) : p(p) {}
    ~GString8() { g_free(p); }
    GString8(const GString8 &) = delete;
    GString8 &operator=(const GString8 &) = delete;
    QString text() const { return p ? QString::fromUtf8(p) : QString(); }
    char *p;
};

bool shown(const char *name) {
    for (const char *h : ShownHeaders)
        if (g_ascii_strcasecmp(name, h) == 0)
            return true;
    return false;
}

/// Appends "Name: value" with its encoded words decoded, for a field a
/// reader of the mail sees.
void shownHeader(QString &text, const char *name, const char *raw) {
    if (!name || !raw || !shown(name))
        return;
    QString value = GString8(g_mime_utils_header_decode_text(nullptr, raw)).text();
    value.replace(u'\r', u' ').replace(u'\n', u' ');
    value = value.simplified();
    if (!value.isEmpty())
        text += QString::fromUtf8(name) + QStringLiteral(": ") + value + QStringLiteral("\r\n");
}

/// The fields a reader sees of a header block GMime could not parse:
/// folded lines joined, the block ending at the first empty line.
QString headerBlockText(QByteArrayView bytes) {
    QString text;
    QByteArray field;
    const auto flush = [&] {
        const qsizetype colon = field.indexOf(':');
        if (colon > 0)
            shownHeader(text, field.first(colon).trimmed().constData(),
                        field.sliced(colon + 1).trimmed().constData());
        field.clear();
    };
    const QList<QByteArray> lines =
        bytes.first(qMin<qsizetype>(bytes.size(), 1 << 20)).toByteArray().split('\n');
    for (QByteArrayView line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            break;
        if (line[0] == ' ' || line[0] == '\t') {
            field += ' ' + line.trimmed().toByteArray();
            continue;
        }
        flush();
        field = line.toByteArray();
    }
    flush();
    return text;
}

class MailReader {
  public:
    explicit MailReader(StopToken stop) : stop_(stop) {}

    QString text;
    /// Attachments of a type the text of which is not part of the mail.
    std::vector<EmbeddedFile> attachments;

    void message(GMimeMessage *message, int depth) {
        if (stop_.stopped())
            return;
        headers(GMIME_OBJECT(message));
        GMimeObject *body = g_mime_message_get_mime_part(message);
        if (body)
            part(body, depth);
    }

  private:
    void line(const QString &s) {
        if (!s.isEmpty())
            text += s + QStringLiteral("\r\n");
    }

    void headers(GMimeObject *object) {
        GMimeHeaderList *list = g_mime_object_get_header_list(object);
        const int count = list ? g_mime_header_list_get_count(list) : 0;
        for (int i = 0; i < count; ++i) {
            GMimeHeader *header = g_mime_header_list_get_header_at(list, i);
            shownHeader(text, g_mime_header_get_name(header), g_mime_header_get_raw_value(header));
        }
    }

    void part(GMimeObject *object, int depth) {
        if (stop_.stopped())
            return;
        if (GMIME_IS_MULTIPART(object)) {
            GMimeMultipart *multi = GMIME_MULTIPART(object);
            const int count = g_mime_multipart_get_count(multi);
            for (int i = 0; i < count; ++i)
                part(g_mime_multipart_get_part(multi, i), depth);
        } else if (GMIME_IS_MESSAGE_PART(object)) {
            GMimeMessage *inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
            if (inner && depth < MaxMessageDepth)
                message(inner, depth + 1);
        } else if (GMIME_IS_PART(object)) {
            leaf(GMIME_PART(object));
        }
    }

    void leaf(GMimePart *part) {
        const char *name = g_mime_part_get_filename(part);
        if (name)
            line(QString::fromUtf8(name));
        if (!GMIME_IS_TEXT_PART(part)) {
            if (name)
                attach(QString::fromUtf8(name), part);
            return;
        }
        const QString body = GString8(g_mime_text_part_get_text(GMIME_TEXT_PART(part))).text();
        GMimeContentType *type = g_mime_object_get_content_type(GMIME_OBJECT(part));
        const bool html = type && g_mime_content_type_is_type(type, "text", "html");
        QString plain = html ? htmlText(body) : body;
        plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
            .replace(u'\n', QStringLiteral("\r\n"));
        line(plain);
    }

    void attach(const QString &name, GMimePart *part) {
        GMimeDataWrapper *content = g_mime_part_get_content(part);
        if (!content)
            return;
        GMimeStream *stream = g_mime_stream_mem_new();
        g_mime_data_wrapper_write_to_stream(content, stream);
        const GByteArray *bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
        if (bytes && bytes->len <= MaxEmbeddedBytes)
            attachments.push_back({name, QByteArray(reinterpret_cast<const char *>(bytes->data),
                                                    static_cast<qsizetype>(bytes->len))});
        g_object_unref(stream);
    }

    StopToken stop_;
};

/// Where the header block begins: after a byte-order mark and the empty
/// lines that some programs save before it.
QByteArrayView fromHeaders(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    while (!bytes.isEmpty() && (bytes.front() == '\r' || bytes.front() == '\n'))
        bytes = bytes.sliced(1);
    return bytes;
}

bool isFieldName(QByteArrayView name) {
    if (name.isEmpty())
        return false;
    for (const char c : name)
        if (c < 33 || c > 126 || c == ':')
            return false;
    return true;
}

} // namespace

namespace mailtext {

bool isMail(QByteArrayView bytes) {
    static const QByteArrayView known[] = {
        "from",        "to",         "subject",      "date",         "received",
        "return-path", "message-id", "mime-version", "delivered-to", "x-mailer"};
    bytes = fromHeaders(bytes);
    const QByteArrayView head = bytes.first(qMin<qsizetype>(bytes.size(), 8192));
    bool sawKnown = false;
    qsizetype at = head.startsWith("From ") ? head.indexOf('\n') + 1 : 0;
    for (int lines = 0; at > 0 || lines == 0; ++lines) {
        const qsizetype end = head.indexOf('\n', at);
        QByteArrayView line = head.sliced(at, (end < 0 ? head.size() : end) - at);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || end < 0)
            return sawKnown && lines > 0;
        if (line[0] != ' ' && line[0] != '\t') {
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0 || !isFieldName(line.first(colon)))
                return false;
            const QByteArray name = line.first(colon).toByteArray().toLower();
            for (const QByteArrayView k : known)
                sawKnown = sawKnown || name == k;
        } else if (lines == 0) {
            return false;
        }
        at = end + 1;
    }
    return false;
}

} // namespace mailtext

namespace {

/// Where the boundary past MaxBoundaries is declared, or the whole length.
qsizetype boundedLength(QByteArrayView bytes) {
    qsizetype cut = bytes.size();
    for (const char *declared : {"oundary=", "OUNDARY="}) {
        qsizetype at = -1;
        for (int seen = 0; seen <= MaxBoundaries && (at = bytes.indexOf(declared, at + 1)) >= 0;)
            ++seen;
        if (at >= 0)
            cut = std::min(cut, at);
    }
    return cut;
}

} // namespace

Outcome extractMail(Extraction &extraction) {
    const QByteArrayView whole = fromHeaders(extraction.bytes());
    const QByteArrayView bytes = whole.first(boundedLength(whole));
    static std::once_flag init;
    std::call_once(init, [] { g_mime_init(); });
    GMimeStream *stream = g_mime_stream_mem_new_with_buffer(bytes.data(), size_t(bytes.size()));
    GMimeParser *parser = g_mime_parser_new_with_stream(stream);
    g_object_unref(stream);
    GMimeMessage *message = g_mime_parser_construct_message(parser, nullptr);
    g_object_unref(parser);
    if (!message) { // what a reader could make out: the fields, never the raw bytes
        extraction.text = headerBlockText(bytes);
        return Outcome::Damaged;
    }
    MailReader reader(extraction.stop());
    reader.message(message, 0);
    g_object_unref(message);
    extraction.text = std::move(reader.text);
    extraction.embedded = std::move(reader.attachments);
    return bytes.size() < whole.size() ? Outcome::BoundReached : Outcome::Text;
}
