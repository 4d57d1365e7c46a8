// Excel 97-2003 workbooks: BIFF8 records of the Workbook stream. Strings live
// in the shared string table, which CONTINUE records may split anywhere.
#include "controls/richtext/officetext.h"

#include "controls/richtext/codepages.h"

#include <QtEndian>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

enum Record : quint16 {
    Bof = 0x0809,
    Eof = 0x000A,
    BoundSheet = 0x0085,
    Sst = 0x00FC,
    Continue = 0x003C,
    LabelSst = 0x00FD,
    Label = 0x0204,
    RString = 0x00D6,
    Number = 0x0203,
    Rk = 0x027E,
    MulRk = 0x00BD,
    Formula = 0x0006,
    String = 0x0207,
    BoolErr = 0x0205,
    FilePass = 0x002F
};

quint16 u16(QByteArrayView b, qsizetype at) {
    return at >= 0 && at + 2 <= b.size() ? qFromLittleEndian<quint16>(b.data() + at) : 0;
}
quint32 u32(QByteArrayView b, qsizetype at) {
    return at >= 0 && at + 4 <= b.size() ? qFromLittleEndian<quint32>(b.data() + at) : 0;
}

/// Reads across a record and its CONTINUE records. Characters of a string
/// that goes on in a CONTINUE record start with a new option byte there.
class SegmentReader {
  public:
    explicit SegmentReader(std::vector<QByteArrayView> segments) : segs_(std::move(segments)) {}

    bool atEnd() {
        nextSegmentIfDone();
        return seg_ >= segs_.size();
    }
    quint32 read(int bytes) {
        quint32 value = 0;
        for (int i = 0; i < bytes && !atEnd(); ++i)
            value |= quint32(quint8(segs_[seg_][pos_++])) << (8 * i);
        return value;
    }
    void skip(qint64 bytes) {
        while (bytes > 0 && !atEnd()) {
            const qint64 step = qMin<qint64>(bytes, segs_[seg_].size() - pos_);
            pos_ += step;
            bytes -= step;
        }
    }
    QString chars(qsizetype count, bool wide) {
        QString out;
        while (count > 0 && seg_ < segs_.size()) {
            if (pos_ >= segs_[seg_].size()) {
                if (++seg_ >= segs_.size())
                    break;
                pos_ = 0;
                wide = read(1) & 1;
                continue;
            }
            const QByteArrayView seg = segs_[seg_];
            const qsizetype n = qMin(count, (seg.size() - pos_) / (wide ? 2 : 1));
            if (n == 0) {
                pos_ = seg.size();
                continue;
            }
            out += wide ? codepages::fromUtf16LE(seg.sliced(pos_, n * 2))
                        : QString::fromLatin1(seg.sliced(pos_, n));
            pos_ += n * (wide ? 2 : 1);
            count -= n;
        }
        return out;
    }

  private:
    void nextSegmentIfDone() {
        while (seg_ < segs_.size() && pos_ >= segs_[seg_].size()) {
            ++seg_;
            pos_ = 0;
        }
    }
    std::vector<QByteArrayView> segs_;
    size_t seg_ = 0;
    qsizetype pos_ = 0;
};

/// An XLUnicodeString within one record: 8- or 16-bit count, options, characters.
QString unicodeString(QByteArrayView data, qsizetype at, bool longCount) {
    const qsizetype count = longCount ? u16(data, at) : quint8(at < data.size() ? data[at] : 0);
    at += longCount ? 2 : 1;
    if (at >= data.size())
        return {};
    const bool wide = data[at++] & 1;
    const qsizetype n = qMin(count, (data.size() - at) / (wide ? 2 : 1));
    return wide ? codepages::fromUtf16LE(data.sliced(at, n * 2))
                : QString::fromLatin1(data.sliced(at, n));
}

/// Whole numbers without a fraction, others in their shortest exact form.
void appendNumber(QString &out, double value) {
    char digits[32];
    const auto result = value == double(qint64(value)) && std::fabs(value) < 1e15
                            ? std::to_chars(digits, digits + sizeof digits, qint64(value))
                            : std::to_chars(digits, digits + sizeof digits, value);
    out += QLatin1StringView(digits, result.ptr - digits);
}

double rkValue(quint32 rk) {
    double value;
    if (rk & 2) {
        value = qint32(rk) >> 2;
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 1) ? value / 100 : value;
}

/// A cell's place and its text, kept in the sheet's text pool.
struct Cell {
    quint32 row;
    quint16 col;
    qsizetype start, size;
};

class Workbook {
  public:
    explicit Workbook(QByteArrayView stream) : in_(stream) {}

    bool read(QString &text) {
        // Cell text is about as long as its records: no regrowth on the way.
        text.reserve(text.size() + in_.size());
        pool_.reserve(in_.size());
        for (qsizetype at = 0; at + 4 <= in_.size();) {
            const quint16 type = u16(in_, at);
            const qsizetype size = qMin<qsizetype>(u16(in_, at + 2), in_.size() - at - 4);
            const QByteArrayView data = in_.sliced(at + 4, size);
            const qsizetype next = at + 4 + size;
            if (type == FilePass)
                return false;
            if (type == Bof && at == 0 && u16(data, 0) != 0x0600)
                return false; // only BIFF8 is read here
            if (type == Sst)
                readSst(data, next);
            else
                record(type, data, at, text);
            at = next;
        }
        flushSheet(text);
        return true;
    }

