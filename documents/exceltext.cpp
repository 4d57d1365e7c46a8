// Excel workbooks: BIFF8 records of the Workbook stream (Excel 97-2003),
// BIFF5/BIFF7 records of the Book stream (Excel 5.0 and 95) and the BIFF2-4
// files of Excel 2.x to 4.0, which are record streams without a compound
// file around them. BIFF8 strings live in the shared string table, which
// CONTINUE records may split anywhere; older strings are inline, 8-bit in
// the workbook's code page.
#include "documents/exceltext.h"

#include "documents/numberformat.h"
#include "documents/objectpool.h"
#include "documents/officecrypto.h"
#include "documents/pageheader.h"

#include "documents/textwriter.h"
#include "platform/codepage.h"
#include "platform/littleendian.h"

#include <QtEndian>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>
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
    FilePass = 0x002F,
    Format = 0x041E,
    ExtendedFormat = 0x00E0,
    DateMode = 0x0022,
    CodePage = 0x0042,
    Note = 0x001C,
    Header = 0x0014,
    Footer = 0x0015,
    TextObject = 0x01B6,
    SeriesText = 0x100D, ///< a chart's title, axis title or series name
    BundleSheet = 0x008F
};

/// Records of Excel 2.x to 4.0 that later versions renamed or dropped.
enum OldRecord : quint16 {
    Bof2 = 0x0009,
    Bof3 = 0x0209,
    Bof4 = 0x0409,
    Integer2 = 0x0002,
    Number2 = 0x0003,
    Label2 = 0x0004,
    BoolErr2 = 0x0005,
    Formula2 = 0x0006,
    String2 = 0x0007,
    Formula3 = 0x0206,
    Formula4 = 0x0406,
    Format2 = 0x001E,
    Xf3 = 0x0243,
    Xf4 = 0x0443
};

/// The Excel version a BOF record opens: 2, 3, 4, or 5 for 5.0 and later
/// (their BOF tells 5/95 from 97); 0 for any other record.
int bofVersion(quint16 type) {
    switch (type) {
    case Bof2:
        return 2;
    case Bof3:
        return 3;
    case Bof4:
        return 4;
    case Bof:
        return 5;
    }
    return 0;
}

using littleendian::u16;
using littleendian::u32;

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
        if (seg_ < segs_.size() && pos_ + bytes <= segs_[seg_].size()) {
            const uchar *at = reinterpret_cast<const uchar *>(segs_[seg_].data()) + pos_;
            pos_ += bytes;
            return bytes == 1   ? *at
                   : bytes == 2 ? qFromLittleEndian<quint16>(at)
                                : qFromLittleEndian<quint32>(at);
        }
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
    /// Appends the characters of a string to the pool.
    void chars(qsizetype count, bool wide, QString &pool) {
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
            if (wide) {
                const qsizetype at = pool.size();
                pool.resize(at + n);
                qFromLittleEndian<char16_t>(seg.data() + pos_, n, pool.data() + at);
            } else {
                pool.append(QLatin1StringView(seg.sliced(pos_, n)));
            }
            pos_ += n * (wide ? 2 : 1);
            count -= n;
        }
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
    return wide ? platform::fromUtf16LE(data.sliced(at, n * 2))
                : QString::fromLatin1(data.sliced(at, n));
}

/// Writes a whole number's digits in place; returns their end.
char16_t *writeWhole(qint64 value, char16_t *to) {
    static constexpr char Pairs[] = "00010203040506070809101112131415161718192021222324"
                                    "25262728293031323334353637383940414243444546474849"
                                    "50515253545556575859606162636465666768697071727374"
                                    "75767778798081828384858687888990919293949596979899";
    if (value < 0)
        *to++ = u'-';
    quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    int count = 1;
    for (quint64 bound = 10; count < 20 && magnitude >= bound; bound *= 10)
        ++count;
    char16_t *end = to + count;
    for (char16_t *at = end; magnitude >= 10; magnitude /= 100) {
        const quint64 pair = magnitude % 100;
        *--at = char16_t(Pairs[2 * pair + 1]);
        *--at = char16_t(Pairs[2 * pair]);
        if (magnitude < 100)
            return end;
    }
    *to = char16_t(u'0' + magnitude);
    return end;
}

