#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

/// Many ASCII terms searched at once, letter case ignored (A-Z only, as the
/// byte search folds): an Aho-Corasick automaton turned into a table with one
/// row per state and one column per byte class, so each byte of the text costs
/// one table step however many terms there are.
class MultiTermMatcher {
  public:
    /// Upper-cased, non-empty terms; a term repeated counts once.
    explicit MultiTermMatcher(const std::vector<QByteArray> &terms);

    /// Whether the table stays within a sane size; when not, search term by term.
    bool usable() const { return usable_; }
    /// Distinct terms.
    int termCount() const { return terms_; }

    /// The last byte of the first term occurrence to end in [begin, end), or nullptr.
    const char *findAny(const char *begin, const char *end) const;

    /// Terms seen in the text so far, for a line that must hold all of them.
    class Found {
      public:
        void reset(int terms) {
            seen_.assign(static_cast<size_t>(terms), false);
            missing_ = terms;
        }
        bool all() const { return missing_ == 0; }
        int missing() const { return missing_; }

      private:
        friend class MultiTermMatcher;
        std::vector<bool> seen_;
        int missing_ = 0;
    };
    /// Marks every term that occurs in [begin, end); stops early once all are seen.
    void collect(const char *begin, const char *end, Found &found) const;

  private:
    static constexpr std::uint32_t Accepting = 0x80000000u;

    int addState();
    void build(const std::vector<QByteArray> &terms);

    bool usable_ = true;
    int terms_ = 0;
    int classes_ = 1;
    unsigned char classOf_[256] = {};
    /// Entry of (state, class): the next state's row offset, with Accepting set
    /// when a term ends there.
    std::vector<std::uint32_t> table_;
    std::vector<int> termAt_; ///< per state: the term that ends exactly here, or -1
    std::vector<int>
        outLink_; ///< per state: the nearest shorter suffix state where a term ends, or -1
};
