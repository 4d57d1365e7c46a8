#pragma once

#include "documents/compoundfile.h"
#include "documents/embeddedfiles.h"

#include <QByteArray>
#include <QString>

#include <vector>

/// Objects embedded in Office 97-2003 documents (a workbook in a slide, a
/// document in a sheet) are storages of a compound file; each is carried as
/// a file of its own so that its text is read as that document's.
/// Writes a compound file of streams and storages, each added under a
/// storage (0 is the root), within the size of an embedded file.
class CompoundWriter {
  public:
    /// The new storage's number, or NoEntry past the bounds.
    quint32 addStorage(quint32 parent, const QString &name);
    /// False past the bounds.
    bool addStream(quint32 parent, const QString &name, QByteArray bytes);
    /// The file; empty when it cannot be written.
    QByteArray write();

    struct Node {
        QString name;
        CompoundFile::Type type;
        QByteArray data;
        quint32 child = CompoundFile::NoEntry, right = CompoundFile::NoEntry,
                last = CompoundFile::NoEntry, start = 0;
    };

  private:
    quint32 add(quint32 parent, Node node);

    std::vector<Node> nodes_{{QStringLiteral("Root Entry"), CompoundFile::Type::Root, {}}};
    qsizetype bytes_ = 0;
};

namespace storagefile {

/// A compound file of its own holding the storage's streams and storages.
/// Empty when they would be larger than an embedded file may be.
QByteArray storageFile(const CompoundFile &file, quint32 storage);

/// The object in the storage as a carried file, named by its kind and
/// number ("Microsoft Word Document 2"): a package (.docx and the like) as
/// the package, anything else as a compound file; `whole` is that file when
/// the storage is already the root of one.
EmbeddedFile embeddedObject(const CompoundFile &file, quint32 storage, int number,
                            const QByteArray &whole = {});

} // namespace storagefile
