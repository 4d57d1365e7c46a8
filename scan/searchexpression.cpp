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

SearchExpression::SearchExpression(const QString &searchText) : text_(searchText) {
    blank_ = ::isBlank(text_);
    QChar separator;
    if (text_.contains(u'|')) {
        form_ = Form::Or;
        separator = u'|';
    } else if (text_.contains(u'&')) {
        form_ = Form::And;
        separator = u'&';
    }
    if (form_ == Form::Simple) {
        terms_ = {platform::upperCase(text_)};
    } else {
        for (const QString &term : text_.split(separator))
            terms_ += platform::upperCase(trimSpaces(term));
    }
    ascii_ = std::all_of(terms_.cbegin(), terms_.cend(), [](const QString &term) {
        return std::all_of(term.cbegin(), term.cend(), [](QChar c) { return c.unicode() < 0x80; });
    });
}

bool SearchExpression::LineMatches(QStringView line) const {
    if (blank_)
        return false;
    return matchesUpper(line, platform::upperCase(line));
}

bool SearchExpression::matchesUpper(QStringView line, const QString &upper) const {
    if (form_ == Form::Simple)
        return upper.contains(terms_.front());
    const bool lineBlank = ::isBlank(line);
    auto occurs = [&](const QString &term) {
        return term.isEmpty() ? !lineBlank : upper.contains(term);
    };
    if (form_ == Form::Or)
        return std::any_of(terms_.cbegin(), terms_.cend(), occurs);
    return std::all_of(terms_.cbegin(), terms_.cend(), occurs);
}

QList<SearchExpression::TermHit> SearchExpression::termHits(QStringView line) const {
    QList<TermHit> hits;
    if (blank_)
        return hits;
    const QString upper = platform::upperCase(line);
    // Upper-casing keeps each character's place, except for the rare letters
    // whose capital needs another number of code units; those lines stay plain.
    if (upper.size() != line.size() || !matchesUpper(line, upper))
        return hits;
    for (const QString &term : terms_) {
        if (term.isEmpty())
            continue;
        for (qsizetype at = upper.indexOf(term); at >= 0;
             at = upper.indexOf(term, at + term.size()))
            hits.append({at, term.size()});
    }
    std::sort(hits.begin(), hits.end(),
              [](const TermHit &a, const TermHit &b) { return a.start < b.start; });
    return hits;
}
