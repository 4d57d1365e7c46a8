// Word 97-2003 documents: the FIB names the table stream and the piece table
// (CLX) in it; the pieces hold the text of every story in 8-bit or UTF-16.
#include "controls/richtext/officetext.h"

#include "controls/richtext/codepages.h"

#include "platform/codepage.h"

#include <QtEndian>

#include <vector>

namespace {

quint16 u16(QByteArrayView b, qsizetype at) {
    return at >= 0 && at + 2 <= b.size() ? qFromLittleEndian<quint16>(b.data() + at) : 0;
}
quint32 u32(QByteArrayView b, qsizetype at) {
    return at >= 0 && at + 4 <= b.size() ? qFromLittleEndian<quint32>(b.data() + at) : 0;
}

/// Turns Word's special characters into plain text, hiding field codes.
class WordChars {
  public:
    explicit WordChars(QString &out) : out_(out) {}

    void append(QStringView chars) {
        // Ordinary characters are copied in runs; only the special ones stop a run.
        qsizetype start = 0;
        for (qsizetype i = 0; i < chars.size(); ++i) {
            const char16_t c = chars[i].unicode();
            if (c >= 0x20 && c != 0xA0)
                continue;
            if (inCode_ == 0)
                out_ += chars.sliced(start, i - start);
            put(c);
            start = i + 1;
        }
        if (inCode_ == 0)
            out_ += chars.sliced(start);
    }

  private:
    void put(char16_t c) {
        switch (c) {
        case 0x13: // field begin: its code follows
            fields_.push_back(true);
            ++inCode_;
            return;
        case 0x14: // field separator: its result follows
            if (!fields_.empty() && fields_.back()) {
                fields_.back() = false;
                --inCode_;
            }
            return;
        case 0x15: // field end
            if (!fields_.empty()) {
                inCode_ -= fields_.back() ? 1 : 0;
                fields_.pop_back();
            }
            return;
        }
        if (inCode_ > 0)
            return;
        switch (c) {
        case 0x0D: // paragraph
        case 0x07: // cell or row end
        case 0x0B: // line break
        case 0x0C: // page or section break
        case 0x0E: // column break
            out_ += QStringLiteral("\r\n");
            return;
        case 0x09:
            out_ += u'\t';
            return;
        case 0x1E:
            out_ += u'-';
            return;
        case 0xA0:
            out_ += u' ';
            return;
        default:
            if (c >= 0x20)
                out_ += QChar(c);
        }
    }

    QString &out_;
    std::vector<bool> fields_; ///< open fields: true while in the code part
    int inCode_ = 0;
};

} // namespace

namespace officetext {

bool wordText(const CompoundFile &file, quint32 storage, QString &text) {
    return wordStreamsText(file.stream(file.find(storage, u"WordDocument")),
                           file.stream(file.find(storage, u"0Table")),
                           file.stream(file.find(storage, u"1Table")), text);
}

bool wordStreamsText(QByteArrayView doc, QByteArrayView table0, QByteArrayView table1,
                     QString &text) {
    const quint16 flags = u16(doc, 0x0A);
    if (u16(doc, 0) != 0xA5EC || u16(doc, 2) < 101 || (flags & 0x0100))
        return false; // not Word 97 or later, or encrypted
    const QByteArrayView table = (flags & 0x0200) ? table1 : table0;
    qsizetype at = 32;
    at += 2 + 2 * qsizetype(u16(doc, at)); // FibRgW97
    at += 2 + 4 * qsizetype(u16(doc, at)); // FibRgLw97
    const quint16 pairs = u16(doc, at);
    at += 2;
    if (pairs <= 33)
        return false;
    const qsizetype clx = u32(doc, at + 33 * 8);
    const qsizetype clxEnd = qMin<qsizetype>(clx + u32(doc, at + 33 * 8 + 4), table.size());
    QByteArrayView plc;
    for (qsizetype p = clx; p < clxEnd;) {
        if (table[p] == 1) {
            p += 3 + u16(table, p + 1);
        } else if (table[p] == 2) {
            const qsizetype size = qMin<qsizetype>(u32(table, p + 1), table.size() - p - 5);
            plc = table.sliced(p + 5, qMax<qsizetype>(size, 0));
            break;
        } else {
            return false;
        }
    }
    const qsizetype pieces = (plc.size() - 4) / 12;
    if (pieces <= 0)
        return false;
    text.reserve(text.size() + qMin<qsizetype>(u32(plc, pieces * 4), doc.size()));
    WordChars chars(text);
    for (qsizetype i = 0; i < pieces; ++i) {
        const quint32 start = u32(plc, i * 4), end = u32(plc, (i + 1) * 4);
        const quint32 fc = u32(plc, (pieces + 1) * 4 + i * 8 + 2);
        if (end <= start)
            continue;
        const qsizetype count = end - start;
        if (fc & 0x40000000) {
            const qsizetype from = (fc & 0x3FFFFFFF) / 2;
            if (from < doc.size())
                chars.append(
                    platform::fromWindows1252(doc.sliced(from, qMin(count, doc.size() - from))));
        } else if (fc < quint32(doc.size())) {
            const qsizetype units = qMin(count, (doc.size() - fc) / 2);
            const char *at = doc.data() + fc;
            // Read in place where the bytes already are host-order UTF-16.
            if (Q_BYTE_ORDER == Q_LITTLE_ENDIAN && quintptr(at) % alignof(char16_t) == 0)
                chars.append(QStringView(reinterpret_cast<const char16_t *>(at), units));
            else
                chars.append(codepages::fromUtf16LE(QByteArrayView(at, units * 2)));
        }
    }
    return true;
}

} // namespace officetext
