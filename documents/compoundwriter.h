#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

/// One stream of a compound file to write; "/" in its name separates the
/// storages that hold it.
struct CompoundStream {
    QString name;
    QByteArray bytes;
};

/// A compound file (version 4, 4096-byte sectors) of those streams, as
/// office programs read it: how an object that a document
/// keeps as a storage of its own is carried as a file. Empty when the
/// streams together are too large for one file without extra FAT chains
/// (over 400 MiB).
QByteArray writeCompoundFile(std::vector<CompoundStream> streams);
