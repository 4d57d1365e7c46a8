// The window on a screen smaller than its design size (1280x800 at twice the
// scale): it never asks for more than the screen holds, the buttons and the
// status bar stay within reach, and the results list keeps rows in sight.

#include "mainwindow/resultsroom.h"
#include "mainwindow/taglayout.h"
#include "windowtestsupport.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

namespace {

/// A 1280x800 screen at twice the scale, set before the application object
/// exists, as a user's scaled desktop is.
bool useSmallScaledScreen() {
    const QString config = QDir::temp().filePath(
        QStringLiteral("quarrix-smallscreen-%1.json").arg(QCoreApplication::applicationPid()));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 1280,
                       "height": 800, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
        return false;
    file.close();
    return qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit()) &&
           qputenv("QT_SCALE_FACTOR", "2");
}
const bool smallScaledScreen = useSmallScaledScreen();

class SmallScreenTest : public WindowTest {
  protected:
    QRect placeIn(const char *name) {
        QWidget *control = form->findChild<QWidget *>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control ? QRect(control->mapTo(form.get(), QPoint(0, 0)), control->size()) : QRect();
    }
};

} // namespace

TEST_F(SmallScreenTest, TheLeastSizeFitsTheScreenAndTheBottomStaysInReach) {
    ASSERT_TRUE(smallScaledScreen);
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
    for (const char *name : {"ExitButton", "SaveButton", "StatBar"})
        EXPECT_TRUE(inside.contains(placeIn(name))) << name;
    // Above the least size the layout still follows its rule.
    form->resize(form->width(), form->height() + 10);
    QCoreApplication::processEvents();
    EXPECT_NEAR(form->findChild<QStatusBar *>(QStringLiteral("StatBar"))->geometry().bottom(),
                form->height() - 1, 1);
}

TEST_F(SmallScreenTest, TheTreesGiveWayAndTheResultsKeepRowsEvenMaximised) {
    ASSERT_TRUE(smallScaledScreen);
    store(QStringLiteral("LastTab"), QStringLiteral("2")); // the taller mode frame's options
    openWindow();
    form->showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    auto *list = control<QTableView>("MatchLV");
    const int rowsInSight =
        (list->viewport()->height()) / list->verticalHeader()->defaultSectionSize();
    EXPECT_GE(rowsInSight, 4);
    // What gave way still shows: a tree row or two, and the type options whole.
    EXPECT_GE(placeIn("FTV2").height(), 2 * list->verticalHeader()->defaultSectionSize());
    EXPECT_TRUE(placeIn("DSFrame").contains(placeIn("Frame3")));
    EXPECT_LE(placeIn("ModeTabs").bottom(), placeIn("Frame1").top());
    EXPECT_LE(placeIn("Frame1").bottom(), placeIn("ScanFrame").top());
    EXPECT_LE(placeIn("ScanFrame").bottom(), placeIn("Picture1").top());
    // Given back its height, the window has the tag layout's places again.
    form->showNormal();
    form->resize(form->minimumSize() + QSize(0, 200));
    QCoreApplication::processEvents();
    for (const char *name : {"Frame3", "FTV2", "ScanFrame"}) {
        const QRectF twips = TagLayout::twipsGeometry(control<QWidget>(name));
        const QRectF laid(twips.topLeft() / TagLayout::TwipsPerPixel,
                          twips.size() / TagLayout::TwipsPerPixel);
        EXPECT_EQ(control<QWidget>(name)->geometry(), laid.toRect()) << name;
    }
}
