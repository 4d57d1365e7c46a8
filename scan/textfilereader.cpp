#include "scan/textfilereader.h"

#include "scan/linefinder.h"
#include "scan/scantexts.h"

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

/// A later stretch of a file cut at line ends, searched on a thread of its
/// own. Its lines, numbered from the stretch's start, are gathered a block at
/// a time and wait here until the file's reader hands them on in turn: up to
/// BaseQueue bytes always, and more while the budget grants room.
class TextFileReader::Stretch final : public TextFileReader::Client {
  public:
    /// Lines kept one after another, so a line costs no allocation of its own.
    struct Lines {
        struct Line {
            qint64 number;
            qsizetype end; ///< in text
            bool cut;
        };
        QByteArray text;
        std::vector<Line> lines;

        qsizetype cost() const {
            return text.size() + static_cast<qsizetype>(lines.size() * sizeof(Line));
        }
        QByteArrayView at(size_t i) const {
            const qsizetype begin = i == 0 ? 0 : lines[i - 1].end;
            return QByteArrayView(text).sliced(begin, lines[i].end - begin);
        }
    };

    /// Held before a stretch starts: its buffer and its first waiting lines.
    static qint64 baseCost(qsizetype blockSize) { return blockSize + BaseQueue; }

    Stretch(const TextFileReader &file, const QString &path, qint64 from, qint64 to,
            const LineFinder &finder)
        : reader_(file.blockSize_, file.lineLimit_), finder_(finder), budget_(file.budget_),
          baseCost_(baseCost(file.blockSize_)) {
        thread_ = std::thread([this, path, from, to] {
            const bool ok = reader_.scanRange(path, from, to, *this);
            publish();
            const std::lock_guard lock(mutex_);
            ok_ = ok;
            done_ = true;
            news_.notify_all();
        });
    }
    ~Stretch() override {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        room_.notify_all();
        thread_.join();
        if (budget_)
            budget_->release(baseCost_ + allowed_ - BaseQueue);
    }

    const LineFinder &finder() override { return finder_; }
    bool lineMatched(qint64 number, QByteArrayView line) override {
        return add(number, line, false);
    }
    bool longLineMatched(qint64 number, QByteArrayView head) override {
        return add(number, head, true);
    }
    bool blockDone() override {
        publish();
        return waitForRoom();
    }

    /// The lines found since the last take, waiting up to ms for some; done
    /// once the stretch is read and every line taken.
    std::vector<Lines> take(int ms, bool &done) {
        std::unique_lock lock(mutex_);
        news_.wait_for(lock, std::chrono::milliseconds(ms),
                       [this] { return !queued_.empty() || done_; });
        std::vector<Lines> taken = std::exchange(queued_, {});
        queued_.reserve(taken.size());
        bytes_ = 0;
        const qsizetype extra = std::exchange(allowed_, BaseQueue) - BaseQueue;
        done = done_;
        lock.unlock();
        room_.notify_all();
        if (budget_ && extra > 0)
            budget_->release(extra);
        return taken;
    }
    /// After done: how the read ended, and the line ends it counted.
    bool ok() const { return ok_; }
    QString errorString() const { return reader_.errorString(); }
    qint64 lineEnds() const { return reader_.lineNumber_; }

  private:
    static constexpr qsizetype BaseQueue = qsizetype{1} << 20;
    /// Room asked of the budget at a time beyond BaseQueue.
    static constexpr qsizetype MoreRoom = qsizetype{4} << 20;

    bool add(qint64 number, QByteArrayView text, bool cut) {
        pending_.text += text;
        pending_.lines.push_back({number, pending_.text.size(), cut});
        return true;
    }
    void publish() {
        if (pending_.lines.empty())
            return;
        const qsizetype cost = pending_.cost();
        const std::lock_guard lock(mutex_);
        queued_.push_back(std::exchange(pending_, {}));
        bytes_ += cost;
        news_.notify_all();
    }
    // Past the room held, more is asked of the budget before waiting for a take.
    bool waitForRoom() {
        std::unique_lock lock(mutex_);
        while (!stopping_ && bytes_ >= allowed_) {
            lock.unlock();
            const bool more = budget_ && budget_->reserve(MoreRoom);
            lock.lock();
            if (more)
                allowed_ += MoreRoom;
            else
                room_.wait(lock, [this] { return stopping_ || bytes_ < allowed_; });
        }
        return !stopping_;
    }

