// What the window shows can be read: captions fit their text in the font in
// use, long paths keep their file names in sight, the user's column widths
// stay, the full-line box wraps a long line inside the screen, and coloured
// text and pictures stand out from their background in light and dark themes.

#include "about/shareware_about.h"
#include "dialogs/readablecolours.h"
#include "fileprops/cfiform.h"
#include "mainwindow/fulllinebox.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/runpacer.h"
#include "scan/resultsmodel.h"
#include "support/palettes.h"
#include "windowtestsupport.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

namespace {

class ReadabilityTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        usualFont_ = QApplication::font();
    }
    // QFont() would be the large font itself: the one in use at the start
    // is put back.
    void TearDown() override {
        QApplication::setFont(usualFont_);
        WindowTest::TearDown();
    }
    QFont usualFont_;
    static void useLargeFont() {
        QFont large = QApplication::font();
        large.setPointSizeF(large.pointSizeF() * 1.8);
        QApplication::setFont(large);
    }
    QHeaderView *header() { return control<QTableView>("MatchLV")->horizontalHeader(); }
    /// Drags the right edge of column by dx pixels with the mouse.
    void dragColumnEdge(int column, int dx) {
        QWidget *target = header()->viewport();
        const int edge =
            header()->sectionViewportPosition(column) + header()->sectionSize(column) - 1;
        const int y = header()->height() / 2;
        QTest::mousePress(target, Qt::LeftButton, {}, QPoint(edge, y));
        QTest::mouseMove(target, QPoint(edge + dx / 2, y));
        QTest::mouseMove(target, QPoint(edge + dx, y));
        QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(edge + dx, y));
    }
};

/// The colour of the picture's solid strokes.
QColor strokeColour(const QIcon &icon) {
    const QImage image = icon.pixmap(24).toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                return image.pixelColor(x, y);
    return {};
}

void expectReadable(const QWidget *widget, QPalette::ColorRole text,
                    QPalette::ColorRole background) {
    const QPalette &colours = widget->palette();
    EXPECT_GE(ReadableColours::contrast(colours.color(text), colours.color(background)),
              ReadableColours::MinimumContrast)
        << qPrintable(widget->objectName()) << " " << qPrintable(colours.color(text).name())
        << " on " << qPrintable(colours.color(background).name());
}

void expectWholeText(QWidget *caption) {
    EXPECT_GE(caption->width(), caption->sizeHint().width()) << qPrintable(caption->objectName());
}

} // namespace

TEST_F(ReadabilityTest, CaptionsAndTheCountFitTheirTextInALargeFont) {
    useLargeFont();
    openWindow();
    for (const char *name : {"Label1", "Label2", "AllFiles", "SpecifiedFiles"})
        expectWholeText(control<QWidget>(name));
    auto *count = control<QLabel>("MatchCountLabel");
    form->pacer().showMatchCount(188762);
    EXPECT_EQ(count->text(), u"188762");
    EXPECT_GE(count->width(), count->fontMetrics().horizontalAdvance(count->text()));
    form->pacer().showMatchCount(2147483647); // the label grows for a count it cannot hold
    EXPECT_GE(count->width(), count->fontMetrics().horizontalAdvance(u"2147483647"_qs));
    // The count pushes the buttons along rather than running under them.
    EXPECT_GE(control<QPushButton>("SaveButton")->x(), count->geometry().right());
    EXPECT_GE(control<QLabel>("MatchCountLabel")->x(),
              control<QLabel>("Label2")->geometry().right());
    EXPECT_GE(control<QLineEdit>("SpecifiedType")->x(),
              control<QRadioButton>("SpecifiedFiles")->geometry().right());

    CFIForm info;
    const auto captions = info.findChildren<QLabel *>(QRegularExpression(QStringLiteral("^lbl")));
    ASSERT_GE(captions.size(), 10);
    for (QLabel *caption : captions) {
        expectWholeText(caption);
        if (const QWidget *field = caption->buddy()) {
            EXPECT_GT(field->x(), caption->geometry().right()) << qPrintable(caption->text());
        }
    }
}

