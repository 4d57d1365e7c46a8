#pragma once

#include "platform/inputfile.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <memory>
#include <optional>
#include <vector>

class LineFinder;

/// Reads one text file in large blocks and hands over only its matching lines,
/// numbered from 1. Lines end at CR, LF or CR LF; a UTF-8 byte-order mark is
/// dropped and a UTF-16 file is turned into UTF-8 before lines are cut. A line
/// longer than the line limit is searched piece by piece as it streams and, when
/// it matches, handed over cut to its first part, so memory stays within a few
/// times the line limit whatever the file holds.
class TextFileReader {
  public:
    class Client {
      public:
        virtual ~Client() = default;
        /// The finder to use from now on; asked before each block.
        virtual const LineFinder &finder() = 0;
        /// A matching line without its line end; false stops the file.
        virtual bool lineMatched(qint64 lineNumber, QByteArrayView line) = 0;
        /// A matching line longer than the line limit: only its first part,
        /// ended before a UTF-8 character the limit would cut.
        virtual bool longLineMatched(qint64 lineNumber, QByteArrayView head) {
            return lineMatched(lineNumber, head);
        }
        /// Between blocks; false stops the file.
        virtual bool blockDone() = 0;
        /// Asked after each match: true makes the reader take finder() anew
        /// from the next line on.
        virtual bool searchChanged() { return false; }
        /// The first bytes of the file, before any line is read: true hands
        /// the file back unread, for a reader of its format.
        virtual bool handsBack(QByteArrayView /*head*/) { return false; }
    };

    /// Bytes from somewhere other than a file of the tree (a member of an archive).
    class Source {
      public:
        virtual ~Source() = default;
        /// Up to room bytes: 0 at the end, -1 on failure.
        virtual qint64 read(char *to, qint64 room) = 0;
        virtual QString errorString() const = 0;
    };

    /// The memory a file's later stretches may hold (their buffers and the
    /// lines waiting to be handed on), shared with whoever else reads ahead.
    /// Called from the stretches' threads.
    class Budget {
      public:
        virtual ~Budget() = default;
        /// Takes room for bytes more if there is some; never waits.
        virtual bool reserve(qint64 bytes) = 0;
        virtual void release(qint64 bytes) = 0;
    };

    /// Bytes kept of a matching line that is longer.
    static constexpr qsizetype DefaultLineLimit = qsizetype{1} << 20;

    explicit TextFileReader(qsizetype blockSize = qsizetype{256} * 1024,
                            qsizetype lineLimit = DefaultLineLimit);

    /// False when the file could not be opened or read (see errorString());
    /// a stop asked for by the client, or a file handed back, is not a failure.
    bool scan(const QString &path, Client &client);
    /// Reads source's bytes as scan(path) reads a file's.
    bool scan(Source &source, Client &client);
    QString errorString() const { return error_; }
    /// True when the last file's first read waited for the device.
    bool waitedForDevice() const { return file_.waitedForDevice(); }
    /// Keeps the last file's folder open for the next file (see InputFile).
    void reuseFolders(bool on) { file_.reuseFolders(on); }
    /// Reads a file with NUL bytes in its first block as text, line by line.
    /// Otherwise such a file (a program, a library, an archive) gives at its
    /// first match one row, ScanTexts::BinaryFileMatches, and stops.
    void setBinaryAsText(bool on) { binaryAsText_ = on; }
    /// A plain text file of StretchFrom bytes or more is cut at line ends into
    /// up to n stretches: this reader searches the first while threads of its
    /// own search the others, and their lines are handed on after, in file
    /// order and numbered as one reader would. The client's finder must stay
    /// the same for the whole file. 1 reads every file alone.
    void setStretchReaders(int n, qint64 from = StretchFrom) {
        stretchReaders_ = n;
        stretchFrom_ = std::max<qint64>(from, 2);
    }
    static constexpr qint64 StretchFrom = qint64{8} << 20;
    /// Without a budget a stretch holds a few MB; with one, a file is cut only
    /// when it grants the stretches' room, and their lines may wait beyond that
    /// while it grants more.
    void setStretchBudget(Budget *budget) { budget_ = budget; }

  private:
    class Stretch;
    using Stretches = std::vector<std::unique_ptr<Stretch>>;
    bool scanOpened(const QString *path, Client &client);
    qint64 readRaw(char *to, qint64 room);
    qint64 fill(char *to, qint64 room);
    bool readLines(qsizetype length, Client &client);
    bool scanRange(const QString &path, qint64 from, qint64 to, Client &client);
    std::vector<qint64> cuts(const QString &path) const;
    Stretches startStretches(const QString &path, const LineFinder &finder);
    bool deliverStretches(Stretches &stretches, Client &client);
    bool startFile(qsizetype &length);
    bool fillBuffer(qsizetype &length, bool &atEnd);
    bool processRegion(const char *begin, const char *end, Client &client);
    bool deliver(const char *begin, const char *end, Client &client);
    bool deliverHead(QByteArrayView head, Client &client);
    bool followLongLine(qsizetype &length, bool &crPending, bool &atEnd, Client &client);

    qsizetype blockSize_;
    qsizetype lineLimit_;
    qsizetype maxBuffer_;  ///< the buffer grows to this for a long line, no further
    bool stopped_ = false; ///< the client asked to stop the file
    bool binaryAsText_ = false;
    bool binary_ = false; ///< this file's first block held a NUL byte
    int stretchReaders_ = 1;
    qint64 stretchFrom_ = StretchFrom;
    Budget *budget_ = nullptr;
    qint64 rangeEnd_ = -1; ///< no byte at or past this is read; -1: to the end
    qint64 offset_ = 0;    ///< bytes of the file read so far
    QByteArray buffer_;
    platform::InputFile file_;
    Source *source_ = nullptr; ///< read instead of file_ while set
    std::optional<QStringDecoder> utf16_;
    QByteArray decoded_; ///< UTF-8 from utf16_ not yet delivered
    qsizetype decodedPos_ = 0;
    qint64 lineNumber_ = 0; ///< lines before the region being searched
    QString error_;
};
