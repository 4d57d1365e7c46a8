#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QStringView>
#include <functional>

class QTextBlock;
class QTextDocument;

/// Colours ranges of a document's paragraphs on their layout, over the text:
/// the document's content, its undo steps and what is saved never contain
/// the colour. A paragraph is coloured when it is shown or printed, and again
/// whenever its text changes, so the cost follows what is seen, not the size
/// of the document.
class MarkOverlay : public QObject {
    Q_OBJECT
  public:
    struct Range {
        qsizetype start;
        qsizetype length;
    };
    /// The ranges to colour in one paragraph's text.
    using Finder = std::function<QList<Range>(QStringView paragraph)>;

    explicit MarkOverlay(QTextDocument *document);

    /// What to colour from now on; an empty finder colours nothing.
    void setFinder(Finder finder, const QColor &color);
    bool hasFinder() const { return bool(finder_); }
    const Finder &finder() const { return finder_; }
    QColor color() const { return color_; }

    /// Colours the paragraph unless it already shows the current finder's marks.
    void mark(const QTextBlock &block);
    /// Whether the character at a document position is coloured.
    bool isMarked(int position);

  private:
    void contentsChange(int from, int removed, int added);

    QTextDocument *document_;
    Finder finder_;
    QColor color_;
    int generation_ = 0;
    bool marking_ = false;
};
