// The preview pane: the lines around the selected match, read as the scan
// counts them, every term coloured, and its shown state remembered.

#include "mainwindow/previewpane.h"
#include "mainwindow/settingsstore.h"
#include "windowtestsupport.h"

#include <QCheckBox>
#include <QTableView>
#include <QTest>
#include <QTextBlock>

using PreviewText::linesAround;
using PreviewText::TermRange;

TEST(PreviewText, LinesAroundAMatchAsTheScanCountsThem) {
    TempDir dir;
    // CR, LF and CR LF each end one line.
    dir.write(QStringLiteral("mixed.txt"), "one\rtwo\r\nthree\nfour\n\nsix\r\nseven");
    const QString path = dir.file(QStringLiteral("mixed.txt"));
    const struct {
        qint64 line;
        int around;
        qint64 first;
        QStringList lines;
    } cases[] = {
        {1, 2, 1, {u"one"_qs, u"two"_qs, u"three"_qs}},
        {4, 1, 3, {u"three"_qs, u"four"_qs, u""_qs}},
        {7, 2, 5, {u""_qs, u"six"_qs, u"seven"_qs}}, // the last line has no end
    };
    for (const auto &c : cases) {
        const PreviewLines got = linesAround({path, LineCell::line(c.line), {}}, c.around);
        EXPECT_TRUE(got.read) << c.line;
        EXPECT_EQ(got.first, c.first) << c.line;
        EXPECT_EQ(got.lines, c.lines) << c.line;
    }
    EXPECT_FALSE(linesAround({path, LineCell::line(9), {}}).read); // the file is shorter now
    EXPECT_FALSE(linesAround({dir.file(u"gone.txt"_qs), LineCell::line(1), {}}).read);
    EXPECT_FALSE(linesAround({path, LineCell(), u"** End Of Matches **"_qs}).read);
}

TEST(PreviewText, EveryTermIsColouredWhereverItOccurs) {
    const struct {
        const char16_t *search;
        const char16_t *line;
        QList<TermRange> ranges;
        bool wholeWord = false, matchCase = false, regex = false;
    } cases[] = {
        {u"alpha", u"Alpha and ALPHA", {{0, 5}, {10, 5}}},
        {u"alpha|beta", u"beta, then alpha", {{0, 4}, {11, 5}}},
        // A line around an AND match holds one term only: it is coloured too.
        {u"alpha&beta", u"only beta here", {{5, 4}}},
        {u"", u"anything", {}},
        // The scan's options colour what the scan found, no more.
        {u"log", u"login log", {{6, 3}}, true},
        {u"Error", u"error Error", {{6, 5}}, false, true},
        {u"a+b", u"xaab a+b", {{1, 3}}, false, false, true},
    };
    for (const auto &c : cases) {
        SearchOptions options;
        options.wholeWord = c.wholeWord;
        options.matchCase = c.matchCase;
        options.regex = c.regex;
        EXPECT_EQ(
            PreviewText::termRanges(QString::fromUtf16(c.search), QStringView(c.line), options),
            c.ranges)
            << QString::fromUtf16(c.search).toStdString();
    }
}

class PreviewWindow : public WindowTest {};

TEST_F(PreviewWindow, TheSelectedRowShowsItsLinesAndThePaneIsRemembered) {
    QByteArray text;
    for (int i = 1; i <= 20; ++i)
        text += (i == 10 ? "ten has alpha\n" : "line " + QByteArray::number(i) + "\n");
    dir.write(QStringLiteral("a.txt"), text);
    openOnFiles(dir.path(), {QStringLiteral("a.txt")});
    form->resize(1000, 900);
    form->show();
    scanFor(QStringLiteral("alpha"));
    auto *pane = control<PreviewPane>("PreviewPane");
    auto *box = control<QCheckBox>("ShowPreview");
    ASSERT_TRUE(box->isChecked());
    ASSERT_TRUE(pane->isVisible());
    control<QTableView>("MatchLV")->selectRow(0);
    EXPECT_EQ(pane->shown().match, 10);
    EXPECT_EQ(pane->shown().first, 10 - PreviewText::Around);
    EXPECT_TRUE(pane->toPlainText().contains(u"10  ten has alpha"_qs))
        << pane->toPlainText().toStdString();
    // The term's characters carry the highlight colour.
    const QTextBlock matched = pane->document()->findBlockByNumber(PreviewText::Around);
    bool coloured = false;
    for (auto it = matched.begin(); !it.atEnd(); ++it)
        coloured |=
            it.fragment().text() == u"alpha" && it.fragment().charFormat().background().color() ==
                                                    pane->palette().color(QPalette::Highlight);
    EXPECT_TRUE(coloured);
    // A new scan empties the pane with the list.
    scanFor(QStringLiteral("line 2"));
    EXPECT_TRUE(pane->toPlainText().isEmpty()) << pane->toPlainText().toStdString();
    // Hidden, the list takes the room back; the choice outlives the window.
    const int listHeight = control<QTableView>("MatchLV")->height();
    box->setChecked(false);
    EXPECT_FALSE(pane->isVisible());
    EXPECT_GT(control<QTableView>("MatchLV")->height(), listHeight);
    form->close();
    EXPECT_EQ(stored(SettingsStore::ShowPreviewKey), u"False"_qs);
    openWindow();
    EXPECT_FALSE(control<QCheckBox>("ShowPreview")->isChecked());
}
