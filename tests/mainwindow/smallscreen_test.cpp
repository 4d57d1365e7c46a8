// The window on a screen smaller than its design size (the offscreen screen
// at twice the scale): it never asks for more than the screen holds, and the
// buttons and the status bar stay within reach.

#include "windowtestsupport.h"

#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>

namespace {

// Set before the application object exists, as a user's scaled desktop does.
const bool scaledTwice = qputenv("QT_SCALE_FACTOR", "2");

class SmallScreenTest : public WindowTest {};

} // namespace

TEST_F(SmallScreenTest, TheLeastSizeFitsTheScreenAndTheBottomStaysInReach) {
    ASSERT_TRUE(scaledTwice);
    openWindow();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const QSize free = form->screen()->availableGeometry().size();
    ASSERT_LT(free.height(), 480) << "the screen is not smaller than the window's design";
    EXPECT_LE(form->minimumWidth(), free.width());
    EXPECT_LE(form->minimumHeight(), free.height());
    EXPECT_LE(form->frameGeometry().height(), free.height());
    EXPECT_LE(form->frameGeometry().width(), free.width());
    const QRect inside = form->rect();
    for (const char *name : {"ExitButton", "SaveButton", "StatBar"}) {
        QWidget *control = form->findChild<QWidget *>(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr);
        const QRect place(control->mapTo(form.get(), QPoint(0, 0)), control->size());
        EXPECT_TRUE(inside.contains(place)) << name;
    }
    // Above the least size the layout still follows its rule.
    form->resize(form->width(), form->height() + 10);
    QCoreApplication::processEvents();
    EXPECT_NEAR(form->findChild<QStatusBar *>(QStringLiteral("StatBar"))->geometry().bottom(),
                form->height() - 1, 1);
}
