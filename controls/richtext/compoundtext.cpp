#include "controls/richtext/officetext.h"

#include <algorithm>
#include <vector>

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

/// Reads each storage and stream once, within a bounded walk: a damaged
/// directory may name one storage or one tree of entries from many places,
/// which would otherwise be read again and again.
class StorageReader {
  public:
    explicit StorageReader(const CompoundFile &file)
        : file_(file), seen_(size_t(file.entries().size()), false),
          budget_(8 * file.entries().size() + 64) {
        if (!seen_.empty())
            seen_[0] = true;
    }

    void read(quint32 storage, int depth, QString &text) {
        using namespace officetext;
        const QList<quint32> children = file_.children(storage);
        budget_ -= children.size() + 1;
        if (budget_ < 0)
            return;
        const auto has = [&](QStringView name) {
            return std::any_of(children.begin(), children.end(), [&](quint32 child) {
                return file_.entries().at(child).name.compare(name, Qt::CaseInsensitive) == 0;
            });
        };
        QString document;
        if ((has(u"WordDocument") && wordText(file_, storage, document)) ||
            (has(u"Workbook") && excelText(file_, storage, document)) ||
            (has(u"PowerPoint Document") && powerPointText(file_, storage, document))) {
            text += document;
            return;
        }
        for (const quint32 child : children) {
            if (seen_[child])
                continue;
            seen_[child] = true;
            const CompoundFile::Type type = file_.entries().at(child).type;
            if (type == CompoundFile::Type::Storage && depth < MaxStorageDepth)
                read(child, depth + 1, text);
            else if (type == CompoundFile::Type::Stream)
                text += streamText(file_.stream(child));
        }
    }

  private:
    const CompoundFile &file_;
    std::vector<bool> seen_;
    qsizetype budget_;
};

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
    StorageReader(file).read(0, 0, text);
    return text;
}

} // namespace officetext
