#pragma once

#include "documents/compoundfile.h"

#include <QByteArray>
#include <QString>

#include <vector>

/// Writes a compound file (version 4, 4096-byte sectors) as office programs
/// read it, within the size of an embedded file: how an object that a
/// document keeps as a storage is carried as a file of its own. Streams and
/// storages are added under a storage (0 is the root); a name already there
/// (letter case ignored) keeps its first entry.
class CompoundWriter {
  public:
    /// The storage of that name under `parent`, made when missing; NoEntry
    /// when it cannot be.
    quint32 addStorage(quint32 parent, const QString &name);
    /// False when the stream is not added.
    bool addStream(quint32 parent, const QString &name, QByteArray bytes);
    /// Copies the streams and storages inside `storage` of `file` under `parent`.
    void addCopy(quint32 parent, const CompoundFile &file, quint32 storage);
    /// The file; empty once what was added is past the bounds.
    QByteArray write();

  private:
    struct Node {
        QString name;
        CompoundFile::Type type;
        QByteArray data;
        std::vector<quint32> children = {};
        quint32 left = CompoundFile::NoEntry, right = CompoundFile::NoEntry,
                child = CompoundFile::NoEntry, start = 0;
    };

    static QByteArray directoryEntry(const Node &node);
    quint32 add(quint32 parent, Node node);
    void copy(quint32 parent, const CompoundFile &file, quint32 storage, int depth);
    quint32 tree(std::vector<quint32> &siblings, size_t from, size_t to);

    std::vector<Node> nodes_{{QStringLiteral("Root Entry"), CompoundFile::Type::Root, {}}};
    qsizetype bytes_ = 0;
    bool full_ = false;
};

/// A compound file of its own holding the storage's streams and storages;
/// empty when they would be larger than an embedded file may be.
QByteArray storageFile(const CompoundFile &file, quint32 storage);
