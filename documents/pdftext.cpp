// PDF text through poppler's C++ interface. Poppler keeps process-wide state
// (its global parameters, the error callback): both are set up once here;
// each document and its pages are used by one thread only.
#include "documents/pdftext.h"

#include "documents/textwriter.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <QStringTokenizer>
#include <QtGlobal>

#include <memory>
#include <mutex>

namespace {

/// Poppler writes its complaints about damaged files to stderr; a scan shows
/// none of them.
void quiet(const std::string &, void *) {}

/// The smallest whole document: one empty page.
constexpr char EmptyPdf[] = "%PDF-1.4\n"
                            "1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
                            "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
                            "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 1 1]>>endobj\n"
                            "xref\n0 4\n"
                            "0000000000 65535 f \n"
                            "0000000009 00000 n \n"
                            "0000000052 00000 n \n"
                            "0000000101 00000 n \n"
                            "trailer<</Size 4/Root 1 0 R>>\nstartxref\n160\n%%EOF\n";

/// Poppler loads its global parameters (font and encoding tables) when a
/// first document opens and drops them when the last one closes: a document
/// kept open for the whole run spares every PDF of a tree that cost.
void preparePoppler() {
    static std::once_flag once;
    static std::unique_ptr<poppler::document> keeper;
    std::call_once(once, [] {
        poppler::set_debug_error_function(quiet, nullptr);
        keeper.reset(poppler::document::load_from_raw_data(EmptyPdf, int(sizeof EmptyPdf - 1)));
    });
}

/// Pages read at most: more than any real document has.
constexpr int MaxPages = 100000;

bool isPdfDelimiter(char c) {
    return QByteArrayView(" \t\r\n\f()<>[]{}/%").contains(c) || c == 0;
}

/// The name that follows a key at `at` (after white space), decoded.
QByteArray nameAfter(QByteArrayView bytes, qsizetype at) {
    while (at < bytes.size() && QByteArrayView(" \t\r\n\f").contains(bytes[at]))
        ++at;
    QByteArray name;
    if (at >= bytes.size() || bytes[at] != '/')
        return name;
    for (++at; at < bytes.size() && !isPdfDelimiter(bytes[at]); ++at) {
        if (bytes[at] == '#' && at + 2 < bytes.size()) {
            name += QByteArray::fromHex(bytes.sliced(at + 1, 2).toByteArray()).left(1);
            at += 2;
        } else {
            name += bytes[at];
        }
    }
    return name;
}

/// Poppler looks a font's CMap up by name in its data folders: a name with a
/// folder separator (written #2F) would make it open any file of the system,
/// a device that never ends or a pipe that never answers. Such a document
/// is refused before poppler sees it.
bool namesFileOutsideData(QByteArrayView bytes) {
    for (const QByteArrayView key : {QByteArrayView("/Encoding"), QByteArrayView("/UseCMap")})
        for (qsizetype at = bytes.indexOf(key); at >= 0; at = bytes.indexOf(key, at + 1)) {
            const QByteArray name = nameAfter(bytes, at + key.size());
            if (name.contains('/') || name.contains('\\'))
                return true;
        }
    return false;
}

} // namespace

bool looksLikePdf(QByteArrayView bytes) {
    return bytes.startsWith("%PDF-");
}

Outcome extractPdf(Extraction &extraction) {
    const QByteArrayView bytes = extraction.bytes();
    if (!looksLikePdf(bytes) || bytes.size() > std::numeric_limits<int>::max())
        return Outcome::NotThisFormat;
    if (namesFileOutsideData(bytes))
        return Outcome::Damaged;
    preparePoppler();
    const std::unique_ptr<poppler::document> document(
        poppler::document::load_from_raw_data(bytes.data(), int(bytes.size())));
    if (!document)
        return Outcome::Damaged; // damaged beyond reading: no text
    if (document->is_locked())
        return Outcome::Encrypted;
    TextWriter out(extraction.text, extraction.bounds().maxChars, 0, extraction.stop());
    const int pages = qMin(document->pages(), MaxPages);
    for (int i = 0; i < pages && !out.full(); ++i) {
        const std::unique_ptr<poppler::page> page(document->create_page(i));
        if (!page)
            continue;
        const poppler::ustring pageText =
            page->text(poppler::rectf(), poppler::page::non_raw_non_physical_layout);
        // Lines end in LF on the page; the document's lines end in CR LF.
        const QStringView view(reinterpret_cast<const char16_t *>(pageText.data()),
                               qsizetype(pageText.size()));
        for (const QStringView line : QStringTokenizer(view, u'\n', Qt::SkipEmptyParts)) {
            out.append(line.endsWith(u'\r') ? line.chopped(1) : line);
            out.appendLineEnd();
        }
    }
    return out.limitReached() ? Outcome::BoundReached : Outcome::Text;
}
