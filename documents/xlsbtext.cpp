// Excel binary workbooks: the parts of an Office package, each a run of
// records (a variable-length type, a variable-length size, the data) instead
// of XML; the relationships between parts are XML as in any package.
#include "documents/xlsbtext.h"

#include "documents/numberformat.h"
#include "documents/ooxmlparts.h"
#include "documents/textlines.h"
#include "documents/zipcontainer.h"
#include "platform/codepage.h"
#include "platform/littleendian.h"

#include <QHash>

#include <cstring>
#include <vector>

namespace {

using littleendian::u16;
using littleendian::u32;

enum RecordType : quint32 {
    RowHeader = 0,
    CellRk = 2,
    CellError = 3,
    CellBool = 4,
    CellReal = 5,
    CellString = 6,
    CellSharedString = 7,
    FormulaString = 8,
    FormulaNumber = 9,
    FormulaBool = 10,
    FormulaError = 11,
    SharedStringItem = 19,
    Format = 44,
    CellStyle = 47,
    CellRichString = 62,
    WorkbookProperties = 153,
    Sheet = 156,
    BeginCellStyles = 617,
    EndCellStyles = 618,
};

struct Record {
    quint32 type = 0;
    QByteArrayView data;
};

/// The records of a part, one after another; a cut-off record ends them.
class Records {
  public:
    explicit Records(QByteArrayView bytes) : bytes_(bytes) {}

    bool next(Record &record) {
        quint32 type = 0, size = 0;
        if (!varint(2, type) || !varint(4, size) || size > bytes_.size() - at_)
            return false;
        record = {type, bytes_.sliced(at_, size)};
        at_ += size;
        return true;
    }

  private:
    bool varint(int maxBytes, quint32 &value) {
        for (int i = 0; i < maxBytes; ++i) {
            if (at_ >= bytes_.size())
                return false;
            const quint8 byte = quint8(bytes_[at_++]);
            value |= quint32(byte & 0x7F) << (7 * i);
            if (!(byte & 0x80))
                return true;
        }
        return true;
    }

    QByteArrayView bytes_;
    qsizetype at_ = 0;
};

/// A string of the records: a count of UTF-16 characters, then the characters.
QString wideString(QByteArrayView data, qsizetype at) {
    const quint32 count = u32(data, at);
    if (at < 0 || at + 4 > data.size() || count == 0xFFFFFFFF)
        return {};
    const qsizetype bytes = qMin<qsizetype>(qsizetype(count) * 2, data.size() - at - 4);
    return platform::fromUtf16LE(data.sliced(at + 4, bytes));
}

QString errorText(quint8 code) {
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    default:
        return QStringLiteral("#GETTING_DATA");
    }
}

