#include "controls/richtext/documenttext.h"

#include "controls/richtext/compoundfile.h"
#include "controls/richtext/mailtext.h"
#include "controls/richtext/officetext.h"
#include "controls/richtext/rtfreader.h"

QString documentText(QByteArrayView bytes) {
    if (isRtf(bytes))
        return rtfPlainText(bytes);
    if (CompoundFile::isCompoundFile(bytes)) {
        CompoundFile file;
        QString text = file.open(bytes) ? officetext::compoundText(file) : QString();
        if (text.isEmpty())
            text = officetext::streamText(bytes);
        if (!text.isEmpty())
            return text;
    } else if (mailtext::isMail(bytes)) {
        return mailtext::mailText(bytes);
    }
    // DIF, MPX and anything else: the bytes as they are.
    return QString::fromLatin1(bytes);
}
