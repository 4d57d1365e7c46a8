#pragma once

#include "documents/stoptoken.h"

#include <QString>
#include <QStringView>

#include <cstring>

/// Appends extracted text to a string in place: room is made in large steps,
/// so the many short cells and runs of a document cost no call each. The
/// limit keeps a small file whose records name one long string again and
/// again from taking all memory; past it nothing more is written and full()
/// says so. full() also says so once the reading is stopped through its
/// token, so that every loop that asks it ends then. The string gets its
/// written size when the writer goes.
class TextWriter {
  public:
    /// Room for the expected number of characters is taken at once; memory
    /// not written to costs nothing.
    TextWriter(QString &out, qsizetype limit, qsizetype expected = 0, StopToken stop = {});
    ~TextWriter();
    TextWriter(const TextWriter &) = delete;
    TextWriter &operator=(const TextWriter &) = delete;

    /// The limit for text taken from a file or stream of that many bytes:
    /// generous for real documents, bounded for crafted ones.
    static qsizetype limitFor(qsizetype inputBytes);

    bool full() const { return full_ || stop_.stopped(); }
    /// True once a write was refused for the limit.
    bool limitReached() const { return full_; }
    qsizetype size() const { return used_; }
    void truncate(qsizetype size) { used_ = qMin(used_, size); }

    void append(QStringView text) {
        if (text.isEmpty()) // an empty view may hold no pointer at all
            return;
        if (char16_t *at = room(text.size())) {
            std::memcpy(at, text.utf16(), size_t(text.size()) * sizeof(char16_t));
            used_ += text.size();
        }
    }
    void append(char16_t c) {
        if (char16_t *at = room(1)) {
            *at = c;
            ++used_;
        }
    }
    void appendLineEnd() { append(u"\r\n"); }

    /// Room to write up to n characters in place, or nullptr past the limit;
    /// endWrite() takes the end of what was written.
    char16_t *beginWrite(qsizetype n) { return room(n); }
    void endWrite(const char16_t *end) { used_ = end - base_; }

  private:
    char16_t *room(qsizetype n) { return used_ + n <= capacity_ ? base_ + used_ : grow(n); }
    char16_t *grow(qsizetype n);

    QString &out_;
    qsizetype limit_;
    qsizetype used_;
    qsizetype capacity_ = 0;
    char16_t *base_ = nullptr;
    bool full_ = false;
    StopToken stop_;
};
