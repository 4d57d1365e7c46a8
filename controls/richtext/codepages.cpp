#include "controls/richtext/codepages.h"

#include "platform/codepage.h"

#include <QHash>
#include <QtEndian>

#include <glib.h>

namespace codepages {

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

QString decode(int codePage, QByteArrayView bytes) {
    if (codePage == 65001)
        return QString::fromUtf8(bytes);
    if (codePage == 1200)
        return fromUtf16LE(bytes);
    if (codePage <= 0 || codePage == 1252 || bytes.isEmpty())
        return platform::fromWindows1252(bytes);
    if (isDoubleByte(codePage)) {
        const QString text = convert(codePage, bytes);
        return text.isEmpty() ? platform::fromWindows1252(bytes) : text;
    }
    const QString &table = byteTable(codePage);
    if (table.isEmpty())
        return platform::fromWindows1252(bytes);
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = table[quint8(bytes[i])];
    return text;
}

QString fromUtf16LE(QByteArrayView bytes) {
    QString text(bytes.size() / 2, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(bytes.data(), text.size(), text.data());
    return text;
}

int fromCharset(int charset) {
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

} // namespace codepages
