#include "documents/documenttext.h"

#include "documents/compoundfile.h"
#include "documents/compoundtext.h"
#include "documents/documenterrors.h"
#include "documents/extractionstop.h"
#include "documents/mailtext.h"
#include "documents/packagetext.h"
#include "documents/rtfreader.h"
#include "platform/codepage.h"

QString documentText(QByteArrayView bytes, QString *error) {
    if (error)
        error->clear();
    if (QString text; packageDocumentText(bytes, text, error))
        return text;
    if (extractionStopped() && mayBeDocument(bytes)) // a package cut short is no other kind
        return {};
    if (isRtf(bytes))
        return rtfPlainText(bytes);
    if (CompoundFile::isCompoundFile(bytes)) {
        CompoundFile file;
        if (!file.open(bytes)) // too damaged to find its streams
            return officetext::streamText(bytes);
        bool encrypted = false;
        QString text = officetext::compoundText(file, &encrypted);
        if (encrypted && error)
            *error = documenterrors::encrypted();
        return text;
    }
    if (mailtext::isMail(bytes)) {
        return mailtext::mailText(bytes);
    }
    // DIF, MPX and text saved under a document's name: read as a text file is.
    return platform::decodeText(bytes);
}
