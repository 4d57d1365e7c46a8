#include "documents/objectpool.h"

#include "documents/compoundfile.h"
#include "documents/compoundwriter.h"
#include "platform/littleendian.h"

#include <QSet>

namespace {

using littleendian::u32;

/// The file in a Packager object's native data: its label (the file's
/// name) and its bytes, after the paths it was taken from.
EmbeddedFile packagedFile(QByteArrayView native) {
    qsizetype at = 6; // the data's size, then a format word
    const auto string = [&] {
        const qsizetype end = native.indexOf('\0', at);
        const QByteArrayView s = end < 0 ? QByteArrayView() : native.sliced(at, end - at);
        at = end < 0 ? native.size() : end + 1;
        return s;
    };
    const QByteArrayView label = string();
    string();                             // the path it was taken from
    at += 4;                              // two words: 0 and 3, an embedded file
    at += 4 + qsizetype(u32(native, at)); // the temporary path
    const qsizetype size = u32(native, at);
    if (at + 4 + size > native.size() || label.isEmpty() || size <= 0)
        return {};
    return {QString::fromLocal8Bit(label), native.sliced(at + 4, size).toByteArray()};
}

/// A package's name by the kind of document it holds, for the programs
/// that open it.
QString packageName(const QByteArray &package) {
    if (package.contains("word/document"))
        return QStringLiteral("Package.docx");
    if (package.contains("xl/workbook"))
        return QStringLiteral("Package.xlsx");
    if (package.contains("ppt/presentation"))
        return QStringLiteral("Package.pptx");
    return QStringLiteral("Package.zip");
}

/// The file one object storage holds, named after what it holds.
EmbeddedFile objectFile(const CompoundFile &file, quint32 object) {
    const auto stream = [&](QStringView name) {
        const quint32 entry = file.find(object, name);
        return entry != CompoundFile::NoEntry &&
                       file.entries().at(entry).type == CompoundFile::Type::Stream
                   ? file.stream(entry)
                   : QByteArray();
    };
    if (QByteArray package = stream(u"Package"); !package.isEmpty())
        return {packageName(package), package};
    if (QByteArray contents = stream(u"CONTENTS"); !contents.isEmpty())
        return {contents.startsWith("%PDF-") ? QStringLiteral("CONTENTS.pdf")
                                             : QStringLiteral("CONTENTS"),
                contents};
    if (const QByteArray native = stream(u"\u0001Ole10Native"); !native.isEmpty())
        return packagedFile(native);
    // An office document kept as the storage itself.
    static const struct {
        const char16_t *stream;
        const char *name;
    } Documents[] = {{u"Workbook", "Workbook.xls"},
                     {u"Book", "Workbook.xls"},
                     {u"WordDocument", "Document.doc"},
                     {u"PowerPoint Document", "Presentation.ppt"}};
    for (const auto &document : Documents) {
        if (stream(document.stream).isEmpty())
            continue;
        return {QString::fromLatin1(document.name), storageFile(file, object)};
    }
    return {};
}

/// The kind of object the storage holds, as its CompObj stream names it.
QString objectKind(const CompoundFile &file, quint32 storage) {
    const QByteArray compObj = file.stream(file.find(storage, u"\u0001CompObj"));
    const quint32 length = u32(compObj, 28);
    if (length < 2 || length > 256 || 32 + qsizetype(length) > compObj.size())
        return QStringLiteral("Object");
    return QString::fromLatin1(compObj.sliced(32, length - 1)).trimmed();
}

} // namespace

EmbeddedFile embeddedObject(const CompoundFile &file, quint32 storage, int number,
                            const QByteArray &whole) {
    const QString name = objectKind(file, storage) + u' ' + QString::number(number);
    // An Office 2007 document embedded in an older one keeps its package whole.
    if (const quint32 package = file.find(storage, u"Package"); package != CompoundFile::NoEntry)
        return {name, file.stream(package)};
    return {name, whole.isEmpty() ? storageFile(file, storage) : whole};
}

EmbeddedFile oleObjectFile(QByteArrayView data) {
    // The header: version, format (2: embedded), then the class, topic and
    // item names, each a length and that many bytes.
    qsizetype at = 8;
    const qsizetype classAt = at;
    for (int name = 0; name < 3; ++name)
        at += 4 + qsizetype(u32(data, at));
    const qsizetype size = u32(data, at);
    if (u32(data, 4) != 2 || at + 4 + size > data.size() || size <= 0)
        return {};
    const QByteArrayView native = data.sliced(at + 4, size);
    CompoundFile file;
    if (file.open(native))
        return objectFile(file, 0);
    // An object of the Packager's own: the native data is what its
    // Ole10Native stream would hold, after the size field.
    if (data.sliced(classAt + 4).startsWith("Package"))
        return packagedFile(data.sliced(at));
    return {};
}

void collectObjectPool(const CompoundFile &file, std::vector<EmbeddedFile> &carried,
                       StopToken stop) {
    if (file.find(0, u"WordDocument") == CompoundFile::NoEntry)
        return;
    const quint32 pool = file.find(0, u"ObjectPool");
    if (pool == CompoundFile::NoEntry)
        return;
    QSet<quint32> seen;
    for (const quint32 object : file.children(pool)) {
        if (stop.stopped())
            return;
        if (file.entries().at(object).type != CompoundFile::Type::Storage || seen.contains(object))
            continue;
        seen.insert(object);
        EmbeddedFile carriedFile = objectFile(file, object);
        if (carriedFile.bytes.isEmpty() || carriedFile.bytes.size() > MaxEmbeddedBytes)
            continue;
        carriedFile.name = QStringLiteral("ObjectPool/") + file.entries().at(object).name + u'/' +
                           carriedFile.name;
        carried.push_back(std::move(carriedFile));
    }
}
