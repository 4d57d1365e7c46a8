#include "controls/richtext/richtextbox.h"

#include "controls/richtext/rtfdocument.h"
#include "documents/rtfreader.h"
#include "platform/codepage.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPainter>
#include <QTextLayout>

#include <QSaveFile>
#include <QTextBlock>
#include <QTextDocument>
#include <memory>

RichTextBox::RichTextBox(QWidget *parent)
    : QPlainTextEdit(parent), marks_(new MarkOverlay(document())) {
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(9.75);
    document()->setDefaultFont(font);
    connect(this, &QPlainTextEdit::textChanged, this, &RichTextBox::Change);
}

void RichTextBox::paintEvent(QPaintEvent *event) {
    // Only the paragraphs in view are coloured before they are drawn.
    const qreal bottom = viewport()->height();
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        marks_->mark(block);
        if (blockBoundingGeometry(block).translated(offset).top() > bottom)
            break;
    }
    QPlainTextEdit::paintEvent(event);
}

void RichTextBox::markDocument(QTextDocument &document) const {
    if (!marks_->hasFinder())
        return;
    QTextCharFormat format;
    format.setForeground(marks_->color());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QList<QTextLayout::FormatRange> ranges;
        for (const MarkOverlay::Range &range : marks_->finder()(block.text()))
            ranges.append({int(range.start), int(range.length), format});
        if (!ranges.isEmpty())
            block.layout()->setFormats(ranges);
    }
}

bool RichTextBox::setFileName(const QString &path) {
    if (path.isEmpty()) {
        clear();
        fileName_.clear();
        return true;
    }
    if (!LoadFile(path))
        return false;
    fileName_ = path;
    return true;
}

bool RichTextBox::LoadFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error_ = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error_ = file.errorString();
        return false;
    }
    if (isRtf(bytes))
        rtfToDocument(bytes, *document());
    else
        setText(platform::decodeText(bytes));
    error_.clear();
    return true;
}

bool RichTextBox::SaveFile(const QString &path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(documentToRtf(*document())) < 0 ||
        !file.commit()) {
        error_ = file.errorString();
        return false;
    }
    error_.clear();
    return true;
}

QString RichTextBox::Text() const {
    QString text = toPlainText();
    return text.replace(u'\n', QStringLiteral("\r\n"));
}

void RichTextBox::setText(const QString &text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    setPlainText(plain);
}

QString RichTextBox::TextRTF() const {
    return QString::fromLatin1(documentToRtf(*document()));
}

void RichTextBox::setTextRTF(const QString &rtf) {
    QByteArray bytes;
    bytes.reserve(rtf.size());
    for (const QChar c : rtf) {
        if (c.unicode() < 256)
            bytes += char(c.unicode());
        else
            bytes += "\\u" + QByteArray::number(qint16(c.unicode())) + " ?";
    }
    if (isRtf(bytes))
        rtfToDocument(bytes, *document());
    else
        setText(rtf);
}

int RichTextBox::clampPosition(int position) const {
    return qBound(0, position, document()->characterCount() - 1);
}

int RichTextBox::SelStart() const {
    return textCursor().selectionStart();
}

void RichTextBox::setSelStart(int position) {
    QTextCursor cursor = textCursor();
    cursor.setPosition(clampPosition(position));
    setTextCursor(cursor);
}

int RichTextBox::SelLength() const {
    const QTextCursor cursor = textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void RichTextBox::setSelLength(int length) {
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    cursor.setPosition(start);
    cursor.setPosition(clampPosition(start + qMax(0, length)), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

QString RichTextBox::SelText() const {
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
}

void RichTextBox::setSelText(const QString &text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    // One undo step, a whole cut or paste.
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.insertText(plain);
    cursor.endEditBlock();
}

quint32 RichTextBox::SelColor() const {
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection())
        cursor.setPosition(cursor.selectionStart() + 1);
    const QColor color = cursor.charFormat().foreground().color();
    return quint32(color.red()) | quint32(color.green()) << 8 | quint32(color.blue()) << 16;
}

void RichTextBox::setSelColor(quint32 colorRef) {
    QTextCharFormat format;
    format.setForeground(QColor(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF));
    QTextCursor cursor = textCursor();
    cursor.mergeCharFormat(format);
    mergeCurrentCharFormat(format);
}

int RichTextBox::Find(const QString &text, int start, int options) {
    if (text.isEmpty() || start < 0 || start >= document()->characterCount())
        return -1;
    QTextDocument::FindFlags flags;
    if (options & MatchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (options & WholeWord)
        flags |= QTextDocument::FindWholeWords;
    const QTextCursor found = document()->find(text, start, flags);
    if (found.isNull())
        return -1;
    if (!(options & NoHighlight))
        setTextCursor(found);
    return found.selectionStart();
}

int RichTextBox::GetTextLength() const {
    return document()->characterCount() - 1;
}

int RichTextBox::FormatRange(QPainter *painter, const QRectF &area, int first, int last,
                             bool draw) {
    first = clampPosition(first);
    last = qBound(first, last, GetTextLength());
    if (first >= last || !painter)
        return last;
    const std::unique_ptr<QTextDocument> range(document()->clone());
    QTextCursor cut(range.get());
    cut.setPosition(last);
    cut.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    cut.setPosition(0);
    cut.setPosition(first, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    markDocument(*range);
    range->documentLayout()->setPaintDevice(painter->device());
    range->setDocumentMargin(0);
    range->setTextWidth(area.width());

    int fitted = last - first;
    qreal height = 0;
    for (QTextBlock block = range->begin(); block.isValid(); block = block.next()) {
        const qreal top = range->documentLayout()->blockBoundingRect(block).top();
        const QTextLayout *layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const qreal bottom = top + line.y() + line.height();
            if (bottom > area.height() && height > 0) {
                fitted = block.position() + line.textStart();
                block = range->end().previous();
                break;
            }
            height = bottom;
        }
    }
    if (draw) {
        // Lines past the area would still be in the page's text under the clip.
        QTextCursor rest(range.get());
        rest.setPosition(fitted);
        rest.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        rest.removeSelectedText();
        painter->save();
        painter->translate(area.topLeft());
        range->drawContents(painter, QRectF(0, 0, area.width(), height));
        painter->restore();
    }
    return first + fitted;
}
