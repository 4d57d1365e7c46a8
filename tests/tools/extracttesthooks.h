#pragma once

// The test build of the document worker: a document that begins
// "QUARRIX-TEST <what>" makes it misbehave as asked, so that tests make a
// crash, a hang or a greedy reading without large or harmful files.

#include "scan/documentworker.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QString>

inline QString callResult(int result) {
    return result >= 0 ? QStringLiteral("call succeeded")
                       : QStringLiteral("call failed: ") + QString::fromLocal8Bit(strerror(errno));
}

/// True when the document asked for something; reading then holds the text
/// that tells the test what happened.
inline bool misbehaveIfAsked(int fd, DocumentReading &reading) {
    char head[256] = {};
    const ssize_t n = ::pread(fd, head, sizeof head - 1, 0);
    constexpr char Tag[] = "QUARRIX-TEST ";
    if (n <= 0 || std::strncmp(head, Tag, sizeof Tag - 1) != 0)
        return false;
    const QString what = QString::fromLatin1(head + sizeof Tag - 1).trimmed();
    if (what == u"crash") {
        // As the system ends a faulting reader, whatever handler a sanitizer set.
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
    }
    if (what == u"spin") {
        std::atomic<unsigned> turns = 0;
        for (;;)
            turns.fetch_add(1, std::memory_order_relaxed);
    }
    if (what == u"sleep") {
        for (;;)
            ::sleep(1);
    }
    if (what == u"allocate") {
        for (;;) {
            char *block = new char[1 << 20];
            std::memset(block, 1, 1 << 20);
        }
    }
    reading.loaded = true;
    if (what.startsWith(u"open ")) {
        const QByteArray path = what.mid(5).toLocal8Bit();
        reading.text = callResult(::open(path.constData(), O_RDONLY));
    } else if (what == u"connect") {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        reading.text = callResult(s);
    } else if (what == u"exec") {
        char *const argv[] = {const_cast<char *>("/bin/true"), nullptr};
        reading.text = callResult(::execve("/bin/true", argv, argv + 1));
    }
    return true;
}
