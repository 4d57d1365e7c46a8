#include "about/linkcursor.h"

#include "scan/functionmodule.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

namespace LinkCursor {
namespace {

// The file starts with reserved 0, type 2 (cursor) and the image count; the
// first 16-byte directory entry follows, its hot spot at bytes 4 to 7.
constexpr qsizetype HeaderSize = 6;
constexpr qsizetype EntrySize = 16;
constexpr quint16 CursorType = 2;

quint16 word(QByteArrayView bytes, qsizetype at) {
    return qFromLittleEndian<quint16>(bytes.data() + at);
}

/// Generous bounds for a cursor; a larger file is not one.
constexpr qint64 MaxFileSize = 1 << 20;

} // namespace

QString cursorPath(const QString &folder) {
    return FunctionModule::AddTrailingBackslash(folder) + FileName;
}

std::optional<QPoint> hotSpot(QByteArrayView bytes) {
    if (bytes.size() < HeaderSize + EntrySize || word(bytes, 0) != 0 ||
        word(bytes, 2) != CursorType || word(bytes, 4) == 0)
        return std::nullopt;
    return QPoint(word(bytes, HeaderSize + 4), word(bytes, HeaderSize + 6));
}

QCursor load(const QString &folder) {
    QFile file(cursorPath(folder));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxFileSize)
        return QCursor(Qt::PointingHandCursor);
    QByteArray bytes = file.readAll();
    const std::optional<QPoint> spot = hotSpot(bytes);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "cur");
    const QPixmap picture = QPixmap::fromImage(reader.read());
    if (!spot || picture.isNull())
        return QCursor(Qt::PointingHandCursor);
    return QCursor(picture, qMin(spot->x(), picture.width() - 1),
                   qMin(spot->y(), picture.height() - 1));
}

} // namespace LinkCursor
