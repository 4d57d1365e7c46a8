// The parts of an Office Open XML package that its Word, Excel and PowerPoint
// readers share: relationships between parts, content types and the text of
// WordprocessingML and DrawingML markup.
#include "documents/ooxmlparts.h"

#include "documents/listnumbers.h"
#include "documents/textlines.h"
#include "documents/zipcontainer.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace packagetext {

namespace {

QString directoryOf(const QString &part) {
    return part.left(part.lastIndexOf(u'/') + 1);
}

// A target relative to the part's folder, or absolute from the package root,
// as a zip entry name; empty for a target that climbs above the root, which
// names no part of the package.
QString resolve(const QString &base, const QString &target) {
    QStringList segments;
    const QString joined = target.startsWith(u'/') ? target : directoryOf(base) + target;
    for (const QString &segment : joined.split(u'/', Qt::SkipEmptyParts)) {
        if (segment == u"..") {
            if (segments.isEmpty())
                return {};
            segments.removeLast();
        } else if (segment != u".")
            segments.append(segment);
    }
    return segments.join(u'/');
}

/// The list a Word paragraph's properties name, directly or by its style.
struct ParagraphList {
    QString style;
    int numId = -1;
    int level = 0;

    /// True when the start tag was one of the list's.
    bool read(const XmlReader &reader) {
        const QByteArrayView name = reader.name();
        if (nameIs(name, "pStyle"))
            style = reader.attribute("val");
        else if (nameIs(name, "numId"))
            numId = reader.attribute("val").toInt();
        else if (nameIs(name, "ilvl"))
            level = reader.attribute("val").toInt();
        else
            return false;
        return true;
    }
    void numberParagraph(ListNumbers &numbers, TextLines &lines) {
        const QString label = numbers.next(numId, level, style);
        if (!label.isEmpty())
            lines.append(QString(label + u' '));
        *this = {};
    }
};

QString relationshipsPart(const QString &part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
           QStringLiteral(".rels");
}

} // namespace

std::vector<Relationship> relationships(ZipContainer &zip, const QString &part) {
    std::vector<Relationship> found;
    const auto source = zip.entry(relationshipsPart(part));
    if (!source)
        return found;
    XmlReader reader(*source);
    while (reader.readNext() != XmlReader::EndDocument && found.size() < MaxRelationships) {
        if (!reader.isStart("Relationship") ||
            reader.attribute("TargetMode").compare(u"External", Qt::CaseInsensitive) == 0)
            continue;
        const QString target = resolve(part, reader.attribute("Target"));
        if (target.isEmpty())
            continue;
        const QString type = reader.attribute("Type");
        found.push_back({reader.attribute("Id"), type.mid(type.lastIndexOf(u'/') + 1), target});
    }
    return found;
}

