// Word documents. Word 97-2003: the FIB names the table stream and the piece
// table (CLX) in it; the pieces hold the text of every story in 8-bit or
// UTF-16. Word 6.0 and 95: one stream; the text is 8-bit in the code page of
// the document's language, in one run or, after a fast save, in the pieces
// of a piece table of the same form.
#include "documents/wordtext.h"

#include "documents/textwriter.h"
#include "documents/wordlists.h"
#include "platform/codepage.h"
#include "platform/littleendian.h"

#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <utility>

#include <vector>

namespace {

using littleendian::u16;
using littleendian::u32;

/// Turns Word's special characters into plain text, hiding field codes. A
/// MACROBUTTON field shows its display text, which is part of its code.
/// Pieces are 8-bit (Windows-1252) or UTF-16; both are read in one pass that
/// writes ordinary characters straight into the text.
class WordChars {
  public:
    explicit WordChars(TextWriter &out) : out_(out) {}

    template <typename Char> void append(const Char *chars, qsizetype count) {
        // A paragraph mark becomes two characters: room for twice the chunk.
        constexpr qsizetype Chunk = 4096;
        for (qsizetype at = 0; at < count && !out_.full(); at += Chunk) {
            const qsizetype n = qMin(Chunk, count - at);
            char16_t *to = out_.beginWrite(2 * n + MaxCode);
            if (!to)
                return;
            out_.endWrite(convert(chars + at, n, to));
        }
    }

  private:
    /// The longest field code kept to show a button's display text: room for
    /// it is taken with every chunk, as a field end may write it at once.
    static constexpr qsizetype MaxCode = 256;

    template <typename Char> char16_t *convert(const Char *chars, qsizetype n, char16_t *to) {
        constexpr qsizetype Lanes = 8 / sizeof(Char);
        for (qsizetype i = 0; i < n;) {
            // Ordinary characters, eight bytes at a time.
            for (; i + Lanes <= n && ordinary(chars + i); i += Lanes)
                for (qsizetype k = 0; k < Lanes; ++k)
                    to = keep(char16_t(chars[i + k]), to);
            for (const qsizetype stop = qMin(n, i + Lanes); i < stop; ++i)
                to = put(char16_t(chars[i]), sizeof(Char) == 1, to);
        }
        return to;
    }

    /// True when none of the eight bytes is a control character, a no-break
    /// space or, in 8-bit text, a byte that needs the code page.
    static bool ordinary(const quint8 *bytes) {
        constexpr quint64 Ones = 0x0101010101010101, High = Ones * 0x80;
        const quint64 w = word(bytes);
        return (((w - Ones * 0x20) | w) & High) == 0;
    }
    static bool ordinary(const char16_t *chars) {
        constexpr quint64 Ones = 0x0001000100010001, High = Ones * 0x8000;
        const quint64 w = word(chars), nbsp = w ^ (Ones * 0xA0);
        return ((((w - Ones * 0x20) & ~w) | ((nbsp - Ones) & ~nbsp)) & High) == 0;
    }
    static quint64 word(const void *at) { return qFromLittleEndian<quint64>(at); }

    char16_t *put(char16_t c, bool codePage, char16_t *to) {
        if (codePage && c >= 0x80)
            c = platform::windows1252Char(quint8(c));
        if (c >= 0x20 && c != 0xA0)
            return keep(c, to);
        return special(c, to);
    }

    /// An ordinary character: written, or kept as part of the outer field's code.
    char16_t *keep(char16_t c, char16_t *to) {
        if (inCode_ == 0)
            *to++ = c;
        else if (inCode_ == 1 && code_.size() < MaxCode)
            code_ += QChar(c);
        return to;
    }

    /// The display text of a MACROBUTTON field from its code
    /// ("MACROBUTTON name display text"); nothing for other fields.
    char16_t *buttonText(char16_t *to) const {
        const QStringList words = code_.simplified().split(u' ');
        if (words.size() < 3 || words[0].compare(u"MACROBUTTON", Qt::CaseInsensitive) != 0)
            return to;
        const QString shown = words.mid(2).join(u' ');
        return std::copy(shown.utf16(), shown.utf16() + shown.size(), to);
    }