/// Writes a number as the sheet shows it unformatted, in at most 32
/// characters: whole numbers without a fraction, others in their shortest
/// exact form. Whole numbers and amounts in hundredths, the most common, are
/// written without the general conversion: a decimal of up to 15 digits is
/// the only one that short to give its double, so it is the shortest form.
char16_t *writeNumber(double value, char16_t *to) {
    // The range checks come first: they keep the conversions to qint64 defined.
    const double hundredths = value * 100;
    if (std::fabs(value) < 1e12 && double(qint64(hundredths)) == hundredths &&
        hundredths / 100 == value) {
        const qint64 n = qint64(hundredths);
        to = writeWhole(n / 100, n < 0 && n > -100 ? (*to = u'-', to + 1) : to);
        if (const qint64 fraction = n < 0 ? -(n % 100) : n % 100) {
            *to++ = u'.';
            *to++ = char16_t(u'0' + fraction / 10);
            if (fraction % 10)
                *to++ = char16_t(u'0' + fraction % 10);
        }
        return to;
    }
    if (std::fabs(value) < 1e15 && double(qint64(value)) == value)
        return writeWhole(qint64(value), to);
    char digits[32];
    const char *end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (const char *at = digits; at != end; ++at)
        *to++ = char16_t(*at);
    return to;
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

/// A cell of a sheet whose records are out of order: its place and its text,
/// kept in the sheet's text pool until the sheet ends.
struct Cell {
    quint32 row;
    quint16 col;
    qsizetype start, size;
};

/// The number formats of a workbook: FORMAT records by number, XF records
/// naming them; each format code is parsed once, when a cell first uses it.
class CellFormats {
  public:
    void addFormat(quint16 id, QString code) { codes_.push_back({id, std::move(code)}); }
    void addXf(quint16 formatId) { xfs_.push_back(formatId); }

    /// The format of an XF, or nullptr for General (written as it is).
    const numberformat::NumberFormat *format(quint16 xf) {
        return xf < xfs_.size() ? formatById(xfs_[xf]) : nullptr;
    }
    /// The format of that number (Excel 2-4: the FORMAT record of that place).
    const numberformat::NumberFormat *formatById(quint16 id) {
        if (id == 0)
            return nullptr;
        for (auto &[known, parsed] : parsed_)
            if (known == id)
                return parsed.isGeneral() ? nullptr : &parsed;
        QStringView code = numberformat::builtInFormat(id);
        for (const auto &[own, text] : codes_)
            if (own == id)
                code = text;
        parsed_.emplace_back(id, numberformat::NumberFormat(code));
        return parsed_.back().second.isGeneral() ? nullptr : &parsed_.back().second;
    }

  private:
    std::vector<std::pair<quint16, QString>> codes_;
    std::vector<quint16> xfs_;
    std::vector<std::pair<quint16, numberformat::NumberFormat>> parsed_;
};

/// Cells come in row order in files Excel writes, so they are written out as
/// they come. A cell before the one written last sends the reading back to
/// the sheet's start to gather the whole sheet and sort it; each sheet is
/// read at most twice.
class Workbook {
  public:
    Workbook(QByteArrayView stream, QString &text, StopToken stop, bool decrypted = false)
        : in_(stream), out_(text, TextWriter::limitFor(stream.size()), stream.size(), stop),
          decrypted_(decrypted) {
        sheetText_ = out_.size();
    }

    Outcome read() {
        for (qsizetype at = 0; at + 4 <= in_.size() && !out_.full();) {
            const quint16 type = u16(in_, at);
            const qsizetype size = qMin<qsizetype>(u16(in_, at + 2), in_.size() - at - 4);
            const QByteArrayView data = in_.sliced(at + 4, size);
            const qsizetype next = at + 4 + size;
            if (type == FilePass && !decrypted_)
                return Outcome::Encrypted;
            if (at == 0 && bofVersion(type) && !readVersion(type, data))
                return Outcome::NotThisFormat;
            const bool again = at < furthest_;
            furthest_ = qMax(furthest_, next);
            if (type == Sst) {
                if (!again && biff8_)
                    readSst(data, next);
            } else if (type == BoundSheet || type == BundleSheet) {
                if (!again)
                    sheets_.push_back({u32(data, 0), string(data, 6, false)});
            } else if (!again && globalRecord(type, data)) {
            } else if (type == TextObject) {
                textObject(data, next);
            } else if (bofVersion(type) || type == Eof) {
                endSheet();
                if (type == Bof)
                    sheetName(at);
                sheetStart_ = next;
                sheetText_ = out_.size();
            } else if (version_ > 4 || !oldCellRecord(type, data)) {
                cellRecord(type, data);
            }
            at = restart_ >= 0 ? std::exchange(restart_, -1) : next;
        }
        endSheet();
        return out_.limitReached() ? Outcome::BoundReached : Outcome::Text;
    }

  private:
    /// The version the first BOF names; false for one not read here.
    bool readVersion(quint16 type, QByteArrayView data) {
        version_ = bofVersion(type);
        if (version_ > 4 && u16(data, 0) != 0x0600 && u16(data, 0) != 0x0500)
            return false; // BIFF8 and BIFF5/7 are read here, older ones by their own BOF
        biff8_ = version_ > 4 && u16(data, 0) == 0x0600;
        return true;
    }

    /// A string of a cell or name: BIFF8's XLUnicodeString, or BIFF5's
    /// count and 8-bit characters in the workbook's code page.
    QString string(QByteArrayView data, qsizetype at, bool longCount) const {
        if (biff8_)
            return unicodeString(data, at, longCount);
        const qsizetype count = longCount ? u16(data, at) : quint8(at < data.size() ? data[at] : 0);
        at += longCount ? 2 : 1;
        if (at >= data.size())
            return {};
        return platform::fromCodePage(codePage_, data.sliced(at, qMin(count, data.size() - at)));
    }

    /// Records of the workbook's globals: formats, XFs, date system, code page.
    bool globalRecord(quint16 type, QByteArrayView data) {
        switch (type) {
        case Format:
            formats_.addFormat(version_ == 4 ? formatCount_++ : u16(data, 0),
                               string(data, 2, biff8_));
            return true;
        case Format2:
            formats_.addFormat(formatCount_++, string(data, 0, false));
            return true;
        case Xf3:
        case Xf4:
            formats_.addXf(data.size() > 1 ? quint8(data[1]) : 0);
            return true;
        case ExtendedFormat:
            formats_.addXf(u16(data, 2));
            return true;
        case DateMode:
            date1904_ = u16(data, 0) == 1;
            return true;
        case CodePage:
            // 1200 marks BIFF8's UTF-16; 8-bit BIFF5 text is then Windows-1252.
            codePage_ = u16(data, 0) == 1200 ? 1252 : u16(data, 0);
            return true;
        }
        return false;
    }

    /// The text of a comment or drawing shape: in the CONTINUE records after
    /// the TXO, each starting with its own option byte.
    void textObject(QByteArrayView data, qsizetype next) {
        const qsizetype count = u16(data, 10);
        std::vector<QByteArrayView> segments;
        qsizetype bytes = 0;
        for (qsizetype at = next;
             at + 4 <= in_.size() && u16(in_, at) == Continue && bytes < count * 2 + 16;) {
            const qsizetype size = qMin<qsizetype>(u16(in_, at + 2), in_.size() - at - 4);
            segments.push_back(in_.sliced(at + 4, size));
            bytes += size;
            at += 4 + size;
        }
        if (count == 0 || segments.empty())
            return;
        QString text;
        if (biff8_) {
            SegmentReader reader(std::move(segments));
            const bool wide = reader.read(1) & 1;
            reader.chars(count, wide, text);
        } else {
            text = platform::fromCodePage(
                codePage_, segments.front().first(qMin(count, segments.front().size())));
        }
        shapes_.push_back(std::move(text));
    }

    /// The sheet's page header or footer: shown with its notes and shapes.
    void pageHeader(QByteArrayView data) {
        if (data.isEmpty())
            return;
        QString text =
            sheetHeaderText(biff8_ ? unicodeString(data, 0, true) : string(data, 0, false));
        if (!text.isEmpty())
            shapes_.push_back(std::move(text));
    }

    /// A BIFF5 note holds its text itself, continued by notes of row 0xFFFF.
    void note(QByteArrayView data) {
        const qsizetype count = u16(data, 4);
        const QByteArrayView chars = data.sliced(qMin<qsizetype>(6, data.size()));
        const QString part =
            platform::fromCodePage(codePage_, chars.first(qMin(count, chars.size())));
        if (u16(data, 0) == 0xFFFF && !shapes_.empty())
            shapes_.back() += part;
        else
            shapes_.push_back(part);
    }

    void readSst(QByteArrayView data, qsizetype next) {
        std::vector<QByteArrayView> segments{data.sliced(qMin<qsizetype>(8, data.size()))};
        for (qsizetype at = next; at + 4 <= in_.size() && u16(in_, at) == Continue;) {
            const qsizetype size = qMin<qsizetype>(u16(in_, at + 2), in_.size() - at - 4);
            segments.push_back(in_.sliced(at + 4, size));
            at += 4 + size;
        }
        qsizetype bytes = 0;
        for (const QByteArrayView segment : segments)
            bytes += segment.size();
        stringPool_.reserve(bytes);
        SegmentReader reader(std::move(segments));
        const quint32 unique = u32(data, 4);
        for (quint32 i = 0; i < unique && !reader.atEnd(); ++i) {
            const qsizetype count = reader.read(2);
            const quint32 options = reader.read(1);
            const quint32 runs = (options & 0x08) ? reader.read(2) : 0;
            const quint32 ext = (options & 0x04) ? reader.read(4) : 0;
            const qsizetype start = stringPool_.size();
            reader.chars(count, options & 1, stringPool_);
            strings_.push_back({start, stringPool_.size() - start});
            reader.skip(qint64(runs) * 4 + ext);
        }
    }

    void sheetName(qsizetype offset) {
        for (const auto &[position, name] : sheets_)
            if (position == offset) {
                out_.append(name);
                out_.appendLineEnd();
            }
    }

    void cellRecord(quint16 type, QByteArrayView data) {
        const quint32 row = u16(data, 0);
        const quint16 col = u16(data, 2);
        switch (type) {
        case LabelSst:
            if (const quint32 i = u32(data, 6); i < strings_.size())
                addCell(row, col,
                        QStringView(stringPool_).sliced(strings_[i].first, strings_[i].second));
            return;
        case Label:
        case RString:
            addCell(row, col, string(data, 6, true));
            return;
        case Number:
            if (data.size() >= 14)
                addNumber(row, col, formats_.format(u16(data, 4)), doubleAt(data, 6));
            return;
        case Rk:
            if (data.size() >= 10)
                addRk(row, col, u16(data, 4), u32(data, 6));
            return;
        case MulRk:
            for (qsizetype at = 4, c = col; at + 6 <= data.size() - 2 && restart_ < 0; at += 6, ++c)
                addRk(row, quint16(c), u16(data, at), u32(data, at + 2));
            return;
        case Note:
            if (!biff8_)
                note(data);
            return;
        case Header:
        case Footer:
            return pageHeader(data);
        case SeriesText:
            if (QString text = string(data, 2, false); !text.isEmpty())
                shapes_.push_back(std::move(text));
            return;
        case BoolErr:
            if (data.size() >= 8 && data[7] == 0)
                addCell(row, col, QStringView(data[6] ? u"TRUE" : u"FALSE"));
            return;
        case Formula:
            return formula(row, col, data);
        case String:
            if (pendingString_) {
                pendingString_ = false;
                addCell(pendingRow_, pendingCol_, string(data, 0, true));
            }
            return;
        }
    }

    /// Excel 2.x cells: a three-byte attribute instead of the XF, whose
    /// second byte names the number format. True when the record was one.
    bool oldCellRecord(quint16 type, QByteArrayView data) {
        const quint32 row = u16(data, 0);
        const quint16 col = u16(data, 2);
        const auto *format = formats_.formatById(data.size() > 5 ? quint8(data[5]) & 0x3F : 0);
        switch (type) {
        case Integer2:
            if (data.size() >= 9)
                addNumber(row, col, format, u16(data, 7));
            return true;
        case Number2:
            if (data.size() >= 15)
                addNumber(row, col, format, doubleAt(data, 7));
            return true;
        case Label2:
            addCell(row, col, string(data, 7, false));
            return true;
        case BoolErr2:
            if (data.size() >= 9 && data[8] == 0)
                addCell(row, col, QStringView(data[7] ? u"TRUE" : u"FALSE"));
            return true;
        case Formula2:
            if (data.size() >= 15)
                formulaResult(row, col, format, data.sliced(7, 8));
            return true;
        case String2:
            if (pendingString_) {
                pendingString_ = false;
                addCell(pendingRow_, pendingCol_, string(data, 0, false));
            }
            return true;
        case Formula3:
        case Formula4:
            formula(row, col, data);
            return true;
        }
        return false;
    }

    static double doubleAt(QByteArrayView data, qsizetype at) {
        double value;
        std::memcpy(&value, data.data() + at, sizeof value);
        return value;
    }

    void formula(quint32 row, quint16 col, QByteArrayView data) {
        if (data.size() >= 14)
            formulaResult(row, col, formats_.format(u16(data, 4)), data.sliced(6, 8));
    }

    /// A formula's eight-byte result: a number, or a string, boolean or error.
    void formulaResult(quint32 row, quint16 col, const numberformat::NumberFormat *format,
                       QByteArrayView result) {
        if (u16(result, 6) != 0xFFFF) {
            addNumber(row, col, format, doubleAt(result, 0));
        } else if (result[0] == 0) { // the string follows in a STRING record
            pendingString_ = true;
            pendingRow_ = row;
            pendingCol_ = col;
        } else if (result[0] == 1) {
            addCell(row, col, QStringView(result[2] ? u"TRUE" : u"FALSE"));
        }
    }

    void addRk(quint32 row, quint16 col, quint16 xf, quint32 rk) {
        if ((rk & 3) != 2 || formats_.format(xf))
            return addNumber(row, col, formats_.format(xf), rkValue(rk));
        // A whole number kept as an integer: no floating point needed.
        addCell(row, col, 12, [rk](char16_t *to) { return writeWhole(qint32(rk) >> 2, to); });
    }

    void addNumber(quint32 row, quint16 col, const numberformat::NumberFormat *format,
                   double value) {
        if (format)
            return addCell(row, col, format->format(value, date1904_));
        addCell(row, col, 32, [value](char16_t *to) { return writeNumber(value, to); });
    }

    void addCell(quint32 row, quint16 col, QStringView text) {
        addCell(row, col, text.size(), [text](char16_t *to) {
            if (!text.isEmpty()) // an empty view may hold no pointer at all
                std::memcpy(to, text.utf16(), size_t(text.size()) * sizeof(char16_t));
            return to + text.size();
        });
    }

    /// Adds a cell whose text write() puts in place, in at most maxSize characters.
    template <typename Write>
    void addCell(quint32 row, quint16 col, qsizetype maxSize, const Write &write) {
        if (sorting_)
            return gatherCell(row, col, maxSize, write);
        if (written_ && (row < lastRow_ || (row == lastRow_ && col <= lastCol_)))
            return gatherSheet();
        char16_t *to = out_.beginWrite(2 + maxSize);
        if (!to)
            return;
        if (written_ && row == lastRow_) {
            *to++ = u' ';
        } else if (written_) {
            *to++ = u'\r';
            *to++ = u'\n';
        }
        out_.endWrite(write(to));
        written_ = true;
        lastRow_ = row;
        lastCol_ = col;
    }

    template <typename Write>
    void gatherCell(quint32 row, quint16 col, qsizetype maxSize, const Write &write) {
        const qsizetype start = pool_.size();
        pool_.resize(start + maxSize);
        char16_t *base = reinterpret_cast<char16_t *>(pool_.data());
        pool_.resize(write(base + start) - base);
        cells_.push_back({row, col, start, pool_.size() - start});
    }

    void gatherSheet() {
        out_.truncate(sheetText_);
        shapes_.clear(); // read again with the cells
        written_ = false;
        sorting_ = true;
        pendingString_ = false;
        restart_ = sheetStart_;
    }

    void endSheet() {
        if (sorting_) {
            sorting_ = false;
            const auto before = [](const Cell &a, const Cell &b) {
                return a.row != b.row ? a.row < b.row : a.col < b.col;
            };
            std::stable_sort(cells_.begin(), cells_.end(), before);
            for (size_t i = 0; i < cells_.size(); ++i) {
                if (i > 0)
                    cells_[i].row == cells_[i - 1].row ? out_.append(u' ') : out_.appendLineEnd();
                out_.append(QStringView(pool_).sliced(cells_[i].start, cells_[i].size));
            }
            written_ = !cells_.empty();
            cells_.clear();
            pool_.clear();
        }
        if (written_)
            out_.appendLineEnd();
        for (const QString &shape : shapes_) {
            out_.append(shape);
            out_.appendLineEnd();
        }
        shapes_.clear();
        written_ = false;
        pendingString_ = false;
    }

    QByteArrayView in_;
    TextWriter out_;
    bool decrypted_;     ///< the stream was decrypted: its FILEPASS is history
    QString stringPool_; ///< the shared strings, one after another
    std::vector<std::pair<qsizetype, qsizetype>> strings_;
    std::vector<std::pair<quint32, QString>> sheets_;
    qsizetype furthest_ = 0;
    qsizetype sheetStart_ = 0, sheetText_ = 0, restart_ = -1;
    bool written_ = false, sorting_ = false;
    quint32 lastRow_ = 0;
    quint16 lastCol_ = 0;
    std::vector<Cell> cells_;
    QString pool_;
    std::vector<QString> shapes_; ///< comments and shapes of the sheet
    CellFormats formats_;
    bool biff8_ = true;
    int version_ = 8;
    quint16 formatCount_ = 0; ///< Excel 2-4 number formats by place
    bool date1904_ = false;
    int codePage_ = 1252;
    bool pendingString_ = false;
    quint32 pendingRow_ = 0;
    quint16 pendingCol_ = 0;
};

} // namespace

