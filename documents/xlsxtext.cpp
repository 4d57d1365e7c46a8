// Excel 2007+ workbooks: sheets named by the workbook part, shared strings and
// number formats in parts of their own, cells row by row in each sheet part.
#include "documents/ooxmlparts.h"

#include "documents/numberformat.h"
#include "documents/pageheader.h"
#include "documents/textlines.h"
#include "documents/zipcontainer.h"

#include <QHash>

#include <charconv>
#include <string>
#include <vector>

namespace packagetext {
namespace {

/// Characters of shared strings kept (two bytes each).
constexpr qsizetype SharedStringBudget = qsizetype(32) << 20;

struct Workbook {
    struct Sheet {
        QString name;
        QString part;
    };
    std::vector<Sheet> sheets;
    bool date1904 = false;
    QString sharedText;                                  ///< the shared strings one after another
    std::vector<qsizetype> sharedEnds;                   ///< where each shared string ends
    std::vector<numberformat::NumberFormat> cellFormats; ///< parsed, by cell style

    QStringView sharedString(qsizetype index) const {
        if (index < 0 || size_t(index) >= sharedEnds.size())
            return {};
        const qsizetype from = index == 0 ? 0 : sharedEnds[size_t(index) - 1];
        return QStringView(sharedText).sliced(from, sharedEnds[size_t(index)] - from);
    }
};

void readWorkbook(ZipContainer &zip, const QString &main, Workbook &book) {
    const auto byId = targetsById(relationships(zip, main));
    const auto source = zip.entry(main);
    if (!source)
        return;
    XmlReader reader(*source);
    while (reader.readNext() != XmlReader::EndDocument && book.sheets.size() < MaxRelationships) {
        if (reader.isStart("sheet")) {
            book.sheets.push_back({reader.attribute("name"), byId.value(reader.attribute("r:id"))});
        } else if (reader.isStart("workbookPr")) {
            const QString value = reader.attribute("date1904");
            book.date1904 = value == u"1" || value == u"true";
        }
    }
}

void readStyles(ZipContainer &zip, const QString &part, Workbook &book) {
    const auto source = zip.entry(part);
    if (!source)
        return;
    XmlReader reader(*source);
    QHash<int, QString> formats;
    std::vector<int> ids;
    bool inCellFormats = false;
    while (reader.readNext() != XmlReader::EndDocument) {
        if (reader.isStart("numFmt"))
            formats.insert(reader.attribute("numFmtId").toInt(), reader.attribute("formatCode"));
        else if (reader.isStart("cellXfs") || reader.isEnd("cellXfs"))
            inCellFormats = reader.token() == XmlReader::StartElement;
        else if (inCellFormats && reader.isStart("xf") && ids.size() < MaxRelationships)
            ids.push_back(reader.attribute("numFmtId").toInt());
    }
    book.cellFormats = numberformat::styleFormats(ids, formats);
}

void readSharedStrings(ZipContainer &zip, const QString &part, Workbook &book) {
    const auto source = zip.entry(part);
    if (!source)
        return;
    XmlReader reader(*source);
    TextWriter out(book.sharedText, SharedStringBudget);
    qsizetype budget = SharedStringBudget;
    bool inText = false;
    for (XmlReader::Token token;
         budget > 0 && !out.full() && (token = reader.readNext()) != XmlReader::EndDocument;) {
        if (token == XmlReader::Characters && inText) {
            reader.appendText(out);
        } else if (reader.isStart("rPh")) {
            reader.skipElement();
        } else if (reader.isStart("t") || reader.isEnd("t")) {
            inText = token == XmlReader::StartElement;
        } else if (reader.isEnd("si")) {
            const qsizetype from = book.sharedEnds.empty() ? 0 : book.sharedEnds.back();
            budget -= out.size() - from + 16;
            book.sharedEnds.push_back(out.size());
        }
    }
}

/// Cell values are mostly short decimal numbers: those are read without the
/// general conversion, which takes the rest (spaces, a plus sign, "inf").
bool toNumber(QByteArrayView bytes, double &number) {
    qsizetype i = bytes.startsWith('-') ? 1 : 0;
    const auto digits = [&] {
        const qsizetype from = i;
        while (i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9')
            ++i;
        return i > from;
    };
    bool plain = digits();
    if (plain && i < bytes.size() && bytes[i] == '.')
        plain = (++i, digits());
    if (plain && i < bytes.size() && (bytes[i] == 'e' || bytes[i] == 'E')) {
        i += i + 1 < bytes.size() && (bytes[i + 1] == '+' || bytes[i + 1] == '-') ? 2 : 1;
        plain = digits();
    }
    if (plain && i == bytes.size()) {
        const char *end = bytes.data() + bytes.size();
        const auto [at, error] = std::from_chars(bytes.data(), end, number);
        if (error == std::errc() && at == end)
            return true;
    }
    bool ok = false;
    number = bytes.toDouble(&ok);
    return ok;
}

/// An index or style number as the general conversion reads it.
int toIndex(QByteArrayView bytes, bool *ok = nullptr) {
    if (bytes.isEmpty() || bytes.size() > 9)
        return bytes.toInt(ok);
    int value = 0;
    for (const char c : bytes) {
        if (c < '0' || c > '9')
            return bytes.toInt(ok);
        value = value * 10 + (c - '0');
    }
    if (ok)
        *ok = true;
    return value;
}

void appendNumber(const Workbook &book, QByteArrayView value, int style, TextWriter &out) {
    double number = 0;
    if (!toNumber(value, number))
        out.append(QString::fromLatin1(value));
    else if (style < 0 || size_t(style) >= book.cellFormats.size())
        numberformat::appendGeneralNumber(out, number);
    else
        book.cellFormats[size_t(style)].appendTo(out, number, book.date1904);
}

enum class CellType { Number, SharedString, InlineString, Boolean, Text };

CellType cellType(QByteArrayView t) {
    if (nameIs(t, "s"))
        return CellType::SharedString;
    if (nameIs(t, "inlineStr"))
        return CellType::InlineString;
    if (nameIs(t, "b"))
        return CellType::Boolean;
    if (nameIs(t, "str") || nameIs(t, "e") ||
        nameIs(t, "d")) // a formula's text, an error, an ISO date
        return CellType::Text;
    return CellType::Number;
}

struct Cell {
    CellType type = CellType::Number;
    int style = 0;
    std::string value;
    QString inlineText;

    void start(const XmlReader &reader) {
        type = CellType::Number;
        style = 0;
        bool typed = false, styled = false;
        QByteArrayView name, attribute;
        for (qsizetype at = 0; (!typed || !styled) && reader.nextAttribute(at, name, attribute);) {
            const QByteArrayView local = XmlReader::localPart(name);
            if (!typed && nameIs(local, "t")) {
                type = cellType(attribute);
                typed = true;
            } else if (!styled && nameIs(local, "s")) {
                style = toIndex(attribute);
                styled = true;
            }
        }
        value.clear();
        inlineText.resize(0);
    }
};

void writeCell(const Workbook &book, const Cell &cell, TextLines &lines) {
    const QByteArrayView value(cell.value.data(), qsizetype(cell.value.size()));
    switch (cell.type) {
    case CellType::SharedString: {
        bool ok = false;
        const int index = toIndex(value, &ok);
        lines.append(ok ? book.sharedString(index) : QStringView());
        break;
    }
    case CellType::InlineString:
        lines.append(cell.inlineText);
        break;
    case CellType::Boolean:
        lines.append(value == "1" ? u"TRUE" : u"FALSE");
        break;
    case CellType::Text:
        lines.write([&](TextWriter &out) { appendXmlText(value, out); });
        break;
    case CellType::Number:
        if (!value.isEmpty())
            lines.write([&](TextWriter &out) { appendNumber(book, value, cell.style, out); });
        break;
    }
}

bool isPageHeader(QByteArrayView name) {
    return nameIs(name, "oddHeader") || nameIs(name, "oddFooter") || nameIs(name, "evenHeader") ||
           nameIs(name, "evenFooter") || nameIs(name, "firstHeader") || nameIs(name, "firstFooter");
}

void sheetText(ZipContainer &zip, const QString &part, const Workbook &book, TextLines &lines) {
    const auto source = zip.entry(part);
    if (!source)
        return;
    XmlReader reader(*source);
    Cell cell;
    bool inValue = false;
    bool inText = false;
    bool inHeader = false;
    QString header;
    QStringList headers; // odd, even and first pages often say the same
    for (XmlReader::Token token; (token = reader.readNext()) != XmlReader::EndDocument;) {
        const QByteArrayView name = reader.name();
        if (token == XmlReader::Characters) {
            if (inHeader)
                header += reader.text();
            else if (inValue)
                cell.value.append(reader.rawText().data(), size_t(reader.rawText().size()));
            else if (inText)
                cell.inlineText += reader.text();
        } else if (token == XmlReader::StartElement) {
            if (nameIs(name, "c")) {
                cell.start(reader);
            } else if (nameIs(name, "v")) {
                inValue = true;
            } else if (nameIs(name, "t")) {
                inText = true;
            } else if (nameIs(name, "rPh") || nameIs(name, "f")) {
                reader.skipElement();
            } else if (isPageHeader(name)) {
                inHeader = true;
                header.clear();
            }
        } else if (isPageHeader(name)) {
            inHeader = false;
            header = sheetHeaderText(header);
            if (!header.isEmpty() && !headers.contains(header))
                headers.append(header);
        } else if (nameIs(name, "v") || nameIs(name, "t")) {
            inValue = inText = false;
        } else if (nameIs(name, "c")) {
            lines.cellStart();
            writeCell(book, cell, lines);
            lines.cellEnd();
        } else if (nameIs(name, "row")) {
            lines.rowEnd();
        }
    }
    lines.rowEnd();
    for (const QString &text : std::as_const(headers)) {
        lines.append(text);
        lines.finishLine();
    }
}

} // namespace

void excelText(ZipContainer &zip, const QString &main, TextLines &lines) {
    Workbook book;
    readWorkbook(zip, main, book);
    const auto rels = relationships(zip, main);
    for (const QString &part : targets(rels, u"styles"))
        readStyles(zip, part, book);
    for (const QString &part : targets(rels, u"sharedStrings"))
        readSharedStrings(zip, part, book);
    for (const Workbook::Sheet &sheet : book.sheets) {
        lines.append(sheet.name);
        lines.finishLine();
    }
    for (const Workbook::Sheet &sheet : book.sheets) {
        sheetText(zip, sheet.part, book, lines);
        const auto sheetRels = relationships(zip, sheet.part);
        for (const QString &part : targets(sheetRels, u"comments"))
            markupText(zip, part, lines);
        for (const QString &part : targets(sheetRels, u"drawing")) {
            markupText(zip, part, lines);
            drawingsOf(zip, relationships(zip, part), lines);
        }
    }
}

} // namespace packagetext
