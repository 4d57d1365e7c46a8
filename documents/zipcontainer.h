#pragma once

#include "documents/stoptoken.h"
#include "documents/xmlreader.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <memory>

struct zip;

/// The entries of a zip file held in memory, read through libzip. What all
/// entries of one container may inflate to is bounded, so that a small file
/// that inflates to gigabytes (a zip bomb) ends early with what was read.
class ZipContainer {
  public:
    /// Bytes all entries of one container may inflate to together.
    static constexpr qint64 DefaultInflateBudget = qint64(512) << 20;

    ZipContainer();
    ~ZipContainer();
    ZipContainer(const ZipContainer &) = delete;
    ZipContainer &operator=(const ZipContainer &) = delete;

    /// True for bytes that begin as a zip file does.
    static bool looksLikeZip(QByteArrayView bytes);

    /// False when the bytes are no zip file libzip can read, nor begin with
    /// one whole entry, or entries overlap (share compressed bytes). A zip
    /// that is cut off or whose directory is damaged gives the entries that
    /// are whole, and damaged() says so. The bytes must
    /// outlive the container. Once the token stops, no entry opens and the
    /// open ones fail at their next read.
    bool open(QByteArrayView bytes, qint64 inflateBudget = DefaultInflateBudget,
              StopToken stop = {});

    /// The names of the entries, in the order of the zip's directory.
    QStringList names() const;
    bool contains(const QString &name) const;
    /// True when the entry is stored with zip encryption.
    bool isEncrypted(const QString &name) const;

    /// The entry as a source of its inflated bytes, or nullptr when it is
    /// missing or cannot be read, or the reading is stopped. The source ends
    /// early when the budget is spent, or with a failure on damaged data.
    std::unique_ptr<ByteSource> entry(const QString &name);
    /// The whole entry, at most maxBytes of it.
    QByteArray readAll(const QString &name, qint64 maxBytes);

    bool budgetSpent() const { return budget_ <= 0; }
    /// True when only the whole entries of a damaged zip could be read.
    bool damaged() const { return damaged_; }

  private:
    class Entry;
    qint64 index(const QString &name) const;
    bool entriesOverlap(QByteArrayView bytes) const;
    bool openArchive(QByteArrayView bytes, qint64 inflateBudget, StopToken stop);

    zip *archive_ = nullptr;
    QByteArray repaired_; ///< a damaged zip's whole entries, under a new directory
    bool damaged_ = false;
    qint64 budget_ = 0;
    StopToken stop_;
};
