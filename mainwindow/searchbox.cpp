#include "mainwindow/searchbox.h"

#include "scan/searchexpression.h"

#include <QCompleter>

SearchBox::SearchBox(QWidget *parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(15);
    // What is scanned is exactly what was typed: past searches are offered in
    // a popup, never written into the box ahead of the user. They differ by
    // letter case, so "Alpha" is not offered for "alpha".
    completer()->setCompletionMode(QCompleter::PopupCompletion);
    completer()->setCaseSensitivity(Qt::CaseSensitive);
}

void SearchBox::addToHistory(const QString &text) {
    if (isBlank(text))
        return;
    for (int i = 0; i < count(); ++i) {
        if (itemText(i) == text) {
            setCurrentIndex(i);
            return;
        }
    }
    insertItem(0, text);
    setEditText(text);
}
