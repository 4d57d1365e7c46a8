#include "documents/unpackahead.h"

#include <archive.h>
#include <archive_entry.h>

#include <cstring>
#include <memory>

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
            QByteArray block(blockSize_, Qt::Uninitialized);
            const la_ssize_t n = archive_read_data(a, block.data(), block.size());
            if (n < 0)
                error = errorOf(a);
            if (n <= 0)
                break;
            block.truncate(n);
            if (!put(std::move(block)))
                return;
        }
    }
    const std::lock_guard lock(mutex_);
    error_ = error;
    ended_ = true;
    changed_.notify_all();
}

// Waits for room; false when the reader is gone.
bool UnpackAhead::put(QByteArray block) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopping_ || qsizetype(full_.size()) < blocks_; });
    if (stopping_)
        return false;
    full_.push_back(std::move(block));
    changed_.notify_all();
    return true;
}

qint64 UnpackAhead::read(char *to, qint64 room) {
    if (at_ == current_.size()) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return ended_ || !full_.empty(); });
        if (full_.empty())
            return error_.isEmpty() ? 0 : -1;
        current_ = std::move(full_.front());
        full_.pop_front();
        at_ = 0;
        changed_.notify_all();
    }
    const qint64 n = std::min<qint64>(room, current_.size() - at_);
    std::memcpy(to, current_.constData() + at_, static_cast<size_t>(n));
    at_ += n;
    return n;
}

QString UnpackAhead::errorString() const {
    const std::lock_guard lock(mutex_);
    return error_;
}