    TextFileReader reader_;
    const LineFinder &finder_;
    Budget *budget_;
    const qint64 baseCost_;
    Lines pending_; ///< this block's lines, on the stretch's thread
    std::mutex mutex_;
    std::condition_variable news_; ///< lines queued, or done
    std::condition_variable room_; ///< lines taken, or stopping
    std::vector<Lines> queued_;
    qsizetype bytes_ = 0;
    qsizetype allowed_ = BaseQueue; ///< beyond BaseQueue, reserved of the budget
    bool done_ = false;
    bool ok_ = true;
    bool stopping_ = false;
    std::thread thread_;
};

// The first block must hold a whole byte-order mark.
TextFileReader::TextFileReader(qsizetype blockSize, qsizetype lineLimit)
    : blockSize_(std::max<qsizetype>(blockSize, 4)), lineLimit_(std::max<qsizetype>(lineLimit, 4)),
      maxBuffer_(2 * std::max(blockSize_, lineLimit_)) {}

qint64 TextFileReader::readRaw(char *to, qint64 room) {
    return source_ ? source_->read(to, room) : file_.read(to, room);
}

qint64 TextFileReader::fill(char *to, qint64 room) {
    if (!utf16_) {
        if (rangeEnd_ >= 0)
            room = std::min(room, rangeEnd_ - offset_);
        const qint64 n = room > 0 ? readRaw(to, room) : 0;
        offset_ += std::max<qint64>(n, 0);
        return n;
    }
    while (decodedPos_ == decoded_.size()) {
        char raw[64 * 1024];
        const qint64 n = readRaw(raw, sizeof raw);
        if (n <= 0)
            return n;
        decoded_ = QString((*utf16_)(QByteArrayView(raw, n))).toUtf8();
        decodedPos_ = 0;
    }
    const qint64 n = std::min<qint64>(room, decoded_.size() - decodedPos_);
    std::memcpy(to, decoded_.constData() + decodedPos_, static_cast<size_t>(n));
    decodedPos_ += n;
    return n;
}

