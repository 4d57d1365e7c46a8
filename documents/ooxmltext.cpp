// Word, Excel and PowerPoint 2007+ files: a zip of XML parts tied together by
// relationship parts; the main part is named by the package's relationships.
#include "documents/ooxmltext.h"

#include "documents/listnumbers.h"
#include "documents/ooxmlparts.h"
#include "documents/textlines.h"
#include "documents/zipcontainer.h"

namespace packagetext {
namespace {

void wordText(ZipContainer &zip, const QString &main, TextLines &lines) {
    ListNumbers numbers = ListNumbers::read(zip, main);
    markupText(zip, main, lines, {&numbers});
    const auto rels = relationships(zip, main);
    drawingsOf(zip, rels, lines);
    for (const char16_t *type : {u"header", u"footer", u"footnotes", u"endnotes", u"comments"})
        for (const QString &part : targets(rels, type))
            markupText(zip, part, lines);
}

void powerPointText(ZipContainer &zip, const QString &main, TextLines &lines) {
    const auto byId = targetsById(relationships(zip, main));
    const auto source = zip.entry(main);
    if (!source)
        return;
    QStringList slides;
    XmlReader reader(*source);
    while (reader.readNext() != XmlReader::EndDocument && slides.size() < MaxRelationships)
        if (reader.isStart("sldId"))
            slides.append(byId.value(reader.attribute("r:id")));
    QStringList masters; // layouts and masters that slides use, in order of first use
    for (const QString &slide : std::as_const(slides)) {
        markupText(zip, slide, lines);
        const auto slideRels = relationships(zip, slide);
        drawingsOf(zip, slideRels, lines);
        for (const char16_t *type : {u"notesSlide", u"comments"})
            for (const QString &part : targets(slideRels, type))
                markupText(zip, part, lines);
        for (const QString &layout : targets(slideRels, u"slideLayout"))
            if (!masters.contains(layout) && masters.size() < MaxRelationships)
                masters << layout << targets(relationships(zip, layout), u"slideMaster");
    }
    masters.removeDuplicates();
    masters << targets(relationships(zip, main), u"handoutMaster");
    // What a master or layout draws on its slides besides their own text.
    for (const QString &master : std::as_const(masters))
        markupText(zip, master, lines, {nullptr, false});
}

enum class Kind { None, Word, Excel, PowerPoint };

Kind kindOf(const QString &contentType, const QString &part) {
    if (contentType.contains(u"binary")) // the binary workbook: not XML
        return Kind::None;
    if (contentType.contains(u"wordprocessingml") || contentType.contains(u"ms-word"))
        return Kind::Word;
    if (contentType.contains(u"spreadsheetml") || contentType.contains(u"ms-excel"))
        return Kind::Excel;
    if (contentType.contains(u"presentationml") || contentType.contains(u"ms-powerpoint"))
        return Kind::PowerPoint;
    if (!contentType.isEmpty())
        return Kind::None;
    // No content type for the part: the folder the applications use.
    if (part.startsWith(u"word/"))
        return Kind::Word;
    if (part.startsWith(u"xl/"))
        return Kind::Excel;
    return part.startsWith(u"ppt/") ? Kind::PowerPoint : Kind::None;
}

} // namespace

} // namespace packagetext

bool isOfficePackage(Extraction &extraction) {
    return extraction.zipHolds(QStringLiteral("[Content_Types].xml"));
}

Outcome extractOfficePackage(Extraction &extraction) {
    using namespace packagetext;
    ZipContainer *zip = extraction.zip();
    if (!zip)
        return Outcome::NotThisFormat;
    const QStringList mains = targets(relationships(*zip, QString()), u"officeDocument");
    if (mains.isEmpty())
        return Outcome::NotThisFormat;
    const QString &main = mains.first();
    const Kind kind = kindOf(contentTypeOf(*zip, main), main);
    if (kind == Kind::None)
        return Outcome::NotThisFormat;
    TextWriter out(extraction.text, extraction.bounds().maxChars, 0, extraction.stop());
    {
        TextLines lines(out);
        if (kind == Kind::Word)
            wordText(*zip, main, lines);
        else if (kind == Kind::Excel)
            excelText(*zip, main, lines);
        else
            powerPointText(*zip, main, lines);
    }
    if (out.limitReached() || zip->budgetSpent())
        return Outcome::BoundReached;
    return zip->damaged() ? Outcome::Damaged : Outcome::Text;
}