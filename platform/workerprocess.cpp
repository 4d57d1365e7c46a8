#include "platform/workerprocess.h"

#include "platform/inputfile.h"
#include "platform/pathname.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {
/// How often a wait for the worker asks whether to go on.
constexpr int PollMilliseconds = 10;

// Between fork and exec only calls safe after a fork of a threaded program.
[[noreturn]] void execWorker(int socket, const char *program, const WorkerLimits &limits) {
    if (limits.addressSpaceBytes > 0) {
        // The program may move it for each document; the worker cannot.
        const rlimit bound{rlim_t(limits.addressSpaceBytes), RLIM_INFINITY};
        ::setrlimit(RLIMIT_AS, &bound);
    }
    if (limits.cpuSeconds > 0) {
        // The soft limit sends SIGXCPU; the worker moves it on before each
        // document (a hard one would count its whole life).
        const rlimit bound{rlim_t(limits.cpuSeconds), RLIM_INFINITY};
        ::setrlimit(RLIMIT_CPU, &bound);
    }
    ::dup2(socket, WorkerSocket);
    ::dup2(STDERR_FILENO, STDOUT_FILENO); // nothing a reader prints mixes with the program's output
    ::close_range(3, ~0U, 0);
    char *const argv[] = {const_cast<char *>(program), nullptr};
    char *const envp[] = {nullptr};
    ::execve(program, argv, envp);
    ::_exit(127);
}
} // namespace

WorkerProcess::~WorkerProcess() {
    kill();
}

bool WorkerProcess::start(const QString &program, const WorkerLimits &limits) {
    kill();
    error_.clear();
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        error_ = errorText(errno);
        return false;
    }
    const QByteArray path = pathBytes(program);
    const pid_t pid = ::fork();
    if (pid == 0)
        execWorker(pair[1], path.constData(), limits);
    ::close(pair[1]);
    if (pid < 0) {
        error_ = errorText(errno);
        ::close(pair[0]);
        return false;
    }
    pid_ = pid;
    socket_ = pair[0];
    return true;
}

bool WorkerProcess::limitAddressSpace(qint64 bytes) {
    const rlimit bound{rlim_t(bytes), RLIM_INFINITY};
    return pid_ > 0 && ::prlimit(pid_, RLIMIT_AS, &bound, nullptr) == 0;
}

bool WorkerProcess::send(QByteArrayView bytes, int fd) {
    const char *data = bytes.data();
    qint64 left = bytes.size();
    while (left > 0) {
        iovec part{const_cast<char *>(data), size_t(left)};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
        if (fd >= 0) {
            message.msg_control = control;
            message.msg_controllen = sizeof control;
            cmsghdr *header = CMSG_FIRSTHDR(&message);
            header->cmsg_level = SOL_SOCKET;
            header->cmsg_type = SCM_RIGHTS;
            header->cmsg_len = CMSG_LEN(sizeof(int));
            std::memcpy(CMSG_DATA(header), &fd, sizeof fd);
        }
        const ssize_t sent = ::sendmsg(socket_, &message, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0) {
            error_ = errorText(errno);
            return false;
        }
        fd = -1;
        data += sent;
        left -= sent;
    }
    return true;
}

WorkerProcess::Received WorkerProcess::receive(char *buffer, qint64 size,
                                               std::chrono::steady_clock::time_point deadline,
                                               const std::function<bool()> &keepWaiting) {
    while (size > 0) {
        pollfd wait{socket_, POLLIN, 0};
        const int ready = ::poll(&wait, 1, PollMilliseconds);
        if (ready < 0 && errno != EINTR)
            return Received::Ended;
        if (ready <= 0) {
            if (!keepWaiting())
                return Received::Stopped;
            if (std::chrono::steady_clock::now() >= deadline)
                return Received::TimedOut;
            continue;
        }
        const ssize_t got = ::recv(socket_, buffer, size_t(size), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return Received::Ended;
        buffer += got;
        size -= got;
    }
    return Received::Whole;
}

void WorkerProcess::kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    pid_ = -1;
    if (socket_ >= 0)
        ::close(socket_);
    socket_ = -1;
}

WorkerProcess::Ending WorkerProcess::reap() {
    Ending ending;
    int status = 0;
    pid_t done = -1;
    while (pid_ > 0 && (done = ::waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    kill();
    if (done < 0)
        return ending;
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        ending.outOfProcessorTime = signal == SIGXCPU;
        ending.description = QStringLiteral("signal %1 (%2)")
                                 .arg(signal)
                                 .arg(QString::fromLocal8Bit(strsignal(signal)));
    } else {
        ending.exitStatus = WEXITSTATUS(status);
        ending.description = QStringLiteral("exit status %1").arg(ending.exitStatus);
    }
    return ending;
}

bool receiveFromParent(char *buffer, qint64 size, int &fd) {
    fd = -1;
    while (size > 0) {
        iovec part{buffer, size_t(size)};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t got = ::recvmsg(WorkerSocket, &message, MSG_CMSG_CLOEXEC);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        for (cmsghdr *header = CMSG_FIRSTHDR(&message); header;
             header = CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS)
                std::memcpy(&fd, CMSG_DATA(header), sizeof fd);
        }
        buffer += got;
        size -= got;
    }
    return true;
}

int processorTimeAllowance() {
    rlimit bound{};
    if (::getrlimit(RLIMIT_CPU, &bound) != 0 || bound.rlim_cur == RLIM_INFINITY)
        return 0;
    return int(bound.rlim_cur);
}

void allowProcessorTime(int seconds) {
    rusage used{};
    rlimit bound{};
    if (seconds <= 0 || ::getrusage(RUSAGE_SELF, &used) != 0 ||
        ::getrlimit(RLIMIT_CPU, &bound) != 0)
        return;
    bound.rlim_cur = rlim_t(used.ru_utime.tv_sec + used.ru_stime.tv_sec + 1 + seconds);
    ::setrlimit(RLIMIT_CPU, &bound);
}

bool sendToParent(QByteArrayView bytes) {
    const char *data = bytes.data();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t sent = ::send(WorkerSocket, data, size_t(left), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        data += sent;
        left -= sent;
    }
    return true;
}

} // namespace platform
