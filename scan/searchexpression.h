#pragma once

#include <QString>
#include <QStringList>

/// The search text the user typed, parsed: one simple term, terms any of which
/// must occur ("a|b"), or terms all of which must occur ("a&b"), letter case
/// ignored. Parse it again only when the text changes.
class SearchExpression {
  public:
    enum class Form { Simple, Or, And };

    explicit SearchExpression(const QString &searchText = {});

    const QString &searchText() const { return text_; }
    Form form() const { return form_; }
    /// The text is empty or spaces only: LineMatches() is false for every line.
    bool isBlank() const { return blank_; }
    /// Upper-cased terms; trimmed of spaces in the OR and AND forms, where an
    /// empty term occurs in every line that is not blank.
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

    QString text_;
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
