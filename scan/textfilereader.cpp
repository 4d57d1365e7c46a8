#include "scan/textfilereader.h"

#include "scan/linefinder.h"

#include <cstring>

// The first block must hold a whole byte-order mark.
TextFileReader::TextFileReader(qsizetype blockSize, qsizetype lineLimit)
    : blockSize_(std::max<qsizetype>(blockSize, 4)), lineLimit_(std::max<qsizetype>(lineLimit, 4)),
      maxBuffer_(2 * std::max(blockSize_, lineLimit_)) {}

qint64 TextFileReader::readRaw(char *to, qint64 room) {
    return source_ ? source_->read(to, room) : file_.read(to, room);
}

qint64 TextFileReader::fill(char *to, qint64 room) {
    if (!utf16_)
        return readRaw(to, room);
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
    if (end - begin <= lineLimit_)
        return client.lineMatched(lineNumber_ + 1, QByteArrayView(begin, end - begin));
    const char *headEnd = LineFinder::wholeCharactersEnd(begin, begin + lineLimit_);
    return client.longLineMatched(lineNumber_ + 1, QByteArrayView(begin, headEnd - begin));
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
            if (line.matched && !client.longLineMatched(lineNumber_ + 1, head)) {
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
    if (!file_.open(path)) {
        error_ = file_.errorString();
        return false;
    }
    return scanOpened(client);
}

bool TextFileReader::scan(Source &source, Client &client) {
    error_.clear();
    source_ = &source;
    const bool ok = scanOpened(client);
    source_ = nullptr;
    return ok;
}

bool TextFileReader::scanOpened(Client &client) {
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
            processRegion(data + start, data + length, client);
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
                if (!client.blockDone()) // a long line is read in many blocks: stay live
                    break;
            } else {
                ok = followLongLine(length, crPending, atEnd, client);
            }
            continue;
        }
        if (!processRegion(data + start, data + regionEnd, client))
            break;
        crPending = regionEnd == length && data[regionEnd - 1] == '\r';
        std::memmove(buffer_.data(), data + regionEnd, static_cast<size_t>(length - regionEnd));
        length -= regionEnd;
        if (!client.blockDone())
            break;
    }
    if (!ok)
        error_ = source_ ? source_->errorString() : file_.errorString();
    file_.close();
    return ok;
}
