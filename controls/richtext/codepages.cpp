#include "controls/richtext/codepages.h"

#include "platform/codepage.h"

#include <QtEndian>

#include <glib.h>

namespace codepages {

QString decode(int codePage, QByteArrayView bytes) {
    if (codePage == 65001)
        return QString::fromUtf8(bytes);
    if (codePage == 1200)
        return fromUtf16LE(bytes);
    if (codePage <= 0 || codePage == 1252 || bytes.isEmpty())
        return platform::fromWindows1252(bytes);
    const QByteArray name = "CP" + QByteArray::number(codePage);
    gsize written = 0;
    gchar *utf8 = g_convert_with_fallback(bytes.data(), bytes.size(), "UTF-8", name.constData(),
                                          "?", nullptr, &written, nullptr);
    if (!utf8)
        return platform::fromWindows1252(bytes);
    QString text = QString::fromUtf8(utf8, qsizetype(written));
    g_free(utf8);
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
