#pragma once

#include "scan/filescanner.h"

#include <QStringList>

#include <functional>
#include <vector>

class ArchiveReader;

/// Reads the members of an archive or a compressed file of a run, and of
/// archives inside it, each judged and read as a file of the tree would be:
/// through the same FileScanner, text streamed, documents in memory within
/// their size bound. Hostile containers end at a bound with the rows found
/// so far and a message that names the bound.
class ContainerScanner {
  public:
    /// The bounds on one file of the tree and everything inside it.
    struct Bounds {
        int depth = 8;            ///< containers inside containers
        qint64 unpackedBytes = 0; ///< unpacked from the file, all levels together
        qint64 members = 100'000; ///< members met, all levels together
        /// At most 4 GiB, and at most 100 times the file's own size.
        static Bounds forFile(qint64 bytes);
    };

    /// Where a container's findings go. Member names are given outermost first.
    class Rows {
      public:
        virtual ~Rows() = default;
        /// The receiver of the member that is about to be read.
        virtual FileScanner::Receiver &member(const QStringList &inner) = 0;
        /// A member that could not be read, or a bound the reading met
        /// (inner empty: the container itself).
        virtual void error(const QStringList &inner, const QString &description) = 0;
        /// Asked between blocks of unpacked bytes: false stops the container.
        virtual bool goOn() = 0;
    };

    /// passes says whether a member of that name is read, as the run's type
    /// filter says it of a file of the tree; containers inside are always read.
    ContainerScanner(FileScanner &scanner, std::function<bool(const QString &name)> passes);

    /// Reads the container at path. Its own failure to open or read is the
    /// outcome's error; a member's failure goes to rows.error().
    FileScanner::Outcome scan(const QString &path, Rows &rows, const Bounds &bounds);
    FileScanner::Outcome scan(const QString &path, Rows &rows);

    static QString tooDeep(int depth);
    static QString tooMuchUnpacked(qint64 bytes);
    static QString tooManyMembers(qint64 members);

  private:
    struct Level;
    class MemberBytes;

    bool readLevel(Level &level);
    void readContainer(Level &level, const QStringList &names);
    void readMember(Level &level, const QStringList &names);
    qint64 readCounted(Level &level, char *to, qint64 room);
    bool within();

    FileScanner &scanner_;
    std::function<bool(const QString &)> passes_;
    Rows *rows_ = nullptr;
    std::vector<Level *> open_; ///< the containers being read, outermost first
    Bounds bounds_;
    qint64 unpacked_ = 0;
    qint64 members_ = 0;
    bool stopped_ = false; ///< Rows::goOn() answered false
    bool ended_ = false;   ///< a bound ended the reading
};
