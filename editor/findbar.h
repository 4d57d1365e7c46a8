#pragma once

#include "scan/searchexpression.h"

#include <QString>
#include <QWidget>
#include <optional>

class QLabel;
class QLineEdit;
class QTextDocument;
class QToolButton;

namespace EditorTexts {
inline const QString FindPrompt = QStringLiteral("Find:");
inline const QString FindPrevious = QStringLiteral("&Previous");
inline const QString FindNext = QStringLiteral("&Next");
inline const QString FindClose = QStringLiteral("Close The Find Bar");
inline const QString FindNotFound = QStringLiteral("Not Found");
inline const QString FindWrapped = QStringLiteral("Wrapped Around");
} // namespace EditorTexts

/// One occurrence of a search term in a document.
struct FindHit {
    int start = 0;
    int length = 0;
    /// It lies past the document's end (or start) from where the search began.
    bool wrapped = false;
};

/// The first occurrence of a term of the expression after position from, or
/// the last one before it, going on round the document's end (or start).
std::optional<FindHit> findHit(const QTextDocument &document, const SearchExpression &expression,
                               int from, bool forward);

/// The editor's find bar at the foot of the window: the text to find, Previous
/// and Next, a note when a search went round the end or found nothing, and a
/// close button. Enter finds the next, Shift+Enter the previous, Escape closes
/// the bar (not the editor).
class FindBar : public QWidget {
    Q_OBJECT
  public:
    explicit FindBar(QWidget *parent = nullptr);

    QString text() const;
    /// Shows the bar with text (when not empty) selected in its field, which takes the focus.
    void open(const QString &text);
    void showNote(const QString &note);

  Q_SIGNALS:
    void nextWanted();
    void previousWanted();
    void closed();

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    QLineEdit *FindText = nullptr;
    QLabel *FindNote = nullptr;
};
