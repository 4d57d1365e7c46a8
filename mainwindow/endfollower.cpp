#include "mainwindow/endfollower.h"

#include <QAbstractItemView>
#include <QScrollBar>

EndFollower::EndFollower(QAbstractItemView &view) : QObject(&view), view_(view) {
    QAbstractItemModel *model = view.model();
    connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this] { wasAtEnd_ = atEnd(); });
    connect(model, &QAbstractItemModel::rowsInserted, this, [this] {
        if (wasAtEnd_ && !picked_)
            view_.scrollToBottom();
    });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { picked_ = false; });
    connect(view.selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    picked_ = true;
            });
    QScrollBar *bar = view.verticalScrollBar();
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar] {
        // The action's new place is the slider's position; the value follows it.
        if (bar->sliderPosition() >= bar->maximum())
            resume();
    });
}

bool EndFollower::atEnd() const {
    const QScrollBar *bar = view_.verticalScrollBar();
    return bar->value() >= bar->maximum();
}

bool EndFollower::following() const {
    return !picked_ && atEnd();
}
