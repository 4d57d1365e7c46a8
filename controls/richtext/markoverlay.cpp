#include "controls/richtext/markoverlay.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {

/// Which finder a paragraph's marks came from.
class MarkStamp : public QTextBlockUserData {
  public:
    explicit MarkStamp(int generation) : generation(generation) {}
    int generation;
};

int stampOf(const QTextBlock &block) {
    const auto *stamp = static_cast<const MarkStamp *>(block.userData());
    return stamp ? stamp->generation : -1;
}

} // namespace

MarkOverlay::MarkOverlay(QTextDocument *document) : QObject(document), document_(document) {
    connect(document, &QTextDocument::contentsChange, this, &MarkOverlay::contentsChange);
}

void MarkOverlay::setFinder(Finder finder, const QColor &color) {
    finder_ = std::move(finder);
    color_ = color;
    ++generation_;
}

void MarkOverlay::mark(const QTextBlock &block) {
    if (!block.isValid() || stampOf(block) == generation_)
        return;
    QTextBlock target = block;
    target.setUserData(new MarkStamp(generation_));
    QList<QTextLayout::FormatRange> ranges;
    if (finder_) {
        QTextCharFormat format;
        format.setForeground(color_);
        for (const Range &range : finder_(target.text()))
            ranges.append({int(range.start), int(range.length), format});
    }
    QTextLayout *layout = target.layout();
    if (ranges.isEmpty() && layout->formats().isEmpty())
        return;
    marking_ = true;
    layout->setFormats(ranges);
    // The paragraph is laid out again with its new colours, and repainted.
    document_->markContentsDirty(target.position(), target.length());
    marking_ = false;
}

bool MarkOverlay::isMarked(int position) {
    const QTextBlock block = document_->findBlock(position);
    mark(block);
    const int offset = position - block.position();
    for (const QTextLayout::FormatRange &range : block.layout()->formats())
        if (offset >= range.start && offset < range.start + range.length)
            return true;
    return false;
}

void MarkOverlay::contentsChange(int from, int removed, int added) {
    Q_UNUSED(removed);
    if (marking_)
        return;
    // Changed paragraphs are coloured again at once: their old marks would
    // stand at the wrong places.
    const QTextBlock last = document_->findBlock(from + added);
    for (QTextBlock block = document_->findBlock(from); block.isValid(); block = block.next()) {
        if (stampOf(block) >= 0) {
            block.setUserData(nullptr);
            mark(block);
        }
        if (block == last)
            break;
    }
}
