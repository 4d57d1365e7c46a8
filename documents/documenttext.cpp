#include "documents/documenttext.h"

#include "documents/compoundfile.h"
#include "documents/compoundtext.h"
#include "documents/exceltext.h"
#include "documents/htmltext.h"
#include "documents/mailtext.h"
#include "documents/msgtext.h"
#include "documents/odftext.h"
#include "documents/ooxmltext.h"
#include "documents/packagetext.h"
#include "documents/pdftext.h"
#include "documents/rtfreader.h"
#include "documents/xlsbtext.h"
#include "documents/zipcontainer.h"
#include "platform/codepage.h"

#include <QLatin1StringView>

namespace {

// A new format is one extractor and one line here. The signatures exclude
// each other, so the order matters only among formats of one container.
constexpr DocumentFormat Formats[] = {
    {"PDF", looksLikePdf, nullptr, "", true, extractPdf},
    {"Excel binary workbook", ZipContainer::looksLikeZip, isBinaryWorkbook, "", true,
     extractBinaryWorkbook},
    {"Office Open XML", ZipContainer::looksLikeZip, isOfficePackage, "", true,
     extractOfficePackage},
    {"OpenDocument", ZipContainer::looksLikeZip, isOpenDocument, "", true, extractOpenDocument},
    {"RTF", isRtf, nullptr, "", true, extractRtf},
    {"Outlook message", CompoundFile::isCompoundFile, msgtext::isMessage, "", true, extractMessage},
    {"Compound file", CompoundFile::isCompoundFile, nullptr, "", false, extractCompoundFile},
    {"Excel 2-4", officetext::isOldWorkbook, nullptr, "", false, extractOldWorkbook},
    {"Mail", mailtext::isMail, nullptr, "eml", false, extractMail},
    {"HTML", nullptr, nullptr, "htm html", false, extractHtml},
};

bool claims(const DocumentFormat &format, Extraction &extraction) {
    return format.signature && format.signature(extraction.bytes()) &&
           (!format.recognises || format.recognises(extraction));
}

bool named(const DocumentFormat &format, QStringView fileName) {
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    const QStringView type = fileName.sliced(dot + 1);
    for (const QLatin1StringView known : QLatin1StringView(format.types).tokenize(u' '))
        if (type.compare(known, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

Outcome finish(Extraction &extraction, Outcome outcome) {
    if (givesText(outcome) && !extraction.stop().stopped())
        collectEmbeddedFiles(extraction);
    return extraction.stop().stopped() ? Outcome::Stopped : outcome;
}

} // namespace

std::span<const DocumentFormat> documentFormats() {
    return Formats;
}

const DocumentFormat *formatOf(Extraction &extraction, QStringView fileName) {
    for (const DocumentFormat &format : Formats)
        if (claims(format, extraction))
            return &format;
    for (const DocumentFormat &format : Formats)
        if (named(format, fileName))
            return &format;
    return nullptr;
}

Outcome extractDocument(Extraction &extraction, QStringView fileName) {
    const DocumentFormat *format = formatOf(extraction, fileName);
    Outcome outcome = format ? format->extract(extraction) : Outcome::NotThisFormat;
    // A zip that not even one whole entry can be read from is a damaged
    // document (a cut-off download), never text.
    if (outcome == Outcome::NotThisFormat && ZipContainer::looksLikeZip(extraction.bytes()) &&
        !extraction.zip())
        return finish(extraction, Outcome::Damaged);
    if (outcome == Outcome::NotThisFormat && !extraction.stop().stopped()) {
        // DIF, MPX and text saved under a document's name: read as a text file is.
        extraction.text = platform::decodeText(extraction.bytes());
        outcome = Outcome::Text;
    }
    return finish(extraction, outcome);
}

Outcome extractDocumentNamedAsText(Extraction &extraction) {
    for (const DocumentFormat &format : Formats)
        if (format.whateverName && claims(format, extraction))
            return finish(extraction, format.extract(extraction));
    return Outcome::NotThisFormat;
}

QString documentText(QByteArrayView bytes) {
    Extraction extraction(bytes);
    extractDocument(extraction);
    return std::move(extraction.text);
}

bool mayBeDocument(QByteArrayView head) {
    for (const DocumentFormat &format : Formats)
        if (format.whateverName && format.signature && format.signature(head))
            return true;
    return false;
}
