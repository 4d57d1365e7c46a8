#include "documents/embeddedfiles.h"

#include "documents/compoundfile.h"
#include "documents/exceltext.h"
#include "documents/extraction.h"
#include "documents/objectpool.h"
#include "documents/pdftext.h"
#include "documents/powerpointtext.h"
#include "documents/zipcontainer.h"

#include <poppler-document.h>
#include <poppler-embedded-file.h>

namespace {

void collectFromPackage(Extraction &extraction, ZipContainer &zip) {
    for (const QString &name : zip.names()) {
        if (extraction.stop().stopped() || zip.budgetSpent())
            return;
        const bool embedded = name.startsWith(QLatin1StringView("word/embeddings/")) ||
                              name.startsWith(QLatin1StringView("xl/embeddings/")) ||
                              name.startsWith(QLatin1StringView("ppt/embeddings/"));
        if (embedded && !name.endsWith(u'/') && !zip.isEncrypted(name))
            extraction.embedded.push_back({name, zip.readAll(name, MaxEmbeddedBytes)});
    }
}

void collectFromPdf(Extraction &extraction) {
    const QByteArrayView bytes = extraction.bytes();
    // Most PDFs attach nothing: poppler is not asked to parse them twice.
    if (!bytes.contains("/EmbeddedFile") || bytes.size() > std::numeric_limits<int>::max())
        return;
    const std::unique_ptr<poppler::document> document(
        poppler::document::load_from_raw_data(bytes.data(), int(bytes.size())));
    if (!document || document->is_locked() || !document->has_embedded_files())
        return;
    for (poppler::embedded_file *file : document->embedded_files()) {
        if (extraction.stop().stopped())
            return;
        if (!file || !file->is_valid() || file->size() > MaxEmbeddedBytes)
            continue;
        const poppler::byte_array data = file->data();
        extraction.embedded.push_back(
            {QString::fromStdString(file->name()),
             QByteArray(data.data(), static_cast<qsizetype>(data.size()))});
    }
}

/// Objects embedded in a workbook's sheets, a presentation's slides or a
/// document's object pool.
void collectFromCompoundFile(Extraction &extraction, const CompoundFile &file) {
    officetext::excelObjects(file, 0, extraction.embedded);
    officetext::powerPointObjects(file, 0, extraction.embedded);
    collectObjectPool(file, extraction.embedded, extraction.stop());
}

} // namespace

void collectEmbeddedFiles(Extraction &extraction) {
    if (looksLikePdf(extraction.bytes()))
        collectFromPdf(extraction);
    else if (ZipContainer::looksLikeZip(extraction.bytes())) {
        if (ZipContainer *zip = extraction.zip())
            collectFromPackage(extraction, *zip);
    } else if (CompoundFile::isCompoundFile(extraction.bytes())) {
        if (const CompoundFile *file = extraction.compoundFile())
            collectFromCompoundFile(extraction, *file);
    }
}