    char16_t *special(char16_t c, char16_t *to) {
        switch (c) {
        case 0x13: // field begin: its code follows
            fields_.push_back(true);
            if (++inCode_ == 1)
                code_.clear();
            return to;
        case 0x14: // field separator: its result follows
            if (!fields_.empty() && fields_.back()) {
                fields_.back() = false;
                --inCode_;
            }
            return to;
        case 0x15: // field end
            if (!fields_.empty()) {
                if (fields_.back() && inCode_ == 1)
                    to = buttonText(to);
                inCode_ -= fields_.back() ? 1 : 0;
                fields_.pop_back();
            }
            return to;
        }
        if (inCode_ > 0)
            return to;
        switch (c) {
        case 0x0D: // paragraph
        case 0x07: // cell or row end
        case 0x0B: // line break
        case 0x0C: // page or section break
        case 0x0E: // column break
            *to++ = u'\r';
            *to++ = u'\n';
            break;
        case 0x09:
            *to++ = u'\t';
            break;
        case 0x1E:
            *to++ = u'-';
            break;
        case 0xA0:
            *to++ = u' ';
            break;
        }
        return to;
    }

    TextWriter &out_;
    std::vector<bool> fields_; ///< open fields: true while in the code part
    int inCode_ = 0;
    QString code_; ///< the outer field's code, up to MaxCode characters
};

/// The piece descriptors (PlcPcd) of a CLX: property entries skipped.
QByteArrayView pieceTable(QByteArrayView table, qsizetype clx, qsizetype size) {
    const qsizetype clxEnd = qMin<qsizetype>(clx + size, table.size());
    for (qsizetype p = clx; p >= 0 && p < clxEnd;) {
        if (table[p] == 1) {
            p += 3 + u16(table, p + 1);
        } else if (table[p] == 2) {
            const qsizetype length = qMin<qsizetype>(u32(table, p + 1), table.size() - p - 5);
            return table.sliced(p + 5, qMax<qsizetype>(length, 0));
        } else {
            break;
        }
    }
    return {};
}

/// Byte ranges of the WordDocument stream.
using Ranges = std::vector<std::pair<qsizetype, qsizetype>>;

/// True when the character properties (a grpprl) mark text deleted with
/// changes tracked (sprmCFRMarkDel on, or the opposite of its style's).
bool marksDeleted(QByteArrayView grpprl) {
    constexpr quint16 MarkDeleted = 0x0800;
    bool deleted = false;
    forEachSprm(grpprl, [&](quint16 sprm, QByteArrayView operand) {
        if (sprm == MarkDeleted)
            deleted = operand[0] == 1 || quint8(operand[0]) == 0x81;
    });
    return deleted;
}

/// The text that tracked changes keep as deleted: Word shows it struck
/// through while changes are shown, and never in the document as it reads.
/// Found in the character property pages (PlcBteChpx) by their byte ranges.
Ranges deletedText(QByteArrayView doc, QByteArrayView plcBte) {
    constexpr qsizetype PageSize = 512;
    Ranges deleted;
    const qsizetype pages = (plcBte.size() - 4) / 8;
    for (qsizetype i = 0; i < pages; ++i) {
        const qsizetype pn = u32(plcBte, (pages + 1) * 4 + i * 4) & 0x3FFFFF;
        if ((pn + 1) * PageSize > doc.size())
            continue;
        const QByteArrayView page = doc.sliced(pn * PageSize, PageSize);
        const qsizetype runs = quint8(page[PageSize - 1]);
        if ((runs + 1) * 4 + runs >= PageSize)
            continue;
        for (qsizetype k = 0; k < runs; ++k) {
            const qsizetype at = qsizetype{quint8(page[(runs + 1) * 4 + k])} * 2;
            if (at == 0 || at + 1 >= PageSize)
                continue;
            const qsizetype size = qMin<qsizetype>(quint8(page[at]), PageSize - at - 1);
            if (marksDeleted(page.sliced(at + 1, size)))
                deleted.push_back({u32(page, k * 4), u32(page, (k + 1) * 4)});
        }
    }
    std::sort(deleted.begin(), deleted.end());
    return deleted;
}

/// The parts of [from, to) outside the deleted ranges, in order.
Ranges kept(qsizetype from, qsizetype to, const Ranges &deleted) {
    Ranges parts;
    for (const auto &[start, end] : deleted) {
        if (end <= from || start >= to)
            continue;
        if (start > from)
            parts.push_back({from, start});
        from = qMax(from, end);
    }
    if (from < to)
        parts.push_back({from, to});
    return parts;
}

/// Word 6.0 and 95: the code page of the script of the document's fonts
/// when they name one other than Western (Cyrillic fonts in a document
/// marked as English); 0 when they name none, or several.
int fontsCodePage(QByteArrayView doc) {
    const qsizetype from = u32(doc, 0xD0), size = u32(doc, 0xD4);
    if (from >= doc.size())
        return 0;
    const QByteArrayView fonts = doc.sliced(from, qMin(size, doc.size() - from));
    int found = 0;
    for (qsizetype at = 2; at + 4 < fonts.size(); at += 1 + quint8(fonts[at])) {
        const int charset = quint8(fonts[at + 4]), codePage = platform::codePageOfCharset(charset);
        if (codePage == 1252 || codePage == 10000)
            continue;
        if (found && found != codePage)
            return 0;
        found = codePage;
    }
    return found;
}

/// True when most of the text's letters lie above ASCII, as in every
/// script but the Latin ones.
bool mostlyBeyondAscii(QByteArrayView bytes) {
    qsizetype high = 0, letters = 0;
    for (const char b : bytes.first(qMin<qsizetype>(bytes.size(), 1 << 16))) {
        high += quint8(b) >= 0x80;
        letters += quint8(b) >= 0x80 || QChar::isLetter(char16_t(b));
    }
    return high * 3 > letters;
}

/// Word 6.0 and 95: pieces of 8-bit text at file offsets, or one run from
/// fcMin as long as all the stories together.
Outcome word6Text(QByteArrayView doc, QString &text, StopToken stop) {
    int codePage = platform::codePageOfLanguage(u16(doc, 0x06));
    if (u16(doc, 0x14) == 256)
        codePage = 10000;                              // written on a Macintosh
    std::vector<std::pair<qsizetype, qsizetype>> runs; // offset, characters
    const QByteArrayView plc = (u16(doc, 0x0A) & 0x0004)
                                   ? pieceTable(doc, u32(doc, 0x160), u32(doc, 0x164))
                                   : QByteArrayView();
    const qsizetype pieces = (plc.size() - 4) / 12;
    for (qsizetype i = 0; i < pieces; ++i) {
        const quint32 start = u32(plc, i * 4), end = u32(plc, (i + 1) * 4);
        if (end > start)
            runs.push_back({u32(plc, (pieces + 1) * 4 + i * 8 + 2), end - start});
    }
    if (runs.empty()) {
        qint64 characters = 0;
        for (qsizetype field = 0x34; field <= 0x50; field += 4)
            characters += qint32(u32(doc, field)) > 0 ? qint32(u32(doc, field)) : 0;
        runs.push_back({u32(doc, 0x18), qsizetype(qMin<qint64>(characters, doc.size()))});
    }
    if (codePage == 1252 && runs[0].first < doc.size()) {
        const auto &[from, count] = runs[0];
        const int fonts = fontsCodePage(doc);
        if (fonts && mostlyBeyondAscii(doc.sliced(from, qMin(count, doc.size() - from))))
            codePage = fonts;
    }
    TextWriter out(text, TextWriter::limitFor(doc.size()), doc.size(), stop);
    WordChars chars(out);
    for (const auto &[from, count] : runs) {
        if (from >= doc.size() || out.full())
            continue;
        const QString run =
            platform::fromCodePage(codePage, doc.sliced(from, qMin(count, doc.size() - from)));
        chars.append(reinterpret_cast<const char16_t *>(run.constData()), run.size());
    }
    return out.limitReached() ? Outcome::BoundReached : Outcome::Text;
}

} // namespace

