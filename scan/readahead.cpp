#include "scan/readahead.h"

#include "controls/richtext/richtextbuffer.h"
#include "platform/fileentry.h"
#include "platform/threadpriority.h"
#include "scan/compiledsearch.h"
#include "scan/filescanner.h"

#include <QThread>

#include <algorithm>
#include <chrono>
#include <utility>

struct ReadAhead::Job {
    enum class State { Queued, Running, Done };
    File file; ///< set when submitted, never changed
    State state = State::Queued;
    /// Raised whenever the job is started afresh or dropped: a reader holding an
    /// older value throws its work away. Changed under the lock; a reader with
    /// nothing to hand on reads it without.
    std::atomic<qint64> generation = 0;
    /// Lines up to this number were handed on before a restart; not again.
    qint64 skipThrough = -1;
    std::vector<FoundLines> lines; ///< found and not yet taken
    qint64 linesCost = 0;
    bool failed = false;
    QString error;
    bool document = false; ///< a text file whose content is a document
    /// The document's text was whole before any halt: its pieces are all
    /// tested and handed on, even after one.
    bool extracted = false;
};

/// Collects the matching lines of one file for the pool: a text file's every
/// few blocks, a document's in one batch at its end.
class ReadAhead::Receiver : public FileScanner::Receiver {
  public:
    Receiver(ReadAhead &pool, const Claim &claim, const CompiledSearch &search,
             std::vector<Outcome> &finished)
        : pool_(pool), job_(*claim.job), generation_(claim.generation),
          skipThrough_(claim.skipThrough), search_(search), finished_(finished) {}
    const CompiledSearch &search() override { return search_; }
    bool lineFound(qint64 number, QByteArrayView line, QStringView cut) override {
        if (pool_.halt_.load(std::memory_order_relaxed))
            return false;
        if (number > skipThrough_)
            lines_.add(number, line, cut);
        // A block of short matching lines can hold far more text than the
        // block; a line cut short is as large as a block.
        return (cut.isEmpty() && lines_.size() < HandOnLines) || hand();
    }
    // Lines found in a large file go on every few blocks, since each hand-on
    // may wake the run; files finished before go on at once.
    bool blockDone() override {
        if (!lines_.empty() && ++blocksHeld_ < HandOnBlocks && finished_.empty())
            return pool_.wanted(job_, generation_);
        blocksHeld_ = 0;
        return hand();
    }
    bool documentLoaded(bool document) override {
        return pool_.documentLoaded(job_, generation_, document, finished_);
    }
    // After a halt only the head file is still delivered.
    bool nextPiece(qint64 index) override {
        if (index % 1024 == 0 && pool_.halt_.load(std::memory_order_relaxed))
            wanted_ = pool_.isHead(job_, generation_);
        return wanted_;
    }
    void pieceFound(qint64 index, const QString &piece) override {
        if (index > skipThrough_)
            lines_.add(index, piece);
    }
    void memberStarted(const QStringList &inner) override { lines_.startMember(inner); }
    /// The lines not yet handed on.
    FoundLines takeLines() { return std::exchange(lines_, FoundLines()); }
    bool hand() { return pool_.hand(job_, lines_, generation_, finished_); }
    /// False once a halt dropped a document's pieces.
    bool wanted() const { return wanted_; }

  private:
    static constexpr qsizetype HandOnLines = 4096;
    static constexpr int HandOnBlocks = 4;
    ReadAhead &pool_;
    Job &job_;
    qint64 generation_;
    qint64 skipThrough_;
    const CompiledSearch &search_;
    std::vector<Outcome> &finished_;
    FoundLines lines_;
    int blocksHeld_ = 0;
    bool wanted_ = true;
};

