#include "scan/searchexpression.h"

#include "platform/codepage.h"

#include <algorithm>

bool isBlank(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' '; });
}

QStringView trimmedSpaces(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

bool isWordCharacter(char32_t c) {
    if (c < 0x80)
        return (c >= u'0' && c <= u'9') || ((c | 0x20) >= u'a' && (c | 0x20) <= u'z') || c == u'_';
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return QChar::isLetterOrNumber(c);
    }
}

bool isWholeWord(QStringView text, qsizetype at, qsizetype length) {
    if (at > 0) {
        char32_t before = text[at - 1].unicode();
        if (QChar::isLowSurrogate(before) && at > 1 && text[at - 2].isHighSurrogate())
            before = QChar::surrogateToUcs4(text[at - 2], text[at - 1]);
        if (isWordCharacter(before))
            return false;
    }
    const qsizetype after = at + length;
    if (after < text.size()) {
        char32_t next = text[after].unicode();
        if (QChar::isHighSurrogate(next) && after + 1 < text.size() &&
            text[after + 1].isLowSurrogate())
            next = QChar::surrogateToUcs4(text[after], text[after + 1]);
        if (isWordCharacter(next))
            return false;
    }
    return true;
}

SearchExpression::SearchExpression(const QString &searchText, const SearchOptions &options)
    : text_(searchText), matchCase_(options.matchCase), wholeWord_(options.wholeWord) {
    blank_ = ::isBlank(text_);
    if (options.regex) {
        // An empty expression matches nothing, as an empty plain search does.
        if (!text_.isEmpty())
            regex_ = std::make_shared<const RegexPattern>(
                text_, RegexPattern::Options{!matchCase_, wholeWord_});
        blank_ = text_.isEmpty();
        terms_ = {text_};
        ascii_ = false;
        return;
    }
    QChar separator;
    if (text_.contains(u'|')) {
        form_ = Form::Or;
        separator = u'|';
    } else if (text_.contains(u'&')) {
        form_ = Form::And;
        separator = u'&';
    }
    const auto folded = [this](const QString &term) {
        return matchCase_ ? term : platform::upperCase(term);
    };
    if (form_ == Form::Simple) {
        terms_ = {folded(text_)};
    } else {
        for (const QString &term : text_.split(separator))
            terms_ += folded(trimSpaces(term));
    }
    ascii_ = std::all_of(terms_.cbegin(), terms_.cend(), [](const QString &term) {
        return std::all_of(term.cbegin(), term.cend(), [](QChar c) { return c.unicode() < 0x80; });
    });
}

QString SearchExpression::error() const {
    if (!regex_ || regex_->isValid())
        return {};
    return QStringLiteral("Regular expression error at character %1: %2")
        .arg(regex_->errorOffset() + 1)
        .arg(regex_->error());
}

bool SearchExpression::LineMatches(QStringView line) const {
    if (blank_)
        return false;
    if (regex_) {
        const QByteArray bytes = line.toUtf8();
        return regex_->matchesLine(bytes.constData(), bytes.constData() + bytes.size());
    }
    return matchesUpper(line, matchCase_ ? line.toString() : platform::upperCase(line));
}

// The next occurrence of term from a place on, as a whole word when asked.
qsizetype SearchExpression::indexOf(const QString &text, const QString &term,
                                    qsizetype from) const {
    for (qsizetype at = text.indexOf(term, from); at >= 0; at = text.indexOf(term, at + 1))
        if (!wholeWord_ || isWholeWord(text, at, term.size()))
            return at;
    return -1;
}

bool SearchExpression::matchesUpper(QStringView line, const QString &upper) const {
    if (form_ == Form::Simple)
        return indexOf(upper, terms_.front(), 0) >= 0;
    const bool lineBlank = ::isBlank(line);
    auto occurs = [&](const QString &term) {
        return term.isEmpty() ? !lineBlank : indexOf(upper, term, 0) >= 0;
    };
    if (form_ == Form::Or)
        return std::any_of(terms_.cbegin(), terms_.cend(), occurs);
    return std::all_of(terms_.cbegin(), terms_.cend(), occurs);
}

QList<SearchExpression::TermHit> SearchExpression::termHits(QStringView line) const {
    QList<TermHit> hits;
    if (blank_)
        return hits;
    if (regex_)
        return regexHits(line);
    const QString upper = matchCase_ ? line.toString() : platform::upperCase(line);
    // Upper-casing keeps each character's place, except for the rare letters
    // whose capital needs another number of code units; those lines stay plain.
    if (upper.size() != line.size() || !matchesUpper(line, upper))
        return hits;
    for (const QString &term : terms_) {
        if (term.isEmpty())
            continue;
        for (qsizetype at = indexOf(upper, term, 0); at >= 0;
             at = indexOf(upper, term, at + term.size()))
            hits.append({at, term.size()});
    }
    std::sort(hits.begin(), hits.end(),
              [](const TermHit &a, const TermHit &b) { return a.start < b.start; });
    return hits;
}

// Byte offsets of the UTF-8 matches turned back into places in the line.
QList<SearchExpression::TermHit> SearchExpression::regexHits(QStringView line) const {
    QList<TermHit> hits;
    const QByteArray bytes = line.toUtf8();
    const auto unitsIn = [&bytes](qsizetype from, qsizetype to) {
        return QString::fromUtf8(QByteArrayView(bytes).sliced(from, to - from)).size();
    };
    qsizetype byte = 0;
    qsizetype unit = 0;
    for (const RegexPattern::Hit &hit : regex_->hits(bytes)) {
        unit += unitsIn(byte, hit.start);
        const qsizetype length = unitsIn(hit.start, hit.start + hit.length);
        hits.append({unit, length});
        unit += length;
        byte = hit.start + hit.length;
    }
    return hits;
}
