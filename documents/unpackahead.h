#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

/// A compressed stream (gzip, bzip2, xz, zstd, lz4 ...) unpacked on a thread
/// of its own, a bounded number of blocks ahead of its reader, so that
/// unpacking and searching what it unpacked share the processors. A stream
/// in no compression the filters know is passed on as it is.
class UnpackAhead {
  public:
    /// Fills to with up to room bytes of the stream: 0 at its end, -1 on
    /// failure. Called on the unpacking thread only.
    using Source = std::function<qint64(char *to, qint64 room)>;

    explicit UnpackAhead(Source source, qsizetype blocks = 128,
                         qsizetype blockSize = qsizetype{256} * 1024);
    /// Stops the unpacking thread and waits for it.
    ~UnpackAhead();
    UnpackAhead(const UnpackAhead &) = delete;
    UnpackAhead &operator=(const UnpackAhead &) = delete;

    /// The next unpacked bytes: 0 at the end, -1 on failure.
    qint64 read(char *to, qint64 room);
    QString errorString() const;

  private:
    void unpack();
    bool put(QByteArray block);

    Source source_;
    const qsizetype blocks_;
    const qsizetype blockSize_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<QByteArray> full_;
    QByteArray current_; ///< the block being read, taken from full_
    qsizetype at_ = 0;
    bool ended_ = false; ///< the thread put its last block
    bool stopping_ = false;
    QString error_;
    std::thread thread_;
};
