#include "scan/linefinder.h"

#include "platform/codepage.h"

#include <algorithm>

namespace {

/// From this many terms on, all are searched at once rather than one by one.
constexpr std::size_t ManyTerms = 6;

bool anyNonSpace(const char *begin, const char *end) {
    return std::any_of(begin, end, [](char c) { return c != ' '; });
}

} // namespace

LineFinder::LineFinder(const SearchExpression &expression, bool everyLine)
    : expression_(&expression), kernels_(bytesearch::kernels()) {
    if (expression.isBlank()) {
        mode_ = everyLine ? Mode::EveryLine : Mode::Nothing;
        return;
    }
    if (expression.regex()) {
        mode_ = expression.regex()->isValid() ? Mode::Regex : Mode::Nothing;
        if (const QByteArray &literal = expression.regex()->requiredLiteral(); !literal.isEmpty())
            needles_.emplace_back(literal.toUpper());
        return;
    }
    const QStringList &terms = expression.terms();
    if (!expression.isAscii()) {
        mode_ = Mode::Decoded;
        for (const QString &term : terms)
            longestTerm_ = std::max(longestTerm_, term.size());
        return;
    }
    const bool anyEmpty =
        std::any_of(terms.cbegin(), terms.cend(), [](const QString &t) { return t.isEmpty(); });
    const bool isOr = expression.form() != SearchExpression::Form::And;
    isOr_ = isOr;
    verify_ = expression.matchCase() || expression.wholeWord();
    if (isOr && anyEmpty) {
        mode_ = Mode::NonBlankLines; // an empty term occurs in every line that is not blank
        return;
    }
    for (const QString &term : terms) {
        // A line holds no line end, so a term with one occurs nowhere.
        if (term.contains(u'\r') || term.contains(u'\n')) {
            if (!isOr) {
                mode_ = Mode::Nothing;
                return;
            }
            continue;
        }
        if (!term.isEmpty()) {
            needles_.emplace_back(term.toUpper().toLatin1());
            exact_.push_back(term.toLatin1());
        }
    }
    if (needles_.empty()) {
        mode_ = isOr ? Mode::Nothing : Mode::NonBlankLines;
        return;
    }
    mode_ = isOr ? Mode::AnyTerm : Mode::AllTerms;
    if (!isOr) { // the longest term is the rarest as a rule: let it lead
        const auto longest =
            std::max_element(needles_.begin(), needles_.end(),
                             [](const auto &a, const auto &b) { return a.size() < b.size(); });
        const auto first = static_cast<std::size_t>(longest - needles_.begin());
        std::swap(needles_.front(), needles_[first]);
        std::swap(exact_.front(), exact_[first]);
    }
    for (const bytesearch::Needle &needle : needles_)
        longestTerm_ = std::max<qsizetype>(longestTerm_, needle.size());
    if (needles_.size() >= ManyTerms && !verify_) {
        std::vector<QByteArray> upper;
        for (const QString &term : terms)
            if (!term.isEmpty() && !term.contains(u'\r') && !term.contains(u'\n'))
                upper.push_back(term.toLatin1());
        auto matcher = std::make_shared<const MultiTermMatcher>(upper);
        if (matcher->usable())
            matcher_ = std::move(matcher);
    }
}

const char *LineFinder::firstHit(const char *begin, const char *end,
                                 std::vector<const char *> &next,
                                 std::vector<bool> &exhausted) const {
    const char *hit = nullptr;
    for (std::size_t i = 0; i < needles_.size(); ++i) {
        if (exhausted[i])
            continue;
        if (!next[i] || next[i] < begin) {
            next[i] = kernels_.find(begin, end, needles_[i].view());
            if (!next[i]) {
                exhausted[i] = true;
                continue;
            }
        }
        hit = hit ? std::min(hit, next[i]) : next[i];
    }
    return hit;
}

bool LineFinder::allInLine(const char *begin, const char *end,
                           MultiTermMatcher::Found &found) const {
    if (matcher_) {
        found.reset(matcher_->termCount());
        matcher_->collect(begin, end, found);
        return found.all();
    }
    for (std::size_t i = 1; i < needles_.size(); ++i)
        if (!kernels_.find(begin, end, needles_[i].view()))
            return false;
    return true;
}

namespace {

// One character of UTF-8; a byte that does not begin one is read as the line
// reader reads a line that is not UTF-8 (Windows-1252).
char32_t characterOf(const char *begin, qsizetype length, const char *single) {
    const QString c = QString::fromUtf8(begin, length);
    if (c.isEmpty() || c.contains(QChar::ReplacementCharacter))
        return platform::decodeText(QByteArrayView(single, 1)).front().unicode();
    return QStringView(c).toUcs4().front();
}

// The character that ends just before at.
char32_t characterBefore(const char *floor, const char *at) {
    const char *q = at - 1;
    while (q > floor && at - q < 4 && (static_cast<unsigned char>(*q) & 0xC0) == 0x80)
        --q;
    return characterOf(q, at - q, at - 1);
}

char32_t characterAt(const char *at, const char *end) {
    const auto lead = static_cast<unsigned char>(*at);
    const qsizetype length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return characterOf(at, std::min<qsizetype>(length, end - at), at);
}

bool wholeWordAt(const char *begin, const char *end, const char *at, qsizetype length) {
    if (at > begin && isWordCharacter(characterBefore(begin, at)))
        return false;
    return at + length == end || !isWordCharacter(characterAt(at + length, end));
}

} // namespace

