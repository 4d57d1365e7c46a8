#include "scan/regexpattern.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace {

/// Beyond these a pathological expression gives the line up rather than the scan.
constexpr uint32_t MatchLimit = 2'000'000;
constexpr uint32_t DepthLimit = 100'000;

/// What one thread needs to match: its own match data, context and JIT stack.
struct ThreadMatcher {
    ThreadMatcher() {
        data = pcre2_match_data_create(1, nullptr);
        context = pcre2_match_context_create(nullptr);
        stack = pcre2_jit_stack_create(size_t{32} * 1024, size_t{1024} * 1024, nullptr);
        pcre2_set_match_limit(context, MatchLimit);
        pcre2_set_depth_limit(context, DepthLimit);
        pcre2_jit_stack_assign(context, nullptr, stack);
    }
    ~ThreadMatcher() {
        pcre2_jit_stack_free(stack);
        pcre2_match_context_free(context);
        pcre2_match_data_free(data);
    }
    ThreadMatcher(const ThreadMatcher &) = delete;
    ThreadMatcher &operator=(const ThreadMatcher &) = delete;
    pcre2_match_data *data;
    pcre2_match_context *context;
    pcre2_jit_stack *stack;
};

ThreadMatcher &threadMatcher() {
    thread_local ThreadMatcher matcher;
    return matcher;
}

// Constructs that see the edges of the subject or around a match: with them a
// line matched inside a block may differ from the line matched alone.
bool looksAtEdges(const QString &expression) {
    for (const char *edge : {"(?", "\\A", "\\z", "\\Z", "\\G", "(*"})
        if (expression.contains(QLatin1String(edge)))
            return true;
    return false;
}

bool isLiteralByte(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// The longest run of plain letters, digits and "_" that an expression without
// alternation or groups must match, its last character left out when a
// quantifier follows. Caseless, "k" and "s" are left out: Unicode folds them
// with signs outside ASCII that the byte search would not see.
QByteArray requiredLiteralOf(const QByteArray &pattern, bool caseless) {
    if (pattern.contains('|') || pattern.contains('(') || pattern.contains("\\Q") ||
        pattern.contains("\\]"))
        return {};
    QByteArray best;
    QByteArray run;
    const auto endRun = [&](bool lastOptional) {
        if (lastOptional && !run.isEmpty())
            run.chop(1);
        if (run.size() > best.size())
            best = run;
        run.clear();
    };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\') { // an escape: a class or a character, never part of a run
            endRun(false);
            ++i;
            if (i + 1 < pattern.size() && pattern[i + 1] == '{')
                i = std::max(i, pattern.indexOf('}', i));
            if (i < 0)
                return {};
        } else if (c == '[') {
            endRun(false);
            // A "]" right after "[" or "[^" is one of the class's characters.
            const qsizetype first = i + (i + 1 < pattern.size() && pattern[i + 1] == '^' ? 3 : 2);
            const qsizetype close = pattern.indexOf(']', first);
            if (close < 0)
                return {};
            i = close;
        } else if (c == '{' || c == '?' || c == '*') {
            endRun(true);
            if (c == '{')
                i = pattern.indexOf('}', i);
            if (i < 0)
                return {};
        } else if (isLiteralByte(c) &&
                   !(caseless && (c == 'k' || c == 'K' || c == 's' || c == 'S'))) {
            run += c;
        } else {
            endRun(false);
        }
    }
    endRun(false);
    return best.size() >= 2 ? best : QByteArray();
}

} // namespace

struct RegexPattern::Code {
    pcre2_code *code = nullptr;
    bool jit = false;
};

