#include "documents/unpackahead.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <utility>

namespace {

struct Callbacks {
    static la_ssize_t read(archive *, void *self, const void **buffer) {
        auto &pair = *static_cast<std::pair<UnpackAhead::Source *, QByteArray> *>(self);
        *buffer = pair.second.constData();
        const qint64 n = (*pair.first)(pair.second.data(), pair.second.size());
        return n < 0 ? ARCHIVE_FATAL : static_cast<la_ssize_t>(n);
    }
};

QString errorOf(archive *a) {
    const char *text = archive_error_string(a);
    return text ? QString::fromUtf8(text) : QStringLiteral("The archive cannot be read");
}

} // namespace

UnpackAhead::UnpackAhead(Source source, qsizetype blocks, qsizetype blockSize)
    : source_(std::move(source)), blocks_(std::max<qsizetype>(blocks, 1)), blockSize_(blockSize),
      thread_([this] { unpack(); }) {}

UnpackAhead::~UnpackAhead() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

// The thread: the stream through libarchive's filters alone, block by block.
void UnpackAhead::unpack() {
    std::unique_ptr<archive, int (*)(archive *)> owner(archive_read_new(), archive_read_free);
    archive *a = owner.get();
    archive_read_support_filter_all(a);
    archive_read_support_format_raw(a);
    std::pair<Source *, QByteArray> input{&source_, QByteArray(blockSize_, Qt::Uninitialized)};
    archive_entry *entry = nullptr;
    QString error;
    if (archive_read_open(a, &input, nullptr, Callbacks::read, nullptr) != ARCHIVE_OK ||
        archive_read_next_header(a, &entry) < ARCHIVE_WARN) {
        error = errorOf(a);
    } else {
        for (;;) {
            Block block = spareBlock();
            const la_ssize_t n = archive_read_data(a, block.bytes.get(), blockSize_);
            if (n < 0)
                error = errorOf(a);
            if (n <= 0)
                break;
            block.size = n;
            if (!put(std::move(block)))
                return;
        }
    }
    const std::lock_guard lock(mutex_);
    error_ = error;
    ended_ = true;
    changed_.notify_all();
}

// A block the reader is done with, or a new one: reused blocks spare the
// unpacking the cost of fresh memory.
UnpackAhead::Block UnpackAhead::spareBlock() {
    {
        const std::lock_guard lock(mutex_);
        if (!spare_.empty()) {
            Block block = std::move(spare_.back());
            spare_.pop_back();
            return block;
        }
    }
    return {std::make_unique_for_overwrite<char[]>(static_cast<size_t>(blockSize_))};
}

// Waits for room; false when the reader is gone.
bool UnpackAhead::put(Block block) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopping_ || qsizetype(full_.size()) < blocks_; });
    if (stopping_)
        return false;
    full_.push_back(std::move(block));
    changed_.notify_all();
    return true;
}

qint64 UnpackAhead::next(const char **bytes) {
    std::unique_lock lock(mutex_);
    if (current_.bytes)
        spare_.push_back(std::exchange(current_, {}));
    changed_.wait(lock, [this] { return ended_ || !full_.empty(); });
    if (full_.empty())
        return error_.isEmpty() ? 0 : -1;
    current_ = std::move(full_.front());
    full_.pop_front();
    changed_.notify_all();
    *bytes = current_.bytes.get();
    return current_.size;
}

QString UnpackAhead::errorString() const {
    const std::lock_guard lock(mutex_);
    return error_;
}
