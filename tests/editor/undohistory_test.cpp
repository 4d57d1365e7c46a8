#include "editor/undohistory.h"

#include <gtest/gtest.h>

TEST(UndoHistory, UndoStopsAtTheLoadedStateAndRedoAtTheNewest) {
    UndoHistory history;
    history.reset(QStringLiteral("loaded"));
    EXPECT_FALSE(history.canUndo());
    EXPECT_EQ(history.undo(), QString());
    history.record(QStringLiteral("a"));
    history.record(QStringLiteral("ab"));
    EXPECT_EQ(history.undo(), QStringLiteral("a"));
    EXPECT_EQ(history.undo(), QStringLiteral("loaded"));
    EXPECT_FALSE(history.canUndo());
    EXPECT_EQ(history.redo(), QStringLiteral("a"));
    EXPECT_EQ(history.redo(), QStringLiteral("ab"));
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.redo(), QString());
}

TEST(UndoHistory, AChangeAfterUndoDropsTheStatesAheadAndResetForgetsAnotherFile) {
    UndoHistory history;
    history.reset(QStringLiteral("first file"));
    history.record(QStringLiteral("x"));
    history.record(QStringLiteral("xy"));
    history.undo();
    history.record(QStringLiteral("xz"));
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.count(), 3);
    EXPECT_EQ(history.undo(), QStringLiteral("x"));

    history.reset(QStringLiteral("second file"));
    EXPECT_EQ(history.count(), 1);
    EXPECT_FALSE(history.canUndo());
    EXPECT_FALSE(history.canRedo());
}

TEST(UndoHistory, KeepsTheNewestThousandStatesAndDropsTheOldest) {
    UndoHistory history;
    history.reset(QStringLiteral("0"));
    for (int i = 1; i <= 1500; ++i)
        history.record(QString::number(i));
    EXPECT_EQ(history.count(), UndoHistory::MaxStates);
    QString oldest;
    while (history.canUndo())
        oldest = history.undo();
    EXPECT_EQ(oldest, QStringLiteral("501"));
}

TEST(UndoHistory, LargeStatesStayWithinTheByteBound) {
    constexpr qsizetype bound = 1024 * 1024;
    UndoHistory history(bound);
    // Random-looking content barely compresses, so few such states fit.
    QString big;
    quint32 seed = 1;
    for (int i = 0; i < 100 * 1024; ++i) {
        seed = seed * 1103515245 + 12345;
        big += QChar(u'!' + (seed >> 16) % 90);
    }
    history.reset(big);
    for (int i = 0; i < 40; ++i)
        history.record(big + QString::number(i));
    EXPECT_LE(history.storedBytes(), bound);
    EXPECT_LT(history.count(), 41);
    EXPECT_EQ(history.undo(), big + QString::number(38));
}