namespace officetext {

Outcome wordText(const CompoundFile &file, quint32 storage, QString &text, StopToken stop) {
    return wordStreamsText(file.stream(file.find(storage, u"WordDocument")),
                           file.stream(file.find(storage, u"0Table")),
                           file.stream(file.find(storage, u"1Table")), text, stop);
}

Outcome wordStreamsText(QByteArrayView doc, QByteArrayView table0, QByteArrayView table1,
                        QString &text, StopToken stop) {
    const quint16 ident = u16(doc, 0), version = u16(doc, 2), flags = u16(doc, 0x0A);
    if (flags & 0x0100)
        return Outcome::Encrypted;
    if ((ident == 0xA5DC || ident == 0xA5EC) && version >= 101 && version <= 105)
        return word6Text(doc, text, stop);
    if (ident != 0xA5EC || version < 101)
        return Outcome::NotThisFormat;
    const QByteArrayView table = (flags & 0x0200) ? table1 : table0;
    qsizetype at = 32;
    at += 2 + 2 * qsizetype(u16(doc, at)); // FibRgW97
    at += 2 + 4 * qsizetype(u16(doc, at)); // FibRgLw97
    const quint16 pairs = u16(doc, at);
    at += 2;
    if (pairs <= 33)
        return Outcome::NotThisFormat;
    const QByteArrayView plc =
        pieceTable(table, u32(doc, at + qsizetype(33) * 8), u32(doc, at + qsizetype(33) * 8 + 4));
    const qsizetype pieces = (plc.size() - 4) / 12;
    if (pieces <= 0)
        return Outcome::NotThisFormat;
    // Paragraph marks grow by a line feed each: an eighth more than the
    // document's characters is room enough for most documents.
    const qsizetype characters = qMin<qsizetype>(u32(plc, pieces * 4), doc.size());
    TextWriter out(text, TextWriter::limitFor(doc.size()), characters + characters / 8, stop);
    WordChars chars(out);
    const qsizetype bteAt = qMin<qsizetype>(u32(doc, at + qsizetype(12) * 8), table.size());
    const qsizetype bteSize =
        qMin<qsizetype>(u32(doc, at + qsizetype(12) * 8 + 4), table.size() - bteAt);
    const Ranges deleted = deletedText(doc, table.sliced(bteAt, bteSize));
    const auto append = [&](qsizetype from, qsizetype count, bool eightBit) {
        if (eightBit) {
            chars.append(reinterpret_cast<const quint8 *>(doc.data()) + from, count);
            return;
        }
        const char *bytes = doc.data() + from;
        // Read in place where the bytes already are host-order UTF-16.
        if (Q_BYTE_ORDER == Q_LITTLE_ENDIAN && quintptr(bytes) % alignof(char16_t) == 0) {
            chars.append(reinterpret_cast<const char16_t *>(bytes), count);
        } else {
            const QString wide = platform::fromUtf16LE(QByteArrayView(bytes, count * 2));
            chars.append(reinterpret_cast<const char16_t *>(wide.constData()), wide.size());
        }
    };
    // Where the document has lists, each paragraph begins with its label.
    WordLists lists = WordLists::read(doc, table, at);
    bool paragraphStart = true;
    const auto appendParagraphs = [&](qsizetype from, qsizetype count, qsizetype width) {
        if (lists.isEmpty())
            return append(from, count, width == 1);
        for (qsizetype i = 0, end = 0; i < count; i = end) {
            if (std::exchange(paragraphStart, false)) {
                const QString label = lists.next(from + i * width);
                chars.append(reinterpret_cast<const char16_t *>(label.utf16()), label.size());
            }
            for (end = i; end < count && !paragraphStart; ++end) {
                const quint16 c = width == 1 ? quint8(doc[from + end]) : u16(doc, from + end * 2);
                paragraphStart = c == 0x0D || c == 0x07;
            }
            append(from + i * width, end - i, width == 1);
        }
    };
    for (qsizetype i = 0; i < pieces && !out.full(); ++i) {
        const quint32 start = u32(plc, i * 4), end = u32(plc, (i + 1) * 4);
        const quint32 fc = u32(plc, (pieces + 1) * 4 + i * 8 + 2);
        if (end <= start)
            continue;
        const bool eightBit = fc & 0x40000000;
        const qsizetype from = eightBit ? (fc & 0x3FFFFFFF) / 2 : fc;
        const qsizetype width = eightBit ? 1 : 2;
        if (from >= doc.size())
            continue;
        const qsizetype count = qMin<qsizetype>(end - start, (doc.size() - from) / width);
        for (const auto &[partStart, partEnd] : kept(from, from + count * width, deleted))
            appendParagraphs(partStart, (partEnd - partStart) / width, width);
    }
    return out.limitReached() ? Outcome::BoundReached : Outcome::Text;
}

} // namespace officetext
