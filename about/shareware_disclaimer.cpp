#include "about/shareware_disclaimer.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace DisclaimerTexts {

QString text() {
    static const char *const fragments[] = {
        "Quarrix Labs disclaims all warranties relating to this software, ",
        "whether expressed or implied, including but not limited to any implied ",
        "warranties of merchantability and fitness for a particular purpose. ",
        "Quarrix Labs cannot and will not be liable for any special, incidental, ",
        "consequential, indirect or similar damages, due to loss of data or any ",
        "other reason, even if an authorised agent of Quarrix Labs has been ",
        "advised of the possibility of such damages. ",
        "In no event shall the liability for any damages ever exceed the price ",
        "paid for the right to use this software, regardless of the form and ",
        "extent of the claim.  ",
        "The person using the software bears all risk as to the quality and ",
        "performance of the software. ",
        "Use of this program acknowledges this disclaimer of warranty.",
    };
    QString paragraph;
    for (const char *fragment : fragments)
        paragraph += QLatin1StringView(fragment);
    return QStringLiteral("Disclaimer:\r\n\r\n") + paragraph;
}

} // namespace DisclaimerTexts

namespace DisclaimerLayout {

std::optional<QRect> textBox(const QSize &client) {
    const QSize size(client.width() - 200, client.height() - 1000);
    if (size.width() < 0 || size.height() < 0)
        return std::nullopt;
    return QRect(QPoint(100, 100), size);
}

QRect button(const QSize &client, const QSize &button) {
    return {client.width() / 2 - button.width() / 2, client.height() - 800, button.width(),
            button.height()};
}

} // namespace DisclaimerLayout

namespace {

QRect toPixels(const QRect &twips) {
    const auto px = [](int value) {
        return qRound(value / double(DisclaimerLayout::TwipsPerPixel));
    };
    return {px(twips.left()), px(twips.top()), px(twips.width()), px(twips.height())};
}

QSize toTwips(const QSize &pixels) {
    return pixels * DisclaimerLayout::TwipsPerPixel;
}

} // namespace

shareware_disclaimer::shareware_disclaimer(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      DisclaimerText(new QPlainTextEdit(this)), OK(new QPushButton(this)) {
    setObjectName(QStringLiteral("shareware_disclaimer"));
    setWindowTitle(DisclaimerTexts::Caption);
    setFixedSize(DisclaimerLayout::ClientSize / DisclaimerLayout::TwipsPerPixel);
    DisclaimerText->setObjectName(QStringLiteral("DisclaimerText"));
    DisclaimerText->setReadOnly(true);
    DisclaimerText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    OK->setObjectName(QStringLiteral("OK"));
    OK->setText(DisclaimerTexts::AcceptCaption);
    OK->setToolTip(DisclaimerTexts::AcceptTip);
    OK->setDefault(true);
    OK->resize(DisclaimerLayout::ButtonSize / DisclaimerLayout::TwipsPerPixel);
    connect(OK, &QPushButton::clicked, this, &shareware_disclaimer::OK_Click);
    Form_Load();
}

void shareware_disclaimer::Form_Load() {
    Form_Resize();
    // The text box ends lines with LF; the words are the same.
    DisclaimerText->setPlainText(
        DisclaimerTexts::text().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void shareware_disclaimer::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

void shareware_disclaimer::Form_Resize() {
    const QSize client = toTwips(size());
    if (const std::optional<QRect> text = DisclaimerLayout::textBox(client))
        DisclaimerText->setGeometry(toPixels(*text));
    OK->setGeometry(toPixels(DisclaimerLayout::button(client, toTwips(OK->size()))));
}

void shareware_disclaimer::OK_Click() {
    accept();
}
