#include "documents/packagetext.h"

#include "documents/documenterrors.h"
#include "documents/textwriter.h"
#include "documents/zipcontainer.h"

bool mayBeDocument(QByteArrayView head) {
    return ZipContainer::looksLikeZip(head) || looksLikePdf(head);
}

PackageRead zipDocumentText(QByteArrayView bytes, QString &text) {
    ZipContainer zip;
    if (!ZipContainer::looksLikeZip(bytes) || !zip.open(bytes))
        return PackageRead::NotDocument;
    const qsizetype limit = TextWriter::limitFor(bytes.size());
    if (zip.contains(QStringLiteral("[Content_Types].xml")))
        return packagetext::ooxmlText(zip, text, limit);
    if (zip.contains(QStringLiteral("mimetype")))
        return packagetext::odfText(zip, text, limit);
    return PackageRead::NotDocument;
}

bool packageDocumentText(QByteArrayView bytes, QString &text, QString *error) {
    if (!mayBeDocument(bytes))
        return false;
    text.clear();
    const PackageRead read =
        looksLikePdf(bytes) ? pdfText(bytes, text) : zipDocumentText(bytes, text);
    if (read == PackageRead::Encrypted && error)
        *error = documenterrors::encrypted();
    return read != PackageRead::NotDocument;
}
