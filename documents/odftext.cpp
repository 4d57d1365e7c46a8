// OpenDocument files: a zip whose content.xml holds the body (text,
// spreadsheet or presentation) and whose styles.xml holds the page headers and
// footers.
#include "documents/odftext.h"

#include "documents/textlines.h"
#include "documents/zipcontainer.h"

namespace packagetext {
namespace {

/// Spaces one text:s element may stand for.
constexpr int MaxSpaces = 1024;

enum class Body { Text, Spreadsheet, Other };

struct OdfState {
    Body body = Body::Other;
    bool pageStyles = false; ///< styles.xml: only headers and footers are text
};

bool isAside(QByteArrayView name) {
    return nameIs(name, "note-body") || nameIs(name, "text-box") || nameIs(name, "annotation");
}

// Parts of the markup whose text the reader does not show: the author and
// date of a comment, deleted text kept for tracked changes, the number that
// marks a note.
bool isHidden(const XmlReader &reader) {
    const QByteArrayView name = reader.name();
    return reader.qualifiedName().startsWith("dc:") || nameIs(name, "tracked-changes") ||
           nameIs(name, "date-string") || nameIs(name, "note-citation");
}

// The fields of a sheet's page header: what they hold is a placeholder ("???",
// the first page's number), not what any printed page shows.
bool isSheetHeaderField(QByteArrayView name) {
    return nameIs(name, "sheet-name") || nameIs(name, "page-number") ||
           nameIs(name, "page-count") || nameIs(name, "date") || nameIs(name, "time") ||
           nameIs(name, "file-name") || nameIs(name, "title");
}

// Elements whose text lines are shown like paragraphs: text paragraphs, and a
// presentation's footer and header texts, declared once for its slides.
bool isParagraph(QByteArrayView name) {
    return nameIs(name, "p") || nameIs(name, "h") || nameIs(name, "footer-decl") ||
           nameIs(name, "header-decl");
}

bool isPageRegion(QByteArrayView name) {
    return nameIs(name, "header") || nameIs(name, "footer") || nameIs(name, "header-left") ||
           nameIs(name, "footer-left") || nameIs(name, "header-first") ||
           nameIs(name, "footer-first");
}

void startElement(const XmlReader &reader, OdfState &state, TextLines &lines) {
    const QByteArrayView name = reader.name();
    if (nameIs(name, "s")) {
        const int count = qBound(1, reader.attribute("c").toInt(), MaxSpaces);
        lines.append(QString(count, u' '));
    } else if (nameIs(name, "tab")) {
        lines.append(u"\t");
    } else if (nameIs(name, "line-break")) {
        lines.paragraphEnd();
    } else if (nameIs(name, "table-cell") || nameIs(name, "covered-table-cell")) {
        lines.cellStart();
    } else if (isAside(name)) {
        lines.asideStart();
    } else if (nameIs(name, "table") && state.body == Body::Spreadsheet) {
        lines.finishLine();
        lines.append(reader.attribute("name"));
        lines.finishLine();
    }
}

void endElement(QByteArrayView name, TextLines &lines) {
    if (isParagraph(name))
        lines.paragraphEnd();
    else if (nameIs(name, "table-cell") || nameIs(name, "covered-table-cell"))
        lines.cellEnd();
    else if (nameIs(name, "table-row"))
        lines.rowEnd();
    else if (isAside(name))
        lines.asideEnd();
}

void partText(ZipContainer &zip, const QString &part, OdfState &state, TextLines &lines) {
    const auto source = zip.entry(part);
    if (!source)
        return;
    XmlReader reader(*source);
    int paragraphs = 0; // text:p and text:h open around the text
    int pageRegion = 0; // in styles.xml: the depth of a header or footer
    for (XmlReader::Token token; (token = reader.readNext()) != XmlReader::EndDocument;) {
        const QByteArrayView name = reader.name();
        if (state.pageStyles && !pageRegion) {
            if (token == XmlReader::StartElement && isPageRegion(name))
                pageRegion = reader.depth();
            continue;
        }
        if (token == XmlReader::Characters) {
            if (paragraphs > 0)
                lines.text(reader);
        } else if (token == XmlReader::StartElement) {
            if (isHidden(reader) ||
                (state.pageStyles && state.body == Body::Spreadsheet && isSheetHeaderField(name))) {
                reader.skipElement();
                continue;
            }
            if (nameIs(name, "text") && state.body == Body::Other && reader.depth() <= 3)
                state.body = Body::Text;
            else if (nameIs(name, "spreadsheet"))
                state.body = Body::Spreadsheet;
            paragraphs += isParagraph(name);
            startElement(reader, state, lines);
        } else {
            if (isParagraph(name))
                paragraphs = qMax(0, paragraphs - 1);
            endElement(name, lines);
            if (pageRegion && reader.depth() < pageRegion)
                pageRegion = 0;
        }
    }
    lines.finishLine();
}

bool isEncrypted(ZipContainer &zip) {
    const QByteArray manifest = zip.readAll(QStringLiteral("META-INF/manifest.xml"), 4 << 20);
    return manifest.contains("encryption-data");
}

// The content of the objects embedded in the document (a chart, a table of
// another kind, a text frame), each a document of its own in a folder
// ("Object 1/content.xml"), in the order the zip holds them.
QStringList objectParts(ZipContainer &zip) {
    QStringList parts;
    for (const QString &name : zip.names()) {
        const qsizetype slash = name.indexOf(u'/');
        if (slash > 0 && name.mid(slash + 1) == u"content.xml" && !name.startsWith(u"META-INF"))
            parts << name;
    }
    return parts;
}

} // namespace
} // namespace packagetext

bool isOpenDocument(Extraction &extraction) {
    return extraction.zipHolds(QStringLiteral("mimetype"));
}

Outcome extractOpenDocument(Extraction &extraction) {
    using namespace packagetext;
    ZipContainer *zip = extraction.zip();
    if (!zip)
        return Outcome::NotThisFormat;
    const QByteArray mimetype = zip->readAll(QStringLiteral("mimetype"), 256);
    if (!mimetype.startsWith("application/vnd.oasis.opendocument.") ||
        !zip->contains(QStringLiteral("content.xml")))
        return Outcome::NotThisFormat;
    if (isEncrypted(*zip))
        return Outcome::Encrypted;
    TextWriter out(extraction.text, extraction.bounds().maxChars, 0, extraction.stop());
    {
        TextLines lines(out);
        OdfState state;
        partText(*zip, QStringLiteral("content.xml"), state, lines);
        if (state.body != Body::Other) {
            state.pageStyles = true;
            partText(*zip, QStringLiteral("styles.xml"), state, lines);
        }
        for (const QString &object : objectParts(*zip)) {
            OdfState own;
            partText(*zip, object, own, lines);
        }
    }
    if (out.limitReached() || zip->budgetSpent())
        return Outcome::BoundReached;
    return zip->damaged() ? Outcome::Damaged : Outcome::Text;
}