// Reads the first block and deals with a byte-order mark.
bool TextFileReader::startFile(qsizetype &length) {
    utf16_.reset();
    decoded_.clear();
    decodedPos_ = 0;
    const qint64 n = readRaw(buffer_.data(), buffer_.size());
    if (n < 0)
        return false;
    length = n;
    offset_ = n;
    const auto *bytes = reinterpret_cast<const unsigned char *>(buffer_.constData());
    if (n >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        length = n - 3;
        std::memmove(buffer_.data(), buffer_.constData() + 3, static_cast<size_t>(length));
    } else if (n >= 2 &&
               ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        utf16_.emplace(bytes[0] == 0xFF ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        decoded_ = QString((*utf16_)(QByteArrayView(buffer_.data() + 2, n - 2))).toUtf8();
        length = fill(buffer_.data(), buffer_.size());
    }
    binary_ = !utf16_ && !binaryAsText_ && length > 0 &&
              std::memchr(buffer_.constData(), 0, static_cast<size_t>(length)) != nullptr;
    return length >= 0;
}

bool TextFileReader::processRegion(const char *begin, const char *end, Client &client) {
    const char *counted = begin;
    bool go = true;
    for (const char *from = begin; go && from < end;) {
        const char *restartAt = nullptr;
        client.finder().forEachMatch(from, end, [&](const char *lineBegin, const char *lineEnd) {
            lineNumber_ +=
                static_cast<qint64>(bytesearch::kernels().countLineEnds(counted, lineBegin));
            counted = lineBegin;
            go = deliver(lineBegin, lineEnd, client);
            if (go && client.searchChanged())
                restartAt = LineFinder::nextLine(lineEnd, end);
            return go && !restartAt;
        });
        if (!restartAt)
            break;
        from = restartAt;
    }
    lineNumber_ += static_cast<qint64>(bytesearch::kernels().countLineEnds(counted, end));
    return go;
}

bool TextFileReader::deliver(const char *begin, const char *end, Client &client) {
    if (binary_)
        return deliverHead({}, client);
    if (end - begin <= lineLimit_)
        return client.lineMatched(lineNumber_ + 1, QByteArrayView(begin, end - begin));
    const char *headEnd = LineFinder::wholeCharactersEnd(begin, begin + lineLimit_);
    return deliverHead(QByteArrayView(begin, headEnd - begin), client);
}

// A long line's first part, or a binary file's one row, after which it stops.
bool TextFileReader::deliverHead(QByteArrayView head, Client &client) {
    if (!binary_)
        return client.longLineMatched(lineNumber_ + 1, head);
    static const QByteArray row = ScanTexts::BinaryFileMatches.toUtf8();
    client.lineMatched(lineNumber_ + 1, row);
    stopped_ = true;
    return false;
}

// Fills the buffer from length on; atEnd when the file has no more.
bool TextFileReader::fillBuffer(qsizetype &length, bool &atEnd) {
    atEnd = false;
    while (!atEnd && length < buffer_.size()) {
        const qint64 n = fill(buffer_.data() + length, buffer_.size() - length);
        if (n < 0)
            return false;
        atEnd = n == 0;
        length += n;
    }
    return true;
}

// The buffer is full and holds the start of a line and no line end. The line is
// searched piece by piece until it ends; its first part is kept in case it matches.
bool TextFileReader::followLongLine(qsizetype &length, bool &crPending, bool &atEnd,
                                    Client &client) {
    const LineFinder &finder = client.finder();
    LineFinder::LongLine line;
    finder.startLongLine(line);
    const char *data = buffer_.constData();
    const QByteArray head(data, LineFinder::wholeCharactersEnd(data, data + lineLimit_) - data);
    qsizetype searched = 0; // bytes known to hold no line end
    for (;;) {
        data = buffer_.constData();
        const char *end = data + length;
        const char *lineEnd = bytesearch::kernels().findLineEnd(data + searched, end);
        const bool last = lineEnd != end || atEnd;
        const char *resume = finder.searchPiece(line, data, lineEnd, last);
        if (last) {
            if (line.matched && !deliverHead(head, client)) {
                stopped_ = true;
                return true;
            }
            const char *rest = LineFinder::nextLine(lineEnd, end);
            lineNumber_ += lineEnd != end ? 1 : 0;
            crPending = rest == end && lineEnd != end && *lineEnd == '\r';
            std::memmove(buffer_.data(), rest, static_cast<size_t>(end - rest));
            length = end - rest;
            return true;
        }
        // A block at least is read anew, so every piece moves on.
        const qsizetype keep =
            std::min<qsizetype>(end - resume, length - std::min(blockSize_, length / 2));
        std::memmove(buffer_.data(), end - keep, static_cast<size_t>(keep));
        length = searched = keep;
        if (!client.blockDone()) {
            stopped_ = true;
            return true;
        }
        if (!fillBuffer(length, atEnd))
            return false;
    }
}

bool TextFileReader::scan(const QString &path, Client &client) {
    error_.clear();
    rangeEnd_ = -1;
    offset_ = 0;
    if (!file_.open(path)) {
        error_ = file_.errorString();
        return false;
    }
    return scanOpened(&path, client);
}

bool TextFileReader::scan(Source &source, Client &client) {
    error_.clear();
    rangeEnd_ = -1;
    offset_ = 0;
    source_ = &source;
    const bool ok = scanOpened(nullptr, client);
    source_ = nullptr;
    return ok;
}

// A file of the tree (path given) may be cut into stretches; a member
// streamed from a container is read in one.
bool TextFileReader::scanOpened(const QString *path, Client &client) {
    lineNumber_ = 0;
    stopped_ = false;
    if (buffer_.size() != blockSize_) // a long line of the last file grew it
        buffer_ = QByteArray(blockSize_, Qt::Uninitialized);
    qsizetype length = 0;
    bool ok = startFile(length);
    if (ok && client.handsBack(QByteArrayView(buffer_.constData(), length))) {
        file_.close();
        return true;
    }
    Stretches stretches = ok && path ? startStretches(*path, client.finder()) : Stretches();
    ok = ok && readLines(length, client);
    if (ok && !stopped_)
        ok = deliverStretches(stretches, client);
    if (!ok && error_.isEmpty())
        error_ = source_ ? source_->errorString() : file_.errorString();
    stretches.clear(); // stops and waits for them
    file_.close();
    return ok;
}

// A stretch begins after a line end, so no byte-order mark, decoding or
// binary check applies to it; its line numbers count from its start.
bool TextFileReader::scanRange(const QString &path, qint64 from, qint64 to, Client &client) {
    error_.clear();
    lineNumber_ = 0;
    stopped_ = false;
    utf16_.reset();
    binary_ = false;
    rangeEnd_ = to;
    offset_ = from;
    buffer_ = QByteArray(blockSize_, Qt::Uninitialized);
    bool ok = file_.open(path) && file_.seek(from) >= 0 && readLines(0, client);
    if (!ok)
        error_ = file_.errorString();
    file_.close();
    return ok;
}

// Where a large plain file is cut: just after the first LF at or past each
// even share of it, so a CR LF pair stays whole. A share whose window holds
// no LF (one long line) is not cut.
std::vector<qint64> TextFileReader::cuts(const QString &path) const {
    const qint64 size = file_.size();
    if (stretchReaders_ < 2 || utf16_ || binary_ || size < stretchFrom_)
        return {};
    const qint64 shares = std::min<qint64>(stretchReaders_, size / (stretchFrom_ / 2));
    platform::InputFile probe;
    if (!probe.open(path))
        return {};
    std::vector<qint64> cuts;
    QByteArray window(qsizetype{64} * 1024, Qt::Uninitialized);
    for (qint64 k = 1; k < shares; ++k) {
        const qint64 at = size * k / shares;
        const qint64 got = probe.seek(at) >= 0 ? probe.read(window.data(), window.size()) : -1;
        const void *lf = got > 0 ? std::memchr(window.constData(), '\n', size_t(got)) : nullptr;
        if (!lf)
            continue;
        const qint64 cut = at + (static_cast<const char *>(lf) - window.constData()) + 1;
        if (cut > offset_ && cut < size && (cuts.empty() || cut > cuts.back()))
            cuts.push_back(cut);
    }
    return cuts;
}

TextFileReader::Stretches TextFileReader::startStretches(const QString &path,
                                                         const LineFinder &finder) {
    const std::vector<qint64> at = cuts(path);
    Stretches stretches;
    const auto cost = static_cast<qint64>(at.size()) * Stretch::baseCost(blockSize_);
    if (at.empty() || (budget_ && !budget_->reserve(cost)))
        return stretches;
    rangeEnd_ = at.front(); // this reader keeps the first stretch
    for (size_t k = 0; k < at.size(); ++k) {
        const qint64 to = k + 1 < at.size() ? at[k + 1] : -1;
        stretches.push_back(std::make_unique<Stretch>(*this, path, at[k], to, finder));
    }
    return stretches;
}

// Each stretch's lines follow the line ends of the stretches before it.
bool TextFileReader::deliverStretches(Stretches &stretches, Client &client) {
    constexpr int WaitMilliseconds = 20;
    for (const std::unique_ptr<Stretch> &stretch : stretches) {
        const qint64 base = lineNumber_;
        for (bool done = false; !done;) {
            for (const Stretch::Lines &batch : stretch->take(WaitMilliseconds, done)) {
                for (size_t i = 0; i < batch.lines.size(); ++i) {
                    const qint64 number = base + batch.lines[i].number;
                    const QByteArrayView text = batch.at(i);
                    if (!(batch.lines[i].cut ? client.longLineMatched(number, text)
                                             : client.lineMatched(number, text))) {
                        stopped_ = true;
                        return true;
                    }
                }
            }
            if (!client.blockDone()) {
                stopped_ = true;
                return true;
            }
        }
        if (!stretch->ok()) {
            error_ = stretch->errorString();
            return false;
        }
        lineNumber_ = base + stretch->lineEnds();
    }
    return true;
}

bool TextFileReader::readLines(qsizetype length, Client &client) {
    bool ok = true;
    bool crPending = false; // the last region ended with a CR whose LF may come next
    while (ok && !stopped_) {
        bool atEnd = false;
        ok = fillBuffer(length, atEnd);
        if (!ok)
            break;
        const char *data = buffer_.constData();
        const qsizetype start = crPending && length > 0 && data[0] == '\n' ? 1 : 0;
        crPending = false;
        if (atEnd) {
            stopped_ = !processRegion(data + start, data + length, client);
            break;
        }
        qsizetype regionEnd = length;
        while (regionEnd > start && data[regionEnd - 1] != '\n' && data[regionEnd - 1] != '\r')
            --regionEnd;
        if (regionEnd == start) { // a line longer than the buffer
            std::memmove(buffer_.data(), data + start, static_cast<size_t>(length - start));
            length -= start;
            if (buffer_.size() < maxBuffer_) {
                buffer_.resize(std::min(buffer_.size() * 2, maxBuffer_));
                // A long line is read in many blocks: stay live.
                if ((stopped_ = !client.blockDone()))
                    break;
            } else {
                ok = followLongLine(length, crPending, atEnd, client);
            }
            continue;
        }
        if ((stopped_ = !processRegion(data + start, data + regionEnd, client)))
            break;
        crPending = regionEnd == length && data[regionEnd - 1] == '\r';
        std::memmove(buffer_.data(), data + regionEnd, static_cast<size_t>(length - regionEnd));
        length -= regionEnd;
        if ((stopped_ = !client.blockDone()))
            break;
    }
    return ok;
}
