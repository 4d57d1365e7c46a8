#pragma once

#include "scan/bytesearch.h"
#include "scan/multitermmatcher.h"
#include "scan/searchexpression.h"

#include <cstring>
#include <memory>
#include <vector>

/// Finds the lines of a buffer that match a search expression without cutting
/// the buffer into lines first: it searches the bytes for the terms and finds
/// the line around each hit. Lines end at CR, LF or CR LF.
class LineFinder {
  public:
    /// everyLine: a blank expression takes every line (the text reader's rule).
    LineFinder(const SearchExpression &expression, bool everyLine);

    /// Calls onLine(begin, end) for each matching line of [begin, end), in
    /// order; onLine returns false to stop. The buffer holds whole lines: it
    /// starts at a line start and ends after a line end or at the file's end.
    template <class OnLine>
    void forEachMatch(const char *begin, const char *end, OnLine &&onLine) const;

    /// What the search has seen of a line too long to hold, read piece by piece.
    struct LongLine {
        bool matched = false;
        std::vector<bool> seen; ///< per term, for the all-terms and decoded forms
        MultiTermMatcher::Found found;
    };
    void startLongLine(LongLine &line) const;
    /// Searches [begin, end), the next piece of a long line (no line end in it;
    /// last: the line ends after it), and returns where the piece after it must
    /// begin: the bytes from there on are searched again with the next ones, so
    /// a term across the edge is found.
    const char *searchPiece(LongLine &line, const char *begin, const char *end, bool last) const;

  private:
    enum class Mode { Nothing, EveryLine, NonBlankLines, AnyTerm, AllTerms, Decoded, Regex };

    template <class OnLine> void eachLine(const char *begin, const char *end, OnLine &onLine) const;
    template <class OnLine> void anyTerm(const char *begin, const char *end, OnLine &onLine) const;
    template <class OnLine> void allTerms(const char *begin, const char *end, OnLine &onLine) const;
    template <class OnLine>
    void regexLines(const char *begin, const char *end, OnLine &onLine) const;
    /// Match case and whole word: a line the case-blind byte search found is checked.
    bool verified(const char *begin, const char *end) const;
    /// Term i occurs in [begin, end) as the options ask.
    bool termIn(const char *begin, const char *end, std::size_t i) const;
    bool lineSelected(const char *begin, const char *end) const;
    bool allInLine(const char *begin, const char *end, MultiTermMatcher::Found &found) const;
    const char *firstHit(const char *begin, const char *end, std::vector<const char *> &next,
                         std::vector<bool> &exhausted) const;
    const char *searchDecodedPiece(LongLine &line, const char *begin, const char *end,
                                   bool last) const;
    const char *searchRegexPiece(LongLine &line, const char *begin, const char *end,
                                 bool last) const;

    static const char *lineStart(const char *floor, const char *at);

  public:
    /// The start of the line after the one that ends at lineEnd.
    static const char *nextLine(const char *lineEnd, const char *end);
    /// end, or the start of a UTF-8 sequence that end cuts short.
    static const char *wholeCharactersEnd(const char *begin, const char *end);

  private:
    const SearchExpression *expression_;
    const bytesearch::Kernels &kernels_;
    Mode mode_ = Mode::Nothing;
    std::vector<bytesearch::Needle> needles_; ///< AllTerms: the first drives the search
    std::vector<QByteArray> exact_;           ///< per needle: the term as typed (match case)
    bool verify_ = false;                     ///< match case or whole word asked for
    bool isOr_ = true;
    /// Beyond a handful of terms: all of them at once (shared by copies).
    std::shared_ptr<const MultiTermMatcher> matcher_;
    qsizetype longestTerm_ = 0; ///< bytes (ASCII) or characters (decoded)
};

inline const char *LineFinder::lineStart(const char *floor, const char *at) {
    const auto size = static_cast<std::size_t>(at - floor);
    const auto *lf = static_cast<const char *>(memrchr(floor, '\n', size));
    const char *from = lf ? lf + 1 : floor;
    const auto *cr =
        static_cast<const char *>(memrchr(from, '\r', static_cast<std::size_t>(at - from)));
    return cr ? cr + 1 : from;
}

inline const char *LineFinder::nextLine(const char *lineEnd, const char *end) {
    if (lineEnd == end)
        return end;
    if (*lineEnd == '\r' && lineEnd + 1 != end && lineEnd[1] == '\n')
        return lineEnd + 2;
    return lineEnd + 1;
}

