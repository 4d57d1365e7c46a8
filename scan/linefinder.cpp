#include "scan/linefinder.h"

#include "platform/codepage.h"

#include <algorithm>

LineFinder::LineFinder(const SearchExpression &expression, bool everyLine)
    : expression_(&expression), kernels_(bytesearch::kernels()) {
    if (expression.isBlank()) {
        mode_ = everyLine ? Mode::EveryLine : Mode::Nothing;
        return;
    }
    if (!expression.isAscii()) {
        mode_ = Mode::Decoded;
        return;
    }
    const QStringList &terms = expression.terms();
    const bool anyEmpty =
        std::any_of(terms.cbegin(), terms.cend(), [](const QString &t) { return t.isEmpty(); });
    const bool isOr = expression.form() != SearchExpression::Form::And;
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
        if (!term.isEmpty())
            needles_.emplace_back(term.toLatin1());
    }
    if (needles_.empty()) {
        mode_ = isOr ? Mode::Nothing : Mode::NonBlankLines;
        return;
    }
    mode_ = isOr ? Mode::AnyTerm : Mode::AllTerms;
    if (!isOr) // the longest term is the rarest as a rule: let it lead
        std::stable_sort(needles_.begin(), needles_.end(),
                         [](const auto &a, const auto &b) { return a.size() > b.size(); });
}

bool LineFinder::lineSelected(const char *begin, const char *end) const {
    switch (mode_) {
    case Mode::EveryLine:
        return true;
    case Mode::NonBlankLines:
        return std::any_of(begin, end, [](char c) { return c != ' '; });
    case Mode::Decoded:
        return expression_->LineMatches(platform::decodeText(QByteArrayView(begin, end - begin)));
    default:
        return false;
    }
}
