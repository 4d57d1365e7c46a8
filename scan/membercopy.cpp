#include "scan/membercopy.h"

#include "controls/richtext/richtextbuffer.h"
#include "documents/archivereader.h"
#include "documents/documentsize.h"
#include "platform/inputfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace {

/// The most a member read for an action may hold.
constexpr qint64 MaxMemberBytes = MaxDocumentBytes;

QString notFound(const QString &name) {
    return QStringLiteral("The file %1 is no longer in its container").arg(name);
}

std::optional<MemberFile> fromArchive(ArchiveReader &reader, const QString &name, QString &error) {
    while (const std::optional<ArchiveReader::Member> member = reader.next()) {
        if (member->name != name)
            continue;
        MemberFile file;
        file.modified = member->modified;
        char block[64 * 1024];
        for (qint64 n; (n = reader.read(block, sizeof block)) != 0;) {
            if (n < 0 || file.bytes.size() + n > MaxMemberBytes) {
                error = n < 0 ? reader.errorString() : QStringLiteral("The file is too large");
                return std::nullopt;
            }
            file.bytes.append(block, n);
        }
        file.size = file.bytes.size();
        return file;
    }
    error = reader.errorString().isEmpty() ? notFound(name) : reader.errorString();
    return std::nullopt;
}

std::optional<MemberFile> fromDocument(const MemberFile &document, const QString &documentName,
                                       const QString &name, QString &error) {
    RichTextBuffer box;
    if (!box.setBytes(document.bytes, documentName)) {
        error = box.errorString().isEmpty() ? notFound(name) : box.errorString();
        return std::nullopt;
    }
    for (EmbeddedFile &carried : box.takeEmbedded()) {
        if (carried.name != name)
            continue;
        const qint64 size = carried.bytes.size();
        return MemberFile{std::move(carried.bytes), size, document.modified};
    }
    error = notFound(name);
    return std::nullopt;
}

} // namespace

std::optional<MemberFile> readMember(const QString &path, const QStringList &inner,
                                     QString &error) {
    platform::InputFile file;
    if (!file.open(path)) {
        error = file.errorString();
        return std::nullopt;
    }
    std::optional<MemberFile> current;
    QString containerName = path;
    for (const QString &name : inner) {
        if (ArchiveReader::isContainerName(containerName)) {
            qsizetype at = 0;
            const QByteArray held = current ? current->bytes : QByteArray();
            ArchiveReader reader(
                [&](char *to, qint64 room) -> qint64 {
                    if (!current)
                        return file.read(to, room);
                    const qint64 n = std::min<qint64>(room, held.size() - at);
                    std::memcpy(to, held.constData() + at, size_t(n));
                    at += n;
                    return n;
                },
                containerName,
                [&](qint64 offset) -> qint64 {
                    if (!current)
                        return file.seek(offset);
                    at = std::clamp<qint64>(offset, 0, held.size());
                    return at;
                },
                current ? held.size() : file.size());
            current = fromArchive(reader, name, error);
        } else {
            if (!current) {
                MemberFile whole;
                char block[64 * 1024];
                for (qint64 n; (n = file.read(block, sizeof block)) > 0;)
                    whole.bytes.append(block, n);
                current = std::move(whole);
            }
            current = fromDocument(*current, containerName, name, error);
        }
        if (!current)
            return std::nullopt;
        containerName = name;
    }
    return current;
}

MemberCopies &MemberCopies::instance() {
    static MemberCopies copies;
    return copies;
}

QString MemberCopies::copyOf(const QString &path, const QStringList &inner, QString &error) {
    const std::lock_guard lock(mutex_);
    const QStringList key = QStringList{path} + inner;
    if (const auto made = made_.constFind(key); made != made_.cend() && QFileInfo::exists(*made))
        return *made;
    const std::optional<MemberFile> member = readMember(path, inner, error);
    if (!member)
        return {};
    if (!dir_) // QTemporaryDir makes it for its owner alone
        dir_ = std::make_unique<QTemporaryDir>();
    // Each copy in a folder of its own keeps the member's own name.
    const QString folder = dir_->filePath(QString::number(made_.size()));
    QString name = QFileInfo(inner.constLast()).fileName();
    if (name.isEmpty())
        name = QStringLiteral("member");
    QFile copy(QDir(folder).filePath(name));
    if (!QDir().mkpath(folder) || !copy.open(QIODevice::WriteOnly) ||
        copy.write(member->bytes) != member->bytes.size()) {
        error = copy.errorString();
        return {};
    }
    copy.close();
    copy.setPermissions(QFileDevice::ReadOwner);
    made_.insert(key, copy.fileName());
    return copy.fileName();
}
