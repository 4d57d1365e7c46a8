#include "editor/editedfile.h"

#include "controls/richtext/richtextbox.h"
#include "controls/richtext/rtfdocument.h"
#include "documents/rtfreader.h"
#include "platform/codepage.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QTextDocument>

namespace EditedFile {
namespace {

QString firstLineEnd(QByteArrayView bytes) {
    qsizetype at = 0;
    while (at < bytes.size() && bytes[at] != '\r' && bytes[at] != '\n')
        ++at;
    if (at == bytes.size() || bytes[at] == '\n')
        return QStringLiteral("\n");
    return at + 1 < bytes.size() && bytes[at + 1] == '\n' ? QStringLiteral("\r\n")
                                                          : QStringLiteral("\r");
}

const QHash<QChar, char> &windows1252Bytes() {
    static const QHash<QChar, char> table = [] {
        QHash<QChar, char> bytes;
        for (int b = 255; b >= 0; --b) {
            const char byte = char(b);
            bytes.insert(platform::fromWindows1252(QByteArrayView(&byte, 1)).at(0), byte);
        }
        return bytes;
    }();
    return table;
}

bool toWindows1252(const QString &text, QByteArray &bytes) {
    const QHash<QChar, char> &table = windows1252Bytes();
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const auto found = table.constFind(c);
        if (found == table.constEnd())
            return false;
        bytes += *found;
    }
    return true;
}

} // namespace

bool detectKind(const QString &path, EditedFileKind &kind, QString &error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    kind = EditedFileKind{};
    kind.rtf = isRtf(bytes);
    kind.utf8 = kind.rtf || platform::isValidUtf8(bytes);
    kind.lineEnd = firstLineEnd(bytes);
    return true;
}

QByteArray encodePlain(const QString &textCrLf, const EditedFileKind &kind) {
    QString text = textCrLf;
    if (kind.lineEnd != QStringLiteral("\r\n"))
        text.replace(QStringLiteral("\r\n"), kind.lineEnd);
    QByteArray bytes;
    if (!kind.utf8 && toWindows1252(text, bytes))
        return bytes;
    return text.toUtf8();
}

bool save(const RichTextBox &box, const QString &path, const EditedFileKind &kind, QString &error) {
    const QFileInfo info(path);
    if (info.exists() && !info.isWritable()) {
        error = QStringLiteral("The file is read-only.");
        return false;
    }
    const QByteArray bytes =
        kind.rtf ? documentToRtf(*box.document()) : encodePlain(box.Text(), kind);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace EditedFile
