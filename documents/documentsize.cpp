#include "documents/documentsize.h"

#include "documents/pdftext.h"
#include "platform/littleendian.h"

bool beginsAsDocument(QByteArrayView head) {
    if (looksLikePdf(head))
        return true;
    if (!ZipContainer::looksLikeZip(head))
        return false;
    // The first local header: the name's length at 26, the name at 30.
    const qsizetype length = littleendian::u16(head, 26);
    if (head.size() < 30 + length)
        return false;
    const QByteArrayView name = head.sliced(30, length);
    return name == "[Content_Types].xml" || name == "_rels/.rels" || name == "mimetype";
}
