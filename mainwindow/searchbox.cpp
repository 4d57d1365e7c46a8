#include "mainwindow/searchbox.h"

#include "scan/searchexpression.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>

SearchBox::SearchBox(QWidget *parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(15);
    // What is scanned is exactly what was typed: past searches are offered in
    // a popup, never written into the box ahead of the user. They differ by
    // letter case, so "Alpha" is not offered for "alpha".
    completer()->setCompletionMode(QCompleter::PopupCompletion);
    completer()->setCaseSensitivity(Qt::CaseSensitive);
    // Installed after the completer's own filter, so it sees Enter first.
    completer()->popup()->installEventFilter(this);
}

bool SearchBox::eventFilter(QObject *watched, QEvent *event) {
    if (watched == completer()->popup() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // An offer picked with the arrows is in the box already.
            completer()->popup()->hide();
            Q_EMIT entered();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
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
