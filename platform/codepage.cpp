#include "platform/codepage.h"

#include <QHash>
#include <QStringDecoder>
#include <QtEndian>
#include <array>
#include <cstring>

#include <glib.h>

namespace platform {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five unassigned
// codes keep their Latin-1 control meaning.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool isAscii(QByteArrayView bytes) {
    const char *p = bytes.data();
    const char *end = p + bytes.size();
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; p < end; ++p)
        if (static_cast<unsigned char>(*p) >= 0x80)
            return false;
    return true;
}

} // namespace

bool isValidUtf8(QByteArrayView bytes) {
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length;
        char32_t code;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (end - p < length)
            return false;
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
        if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += length;
    }
    return true;
}

char16_t windows1252Char(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : char16_t(byte);
}

QString fromWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(windows1252Char(static_cast<unsigned char>(byte)));
    return text;
}

QString decodeText(QByteArrayView bytes) {
    QString text;
    appendText(text, bytes);
    return text;
}

void appendText(QString &text, QByteArrayView bytes) {
    if (isAscii(bytes)) {
        text.append(QLatin1StringView(bytes));
    } else if (isValidUtf8(bytes)) {
        // A U+FEFF that opens a line is text here, not a byte-order mark.
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                        QStringConverter::Flag::ConvertInitialBom);
        const qsizetype at = text.size();
        text.resize(at + utf8.requiredSpace(bytes.size()));
        const QChar *end = utf8.appendToBuffer(text.data() + at, bytes);
        text.truncate(end - text.constData());
    } else {
        text.append(fromWindows1252(bytes));
    }
}

QString upperCase(QStringView text) {
    // Written in place: a capital never takes more code units than its letter.
    QString result(text.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(result.data());
    char16_t *const begin = out;
    const char16_t *in = text.utf16();
    const char16_t *const end = in + text.size();
    while (in != end) {
        const char16_t u = *in++;
        if (u < 0x80) {
            *out++ = u >= 'a' && u <= 'z' ? u - 32 : u;
            continue;
        }
        if (QChar::isHighSurrogate(u) && in != end && QChar::isLowSurrogate(*in)) {
            const char32_t upper = QChar::toUpper(QChar::surrogateToUcs4(u, *in++));
            if (QChar::requiresSurrogates(upper)) {
                *out++ = QChar::highSurrogate(upper);
                *out++ = QChar::lowSurrogate(upper);
            } else {
                *out++ = static_cast<char16_t>(upper);
            }
            continue;
        }
        const char16_t upper = static_cast<char16_t>(QChar::toUpper(char32_t{u}));
        *out++ = upper < 0x80 ? u : upper;
    }
    result.truncate(out - begin);
    return result;
}

namespace {
bool isDoubleByte(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 ||
           codePage == 1361;
}

/// Converts with the system's converter; empty when it knows no such code page.
QString convert(int codePage, QByteArrayView bytes) {
    const QByteArray name = "CP" + QByteArray::number(codePage);
    gsize written = 0;
    gchar *utf8 = g_convert_with_fallback(bytes.data(), bytes.size(), "UTF-8", name.constData(),
                                          "?", nullptr, &written, nullptr);
    if (!utf8)
        return {};
    QString text = QString::fromUtf8(utf8, qsizetype(written));
    g_free(utf8);
    return text;
}

/// The 256 characters of a single-byte code page, converted once; empty
/// when the system cannot convert it.
const QString &byteTable(int codePage) {
    thread_local QHash<int, QString> tables;
    auto it = tables.find(codePage);
    if (it == tables.end()) {
        if (tables.size() >= 64) // documents use a few; odd input may name many
            tables.clear();
        QString table;
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString one = convert(codePage, QByteArrayView(&byte, 1));
            table += one.size() == 1 ? one[0] : QChar(QChar::ReplacementCharacter);
        }
        if (convert(codePage, "A") != u"A")
            table.clear();
        it = tables.insert(codePage, table);
    }
    return *it;
}

} // namespace

QString fromCodePage(int codePage, QByteArrayView bytes) {
    if (codePage == 65001)
        return QString::fromUtf8(bytes);
    if (codePage == 1200)
        return fromUtf16LE(bytes);
    if (codePage <= 0 || codePage == 1252 || bytes.isEmpty())
        return fromWindows1252(bytes);
    if (isDoubleByte(codePage)) {
        const QString text = convert(codePage, bytes);
        return text.isEmpty() ? fromWindows1252(bytes) : text;
    }
    const QString &table = byteTable(codePage);
    if (table.isEmpty())
        return fromWindows1252(bytes);
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = table[quint8(bytes[i])];
    return text;
}

QString fromUtf16LE(QByteArrayView bytes) {
    if (bytes.size() < 2) // an empty view may hold no pointer at all
        return {};
    QString text(bytes.size() / 2, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(bytes.data(), text.size(), text.data());
    return text;
}

int codePageOfCharset(int charset) {
    switch (charset) {
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    default:
        return 0;
    }
}

int codePageOfLanguage(int languageId) {
    switch (languageId & 0x3FF) {
    case 0x02: // Bulgarian
    case 0x19: // Russian
    case 0x22: // Ukrainian
    case 0x23: // Belarusian
    case 0x2F: // Macedonian
        return 1251;
    case 0x1A: // Croatian, Serbian (Latin) and Serbian (Cyrillic)
        return (languageId & 0xFC00) == 0x0C00 ? 1251 : 1250;
    case 0x05: // Czech
    case 0x0E: // Hungarian
    case 0x15: // Polish
    case 0x18: // Romanian
    case 0x1B: // Slovak
    case 0x1C: // Albanian
    case 0x24: // Slovenian
        return 1250;
    case 0x08:
        return 1253; // Greek
    case 0x1F:
        return 1254; // Turkish
    case 0x0D:
        return 1255; // Hebrew
    case 0x01:       // Arabic
    case 0x20:       // Urdu
    case 0x29:       // Farsi
        return 1256;
    case 0x25: // Estonian
    case 0x26: // Latvian
    case 0x27: // Lithuanian
        return 1257;
    case 0x2A:
        return 1258; // Vietnamese
    case 0x1E:
        return 874; // Thai
    case 0x11:
        return 932; // Japanese
    case 0x12:
        return 949; // Korean
    case 0x04:      // Chinese: simplified in China and Singapore, else traditional
        return languageId == 0x0804 || languageId == 0x1004 ? 936 : 950;
    default:
        return 1252;
    }
}

} // namespace platform
