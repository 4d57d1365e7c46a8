#include "platform/console.h"

#include "platform/codepage.h"

#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

namespace platform {

bool isTerminal(std::FILE *stream) {
    return ::isatty(::fileno(stream)) == 1;
}

QString localeCharacterSet() {
    return QString::fromLatin1(::nl_langinfo(CODESET));
}

std::optional<QString> argumentText(const char *argument) {
    const QByteArray bytes(argument);
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    const iconv_t converter = ::iconv_open("UTF-8", ::nl_langinfo(CODESET));
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    QByteArray converted(bytes.size() * 4, Qt::Uninitialized);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char *out = converted.data();
    size_t outLeft = static_cast<size_t>(converted.size());
    const size_t result = ::iconv(converter, &in, &inLeft, &out, &outLeft);
    ::iconv_close(converter);
    if (result == static_cast<size_t>(-1) || inLeft != 0)
        return std::nullopt;
    converted.truncate(converted.size() - static_cast<qsizetype>(outLeft));
    return QString::fromUtf8(converted);
}

} // namespace platform
