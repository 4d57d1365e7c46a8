#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

/// A read-only view of an OLE2 compound file (the container of Word 97,
/// Excel 97, PowerPoint 97 and other office files). Every chain and tree walk
/// is bounded and cycle-safe: a damaged file gives what can be read.
class CompoundFile {
  public:
    enum class Type { Empty = 0, Storage = 1, Stream = 2, Root = 5 };
    struct Entry {
        QString name;
        Type type = Type::Empty;
        quint32 left = 0, right = 0, child = 0;
        quint32 start = 0;
        quint64 size = 0;
    };
    static constexpr quint32 NoEntry = 0xFFFFFFFF;

    static bool isCompoundFile(QByteArrayView bytes);
    /// False when the header is not that of a compound file or is unusable.
    /// The bytes are not copied: they must outlive this object and its streams.
    bool open(QByteArrayView bytes);

    const QList<Entry> &entries() const { return entries_; }
    /// The entries directly inside a storage (0 is the root), in tree order.
    QList<quint32> children(quint32 storage) const;
    /// The child of storage with that name (letter case ignored), or NoEntry.
    quint32 find(quint32 storage, QStringView name) const;
    /// The content of a stream; a broken chain gives the part before the break.
    /// It may share the bytes given to open(), which must outlive it.
    QByteArray stream(quint32 entry) const;

  private:
    QByteArray chain(quint32 start, quint64 size, bool mini) const;
    QByteArrayView sector(quint32 number) const;
    void readFat(QByteArrayView header);
    QList<quint32> followFat(quint32 start, const QList<quint32> &table, qsizetype limit) const;

    QByteArrayView bytes_;
    int sectorShift_ = 9;
    int miniShift_ = 6;
    quint32 miniCutoff_ = 4096;
    QList<quint32> fat_;
    QList<quint32> miniFat_;
    QByteArray miniStream_;
    QList<Entry> entries_;
};
