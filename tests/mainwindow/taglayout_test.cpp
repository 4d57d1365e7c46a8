#include "mainwindow/taglayout.h"
#include "windowtestsupport.h"

#include <QWidget>

using namespace TagLayout;

namespace {

/// A bare window with one control per code, nested like the main window's.
class TagLayoutTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ensureApplication(); }
    void SetUp() override {
        LayoutWidth = LayoutHeight = MinWindowWidth = MinWindowHeight = 0;
        window.resize(500, 400);
        frame = add(&window, QStringLiteral("R"), {120, 120, 3000, 3000});
        for (const char *code : {"M", "W", "L", "WT", "T", "W2", "WL2", "w", "W ", "", "B"})
            add(frame, QString::fromLatin1(code), {300, 300, 1500, 900});
    }
    QWidget *add(QWidget *container, const QString &code, QRectF twips) {
        auto *control = new QWidget(container);
        control->setObjectName(code.isEmpty() ? QStringLiteral("empty") : code);
        setTag(control, code);
        setTwipsGeometry(control, twips);
        return control;
    }
    QRectF at(const char *code) {
        return twipsGeometry(window.findChild<QWidget *>(QString::fromLatin1(code)));
    }
    /// Resizes by a change in twips and runs one pass.
    void resizeBy(double dWTwips, double dHTwips) {
        window.resize(window.width() + qRound(dWTwips / TwipsPerPixel),
                      window.height() + qRound(dHTwips / TwipsPerPixel));
        ResizeByTags(&window);
    }

    QWidget window;
    QWidget *frame = nullptr;
};

} // namespace

TEST_F(TagLayoutTest, FirstPassRecordsTheSizeAndMovesNothing) {
    ResizeByTags(&window);
    EXPECT_EQ(LayoutWidth, 500 * 15);
    EXPECT_EQ(LayoutHeight, 400 * 15);
    EXPECT_EQ(MinWindowWidth, 500 * 15);
    EXPECT_EQ(MinWindowHeight, 400 * 15);
    EXPECT_EQ(at("W2"), QRectF(300, 300, 1500, 900));
    EXPECT_EQ(twipsGeometry(frame), QRectF(120, 120, 3000, 3000));
}

TEST_F(TagLayoutTest, WideningBy300TwipsFollowsEveryCodeWhateverTheContainer) {
    ResizeByTags(&window);
    resizeBy(300, 0);
    EXPECT_EQ(twipsGeometry(frame), QRectF(120, 120, 3300, 3000));
    EXPECT_EQ(at("W"), QRectF(300, 300, 1800, 900));
    EXPECT_EQ(at("L"), QRectF(600, 300, 1500, 900));
    EXPECT_EQ(at("M"), QRectF(600, 300, 1500, 900));
    EXPECT_EQ(at("WT"), QRectF(300, 300, 1800, 900));
    EXPECT_EQ(at("T"), QRectF(300, 300, 1500, 900));
    EXPECT_EQ(at("W2"), QRectF(300, 300, 1650, 900));
    EXPECT_EQ(at("WL2"), QRectF(450, 300, 1650, 900));
    EXPECT_EQ(LayoutWidth, (500 + 20) * 15);
}

TEST_F(TagLayoutTest, MakingItTallerMovesOnlyHeightCodes) {
    ResizeByTags(&window);
    resizeBy(0, 210);
    EXPECT_EQ(twipsGeometry(frame), QRectF(120, 120, 3000, 3210));
    EXPECT_EQ(at("T"), QRectF(300, 510, 1500, 900));
    EXPECT_EQ(at("M"), QRectF(300, 510, 1500, 900));
    EXPECT_EQ(at("WT"), QRectF(300, 510, 1500, 900));
    EXPECT_EQ(at("W"), QRectF(300, 300, 1500, 900));
    EXPECT_EQ(at("L"), QRectF(300, 300, 1500, 900));
}

TEST_F(TagLayoutTest, OddChangeKeepsExactHalvesAndComesBack) {
    ResizeByTags(&window);
    resizeBy(75, 0);
    EXPECT_EQ(at("W2"), QRectF(300, 300, 1537.5, 900));
    EXPECT_EQ(at("WL2"), QRectF(337.5, 300, 1537.5, 900));
    resizeBy(-75, 0);
    EXPECT_EQ(at("W2"), QRectF(300, 300, 1500, 900));
    EXPECT_EQ(at("WL2"), QRectF(300, 300, 1500, 900));
    // Applied geometry is the rounded twips.
    EXPECT_EQ(window.findChild<QWidget *>(QStringLiteral("WL2"))->geometry(),
              QRect(20, 20, 100, 60));
}

TEST_F(TagLayoutTest, CodesAreComparedExactly) {
    ResizeByTags(&window);
    resizeBy(300, 300);
    for (const char *code : {"w", "W ", "empty", "B"})
        EXPECT_EQ(at(code), QRectF(300, 300, 1500, 900)) << code;
}