/// A large file's later stretches hold their buffers and waiting lines within
/// the pool's bound, in the room the readers ahead may take, never the head's.
class ReadAhead::StretchRoom final : public TextFileReader::Budget {
  public:
    explicit StretchRoom(ReadAhead &pool) : pool_(pool) {}
    bool reserve(qint64 bytes) override {
        const std::lock_guard lock(pool_.mutex_);
        const qint64 bound = pool_.limits_.inFlightBytes - pool_.limits_.inFlightBytes / 4;
        if (pool_.counters_.inFlight + bytes > bound)
            return false;
        pool_.charge(bytes);
        return true;
    }
    void release(qint64 bytes) override {
        const std::lock_guard lock(pool_.mutex_);
        pool_.charge(-bytes);
        pool_.wakeRoomWaiters();
    }

  private:
    ReadAhead &pool_;
};

namespace {
/// How long after a read waited for the device the device readers keep reading.
constexpr auto DeviceWaitCounts = std::chrono::milliseconds(250);
constexpr auto DeviceLookAgain = std::chrono::milliseconds(20);
/// How far below the run's priority (in nice steps) the readers run.
constexpr int ReaderPriorityBelowRun = 10;
/// The most files a reader takes at once.
constexpr size_t MostFilesAClaim = 16;

// A document is held whole with its text while it is searched.
qint64 documentBytes(const QString &path) {
    const std::optional<platform::FileEntry> entry = platform::findFirstFile(path);
    return entry ? entry->size : 0;
}
} // namespace

size_t ReadAhead::readerCount() const {
    return static_cast<size_t>(std::max(1, limits_.readers));
}

ReadAhead::ReadAhead(Limits limits) : limits_(limits) {
    const int readers = static_cast<int>(readerCount());
    readers_.reserve(static_cast<size_t>(readers));
    const int cacheReaders =
        limits_.cacheReaders > 0 ? limits_.cacheReaders : QThread::idealThreadCount() + 1;
    for (int i = 0; i < readers; ++i)
        readers_.emplace_back([this, device = i >= cacheReaders] { work(device); });
}

ReadAhead::~ReadAhead() {
    stop();
}

int ReadAhead::defaultReaders() {
    bool ok = false;
    const int set = qEnvironmentVariableIntValue("QUARRIX_READERS", &ok);
    if (ok && set > 0)
        return std::min(set, 64);
    // Reads from a disk that is not yet cached pay beyond the cores: three
    // readers per core kept the device busiest on a cold tree, and cost nothing
    // with the files cached.
    return std::clamp(3 * QThread::idealThreadCount(), 4, 16);
}

void ReadAhead::charge(qint64 bytes) {
    counters_.inFlight += bytes;
    counters_.peakInFlight = std::max(counters_.peakInFlight, counters_.inFlight);
}

void ReadAhead::setSearch(std::shared_ptr<const CompiledSearch> search) {
    const std::lock_guard lock(mutex_);
    search_ = std::move(search);
}

void ReadAhead::submit(const std::vector<File> &files) {
    {
        const std::lock_guard lock(mutex_);
        dropHeads();
        for (const File &file : files) {
            auto job = std::make_shared<Job>();
            job->file = file;
            jobs_.push_back(std::move(job));
        }
    }
    if (files.size() == 1)
        workReady_.notify_one();
    else if (!files.empty())
        workReady_.notify_all();
}

ReadAhead::Taken ReadAhead::take(int timeoutMs) {
    // Only the run changes jobs_, so it may look at it without the lock.
    if (!finished_.empty() && headsDropped_ < jobs_.size() &&
        finished_.front().job == jobs_[headsDropped_]) {
        Taken taken = std::move(finished_.front().taken);
        finished_.pop_front();
        return taken;
    }
    finished_.clear();
    std::unique_lock lock(mutex_);
    dropHeads();
    if (jobs_.empty()) {
        Taken taken;
        taken.done = true;
        return taken;
    }
    Job &head = *jobs_.front();
    // After a halt, a document whose text was whole still hands on its lines.
    const auto done = [&] {
        return head.state == Job::State::Done || (stopping_ && !head.extracted);
    };
    headNews_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                       [&] { return !head.lines.empty() || done(); });
    Taken taken = takeLines(head, done());
    if (head.linesCost > 0) {
        charge(-head.linesCost);
        head.linesCost = 0;
        wakeRoomWaiters();
    }
    if (taken.done && !stopping_)
        keepFinished();
    return taken;
}