// The targets of one type, in the order of their names (header1, header2 ...).
QStringList targets(const std::vector<Relationship> &rels, QStringView type) {
    QStringList parts;
    for (const Relationship &rel : rels)
        if (rel.type == type)
            parts.append(rel.target);
    std::sort(parts.begin(), parts.end(), [](const QString &a, const QString &b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    parts.erase(std::unique(parts.begin(), parts.end()), parts.end());
    return parts;
}

/// The target of each id, the first where an id is given twice: a workbook
/// or presentation looks up one per sheet or slide.
QHash<QString, QString> targetsById(const std::vector<Relationship> &rels) {
    QHash<QString, QString> byId;
    byId.reserve(qsizetype(rels.size()));
    for (const Relationship &rel : rels)
        if (!byId.contains(rel.id))
            byId.insert(rel.id, rel.target);
    return byId;
}

QString contentTypeOf(ZipContainer &zip, const QString &part) {
    const auto source = zip.entry(QStringLiteral("[Content_Types].xml"));
    if (!source)
        return {};
    XmlReader reader(*source);
    const QString name = u'/' + part;
    while (reader.readNext() != XmlReader::EndDocument)
        if (reader.isStart("Override") &&
            reader.attribute("PartName").compare(name, Qt::CaseInsensitive) == 0)
            return reader.attribute("ContentType");
    return {};
}

/// The text of a part in WordprocessingML or DrawingML: runs' text, tabs and
/// breaks, paragraphs, table rows, text boxes; the fallback copy of content
/// that an application may show instead is read once, not twice.
void markupText(ZipContainer &zip, const QString &part, TextLines &lines, MarkupOptions options) {
    ListNumbers *const numbers = options.numbers;
    const auto source = zip.entry(part);
    if (!source)
        return;
    XmlReader reader(*source);
    int runs = 0;
    bool inText = false;
    ParagraphList list;
    for (XmlReader::Token token; (token = reader.readNext()) != XmlReader::EndDocument;) {
        const QByteArrayView name = reader.name();
        if (token == XmlReader::Characters) {
            if (inText)
                lines.text(reader);
        } else if (token == XmlReader::StartElement) {
            if (nameIs(name, "t") || nameIs(name, "text")) // a slide comment's text
                inText = true;
            else if (nameIs(name, "r"))
                ++runs;
            else if (nameIs(name, "Fallback") || nameIs(name, "rPh") || nameIs(name, "pPrChange"))
                reader.skipElement();
            else if (numbers && list.read(reader))
                continue;
            else if (nameIs(name, "ph") && !options.placeholders)
                while (reader.readNext() != XmlReader::EndDocument && !reader.isEnd("sp"))
                    ;
            else if (nameIs(name, "tab") && runs > 0)
                lines.append(u"\t");
            else if (nameIs(name, "br") || nameIs(name, "cr"))
                lines.paragraphEnd();
            else if (nameIs(name, "noBreakHyphen"))
                lines.append(u"-");
            else if (nameIs(name, "tc"))
                lines.cellStart();
            else if (nameIs(name, "txbxContent"))
                lines.asideStart();
        } else {
            if (nameIs(name, "t") || nameIs(name, "text"))
                inText = false;
            else if (numbers && nameIs(name, "pPr"))
                list.numberParagraph(*numbers, lines);
            else if (nameIs(name, "r"))
                runs = qMax(0, runs - 1);
            else if (nameIs(name, "p"))
                lines.paragraphEnd();
            else if (nameIs(name, "tc"))
                lines.cellEnd();
            else if (nameIs(name, "tr"))
                lines.rowEnd();
            else if (nameIs(name, "txbxContent"))
                lines.asideEnd();
            else if (nameIs(name, "comment") || nameIs(name, "cm"))
                lines.finishLine();
        }
    }
    lines.finishLine();
}
void chartText(ZipContainer &zip, const QString &part, TextLines &lines) {
    const auto source = zip.entry(part);
    if (!source)
        return;
    XmlReader reader(*source);
    int named = 0; // series names and category labels open around the text
    bool inText = false;
    QString line;
    QSet<QString> shown; // each series repeats the categories
    for (XmlReader::Token token; (token = reader.readNext()) != XmlReader::EndDocument;) {
        const QByteArrayView name = reader.name();
        if (token == XmlReader::Characters) {
            if (inText)
                line += reader.text();
        } else if (token == XmlReader::StartElement) {
            if (nameIs(name, "val") || nameIs(name, "yVal") || nameIs(name, "formatCode") ||
                nameIs(name, "f")) {
                // Skipping reads on: the name's bytes are gone after it.
                reader.skipElement();
                inText = false;
                continue;
            }
            if (nameIs(name, "tx") || nameIs(name, "cat"))
                ++named;
            inText = nameIs(name, "t") || (named > 0 && nameIs(name, "v"));
        } else {
            if (nameIs(name, "tx") || nameIs(name, "cat"))
                named = qMax(0, named - 1);
            inText = false;
            const bool lineEnds = nameIs(name, "p") || nameIs(name, "v");
            if (lineEnds && !line.trimmed().isEmpty() && !shown.contains(line)) {
                shown.insert(line);
                lines.append(line);
                lines.finishLine();
            }
            if (lineEnds)
                line.clear();
        }
    }
}

void drawingsOf(ZipContainer &zip, const std::vector<Relationship> &rels, TextLines &lines) {
    for (const QString &chart : targets(rels, u"chart"))
        chartText(zip, chart, lines);
    // SmartArt: its data part holds the text its drawing part repeats.
    for (const QString &diagram : targets(rels, u"diagramData"))
        markupText(zip, diagram, lines);
}

} // namespace packagetext