RegexPattern::RegexPattern(const QString &expression, Options options) {
    QByteArray pattern = expression.toUtf8();
    // A word is letters, digits, marks and "_", as in the plain whole-word search.
    static constexpr QByteArrayView Before = "(?<![\\p{L}\\p{N}\\p{M}_])(?:";
    static constexpr QByteArrayView After = ")(?![\\p{L}\\p{N}\\p{M}_])";
    if (options.wholeWord)
        pattern = Before.toByteArray() + pattern + After.toByteArray();
    uint32_t flags = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_UCP | PCRE2_MULTILINE;
    if (options.caseless)
        flags |= PCRE2_CASELESS;
    pcre2_compile_context *context = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(context, PCRE2_NEWLINE_ANYCRLF);
    int errorCode = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code *code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.constData()),
                      static_cast<PCRE2_SIZE>(pattern.size()), flags, &errorCode, &offset, context);
    pcre2_compile_context_free(context);
    if (!code) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(errorCode, message, sizeof message);
        error_ = QString::fromUtf8(reinterpret_cast<const char *>(message));
        // The offset is in bytes of the expression; the user counts characters.
        const qsizetype prefix = options.wholeWord ? Before.size() : 0;
        const auto inText = std::max<qsizetype>(0, static_cast<qsizetype>(offset) - prefix);
        errorOffset_ = QString::fromUtf8(expression.toUtf8().left(inText)).size();
        return;
    }
    code_ = new Code{code, pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0};
    blockSafe_ = !looksAtEdges(expression);
    literal_ = requiredLiteralOf(expression.toUtf8(), options.caseless);
}

RegexPattern::~RegexPattern() {
    if (code_)
        pcre2_code_free(code_->code);
    delete code_;
}

RegexPattern::Result RegexPattern::run(const char *begin, const char *end, qsizetype start,
                                       qsizetype *ovector) const {
    ThreadMatcher &m = threadMatcher();
    const auto subject = reinterpret_cast<PCRE2_SPTR>(begin);
    const auto length = static_cast<PCRE2_SIZE>(end - begin);
    const auto at = static_cast<PCRE2_SIZE>(start);
    const int rc = code_->jit
                       ? pcre2_jit_match(code_->code, subject, length, at, 0, m.data, m.context)
                       : pcre2_match(code_->code, subject, length, at, 0, m.data, m.context);
    if (rc == PCRE2_ERROR_NOMATCH)
        return Result::NoMatch;
    if (rc < 0 && rc != PCRE2_ERROR_PARTIAL)
        return Result::GaveUp;
    const PCRE2_SIZE *pairs = pcre2_get_ovector_pointer(m.data);
    ovector[0] = static_cast<qsizetype>(pairs[0]);
    ovector[1] = static_cast<qsizetype>(pairs[1]);
    return Result::Match;
}

RegexPattern::Result RegexPattern::find(const char *begin, const char *end, const char *from,
                                        const char **matchBegin, const char **matchEnd) const {
    if (!code_)
        return Result::NoMatch;
    qsizetype range[2];
    const Result result = run(begin, end, from - begin, range);
    if (result == Result::Match) {
        *matchBegin = begin + range[0];
        *matchEnd = begin + range[1];
    }
    return result;
}

bool RegexPattern::matchesLine(const char *begin, const char *end) const {
    if (!code_)
        return false;
    qsizetype range[2];
    const Result result = run(begin, end, 0, range);
    if (result == Result::GaveUp)
        givenUp_.fetch_add(1, std::memory_order_relaxed);
    return result == Result::Match;
}

QList<RegexPattern::Hit> RegexPattern::hits(QByteArrayView line) const {
    QList<Hit> found;
    if (!code_)
        return found;
    const char *begin = line.data();
    const char *end = begin + line.size();
    qsizetype range[2];
    for (qsizetype at = 0; at <= line.size();) {
        if (run(begin, end, at, range) != Result::Match)
            break;
        if (range[1] > range[0])
            found.append({range[0], range[1] - range[0]});
        at = range[1] > at ? range[1] : at + 1;
        // Step over the rest of a UTF-8 character after an empty match.
        while (at < line.size() && (static_cast<unsigned char>(begin[at]) & 0xC0) == 0x80)
            ++at;
    }
    return found;
}
