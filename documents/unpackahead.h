#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

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

    /// The next unpacked block, in place: its size, 0 at the end, -1 on
    /// failure. bytes stays valid until the next call.
    qint64 next(const char **bytes);
    QString errorString() const;

  private:
    struct Block {
        std::unique_ptr<char[]> bytes;
        qsizetype size = 0;
    };

    void unpack();
    Block spareBlock();
    bool put(Block block);

    Source source_;
    const qsizetype blocks_;
    const qsizetype blockSize_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Block> full_;
    std::vector<Block> spare_; ///< blocks read, kept for the unpacking to fill again
    Block current_;            ///< the block being read, taken from full_
    bool ended_ = false;       ///< the thread put its last block
    bool stopping_ = false;
    QString error_;
    std::thread thread_;
};
