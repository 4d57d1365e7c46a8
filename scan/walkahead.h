#pragma once

#include "platform/pathname.h"
#include "scan/filelimits.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

/// The directory walk of a tree scan on a thread of its own, so that the run
/// can hand the first files to its readers while later folders are still being
/// listed. What the walk meets comes back in walk order, as the run takes it;
/// the run shows it, so the status texts keep their order.
class WalkAhead {
  public:
    struct Event {
        enum class Kind { Folder, File, FolderError, KernelFileSystem };
        Kind kind = Kind::File;
        QString path;
        QString description; ///< the system's words for a folder that failed
    };
    struct Taken {
        std::vector<Event> events;
        bool finished = false;  ///< nothing more comes
        bool completed = false; ///< finished without being stopped
    };

    /// Starts walking folder and everything below it; files in leftOut are
    /// passed over, and folders below it that limits exclude are not entered.
    WalkAhead(const QString &folder, std::vector<platform::FileId> leftOut,
              std::shared_ptr<const FileLimits> limits = {});
    /// Stops the walk and waits for its thread.
    ~WalkAhead();
    WalkAhead(const WalkAhead &) = delete;
    WalkAhead &operator=(const WalkAhead &) = delete;

    /// Waits up to timeoutMs for news and takes everything met since the last take.
    Taken take(int timeoutMs);

  private:
    class Visitor;
    void publish(std::vector<Event> &events, bool finished, bool completed);

    std::mutex mutex_;
    std::condition_variable news_;
    std::vector<Event> events_;
    bool finished_ = false;
    bool completed_ = false;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};
