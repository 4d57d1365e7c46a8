#include "scan/multitermmatcher.h"

#include <deque>

namespace {

constexpr std::uint32_t Missing = 0xFFFFFFFFu;
/// Table entries at most (64 MB); a larger set of terms is searched term by term.
constexpr std::size_t MaxEntries = std::size_t{1} << 24;

unsigned char folded(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b | 0x20) : b;
}

} // namespace

MultiTermMatcher::MultiTermMatcher(const std::vector<QByteArray> &terms) {
    unsigned char classOfFolded[256] = {};
    std::size_t states = 1;
    for (const QByteArray &term : terms) {
        states += static_cast<std::size_t>(term.size());
        for (const char c : term) {
            unsigned char &cls = classOfFolded[folded(c)];
            if (cls == 0)
                cls = static_cast<unsigned char>(classes_++);
        }
    }
    for (int b = 0; b < 256; ++b)
        classOf_[b] = classOfFolded[folded(static_cast<char>(b))];
    usable_ = classes_ < 256 && states * static_cast<std::size_t>(classes_) <= MaxEntries;
    if (usable_)
        build(terms);
}

int MultiTermMatcher::addState() {
    table_.insert(table_.end(), static_cast<size_t>(classes_), Missing);
    termAt_.push_back(-1);
    outLink_.push_back(-1);
    return static_cast<int>(termAt_.size() - 1);
}

void MultiTermMatcher::build(const std::vector<QByteArray> &terms) {
    addState();
    for (const QByteArray &term : terms) {
        int state = 0;
        for (const char c : term) {
            const std::size_t at = static_cast<size_t>(state) * classes_ + classOf_[folded(c)];
            if (table_[at] == Missing) {
                const int added = addState();
                table_[at] = static_cast<std::uint32_t>(added);
            }
            state = static_cast<int>(table_[at]);
        }
        if (termAt_[static_cast<size_t>(state)] < 0)
            termAt_[static_cast<size_t>(state)] = terms_++;
    }
    // Breadth first, so a state's fallback row is complete before the state's own.
    std::vector<int> fallback(termAt_.size(), 0);
    std::deque<int> queue;
    for (int c = 0; c < classes_; ++c) {
        std::uint32_t &next = table_[static_cast<size_t>(c)];
        if (next == Missing)
            next = 0;
        else
            queue.push_back(static_cast<int>(next));
    }
    while (!queue.empty()) {
        const int state = queue.front();
        queue.pop_front();
        const auto row = static_cast<size_t>(state) * classes_;
        const auto fallbackRow =
            static_cast<size_t>(fallback[static_cast<size_t>(state)]) * classes_;
        for (int c = 0; c < classes_; ++c) {
            std::uint32_t &next = table_[row + c];
            if (next != Missing) {
                const auto child = static_cast<size_t>(next);
                const int link = static_cast<int>(table_[fallbackRow + c]);
                fallback[child] = link;
                outLink_[child] = termAt_[static_cast<size_t>(link)] >= 0
                                      ? link
                                      : outLink_[static_cast<size_t>(link)];
                queue.push_back(static_cast<int>(next));
            } else {
                next = table_[fallbackRow + c];
            }
        }
    }
    // Entries become row offsets flagged where a term ends.
    for (std::uint32_t &next : table_) {
        const auto state = static_cast<size_t>(next);
        const bool accepting = termAt_[state] >= 0 || outLink_[state] >= 0;
        next = static_cast<std::uint32_t>(state * classes_) | (accepting ? Accepting : 0);
    }
}

const char *MultiTermMatcher::findAny(const char *begin, const char *end) const {
    const std::uint32_t *table = table_.data();
    std::uint32_t state = 0;
    for (const char *p = begin; p < end; ++p) {
        const std::uint32_t next = table[state + classOf_[static_cast<unsigned char>(*p)]];
        if (next & Accepting)
            return p;
        state = next;
    }
    return nullptr;
}

void MultiTermMatcher::collect(const char *begin, const char *end, Found &found) const {
    const std::uint32_t *table = table_.data();
    std::uint32_t state = 0;
    for (const char *p = begin; p < end && found.missing_ > 0; ++p) {
        const std::uint32_t next = table[state + classOf_[static_cast<unsigned char>(*p)]];
        state = next & ~Accepting;
        if (!(next & Accepting))
            continue;
        const auto index = static_cast<int>(state / static_cast<std::uint32_t>(classes_));
        int k =
            termAt_[static_cast<size_t>(index)] >= 0 ? index : outLink_[static_cast<size_t>(index)];
        for (; k >= 0; k = outLink_[static_cast<size_t>(k)]) {
            const auto term = static_cast<size_t>(termAt_[static_cast<size_t>(k)]);
            if (!found.seen_[term]) {
                found.seen_[term] = true;
                --found.missing_;
            }
        }
    }
}
