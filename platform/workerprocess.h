#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <chrono>
#include <functional>

namespace platform {

/// What a worker process may take: its address space and processor time.
struct WorkerLimits {
    qint64 addressSpaceBytes = 0; ///< 0: no bound
    int cpuSeconds = 0;           ///< 0: no bound
};

/// A long-lived helper process that the program talks to over a socket: it is
/// started with no environment and no open file but its socket (and standard
/// error), within the limits given. Killed and reaped by its destructor.
class WorkerProcess {
  public:
    WorkerProcess() = default;
    ~WorkerProcess();
    WorkerProcess(const WorkerProcess &) = delete;
    WorkerProcess &operator=(const WorkerProcess &) = delete;

    /// Starts program; false with errorString() when it cannot be.
    bool start(const QString &program, const WorkerLimits &limits);
    bool isRunning() const { return pid_ > 0; }
    /// Bounds the address space of the running process from now on.
    bool limitAddressSpace(qint64 bytes);
    /// Sends bytes, and with them the open file descriptor fd when not -1.
    bool send(QByteArrayView bytes, int fd = -1);

    enum class Received { Whole, Stopped, TimedOut, Ended };
    /// Reads exactly size bytes by the deadline. keepWaiting is asked every
    /// few milliseconds while nothing comes; false gives Stopped.
    Received receive(char *buffer, qint64 size, std::chrono::steady_clock::time_point deadline,
                     const std::function<bool()> &keepWaiting);
    /// Kills the process at once and reaps it.
    void kill();
    /// How an ended process ended.
    struct Ending {
        int exitStatus = -1;             ///< -1 after a signal
        bool outOfProcessorTime = false; ///< stopped by its processor-time limit
        QString description;             ///< "signal 11 (Segmentation fault)", "exit status 3"
    };
    /// Waits for the ended process and says how it ended.
    Ending reap();
    QString errorString() const { return error_; }

  private:
    int pid_ = -1;
    int socket_ = -1;
    QString error_;
};

/// In a worker: receives bytes into buffer and an open file descriptor sent
/// with them (fd, or -1), blocking on the socket inherited as standard input.
/// False when the program closed its end or the socket failed.
bool receiveFromParent(char *buffer, qint64 size, int &fd);
/// In a worker: sends all the bytes to the program.
bool sendToParent(QByteArrayView bytes);
/// In a worker: the processor time it was started with, in seconds (0: no bound).
int processorTimeAllowance();
/// In a worker: allows that many seconds of processor time from now on.
void allowProcessorTime(int seconds);
/// The worker's socket, as the started process has it.
constexpr int WorkerSocket = 0;

} // namespace platform
