#include "editor/findbar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>
#include <algorithm>

std::optional<FindHit> findHit(const QTextDocument &document, const SearchExpression &expression,
                               int from, bool forward) {
    const auto step = [&document, forward](const QTextBlock &block) {
        const QTextBlock next = forward ? block.next() : block.previous();
        if (next.isValid())
            return next;
        return forward ? document.begin() : document.lastBlock();
    };
    QTextBlock block = document.findBlock(from);
    if (!block.isValid())
        block = forward ? document.begin() : document.lastBlock();
    // The caret's paragraph is looked at twice: first on the caret's far side,
    // last, after going round, on its near side.
    for (int visited = 0; visited <= document.blockCount(); ++visited, block = step(block)) {
        QList<SearchExpression::TermHit> hits = expression.termHits(block.text());
        if (!forward)
            std::reverse(hits.begin(), hits.end());
        for (const SearchExpression::TermHit &hit : hits) {
            const int start = block.position() + int(hit.start);
            const bool wrapped = forward ? start < from : start >= from;
            if (visited > 0 || !wrapped)
                return FindHit{start, int(hit.length), wrapped};
        }
    }
    return std::nullopt;
}

namespace {

QToolButton *barButton(QWidget *parent, const char *name, const QString &caption) {
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setAccessibleName(QString(caption).remove(u'&'));
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

} // namespace

FindBar::FindBar(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FindBar"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    auto *prompt = new QLabel(EditorTexts::FindPrompt, this);
    FindText = new QLineEdit(this);
    FindText->setObjectName(QStringLiteral("FindText"));
    FindText->setAccessibleName(QString(EditorTexts::FindPrompt).remove(u':'));
    FindText->setMinimumWidth(FindText->fontMetrics().horizontalAdvance(u'x') * 12);
    prompt->setBuddy(FindText);
    QToolButton *previous = barButton(this, "FindPrevious", EditorTexts::FindPrevious);
    QToolButton *next = barButton(this, "FindNext", EditorTexts::FindNext);
    FindNote = new QLabel(this);
    FindNote->setObjectName(QStringLiteral("FindNote"));
    QToolButton *close = barButton(this, "FindClose", EditorTexts::FindClose);
    close->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    close->setToolButtonStyle(Qt::ToolButtonIconOnly);
    close->setToolTip(EditorTexts::FindClose);
    row->addWidget(prompt);
    row->addWidget(FindText, 1);
    row->addWidget(previous);
    row->addWidget(next);
    row->addWidget(FindNote);
    row->addWidget(close);
    connect(previous, &QToolButton::clicked, this, &FindBar::previousWanted);
    connect(next, &QToolButton::clicked, this, &FindBar::nextWanted);
    connect(close, &QToolButton::clicked, this, [this] {
        hide();
        Q_EMIT closed();
    });
    connect(FindText, &QLineEdit::textEdited, FindNote, &QLabel::clear);
    hide();
}

QString FindBar::text() const {
    return FindText->text();
}

void FindBar::open(const QString &text) {
    if (!text.isEmpty())
        FindText->setText(text);
    FindNote->clear();
    show();
    FindText->setFocus();
    FindText->selectAll();
}

void FindBar::showNote(const QString &note) {
    FindNote->setText(note);
}

void FindBar::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() & Qt::ShiftModifier)
            Q_EMIT previousWanted();
        else
            Q_EMIT nextWanted();
        return;
    case Qt::Key_Escape:
        hide();
        Q_EMIT closed();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
