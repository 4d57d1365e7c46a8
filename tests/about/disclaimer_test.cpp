#include "about/shareware_disclaimer.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(DisclaimerText, HeadingThenOneParagraphNamingTheMakerThrice) {
    const QString text = DisclaimerTexts::text();
    ASSERT_TRUE(text.startsWith(QStringLiteral("Disclaimer:\r\n\r\n")));
    const QString paragraph = text.mid(15);
    EXPECT_FALSE(paragraph.contains(QLatin1Char('\n')));
    EXPECT_EQ(paragraph.count(QStringLiteral("Quarrix Labs")), 3);
    EXPECT_TRUE(paragraph.contains(QStringLiteral("merchantability")));
    EXPECT_TRUE(paragraph.contains(QStringLiteral("claim.  The")));
    EXPECT_TRUE(paragraph.endsWith(QStringLiteral("disclaimer of warranty.")));
    // Fragments join with one space; only the liability sentence has two.
    EXPECT_EQ(paragraph.count(QStringLiteral("  ")), 1);
}

TEST(DisclaimerLayout, MarginsAndCentredButtonForSeveralSizes) {
    const QSize button = DisclaimerLayout::ButtonSize;
    for (const QSize client :
         {QSize(4680, 3930), QSize(6000, 5000), QSize(3001, 2000), QSize(200, 1000)}) {
        const auto text = DisclaimerLayout::textBox(client);
        ASSERT_TRUE(text);
        EXPECT_EQ(text->topLeft(), QPoint(100, 100));
        EXPECT_EQ(client.width() - text->left() - text->width(), 100);
        EXPECT_EQ(client.height() - text->top() - text->height(), 900);
        const QRect placed = DisclaimerLayout::button(client, button);
        EXPECT_EQ(placed.size(), button);
        EXPECT_LE(std::abs(placed.left() - (client.width() - placed.right() - 1)), 1);
        EXPECT_EQ(client.height() - placed.top(), 800);
    }
    EXPECT_EQ(*DisclaimerLayout::textBox({4680, 3930}), QRect(100, 100, 4480, 2930));
    EXPECT_EQ(DisclaimerLayout::button({4680, 3930}, button).top(), 3130);
    EXPECT_FALSE(DisclaimerLayout::textBox({150, 3000}));
    EXPECT_FALSE(DisclaimerLayout::textBox({3000, 900}));
}

TEST(DisclaimerWindow, ReadOnlyScrollingTextAndTheAcceptButton) {
    shareware_disclaimer window;
    window.show();
    EXPECT_EQ(window.size(), QSize(312, 262));
    auto *text = window.findChild<QPlainTextEdit *>(QStringLiteral("DisclaimerText"));
    auto *ok = window.findChild<QPushButton *>(QStringLiteral("OK"));
    ASSERT_TRUE(text && ok);
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(text->toPlainText(),
              DisclaimerTexts::text().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_EQ(ok->text(), QStringLiteral("&Accept"));
    EXPECT_EQ(ok->toolTip(), QStringLiteral("I understand this agreement."));
    EXPECT_EQ(text->geometry(), QRect(7, 7, 299, 195));
    EXPECT_EQ(ok->geometry(), QRect(116, 209, 80, 25));
    ok->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST(DisclaimerWindow, FollowsTheLayoutWhenTheWindowIsAnotherSize) {
    shareware_disclaimer window;
    window.setFixedSize(500, 400);
    window.show();
    auto *text = window.findChild<QPlainTextEdit *>(QStringLiteral("DisclaimerText"));
    auto *ok = window.findChild<QPushButton *>(QStringLiteral("OK"));
    EXPECT_EQ(text->geometry(), QRect(7, 7, 487, 333));
    EXPECT_EQ(ok->geometry(), QRect(210, 347, 80, 25));

    // Too small for the text box: it keeps its place; the button still follows.
    window.setFixedSize(10, 60);
    EXPECT_EQ(text->geometry(), QRect(7, 7, 487, 333));
    EXPECT_EQ(ok->geometry().top(), 60 - 53);
}
