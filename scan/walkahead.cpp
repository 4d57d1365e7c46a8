#include "scan/walkahead.h"

#include "scan/traversedirectories.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <utility>

namespace {
/// Events are passed on in batches of this many, or at the next folder once
/// this long has passed.
constexpr size_t BatchEvents = 256;
constexpr auto PublishAfter = std::chrono::milliseconds(5);
} // namespace

class WalkAhead::Visitor : public TraverseDirectories::WalkVisitor {
  public:
    Visitor(WalkAhead &walk, std::vector<platform::FileId> leftOut,
            std::shared_ptr<const FileLimits> limits)
        : walk_(walk), leftOut_(std::move(leftOut)), limits_(std::move(limits)) {}
    WalkState enterFolder(const QString &path) override {
        // The folder named for the scan is entered whatever its name.
        if (limits_ && entered_ && limits_->excludesFolder(lastName(path)))
            return WalkState::Skip;
        entered_ = true;
        // What the folders before gave goes to the run in batches, or after a
        // while, so that a slow folder does not hold back what was found.
        if (!batch_.empty() && std::chrono::steady_clock::now() - published_ > PublishAfter)
            publish(false, false);
        return add({Event::Kind::Folder, path, {}});
    }
    WalkState visitFile(const QString &path, quint64 inode) override {
        if (isLeftOut(path, inode))
            return goOn();
        return add({Event::Kind::File, path, {}});
    }
    WalkState folderError(const QString &path, const QString &description) override {
        return add({Event::Kind::FolderError, path, description});
    }
    void kernelFileSystemSkipped(const QString &path) override {
        add({Event::Kind::KernelFileSystem, path, {}});
    }
    bool keepGoing() override { return !walk_.stop_.load(std::memory_order_relaxed); }
    void finish(bool completed) { publish(true, completed); }

  private:
    WalkState add(Event event) {
        batch_.push_back(std::move(event));
        if (batch_.size() >= BatchEvents)
            publish(false, false);
        return goOn();
    }
    void publish(bool finished, bool completed) {
        walk_.publish(batch_, finished, completed);
        published_ = std::chrono::steady_clock::now();
    }
    WalkState goOn() { return keepGoing() ? WalkState::Continue : WalkState::Quit; }
    // Only a file with the inode of one left out is looked at more closely, so
    // that a report written into the tree costs no call for every other file.
    bool isLeftOut(const QString &path, quint64 inode) const {
        if (std::ranges::none_of(leftOut_,
                                 [inode](const platform::FileId &id) { return id.inode == inode; }))
            return false;
        const auto status = platform::pathStatus(path);
        return status && std::ranges::find(leftOut_, status->id) != leftOut_.end();
    }

    WalkAhead &walk_;
    std::vector<platform::FileId> leftOut_;
    std::shared_ptr<const FileLimits> limits_;
    bool entered_ = false; ///< the root folder was entered
    std::vector<Event> batch_;
    std::chrono::steady_clock::time_point published_ = std::chrono::steady_clock::now();
};

WalkAhead::WalkAhead(const QString &folder, std::vector<platform::FileId> leftOut,
                     std::shared_ptr<const FileLimits> limits) {
    thread_ = std::thread(
        [this, folder, leftOut = std::move(leftOut), limits = std::move(limits)]() mutable {
            Visitor visitor(*this, std::move(leftOut), std::move(limits));
            const WalkState state = TraverseDirectories::TraverseFolder(folder, true, visitor);
            visitor.finish(state != WalkState::Quit);
        });
}

WalkAhead::~WalkAhead() {
    stop_ = true;
    thread_.join();
}

void WalkAhead::publish(std::vector<Event> &events, bool finished, bool completed) {
    {
        const std::lock_guard lock(mutex_);
        if (events_.empty())
            events_.swap(events);
        else
            std::move(events.begin(), events.end(), std::back_inserter(events_));
        finished_ = finished;
        completed_ = completed;
    }
    events.clear();
    news_.notify_one();
}

WalkAhead::Taken WalkAhead::take(int timeoutMs) {
    std::unique_lock lock(mutex_);
    news_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                   [this] { return !events_.empty() || finished_; });
    Taken taken;
    taken.events.swap(events_);
    taken.finished = finished_;
    taken.completed = completed_;
    return taken;
}
