#include "controls/richtext/officetext.h"

namespace {

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

void storageText(const CompoundFile &file, quint32 storage, int depth, QString &text) {
    using namespace officetext;
    QString document;
    if ((file.find(storage, u"WordDocument") != CompoundFile::NoEntry &&
         wordText(file, storage, document)) ||
        (file.find(storage, u"Workbook") != CompoundFile::NoEntry &&
         excelText(file, storage, document)) ||
        (file.find(storage, u"PowerPoint Document") != CompoundFile::NoEntry &&
         powerPointText(file, storage, document))) {
        text += document;
        return;
    }
    for (const quint32 child : file.children(storage)) {
        const CompoundFile::Type type = file.entries().at(child).type;
        if (type == CompoundFile::Type::Storage && depth < MaxStorageDepth)
            storageText(file, child, depth + 1, text);
        else if (type == CompoundFile::Type::Stream)
            text += streamText(file.stream(child));
    }
}

} // namespace

namespace officetext {

QString streamText(QByteArrayView bytes) {
    QString out;
    runs8(bytes, out);
    runs16(bytes, out);
    return out;
}

QString compoundText(const CompoundFile &file) {
    QString text;
    storageText(file, 0, 0, text);
    return text;
}

} // namespace officetext