ReadAhead::Taken ReadAhead::takeLines(Job &job, bool done) {
    Taken taken;
    taken.file = job.file;
    taken.lines.swap(job.lines);
    taken.done = done;
    taken.failed = job.failed;
    taken.error = job.error;
    taken.document = job.document;
    return taken;
}

// Takes what the files after the head brought while they are finished.
void ReadAhead::keepFinished() {
    constexpr size_t Most = 256;
    for (size_t i = 1; i < jobs_.size() && i <= Most; ++i) {
        const std::shared_ptr<Job> &job = jobs_[i];
        if (job->state != Job::State::Done)
            return;
        finished_.push_back({job, takeLines(*job, true)});
    }
}

void ReadAhead::resetJob(Job &job) {
    ++job.generation;
    charge(-job.linesCost);
    job.linesCost = 0;
    job.lines.clear();
    job.state = Job::State::Queued;
    job.failed = false;
    job.error.clear();
    job.document = false;
    job.extracted = false;
    job.skipThrough = -1;
}

// Readers wait for room only while the run lags far behind them; the wake-up
// is spared otherwise, since it would take the processor from the run.
void ReadAhead::wakeRoomWaiters() {
    if (roomWaiters_ > 0)
        roomFreed_.notify_all();
}

void ReadAhead::dropHeads() {
    if (headsDropped_ == 0)
        return;
    for (; headsDropped_ > 0 && !jobs_.empty(); --headsDropped_) {
        resetJob(*jobs_.front());
        jobs_.pop_front();
        started_ = std::max<size_t>(started_, 1) - 1;
    }
    headsDropped_ = 0;
    wakeRoomWaiters(); // a reader waiting for room may now hold the head
}

void ReadAhead::restart(qint64 lastTaken) {
    {
        const std::lock_guard lock(mutex_);
        dropHeads();
        finished_.clear();
        for (const std::shared_ptr<Job> &job : jobs_)
            resetJob(*job);
        started_ = 0;
        if (!jobs_.empty())
            jobs_.front()->skipThrough = lastTaken;
    }
    workReady_.notify_all();
    roomFreed_.notify_all();
}

void ReadAhead::clear() {
    {
        const std::lock_guard lock(mutex_);
        for (const std::shared_ptr<Job> &job : jobs_)
            resetJob(*job);
        jobs_.clear();
        started_ = 0;
        headsDropped_ = 0;
        finished_.clear();
    }
    roomFreed_.notify_all();
}

void ReadAhead::halt() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        halt_ = true;
    }
    workReady_.notify_all();
    deviceWait_.notify_all();
    roomFreed_.notify_all();
    headNews_.notify_all();
}

void ReadAhead::stop() {
    halt();
    for (std::thread &reader : readers_)
        reader.join();
    readers_.clear();
    clear();
}

const ReadAhead::File *ReadAhead::head() const {
    return headsDropped_ < jobs_.size() ? &jobs_[headsDropped_]->file : nullptr;
}

ReadAhead::Counters ReadAhead::counters() const {
    const std::lock_guard lock(mutex_);
    return counters_;
}