namespace officetext {

Outcome excelText(const CompoundFile &file, quint32 storage, QString &text, StopToken stop) {
    quint32 entry = file.find(storage, u"Workbook");
    if (entry == CompoundFile::NoEntry)
        entry = file.find(storage, u"Book");
    if (entry == CompoundFile::NoEntry)
        return Outcome::NotThisFormat;
    return workbookText(file.stream(entry), text, stop);
}

Outcome workbookText(QByteArrayView workbook, QString &text, StopToken stop) {
    if (const std::optional<QByteArray> plain = officecrypto::decryptWorkbook(workbook))
        return Workbook(*plain, text, stop, true).read();
    return Workbook(workbook, text, stop).read();
}

void excelObjects(const CompoundFile &file, quint32 storage, std::vector<EmbeddedFile> &objects) {
    if (file.find(storage, u"Workbook") == CompoundFile::NoEntry &&
        file.find(storage, u"Book") == CompoundFile::NoEntry)
        return; // other storages are read as the compound file's own text
    for (const quint32 child : file.children(storage))
        if (file.entries().at(child).type == CompoundFile::Type::Storage &&
            file.entries().at(child).name.startsWith(u"MBD"))
            objects.push_back(embeddedObject(file, child, int(objects.size()) + 1));
}

bool isOldWorkbook(QByteArrayView bytes) {
    // A BOF of a worksheet, chart, macro sheet or (Excel 4) workbook.
    if (bytes.size() < 8 || !bofVersion(u16(bytes, 0)) || u16(bytes, 0) == Bof)
        return false;
    const quint16 size = u16(bytes, 2), kind = u16(bytes, 6);
    return size >= 4 && size <= 16 &&
           (kind == 0x10 || kind == 0x20 || kind == 0x40 || kind == 0x100);
}

} // namespace officetext

Outcome extractOldWorkbook(Extraction &extraction) {
    if (!officetext::isOldWorkbook(extraction.bytes()))
        return Outcome::NotThisFormat;
    return officetext::workbookText(extraction.bytes(), extraction.text, extraction.stop());
}