/// An RK number: 30 bits of an integer or of a double's high half, perhaps
/// a hundredth of it.
double rkNumber(quint32 rk) {
    double value = 0;
    if (rk & 2) {
        value = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return rk & 1 ? value / 100 : value;
}

double realNumber(QByteArrayView data, qsizetype at) {
    double value = 0;
    if (at + 8 <= data.size())
        std::memcpy(&value, data.data() + at, sizeof value);
    return value;
}

struct Book {
    struct Sheet {
        QString name;
        QString part;
    };
    std::vector<Sheet> sheets;
    bool date1904 = false;
    QStringList shared;
    std::vector<numberformat::NumberFormat> cellFormats;
};

void readWorkbook(QByteArrayView bytes, const QHash<QString, QString> &parts, Book &book) {
    Records records(bytes);
    for (Record r; records.next(r) && book.sheets.size() < packagetext::MaxRelationships;) {
        if (r.type == Sheet) {
            // Its state and tab id, then the relationship's id and the name.
            const QString id = wideString(r.data, 8);
            const qsizetype nameAt = 12 + (u32(r.data, 8) == 0xFFFFFFFF ? 0 : id.size() * 2);
            book.sheets.push_back({wideString(r.data, nameAt), parts.value(id)});
        } else if (r.type == WorkbookProperties) {
            book.date1904 = u32(r.data, 0) & 1;
        }
    }
}

void readSharedStrings(QByteArrayView bytes, Book &book, qsizetype budget) {
    Records records(bytes);
    for (Record r; budget > 0 && records.next(r);) {
        if (r.type == SharedStringItem) {
            book.shared.append(wideString(r.data, 1)); // after the rich-text flags
            budget -= book.shared.back().size() + 16;
        }
    }
}

void readStyles(QByteArrayView bytes, Book &book) {
    QHash<int, QString> formats;
    std::vector<int> ids;
    bool inCellStyles = false;
    Records records(bytes);
    for (Record r; records.next(r) && ids.size() < size_t(packagetext::MaxRelationships);) {
        if (r.type == Format)
            formats.insert(u16(r.data, 0), wideString(r.data, 2));
        else if (r.type == BeginCellStyles || r.type == EndCellStyles)
            inCellStyles = r.type == BeginCellStyles;
        else if (r.type == CellStyle && inCellStyles)
            ids.push_back(u16(r.data, 2));
    }
    book.cellFormats = numberformat::styleFormats(ids, formats);
}

void number(const Book &book, double value, quint32 style, TextLines &lines) {
    lines.write([&](TextWriter &out) {
        if (style < book.cellFormats.size())
            book.cellFormats[style].appendTo(out, value, book.date1904);
        else
            numberformat::appendGeneralNumber(out, value);
    });
}

void cell(const Book &book, const Record &r, TextLines &lines) {
    const quint32 style = u32(r.data, 4) & 0xFFFFFF;
    switch (r.type) {
    case CellRk:
        return number(book, rkNumber(u32(r.data, 8)), style, lines);
    case CellReal:
    case FormulaNumber:
        return number(book, realNumber(r.data, 8), style, lines);
    case CellError:
    case FormulaError:
        return lines.append(errorText(r.data.size() > 8 ? quint8(r.data[8]) : 0));
    case CellBool:
    case FormulaBool:
        return lines.append(r.data.size() > 8 && r.data[8] ? u"TRUE" : u"FALSE");
    case CellString:
    case FormulaString:
        return lines.append(wideString(r.data, 8));
    case CellRichString:
        return lines.append(wideString(r.data, 9)); // after the rich-text flags
    case CellSharedString: {
        const quint32 index = u32(r.data, 8);
        return lines.append(index < quint32(book.shared.size()) ? QStringView(book.shared[index])
                                                                : QStringView());
    }
    }
}

void sheetText(QByteArrayView bytes, const Book &book, TextLines &lines, const TextWriter &out) {
    Records records(bytes);
    for (Record r; !out.full() && records.next(r);) {
        if (r.type == RowHeader) {
            lines.rowEnd();
        } else if ((r.type >= CellRk && r.type <= FormulaError) || r.type == CellRichString) {
            lines.cellStart();
            cell(book, r, lines);
            lines.cellEnd();
        }
    }
    lines.rowEnd();
}

} // namespace

bool isBinaryWorkbook(Extraction &extraction) {
    ZipContainer *zip = extraction.zip();
    if (!zip || !zip->contains(QStringLiteral("[Content_Types].xml")))
        return false;
    const QStringList mains =
        packagetext::targets(packagetext::relationships(*zip, {}), u"officeDocument");
    return !mains.isEmpty() && mains.first().endsWith(QLatin1StringView(".bin"));
}

Outcome extractBinaryWorkbook(Extraction &extraction) {
    using namespace packagetext;
    ZipContainer *zip = extraction.zip();
    if (!zip)
        return Outcome::NotThisFormat;
    const QStringList mains = targets(relationships(*zip, {}), u"officeDocument");
    if (mains.isEmpty())
        return Outcome::NotThisFormat;
    const qint64 most = extraction.bounds().maxInflated;
    const auto rels = relationships(*zip, mains.first());
    Book book;
    readWorkbook(zip->readAll(mains.first(), most), targetsById(rels), book);
    for (const QString &part : targets(rels, u"styles"))
        readStyles(zip->readAll(part, most), book);
    for (const QString &part : targets(rels, u"sharedStrings"))
        readSharedStrings(zip->readAll(part, most), book, extraction.bounds().maxChars);
    TextWriter out(extraction.text, extraction.bounds().maxChars, 0, extraction.stop());
    {
        TextLines lines(out);
        for (const Book::Sheet &sheet : book.sheets) {
            lines.append(sheet.name);
            lines.finishLine();
        }
        for (const Book::Sheet &sheet : book.sheets)
            if (!out.full())
                sheetText(zip->readAll(sheet.part, most), book, lines, out);
    }
    if (out.limitReached() || zip->budgetSpent())
        return Outcome::BoundReached;
    return zip->damaged() ? Outcome::Damaged : Outcome::Text;
}
