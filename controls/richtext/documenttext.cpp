#include "controls/richtext/documenttext.h"

#include "controls/richtext/rtfreader.h"

QString documentText(QByteArrayView bytes) {
    if (isRtf(bytes))
        return rtfPlainText(bytes);
    return QString::fromLatin1(bytes);
}