// A device reader looks again now and then whether reads wait for the device.
// With the files cached, a reader takes several small files at once, so that
// the readers meet less often at the lock; reading from the device, one each,
// so that as many reads as readers are under way.
std::vector<ReadAhead::Claim> ReadAhead::claim(std::unique_lock<std::mutex> &lock,
                                               bool deviceReader) {
    std::shared_ptr<Job> found;
    const auto ready = [&] {
        if (stopping_)
            return true;
        if (deviceReader && !deviceWaitedLately())
            return false;
        for (; started_ < jobs_.size() && !found; ++started_) {
            if (jobs_[started_]->state == Job::State::Queued)
                found = jobs_[started_];
        }
        return found != nullptr;
    };
    if (deviceReader) {
        // Waits apart from the others, so that new files do not wake it in vain.
        while (!deviceWait_.wait_for(lock, DeviceLookAgain, ready)) {
        }
    } else {
        workReady_.wait(lock, ready);
    }
    std::vector<Claim> claims;
    if (stopping_)
        return claims;
    claims.push_back({found, found->generation, found->skipThrough});
    const size_t waiting = jobs_.size() - started_;
    const size_t most = found->file.rich || deviceReader || deviceWaitedLately()
                            ? 1
                            : std::min<size_t>(MostFilesAClaim, waiting / (2 * readerCount()) + 1);
    for (; started_ < jobs_.size() && claims.size() < most; ++started_) {
        const std::shared_ptr<Job> &job = jobs_[started_];
        if (job->file.rich) // a document is charged for its size: taken alone
            break;
        if (job->state == Job::State::Queued)
            claims.push_back({job, job->generation, job->skipThrough});
    }
    for (const Claim &taken : claims)
        taken.job->state = Job::State::Running;
    return claims;
}

void ReadAhead::noteDeviceWait() {
    const bool waking = !deviceWaitedLately();
    lastDeviceWait_ = std::chrono::steady_clock::now().time_since_epoch().count();
    if (waking)
        deviceWait_.notify_all();
}

bool ReadAhead::deviceWaitedLately() const {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto last = std::chrono::steady_clock::duration(lastDeviceWait_.load());
    return last.count() != std::numeric_limits<std::chrono::steady_clock::rep>::min() &&
           now - last < DeviceWaitCounts;
}

// Waits while there is no room for the bytes a reader is adding; false when
// the job was dropped or restarted, or the pool stops. A quarter of the bound
// is kept for the head file, so its reader never waits for the others, only
// for the run to take its lines.
bool ReadAhead::mayGoOn(std::unique_lock<std::mutex> &lock, const Job &job, qint64 generation,
                        qint64 adding) {
    const qint64 reserve = limits_.inFlightBytes / 4;
    const auto current = [&] { return !stopping_ && job.generation == generation; };
    ++roomWaiters_;
    roomFreed_.wait(lock, [&] {
        if (!current())
            return true;
        if (jobs_.front().get() == &job)
            return job.linesCost <= reserve;
        return counters_.inFlight + adding <= limits_.inFlightBytes - reserve;
    });
    --roomWaiters_;
    return current();
}

// Hands on the files a reader finished: their last lines and their ends.
void ReadAhead::publish(std::vector<Outcome> &finished) {
    bool headDone = false;
    for (Outcome &outcome : finished) {
        Job &job = *outcome.job;
        if (job.generation != outcome.generation)
            continue;
        if (!outcome.rest.empty()) {
            const qint64 bytes = outcome.rest.cost();
            job.lines.push_back(std::move(outcome.rest));
            job.linesCost += bytes;
            charge(bytes);
        }
        job.state = Job::State::Done;
        job.failed = !outcome.ok;
        job.error = outcome.error;
        headDone = headDone || jobs_.front() == outcome.job;
    }
    finished.clear();
    if (headDone)
        headNews_.notify_all();
}

bool ReadAhead::wanted(const Job &job, qint64 generation) const {
    return !halt_.load(std::memory_order_relaxed) &&
           job.generation.load(std::memory_order_relaxed) == generation;
}

