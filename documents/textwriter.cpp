#include "documents/textwriter.h"

namespace {

// 64 Mi characters (128 MB): more text than any document a person reads.
constexpr qsizetype MinLimit = qsizetype(64) << 20;

} // namespace

TextWriter::TextWriter(QString &out, qsizetype limit, qsizetype expected, StopToken stop)
    : out_(out), limit_(qMax(limit, out.size())), used_(out.size()), stop_(stop) {
    out_.reserve(qMin(limit_, used_ + expected));
    out_.resize(qMin(qMax(out_.capacity(), used_), limit_));
    capacity_ = out_.size();
    base_ = reinterpret_cast<char16_t *>(out_.data());
}

TextWriter::~TextWriter() {
    out_.resize(used_);
}

qsizetype TextWriter::limitFor(qsizetype inputBytes) {
    return qMax(MinLimit, 4 * inputBytes);
}

char16_t *TextWriter::grow(qsizetype n) {
    if (full_ || n > limit_ - used_) {
        full_ = true;
        capacity_ = used_; // every later write comes here and is refused
        return nullptr;
    }
    // Only the written part is carried over when the string moves.
    out_.resize(used_);
    out_.resize(qMin(limit_, qMax(used_ + n, 2 * capacity_ + 4096)));
    capacity_ = out_.size();
    base_ = reinterpret_cast<char16_t *>(out_.data());
    return base_ + used_;
}
