// The results list's order: a header click sorts by its column, a second
// click reverses, a third brings walk order back; the row actions and the
// copied lines still act on the row the user sees.

#include "mainwindow/resultssort.h"
#include "mainwindow/resultsview.h"
#include "scan/resultsmodel.h"
#include "windowtestsupport.h"

#include <QHeaderView>
#include <QItemSelectionModel>

namespace {

/// The texts of the rows in the order shown.
QStringList shownTexts(const QAbstractItemModel &shown) {
    QStringList texts;
    for (int row = 0; row < shown.rowCount(); ++row)
        texts << shown.index(row, ResultsModel::MatchColumn).data().toString();
    return texts;
}

void add(ResultsModel &model, const QString &path, LineCell line, const QString &text) {
    model.AddMatch({path, line, text});
}

} // namespace

TEST(ResultsOrder, HeaderClicksSortAscendingDescendingThenWalkOrder) {
    ensureApplication();
    ResultsModel model;
    // Walk order: d, a, c, b; line 10 sorts after 9 as a number, pieces after lines.
    add(model, QStringLiteral("/b/x.txt"), LineCell::line(10), QStringLiteral("d"));
    add(model, QStringLiteral("/a/Y.txt"), LineCell::piece(2), QStringLiteral("A"));
    add(model, QStringLiteral("/a/y.txt"), LineCell::line(9), QStringLiteral("c"));
    add(model, QStringLiteral("/c/z.txt"), LineCell::line(9), QStringLiteral("b"));
    model.flush();
    ResultsSort order(model);
    const QStringList walk{u"d"_qs, u"A"_qs, u"c"_qs, u"b"_qs};
    const struct {
        int column;
        QStringList ascending, descending;
    } cases[] = {
        {ResultsModel::PathColumn,
         {u"A"_qs, u"c"_qs, u"d"_qs, u"b"_qs},
         {u"b"_qs, u"d"_qs, u"c"_qs, u"A"_qs}},
        // Equal keys keep walk order ascending: c before b at line 9.
        {ResultsModel::LineColumn,
         {u"c"_qs, u"b"_qs, u"d"_qs, u"A"_qs},
         {u"A"_qs, u"d"_qs, u"b"_qs, u"c"_qs}},
        {ResultsModel::MatchColumn,
         {u"A"_qs, u"b"_qs, u"c"_qs, u"d"_qs},
         {u"d"_qs, u"c"_qs, u"b"_qs, u"A"_qs}},
    };
    for (const auto &c : cases) {
        order.clickHeader(c.column);
        EXPECT_EQ(shownTexts(order), c.ascending) << c.column;
        order.clickHeader(c.column);
        EXPECT_EQ(shownTexts(order), c.descending) << c.column;
        order.clickHeader(c.column);
        EXPECT_EQ(shownTexts(order), walk) << c.column;
    }
    // Rows that arrive while sorted take their sorted place; walk order keeps them last.
    order.clickHeader(ResultsModel::MatchColumn);
    add(model, QStringLiteral("/a/a.txt"), LineCell::line(1), QStringLiteral("B2"));
    model.flush();
    EXPECT_EQ(shownTexts(order), (QStringList{u"A"_qs, u"b"_qs, u"B2"_qs, u"c"_qs, u"d"_qs}));
    order.showWalkOrder();
    EXPECT_EQ(shownTexts(order), (QStringList{u"d"_qs, u"A"_qs, u"c"_qs, u"b"_qs, u"B2"_qs}));
    // A new scan starts over.
    order.clickHeader(ResultsModel::PathColumn);
    model.ResetResultsList(true);
    add(model, QStringLiteral("/z"), LineCell::line(1), QStringLiteral("z"));
    add(model, QStringLiteral("/y"), LineCell::line(1), QStringLiteral("y"));
    model.flush();
    EXPECT_EQ(shownTexts(order), (QStringList{u"y"_qs, u"z"_qs}));
}

class ResultsOrderWindow : public WindowTest {};

TEST_F(ResultsOrderWindow, TheRowActionsTakeTheRowShownAfterASort) {
    dir.write(QStringLiteral("b.txt"), "beta alpha\n");
    dir.write(QStringLiteral("a.txt"), "one\nalpha two\nalpha three\n");
    openOnFiles(dir.path(), {QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    scanFor(QStringLiteral("alpha"));
    auto *list = control<ResultsView>("MatchLV");
    // Match column descending: "beta alpha" first, then "alpha two", "alpha three".
    list->horizontalHeader()->sectionClicked(ResultsModel::MatchColumn);
    list->horizontalHeader()->sectionClicked(ResultsModel::MatchColumn);
    EXPECT_TRUE(list->horizontalHeader()->isSortIndicatorShown());
    list->selectRow(0);
    form->CurrentControl = QStringLiteral("MatchLV");
    EXPECT_EQ(form->activeRow().text, u"beta alpha"_qs);
    list->selectionModel()->select(list->model()->index(1, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(list->selectedReportLines().count(u'\n'), 1);
    EXPECT_TRUE(list->selectedReportLines().split(u'\n').first().endsWith(u"beta alpha"_qs))
        << list->selectedReportLines().toStdString();
    // The last selected row in list order is the one acted on.
    EXPECT_EQ(form->activeRow().text, u"alpha two"_qs);
    list->horizontalHeader()->sectionClicked(ResultsModel::MatchColumn);
    EXPECT_FALSE(list->horizontalHeader()->isSortIndicatorShown());
    EXPECT_EQ(list->model()->index(0, ResultsModel::MatchColumn).data().toString(),
              u"alpha two"_qs);
}