template <class OnLine>
void LineFinder::forEachMatch(const char *begin, const char *end, OnLine &&onLine) const {
    switch (mode_) {
    case Mode::Nothing:
        return;
    case Mode::AnyTerm:
        return anyTerm(begin, end, onLine);
    case Mode::AllTerms:
        return allTerms(begin, end, onLine);
    case Mode::Regex:
        return regexLines(begin, end, onLine);
    default:
        return eachLine(begin, end, onLine);
    }
}

template <class OnLine>
void LineFinder::eachLine(const char *begin, const char *end, OnLine &onLine) const {
    for (const char *p = begin; p < end;) {
        const char *lineEnd = kernels_.findLineEnd(p, end);
        if (lineSelected(p, lineEnd) && !onLine(p, lineEnd))
            return;
        p = nextLine(lineEnd, end);
    }
}

template <class OnLine>
void LineFinder::anyTerm(const char *begin, const char *end, OnLine &onLine) const {
    // Each term's next hit is kept until the scan passes it, so every term
    // searches each byte once however the hits of the others fall.
    std::vector<const char *> next;
    std::vector<bool> exhausted;
    if (!matcher_) {
        next.assign(needles_.size(), nullptr);
        exhausted.assign(needles_.size(), false);
    }
    for (const char *p = begin; p < end;) {
        const char *hit = matcher_ ? matcher_->findAny(p, end)
                          : needles_.size() == 2
                              ? kernels_.findEither(p, end, needles_[0].view(), needles_[1].view())
                              : firstHit(p, end, next, exhausted);
        if (!hit)
            return;
        const char *lineEnd = kernels_.findLineEnd(hit, end);
        const char *start = lineStart(p, hit);
        if ((!verify_ || verified(start, lineEnd)) && !onLine(start, lineEnd))
            return;
        p = nextLine(lineEnd, end);
    }
}

template <class OnLine>
void LineFinder::allTerms(const char *begin, const char *end, OnLine &onLine) const {
    MultiTermMatcher::Found found;
    for (const char *p = begin; p < end;) {
        const char *hit = kernels_.find(p, end, needles_.front().view());
        if (!hit)
            return;
        const char *start = lineStart(p, hit);
        const char *lineEnd = kernels_.findLineEnd(hit, end);
        const bool all = verify_ ? verified(start, lineEnd) : allInLine(start, lineEnd, found);
        if (all && !onLine(start, lineEnd))
            return;
        p = nextLine(lineEnd, end);
    }
}

// The block is searched at once; a match is checked on its line alone unless
// it lies inside that line. Expressions that look at the subject's edges, and
// the rest of a block whose search went past the limits, go line by line.
template <class OnLine>
void LineFinder::regexLines(const char *begin, const char *end, OnLine &onLine) const {
    const RegexPattern &regex = *expression_->regex();
    const char *p = begin;
    // A literal every match holds finds the lines worth matching, as fast as
    // the plain search.
    while (!needles_.empty() && p < end) {
        const char *hit = kernels_.find(p, end, needles_.front().view());
        if (!hit)
            return;
        const char *start = lineStart(p, hit);
        const char *lineEnd = kernels_.findLineEnd(hit, end);
        if (regex.matchesLine(start, lineEnd) && !onLine(start, lineEnd))
            return;
        p = nextLine(lineEnd, end);
    }
    while (regex.blockSafe() && p < end) {
        const char *from = nullptr;
        const char *to = nullptr;
        const auto result = regex.find(begin, end, p, &from, &to);
        if (result == RegexPattern::Result::NoMatch)
            return;
        if (result == RegexPattern::Result::GaveUp)
            break;
        if (*from == '\n' && from > p && from[-1] == '\r')
            --from; // a match from inside a CR LF belongs to the line it ends
        const char *start = lineStart(p, from);
        const char *lineEnd = kernels_.findLineEnd(from, end);
        const bool inside = to <= lineEnd;
        if ((inside || regex.matchesLine(start, lineEnd)) && !onLine(start, lineEnd))
            return;
        p = nextLine(lineEnd, end);
    }
    while (p < end) {
        const char *lineEnd = kernels_.findLineEnd(p, end);
        if (regex.matchesLine(p, lineEnd) && !onLine(p, lineEnd))
            return;
        p = nextLine(lineEnd, end);
    }
}
