#pragma once

#include "scan/foundlines.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class FileScanner;
struct CompiledSearch;

/// Reads and searches the next files of a run on a bounded pool of reader
/// threads while the run hands on the results of the file before them. Files
/// are taken in the order submitted and their lines come back in that order;
/// the bytes held by found lines not yet taken and by the readers' buffers stay
/// within a bound, except for the file at the head, which may always go on (so
/// a file larger than the bound is simply streamed by its reader).
///
/// Every member is called from the run's thread; the readers touch only the
/// shared state behind mutex_.
class ReadAhead {
  public:
    struct Limits {
        int readers = 2;
        qint64 inFlightBytes = qint64{64} * 1024 * 1024;
        qsizetype blockSize = qsizetype{256} * 1024;
        /// Readers that read whatever the cache holds; 0 means one more than
        /// the processor cores. The others read only while reads wait for the
        /// device: with the files cached they would just take turns on the cores.
        int cacheReaders = 0;
        bool binaryAsText = false; ///< see TextFileReader::setBinaryAsText
    };
    /// A file to read, with the identity the run gave it (its place in the
    /// run's list): rich picks the document reader, else the text reader.
    struct File {
        qint64 id = -1;
        QString path;
        bool rich = false;
        bool operator==(const File &) const = default;
    };
    /// What the head file has brought since the last take, and which file that is.
    struct Taken {
        File file;
        std::vector<FoundLines> lines;
        bool done = false; ///< the file is finished: no more lines come
        bool failed = false;
        QString error;         ///< the reader's description when failed
        bool document = false; ///< the lines are pieces of a document
    };
    struct Counters {
        qint64 inFlight = 0;
        qint64 peakInFlight = 0;
        qint64 filesRead = 0;
        qint64 filesReadByDeviceReaders = 0; ///< by the readers beyond cacheReaders
    };

    explicit ReadAhead(Limits limits);
    ~ReadAhead();
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    /// The search for every file taken from now on; files already searched keep
    /// theirs until restart().
    void setSearch(std::shared_ptr<const CompiledSearch> search);
    /// Appends files, and wakes the readers once for all of them.
    void submit(const std::vector<File> &files);
    /// The file the run takes next, or null when none waits. Only the run
    /// changes the queue, so it looks without the lock.
    const File *head() const;
    /// Files submitted and not yet dropped, the head included.
    qsizetype waiting() const { return static_cast<qsizetype>(jobs_.size() - headsDropped_); }
    /// Waits up to timeoutMs for news of the head file and takes it. After a
    /// halt the head is done, unless its document's text was already whole.
    Taken take(int timeoutMs);
    /// The head file is done with; the next one becomes the head. Taken into
    /// account by the next call that takes the lock, which spares one for
    /// every file.
    void dropHead() { ++headsDropped_; }
    /// The search changed: the head file is searched again from the line after
    /// lastTaken, and every later file from its start.
    void restart(qint64 lastTaken);
    /// Drops every file submitted.
    void clear();
    /// Tells the readers to stop soon, without waiting for them: a document
    /// being extracted is cut short and gives no lines; the head file's
    /// document whose text was already whole still gives them all.
    void halt();
    /// Stops the readers and waits for them; no file stays open.
    void stop();
    Counters counters() const;

    /// The number of readers for this machine, or QUARRIX_READERS when set.
    static int defaultReaders();

  private:
    struct Job;
    class Receiver;
    class StretchRoom;
    /// A file a reader took, as it was when taken.
    struct Claim {
        std::shared_ptr<Job> job;
        qint64 generation = 0;
        qint64 skipThrough = -1;
    };
    /// A file a reader finished: its last lines and how it ended.
    struct Outcome {
        std::shared_ptr<Job> job;
        qint64 generation = 0;
        FoundLines rest;
        bool ok = true;
        QString error;
    };

    size_t readerCount() const;
    void work(bool deviceReader);
    std::vector<Claim> claim(std::unique_lock<std::mutex> &lock, bool deviceReader);
    Outcome read(const Claim &file, const CompiledSearch &search, FileScanner &scanner,
                 std::vector<Outcome> &finished);
    bool deviceWaitedLately() const;
    void noteDeviceWait();
    bool documentLoaded(Job &job, qint64 generation, bool document, std::vector<Outcome> &finished);
    bool hand(Job &job, FoundLines &lines, qint64 generation, std::vector<Outcome> &finished);
    /// The file is still to be read: no stop, no restart. Without the lock.
    bool wanted(const Job &job, qint64 generation) const;
    bool isHead(const Job &job, qint64 generation) const;
    bool mayGoOn(std::unique_lock<std::mutex> &lock, const Job &job, qint64 generation,
                 qint64 adding);
    void charge(qint64 bytes);
    void resetJob(Job &job);
    void dropHeads();
    Taken takeLines(Job &job, bool done);
    void keepFinished();
    void publish(std::vector<Outcome> &finished);
    void wakeRoomWaiters();

    Limits limits_;
    mutable std::mutex mutex_;
    std::condition_variable workReady_;  ///< files to read, or stop
    std::condition_variable deviceWait_; ///< a read waited for the device, or stop
    std::condition_variable roomFreed_;  ///< room freed, jobs dropped or restarted, or stop
    int roomWaiters_ = 0;                ///< readers waiting on roomFreed_
    std::condition_variable headNews_;   ///< the head file has lines or is done
    std::deque<std::shared_ptr<Job>> jobs_;
    size_t started_ = 0;      ///< jobs_ before this index are not queued
    size_t headsDropped_ = 0; ///< dropped by the run, still at the front of jobs_
    /// What the files after the head brought, taken with the head's while
    /// they were finished, so that the run takes the lock once for many small
    /// files. Their bytes stay charged until the files are dropped.
    struct Finished {
        std::shared_ptr<Job> job;
        Taken taken;
    };
    std::deque<Finished> finished_; ///< the run's alone
    std::shared_ptr<const CompiledSearch> search_;
    Counters counters_;
    bool stopping_ = false;
    std::atomic<bool> halt_ = false; ///< stopping_, read by readers without the lock
    /// When a read last waited for the device, on the steady clock; none yet
    /// at the lowest value.
    std::atomic<std::chrono::steady_clock::rep> lastDeviceWait_ =
        std::numeric_limits<std::chrono::steady_clock::rep>::min();
    std::vector<std::thread> readers_;
};
