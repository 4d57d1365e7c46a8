#include "editor/undohistory.h"

#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

/// One change of its own: an undo step of the document.
void append(QTextDocument &document, const QString &text) {
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    cursor.insertText(text);
    cursor.endEditBlock();
}

} // namespace

TEST(UndoHistory, UndoStopsAtTheLoadedStateAndRedoAtTheNewest) {
    QTextDocument document(QStringLiteral("loaded"));
    UndoHistory history;
    history.reset(&document);
    EXPECT_FALSE(history.canUndo());
    history.undo();
    EXPECT_EQ(document.toPlainText(), QStringLiteral("loaded"));
    append(document, QStringLiteral("a"));
    append(document, QStringLiteral("b"));
    history.undo();
    EXPECT_EQ(document.toPlainText(), QStringLiteral("loadeda"));
    history.undo();
    EXPECT_EQ(document.toPlainText(), QStringLiteral("loaded"));
    EXPECT_FALSE(history.canUndo());
    history.redo();
    history.redo();
    EXPECT_EQ(document.toPlainText(), QStringLiteral("loadedab"));
    EXPECT_FALSE(history.canRedo());
    history.redo();
    EXPECT_EQ(document.toPlainText(), QStringLiteral("loadedab"));
}

TEST(UndoHistory, AChangeAfterUndoDropsTheStatesAheadAndResetForgetsAnotherFile) {
    QTextDocument document(QStringLiteral("first"));
    UndoHistory history;
    history.reset(&document);
    append(document, QStringLiteral("x"));
    append(document, QStringLiteral("y"));
    history.undo();
    append(document, QStringLiteral("z"));
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.count(), 3);
    history.undo();
    EXPECT_EQ(document.toPlainText(), QStringLiteral("firstx"));

    document.setPlainText(QStringLiteral("second"));
    history.reset(&document);
    EXPECT_EQ(history.count(), 1);
    EXPECT_FALSE(history.canUndo());
    EXPECT_FALSE(history.canRedo());
}

TEST(UndoHistory, KeepsTheNewestThousandStates) {
    QTextDocument document(QStringLiteral("0"));
    UndoHistory history;
    history.reset(&document);
    for (int i = 1; i <= 1500; ++i)
        append(document, QStringLiteral(","));
    EXPECT_EQ(history.count(), UndoHistory::MaxStates);
    while (history.canUndo())
        history.undo();
    EXPECT_EQ(document.toPlainText().size(), 1 + 500 + 1) << "the oldest 501 changes stay";
}
