#include "scan/functionmodule.h"

#include "platform/inputfile.h"

#include <QDir>

namespace FunctionModule {

QString AddTrailingBackslash(const QString &path) {
    const QChar separator = QDir::separator();
    return path.endsWith(separator) ? path : path + separator;
}

bool IsBinaryFile(const QString &path, QString *error) {
    platform::InputFile file;
    char head[256];
    qint64 length = 0;
    if (file.open(path))
        length = file.read(head, sizeof head);
    if (!file.isOpen() || length < 0) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return LooksBinary(QByteArrayView(head, length));
}

bool LooksBinary(QByteArrayView bytes) {
    // UTF-16 text, which the scan reads too, is full of zero bytes.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return false;
    bytes = bytes.first(qMin<qsizetype>(bytes.size(), 256));
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        const bool allowedControl = c == 9 || c == 10 || c == 12 || c == 13 || c == 26;
        if ((c < 32 && !allowedControl) || c == 127)
            return true;
    }
    return false;
}

} // namespace FunctionModule
