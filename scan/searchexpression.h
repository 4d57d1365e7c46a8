#pragma once

#include "scan/regexpattern.h"
#include "scan/searchoptions.h"

#include <QString>
#include <QStringList>

#include <memory>

/// The search text the user typed, parsed: one simple term, terms any of which
/// must occur ("a|b"), or terms all of which must occur ("a&b"), letter case
/// ignored. Parse it again only when the text changes.
class SearchExpression {
  public:
    enum class Form { Simple, Or, And };

    explicit SearchExpression(const QString &searchText = {}, const SearchOptions &options = {});

    const QString &searchText() const { return text_; }
    bool matchCase() const { return matchCase_; }
    bool wholeWord() const { return wholeWord_; }
    /// The compiled expression in regular-expression mode, else null.
    const RegexPattern *regex() const { return regex_.get(); }
    /// Empty, or why the regular expression cannot be used.
    QString error() const;
    Form form() const { return form_; }
    /// The text is empty or spaces only: LineMatches() is false for every line.
    bool isBlank() const { return blank_; }
    /// Upper-cased terms (as typed with matchCase); trimmed of spaces in the OR and AND forms,
    /// where an empty term occurs in every line that is not blank.
    const QStringList &terms() const { return terms_; }
    /// Every term is ASCII, so lines can be matched on their raw bytes.
    bool isAscii() const { return ascii_; }

    /// Whether a line of text matches the expression.
    bool LineMatches(QStringView line) const;

    /// Where a term occurs in a line, in characters of the line.
    struct TermHit {
        qsizetype start;
        qsizetype length;
        bool operator==(const TermHit &) const = default;
    };
    /// Every occurrence of every non-empty term in a line that LineMatches(),
    /// in order of position; nothing for a line that does not match.
    QList<TermHit> termHits(QStringView line) const;

  private:
    bool matchesUpper(QStringView line, const QString &upper) const;
    QList<TermHit> regexHits(QStringView line) const;
    qsizetype indexOf(const QString &text, const QString &term, qsizetype from) const;

    QString text_;
    bool matchCase_ = false;
    bool wholeWord_ = false;
    std::shared_ptr<const RegexPattern> regex_;
    Form form_ = Form::Simple;
    bool blank_ = true;
    bool ascii_ = true;
    QStringList terms_;
};

/// The text without leading and trailing spaces (U+0020 only; tabs stay).
QStringView trimmedSpaces(QStringView text);
inline QString trimSpaces(QStringView text) {
    return trimmedSpaces(text).toString();
}
/// Empty or spaces only.
bool isBlank(QStringView text);
/// A letter, digit, mark or "_": what a whole word is made of.
bool isWordCharacter(char32_t c);
/// Whether [at, at + length) of text has no word character on either side.
bool isWholeWord(QStringView text, qsizetype at, qsizetype length);