TEST_F(ReadabilityTest, PathsShowWholeInTheirTooltipAndGetRoomInALargeWindow) {
    const QString deep = dir.mkdir(QStringLiteral("one/two/three/four/five/six/seven/eight"));
    dir.write(QStringLiteral("one/two/three/four/five/six/seven/eight/notes.txt"), "alpha\n");
    openOnFiles(deep, {QStringLiteral("notes.txt")});
    form->show();
    scanFor(QStringLiteral("alpha"));
    const QModelIndex cell = form->results().index(0, ResultsModel::PathColumn);
    EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), deep + u"/notes.txt"_qs);
    const int designWidth = header()->sectionSize(ResultsModel::PathColumn);
    form->resize(1900, 1000);
    EXPECT_GT(header()->sectionSize(ResultsModel::PathColumn), 3 * designWidth);
    // The columns still fill the list.
    const int used = header()->length();
    EXPECT_LE(used, control<QTableView>("MatchLV")->viewport()->width());
}

TEST_F(ReadabilityTest, ALongPathShowsItsFileNameAndAllOfItWhenThereIsRoom) {
    const QString deep = dir.mkdir(QStringLiteral("one/two/three/four/five/six/seven/eight"));
    dir.write(QStringLiteral("one/two/three/four/five/six/seven/eight/notes.txt"),
              "alpha\nalpha\n");
    openOnFiles(deep, {QStringLiteral("notes.txt")});
    form->show();
    scanFor(QStringLiteral("alpha"));
    auto *list = control<ResultsView>("MatchLV");
    const QString whole = deep + u"/notes.txt"_qs;
    for (int row = 0; row < 2; ++row) { // the second row's text is the one kept
        const QString shown = list->shownText(form->results().index(row, ResultsModel::PathColumn));
        EXPECT_TRUE(shown.endsWith(u"/notes.txt"_qs)) << shown.toStdString();
        EXPECT_TRUE(shown.startsWith(u'/')) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
        EXPECT_LT(list->fontMetrics().horizontalAdvance(shown),
                  header()->sectionSize(ResultsModel::PathColumn));
    }
    // The user drags the column wide: the whole path shows.
    dragColumnEdge(ResultsModel::PathColumn, list->fontMetrics().horizontalAdvance(whole));
    EXPECT_EQ(list->shownText(form->results().index(1, ResultsModel::PathColumn)), whole);
    // The other columns show their text as it is when it fits.
    EXPECT_EQ(list->shownText(form->results().index(1, ResultsModel::LineColumn)), u"2"_qs);
}

// A direction control in a name would show it reordered ("...exe.txt"): the
// cell and its tooltip show a marker, the row itself keeps the name.
TEST_F(ReadabilityTest, DirectionControlsInAPathAreShownAsMarkers) {
    const QString name = QStringLiteral("photo\u202Etxt.exe\u2066\u200F");
    const QString path = dir.write(name, "alpha\n");
    openOnFiles(dir.path(), {name});
    form->show();
    scanFor(QStringLiteral("alpha"));
    auto *list = control<ResultsView>("MatchLV");
    dragColumnEdge(ResultsModel::PathColumn, 2 * list->fontMetrics().horizontalAdvance(path));
    const QModelIndex cell = form->results().index(0, ResultsModel::PathColumn);
    const QString marked = dir.path() + u"/photo<U+202E>txt.exe<U+2066><U+200F>"_qs;
    EXPECT_EQ(list->shownText(cell), marked);
    EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), marked);
    EXPECT_EQ(cell.data(Qt::DisplayRole).toString(), path);
}

