// PDF text through poppler's C++ interface. Poppler keeps process-wide state
// (its global parameters, the error callback): the callback is set once here;
// each document and its pages are used by one thread only.
#include "documents/packagetext.h"

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

void silencePoppler() {
    static std::once_flag once;
    std::call_once(once, [] { poppler::set_debug_error_function(quiet, nullptr); });
}

/// Pages read at most: more than any real document has.
constexpr int MaxPages = 100000;

} // namespace

bool looksLikePdf(QByteArrayView bytes) {
    return bytes.startsWith("%PDF-");
}

PackageRead pdfText(QByteArrayView bytes, QString &text) {
    if (!looksLikePdf(bytes) || bytes.size() > std::numeric_limits<int>::max())
        return PackageRead::NotDocument;
    silencePoppler();
    const std::unique_ptr<poppler::document> document(
        poppler::document::load_from_raw_data(bytes.data(), int(bytes.size())));
    if (!document)
        return PackageRead::Text; // damaged beyond reading: no text
    if (document->is_locked())
        return PackageRead::Encrypted;
    TextWriter out(text, TextWriter::limitFor(bytes.size()));
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
    return PackageRead::Text;
}
