#include "platform/pathname.h"

#include "platform/codepage.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr char16_t EscapedByteBase = 0xDC00;

bool isEscapedByte(QStringView text, qsizetype i) {
    const char16_t c = text[i].unicode();
    const bool afterHigh = i > 0 && QChar::isHighSurrogate(text[i - 1].unicode());
    return c >= EscapedByteBase + 0x80 && c <= EscapedByteBase + 0xFF && !afterHigh;
}

// The length of the valid UTF-8 sequence starting at bytes[i], 0 when none does.
qsizetype validSequenceAt(QByteArrayView bytes, qsizetype i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const qsizetype length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (i + length > bytes.size())
        return 0;
    return isValidUtf8(bytes.sliced(i, length)) ? length : 0;
}

} // namespace

QString pathText(const QByteArray &bytes) {
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    QString text;
    text.reserve(bytes.size());
    qsizetype start = 0; // the valid run not yet decoded
    qsizetype i = 0;
    while (i < bytes.size()) {
        const qsizetype length = validSequenceAt(bytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        text += QString::fromUtf8(bytes.sliced(start, i - start));
        text += QChar(EscapedByteBase + static_cast<unsigned char>(bytes[i]));
        start = ++i;
    }
    text += QString::fromUtf8(bytes.sliced(start));
    return text;
}

QByteArray pathBytes(const QString &path) {
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isEscapedByte(path, i))
            continue;
        bytes += QStringView(path).sliced(start, i - start).toUtf8();
        bytes += static_cast<char>(path[i].unicode() - EscapedByteBase);
        start = i + 1;
    }
    bytes += QStringView(path).sliced(start).toUtf8();
    return bytes;
}

QString displayPath(const QString &path) {
    QString shown = path;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (isEscapedByte(shown, i))
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}

std::optional<PathStatus> pathStatus(const QString &path) {
    const QByteArray bytes = pathBytes(path);
    struct stat st {};
    bool known = false;
    if (bytes.size() < PATH_MAX) {
        known = ::stat(bytes.constData(), &st) == 0; // one call: asked for every file of a walk
    } else {
        const int fd = openPath(path, O_PATH | O_CLOEXEC);
        known = fd >= 0 && ::fstat(fd, &st) == 0;
        if (fd >= 0)
            ::close(fd);
    }
    if (!known)
        return std::nullopt;
    return PathStatus{{st.st_dev, st.st_ino}, S_ISDIR(st.st_mode)};
}

bool isReadableFolder(const QString &path) {
    const auto status = pathStatus(path);
    return status && status->folder && ::access(pathBytes(path).constData(), R_OK) == 0;
}

bool pathExists(const QString &path) {
    struct stat st {};
    return ::lstat(pathBytes(path).constData(), &st) == 0;
}

int openPath(const QString &path, int flags) {
    const QByteArray bytes = pathBytes(path);
    if (bytes.size() < PATH_MAX)
        return ::open(bytes.constData(), flags, 0666);
    // Each step opens at most PATH_MAX - 1 bytes of the path, cut at a separator.
    int folder = AT_FDCWD;
    qsizetype start = 0;
    for (;;) {
        const bool last = bytes.size() - start < PATH_MAX;
        qsizetype end = bytes.size();
        if (!last) {
            end = bytes.lastIndexOf('/', start + PATH_MAX - 1);
            if (end <= start) {
                if (folder != AT_FDCWD)
                    ::close(folder);
                errno = ENAMETOOLONG;
                return -1;
            }
        }
        const QByteArray piece = bytes.mid(start, end - start);
        const int fd = ::openat(folder, piece.constData(),
                                last ? flags : O_PATH | O_DIRECTORY | O_CLOEXEC, 0666);
        const int error = errno;
        if (folder != AT_FDCWD)
            ::close(folder);
        if (fd < 0 || last) {
            errno = error;
            return fd;
        }
        folder = fd;
        start = end + 1;
        while (start < bytes.size() && bytes[start] == '/')
            ++start;
    }
}

} // namespace platform
