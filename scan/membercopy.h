#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <mutex>
#include <optional>

/// What a row inside a container names: the member's bytes, size and time.
struct MemberFile {
    QByteArray bytes;
    qint64 size = 0;
    QDateTime modified; ///< invalid where the container keeps no time
};

/// The member of a container that inner names, from path down (archive
/// members and files a document carries, at any depth); none with error.
std::optional<MemberFile> readMember(const QString &path, const QStringList &inner, QString &error);

/// Read-only copies of members of containers for the actions that need a
/// file of their own (Edit File, Launch File): made once each, in a private
/// folder (owner only) that is removed when the program ends.
class MemberCopies {
  public:
    static MemberCopies &instance();
    /// The copy's path, named as the member is; empty with error. Safe from
    /// any thread (the preview reads members off the event loop).
    QString copyOf(const QString &path, const QStringList &inner, QString &error);

  private:
    std::mutex mutex_;
    std::unique_ptr<QTemporaryDir> dir_;
    QHash<QStringList, QString> made_;
};
