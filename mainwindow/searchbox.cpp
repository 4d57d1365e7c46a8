#include "mainwindow/searchbox.h"

#include "scan/searchexpression.h"

SearchBox::SearchBox(QWidget *parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(15);
    const auto bump = [this] { ++revision_; };
    connect(this, &QComboBox::editTextChanged, this, bump);
    connect(this, &QComboBox::currentTextChanged, this, bump);
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