// Files the reader finished before are handed on first, so that the run never
// waits for them while this reader waits for room.
bool ReadAhead::hand(Job &job, FoundLines &lines, qint64 generation,
                     std::vector<Outcome> &finished) {
    // Nothing to hand on: no room needed, and a stop or restart is seen without the lock.
    if (lines.empty() && finished.empty())
        return wanted(job, generation);
    FoundLines handed = std::exchange(lines, FoundLines());
    std::unique_lock lock(mutex_);
    publish(finished);
    if (!handed.empty() && job.generation == generation) {
        const qint64 bytes = handed.cost();
        job.lines.push_back(std::move(handed));
        job.linesCost += bytes;
        charge(bytes);
        if (jobs_.front().get() == &job)
            headNews_.notify_all();
    }
    const bool go = mayGoOn(lock, job, generation, 0);
    lock.unlock();
    return go; // a batch thrown away is freed here, outside the lock
}

// A document's text is whole: the reader hands on what it finished before,
// since the extraction may have taken a while. After a halt the document is
// left; else its pieces are handed on even after one.
bool ReadAhead::documentLoaded(Job &job, qint64 generation, bool document,
                               std::vector<Outcome> &finished) {
    const std::lock_guard lock(mutex_);
    publish(finished);
    if (stopping_)
        return false;
    if (document && job.generation == generation)
        job.document = job.extracted = true;
    return true;
}

bool ReadAhead::isHead(const Job &job, qint64 generation) const {
    const std::lock_guard lock(mutex_);
    return job.generation == generation && !jobs_.empty() && jobs_.front().get() == &job;
}

void ReadAhead::work(bool deviceReader) {
    // The run hands on every row in turn: it must not wait for a core while
    // readers far ahead of it hold one. The readers take what it leaves.
    platform::lowerThreadPriority(ReaderPriorityBelowRun);
    RichTextBuffer box;
    // A halt also ends the extraction of a document under way.
    FileScanner scanner(box, limits_.blockSize, StopToken(halt_));
    scanner.textReader().reuseFolders(true); // a reader's files mostly share a folder
    scanner.textReader().setBinaryAsText(limits_.binaryAsText);
    // One large file may keep every core busy.
    scanner.textReader().setStretchReaders(QThread::idealThreadCount());
    StretchRoom room(*this);
    scanner.textReader().setStretchBudget(&room);
    std::vector<Outcome> finished; // not yet handed on
    std::unique_lock lock(mutex_);
    for (std::vector<Claim> claims; !(claims = claim(lock, deviceReader)).empty();) {
        const Job &first = *claims.front().job;
        // The reader's buffer, or the whole document and its text.
        const qint64 buffer = first.file.rich
                                  ? documentBytes(first.file.path) * 3 + limits_.blockSize
                                  : limits_.blockSize;
        if (!mayGoOn(lock, first, claims.front().generation, buffer) && stopping_)
            break;
        charge(buffer);
        counters_.filesRead += static_cast<qint64>(claims.size());
        counters_.filesReadByDeviceReaders += deviceReader ? qint64(claims.size()) : 0;
        const std::shared_ptr<const CompiledSearch> search = search_;
        lock.unlock();
        for (const Claim &file : claims) {
            if (!wanted(*file.job, file.generation))
                continue;
            // Reading may hand on the files finished before (and empty the list).
            Outcome outcome = read(file, *search, scanner, finished);
            finished.push_back(std::move(outcome));
        }
        lock.lock();
        charge(-buffer);
        publish(finished);
        wakeRoomWaiters();
    }
}

ReadAhead::Outcome ReadAhead::read(const Claim &file, const CompiledSearch &search,
                                   FileScanner &scanner, std::vector<Outcome> &finished) {
    const File &named = file.job->file;
    Receiver receiver(*this, file, search, finished);
    const FileScanner::Outcome scanned = scanner.scan(named.path, named.rich, receiver);
    Outcome outcome{file.job, file.generation, {}, scanned.ok, scanned.error};
    if (!named.rich && scanner.textReader().waitedForDevice())
        noteDeviceWait();
    if (!scanned.document)
        outcome.rest = receiver.takeLines();
    else if (receiver.wanted())
        receiver.hand();
    return outcome;
}