TEST_F(ReadabilityTest, AColumnWidthTheUserDragsIsKeptAcrossScansAndResizes) {
    dir.write(QStringLiteral("a.txt"), "alpha\n");
    openOnFiles(dir.path(), {QStringLiteral("a.txt")});
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    scanFor(QStringLiteral("alpha"));
    const int before = header()->sectionSize(ResultsModel::PathColumn);
    dragColumnEdge(ResultsModel::PathColumn, 90);
    const int dragged = header()->sectionSize(ResultsModel::PathColumn);
    ASSERT_GT(dragged, before + 45);
    form->resize(form->width() + 200, form->height() + 50);
    scanFor(QStringLiteral("alpha"));
    EXPECT_EQ(header()->sectionSize(ResultsModel::PathColumn), dragged);
    // The columns not dragged still follow the window.
    const int match = header()->sectionSize(ResultsModel::MatchColumn);
    form->resize(form->width() + 100, form->height());
    EXPECT_GT(header()->sectionSize(ResultsModel::MatchColumn), match);
}

TEST_F(ReadabilityTest, TheFullLineBoxWrapsALongLineInsideTheScreen) {
    ensureApplication();
    const QString line = QString(4000, u'x') + u"END"_qs;
    FullLineBox box(u"Quarrix Pro - Full Line Display"_qs, u"Text Line:\r\n"_qs + line);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    const QRect free = box.screen()->availableGeometry();
    EXPECT_LE(box.frameGeometry().width(), free.width());
    EXPECT_LE(box.frameGeometry().height(), free.height());
    EXPECT_EQ(box.textView()->horizontalScrollBar()->maximum(), 0); // wrapped, not cut
    EXPECT_EQ(box.text(), u"Text Line:\r\n"_qs + line);
    EXPECT_TRUE(box.textView()->toPlainText().endsWith(line));
}

TEST_F(ReadabilityTest, ValuesLinksAndTheExitPictureStandOutInLightAndDarkThemes) {
    ReadableStyle::install(); // as the program starts
    const QPalette usual = QApplication::palette();
    for (const QPalette &theme : {QApplication::style()->standardPalette(), darkPalette()}) {
        QApplication::setPalette(theme);
        const CFIForm info;
        const QList<QLineEdit *> values = info.findChildren<QLineEdit *>();
        ASSERT_GE(values.size(), 13);
        for (const QLineEdit *value : values)
            expectReadable(value, QPalette::Text, QPalette::Base);
        shareware_about about;
        for (const char *link : {"EMail", "HTTPHome"})
            expectReadable(about.findChild<QLabel *>(QLatin1String(link)), QPalette::WindowText,
                           QPalette::Window);
        openWindow();
        const auto *exit = control<QPushButton>("ExitButton");
        EXPECT_GE(ReadableColours::contrast(strokeColour(exit->icon()),
                                            exit->palette().color(QPalette::Button)),
                  ReadableColours::MinimumContrast);
    }
    QApplication::setPalette(usual);
}

TEST(ReadableColours, AColourIsKeptWhenItReadsAndMovedJustEnoughWhenNot) {
    using ReadableColours::contrast;
    using ReadableColours::readableOn;
    EXPECT_NEAR(contrast(Qt::black, Qt::white), 21.0, 0.01);
    EXPECT_NEAR(contrast(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
    const QColor darkBlue(0, 0, 128);
    EXPECT_EQ(readableOn(QColor(0xef, 0xef, 0xef), darkBlue, Qt::black), darkBlue);
    const QColor face(0x35, 0x35, 0x35);
    const QColor moved = readableOn(face, darkBlue, QColor(0xee, 0xee, 0xee));
    EXPECT_GE(contrast(moved, face), ReadableColours::MinimumContrast);
    EXPECT_GT(moved.blue(), moved.red()) << "still a blue";
    // A fallback that does not read either gives way to white or black.
    EXPECT_EQ(readableOn(face, darkBlue, face), QColor(Qt::white));
    EXPECT_EQ(readableOn(QColor(0xee, 0xee, 0xee), Qt::yellow, Qt::white), QColor(Qt::black));
}
