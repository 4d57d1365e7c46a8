#include "mainwindow/fulllinebox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStringTokenizer>
#include <QStyle>
#include <QVBoxLayout>

namespace {
/// The box grows with its text up to this share of the screen's free area.
constexpr double ScreenShare = 0.6;
/// Characters a line may hold before the box stops growing wider.
constexpr int PreferredColumns = 80;
} // namespace

FullLineBox::FullLineBox(const QString &title, const QString &text, QWidget *parent)
    : QDialog(parent), text_(text), view_(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("FullLineBox"));
    setWindowTitle(title);
    auto *icon = new QLabel(this);
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(side));
    icon->setAlignment(Qt::AlignTop);
    view_->setObjectName(QStringLiteral("FullLineText"));
    view_->setReadOnly(true);
    view_->setFrameShape(QFrame::NoFrame);
    view_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    view_->setPlainText(text);
    view_->viewport()->setAutoFillBackground(false);
    view_->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(view_, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row, 1);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
}

void FullLineBox::showEvent(QShowEvent *event) {
    fitToText();
    QDialog::showEvent(event);
}

void FullLineBox::fitToText() {
    // Wide enough for a usual line, never wider or taller than the screen
    // allows; what does not fit scrolls.
    const QScreen *shown = screen();
    const QRect free = shown ? shown->availableGeometry() : QRect(0, 0, 1024, 768);
    const QFontMetrics metrics(view_->font());
    const int margins = 2 * int(view_->document()->documentMargin()) + 4;
    const QString shownText = view_->toPlainText();
    int textWidth = 0;
    for (const QStringView line : QStringTokenizer(shownText, u'\n'))
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line.toString()));
    const int widest = int(free.width() * ScreenShare);
    const int preferred = metrics.averageCharWidth() * PreferredColumns;
    const int viewWidth =
        std::min(widest, std::max(std::min(textWidth, preferred), preferred / 2)) + margins +
        view_->verticalScrollBar()->sizeHint().width();
    const QRect wrapped = metrics.boundingRect(QRect(0, 0, viewWidth - margins, 1 << 20),
                                               Qt::AlignLeft | Qt::TextWrapAnywhere, shownText);
    // A line or two to spare: the box breaks at word boundaries where it can.
    const int textHeight = wrapped.height() + margins + 2 * metrics.lineSpacing();
    view_->setFixedSize(viewWidth, std::min(textHeight, int(free.height() * ScreenShare)));
    adjustSize();
}