  private:
    void readSst(QByteArrayView data, qsizetype next) {
        std::vector<QByteArrayView> segments{data.sliced(qMin<qsizetype>(8, data.size()))};
        for (qsizetype at = next; at + 4 <= in_.size() && u16(in_, at) == Continue;) {
            const qsizetype size = qMin<qsizetype>(u16(in_, at + 2), in_.size() - at - 4);
            segments.push_back(in_.sliced(at + 4, size));
            at += 4 + size;
        }
        SegmentReader reader(std::move(segments));
        const quint32 unique = u32(data, 4);
        for (quint32 i = 0; i < unique && !reader.atEnd(); ++i) {
            const qsizetype count = reader.read(2);
            const quint32 options = reader.read(1);
            const quint32 runs = (options & 0x08) ? reader.read(2) : 0;
            const quint32 ext = (options & 0x04) ? reader.read(4) : 0;
            strings_.push_back(reader.chars(count, options & 1));
            reader.skip(qint64(runs) * 4 + ext);
        }
    }

    void record(quint16 type, QByteArrayView data, qsizetype offset, QString &text) {
        const quint32 row = u16(data, 0);
        const quint16 col = u16(data, 2);
        switch (type) {
        case BoundSheet:
            sheets_.push_back({u32(data, 0), unicodeString(data, 6, false)});
            return;
        case Bof:
            for (const auto &[position, name] : sheets_)
                if (position == offset)
                    text += name + QStringLiteral("\r\n");
            return;
        case Eof:
            return flushSheet(text);
        case LabelSst:
            if (const quint32 i = u32(data, 6); i < strings_.size())
                addCell(row, col, strings_[i]);
            return;
        case Label:
        case RString:
            addCell(row, col, unicodeString(data, 6, true));
            return;
        case Number:
            if (data.size() >= 14) {
                double value;
                std::memcpy(&value, data.data() + 6, sizeof value);
                addNumber(row, col, value);
            }
            return;
        case Rk:
            if (data.size() >= 10)
                addNumber(row, col, rkValue(u32(data, 6)));
            return;
        case MulRk:
            for (qsizetype at = 4, c = col; at + 6 <= data.size() - 2; at += 6, ++c)
                addNumber(row, quint16(c), rkValue(u32(data, at + 2)));
            return;
        case BoolErr:
            if (data.size() >= 8 && data[7] == 0)
                addCell(row, col, data[6] ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
            return;
        case Formula:
            return formula(row, col, data);
        case String:
            if (pendingString_) {
                addCell(pendingRow_, pendingCol_, unicodeString(data, 0, true));
                pendingString_ = false;
            }
            return;
        }
    }

    void formula(quint32 row, quint16 col, QByteArrayView data) {
        if (data.size() < 14)
            return;
        if (u16(data, 12) != 0xFFFF) {
            double value;
            std::memcpy(&value, data.data() + 6, sizeof value);
            addNumber(row, col, value);
        } else if (data[6] == 0) { // the string follows in a STRING record
            pendingString_ = true;
            pendingRow_ = row;
            pendingCol_ = col;
        } else if (data[6] == 1) {
            addCell(row, col, data[8] ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
        }
    }

    void flushSheet(QString &text) {
        const auto before = [](const Cell &a, const Cell &b) {
            return a.row != b.row ? a.row < b.row : a.col < b.col;
        };
        if (!std::is_sorted(cells_.begin(), cells_.end(), before))
            std::stable_sort(cells_.begin(), cells_.end(), before);
        for (size_t i = 0; i < cells_.size(); ++i) {
            text += QStringView(pool_).sliced(cells_[i].start, cells_[i].size);
            const bool rowEnds = i + 1 == cells_.size() || cells_[i + 1].row != cells_[i].row;
            text += rowEnds ? QStringLiteral("\r\n") : QStringLiteral(" ");
        }
        cells_.clear();
        pool_.resize(0);
        pendingString_ = false;
    }

    void addCell(quint32 row, quint16 col, QStringView text) {
        cells_.push_back({row, col, pool_.size(), text.size()});
        pool_ += text;
    }

    void addNumber(quint32 row, quint16 col, double value) {
        const qsizetype start = pool_.size();
        appendNumber(pool_, value);
        cells_.push_back({row, col, start, pool_.size() - start});
    }

    QByteArrayView in_;
    std::vector<QString> strings_;
    std::vector<std::pair<quint32, QString>> sheets_;
    std::vector<Cell> cells_;
    QString pool_;
    bool pendingString_ = false;
    quint32 pendingRow_ = 0;
    quint16 pendingCol_ = 0;
};

} // namespace

namespace officetext {

bool excelText(const CompoundFile &file, quint32 storage, QString &text) {
    const quint32 entry = file.find(storage, u"Workbook");
    if (entry == CompoundFile::NoEntry)
        return false;
    return workbookText(file.stream(entry), text);
}

bool workbookText(QByteArrayView workbook, QString &text) {
    return Workbook(workbook).read(text);
}

} // namespace officetext
