#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <atomic>
#include <memory>

/// A Perl-compatible expression compiled once (JIT where the processor allows)
/// and matched on UTF-8 bytes as read: bytes that are not UTF-8 never fail a
/// line, they just match no character class. Lines end at CR, LF or CR LF.
/// Shared read-only by every reader thread.
class RegexPattern {
  public:
    struct Options {
        bool caseless = true;
        bool wholeWord = false;
    };
    RegexPattern(const QString &expression, Options options);
    ~RegexPattern();
    RegexPattern(const RegexPattern &) = delete;
    RegexPattern &operator=(const RegexPattern &) = delete;

    bool isValid() const { return code_ != nullptr; }
    /// The library's words for an expression that did not compile, with its offset.
    const QString &error() const { return error_; }
    qsizetype errorOffset() const { return errorOffset_; }

    enum class Result { NoMatch, Match, GaveUp };
    /// Searches [from, end) of the subject [begin, end) for the first match.
    Result find(const char *begin, const char *end, const char *from, const char **matchBegin,
                const char **matchEnd) const;
    /// Whether a line (without its line end) holds a match. A line whose
    /// match went past the limits counts as given up and does not match.
    bool matchesLine(const char *begin, const char *end) const;
    /// Byte ranges of every match in a line, in order.
    struct Hit {
        qsizetype start;
        qsizetype length;
    };
    QList<Hit> hits(QByteArrayView line) const;

    /// Whether a match in a whole block of lines, checked on its line, finds
    /// exactly the matching lines: false for expressions that look at the
    /// subject's edges (\A, \z, lookaround), which are then matched line by line.
    bool blockSafe() const { return blockSafe_; }
    /// ASCII letters, digits or "_" that every match holds, for a byte search
    /// to find the lines worth matching; empty when none is known.
    const QByteArray &requiredLiteral() const { return literal_; }
    /// Lines given up so far, across threads.
    qint64 linesGivenUp() const { return givenUp_.load(std::memory_order_relaxed); }

  private:
    struct Code;
    Result run(const char *begin, const char *end, qsizetype start, qsizetype *ovector) const;

    Code *code_ = nullptr;
    QString error_;
    qsizetype errorOffset_ = -1;
    bool blockSafe_ = true;
    QByteArray literal_;
    mutable std::atomic<qint64> givenUp_ = 0;
};