bool LineFinder::termIn(const char *begin, const char *end, std::size_t i) const {
    const bytesearch::Needle &needle = needles_[i];
    const QByteArray &exact = exact_[i];
    const bool matchCase = expression_->matchCase();
    const bool wholeWord = expression_->wholeWord();
    for (const char *p = begin; p < end; ++p) {
        p = kernels_.find(p, end, needle.view());
        if (!p)
            return false;
        if (matchCase && std::memcmp(p, exact.constData(), exact.size()) != 0)
            continue;
        if (!wholeWord || wholeWordAt(begin, end, p, exact.size()))
            return true;
    }
    return false;
}

bool LineFinder::verified(const char *begin, const char *end) const {
    for (std::size_t i = 0; i < needles_.size(); ++i)
        if (termIn(begin, end, i) == isOr_)
            return isOr_;
    return !isOr_;
}

void LineFinder::startLongLine(LongLine &line) const {
    line.matched = false;
    const std::size_t terms = mode_ == Mode::Decoded
                                  ? static_cast<std::size_t>(expression_->terms().size())
                                  : needles_.size();
    line.seen.assign(terms, false);
    if (matcher_)
        line.found.reset(matcher_->termCount());
}

const char *LineFinder::searchPiece(LongLine &line, const char *begin, const char *end,
                                    bool last) const {
    if (line.matched)
        return end;
    switch (mode_) {
    case Mode::Nothing:
        return end;
    case Mode::EveryLine:
        line.matched = true;
        return end;
    case Mode::NonBlankLines:
        line.matched = anyNonSpace(begin, end);
        return end;
    case Mode::Decoded:
        return searchDecodedPiece(line, begin, end, last);
    case Mode::Regex:
        return searchRegexPiece(line, begin, end, last);
    case Mode::AnyTerm:
        if (matcher_) {
            line.matched = matcher_->findAny(begin, end) != nullptr;
            break;
        }
        for (std::size_t i = 0; i < needles_.size() && !line.matched; ++i)
            line.matched = termIn(begin, end, i);
        break;
    case Mode::AllTerms:
        if (matcher_) {
            matcher_->collect(begin, end, line.found);
            line.matched = line.found.all();
            break;
        }
        line.matched = true;
        for (std::size_t i = 0; i < needles_.size(); ++i) {
            if (!line.seen[i])
                line.seen[i] = termIn(begin, end, i);
            line.matched = line.matched && line.seen[i];
        }
        break;
    }
    return std::max(begin, end - (longestTerm_ - 1));
}

// Each piece is decoded on its own, ended before a character it would cut.
const char *LineFinder::searchDecodedPiece(LongLine &line, const char *begin, const char *end,
                                           bool last) const {
    const char *stop = last ? end : wholeCharactersEnd(begin, end);
    const QString upper =
        platform::upperCase(platform::decodeText(QByteArrayView(begin, stop - begin)));
    const QStringList &terms = expression_->terms();
    const bool nonBlank = anyNonSpace(begin, stop);
    for (qsizetype i = 0; i < terms.size(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (!line.seen[at])
            line.seen[at] = terms[i].isEmpty() ? nonBlank : upper.contains(terms[i]);
    }
    const auto seen = [](bool s) { return s; };
    line.matched = expression_->form() == SearchExpression::Form::And
                       ? std::all_of(line.seen.cbegin(), line.seen.cend(), seen)
                       : std::any_of(line.seen.cbegin(), line.seen.cend(), seen);
    // A character takes up to three bytes of UTF-8 per UTF-16 unit.
    const char *from = std::max(begin, stop - 3 * longestTerm_);
    while (from < stop && (static_cast<unsigned char>(*from) & 0xC0) == 0x80)
        ++from;
    return from;
}

// Each piece is matched on its own, with some of the one before it again, so a
// match of modest length across the edge is found.
const char *LineFinder::searchRegexPiece(LongLine &line, const char *begin, const char *end,
                                         bool last) const {
    const char *stop = last ? end : wholeCharactersEnd(begin, end);
    line.matched = expression_->regex()->matchesLine(begin, stop);
    constexpr qsizetype Overlap = 4096;
    const char *from = std::max(begin, stop - Overlap);
    while (from < stop && (static_cast<unsigned char>(*from) & 0xC0) == 0x80)
        ++from;
    return from;
}

const char *LineFinder::wholeCharactersEnd(const char *begin, const char *end) {
    for (const char *q = end; q > begin && end - q < 4;) {
        const auto c = static_cast<unsigned char>(*--q);
        if ((c & 0xC0) == 0x80)
            continue;
        const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return end - q < length ? q : end;
    }
    return end;
}

bool LineFinder::lineSelected(const char *begin, const char *end) const {
    switch (mode_) {
    case Mode::EveryLine:
        return true;
    case Mode::NonBlankLines:
        return anyNonSpace(begin, end);
    case Mode::Decoded:
        return expression_->LineMatches(platform::decodeText(QByteArrayView(begin, end - begin)));
    default:
        return false;
    }
}
