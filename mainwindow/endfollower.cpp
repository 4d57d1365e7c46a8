#include "mainwindow/endfollower.h"

#include <QAbstractItemView>
#include <QScrollBar>

EndFollower::EndFollower(QAbstractItemView &view) : QObject(&view), view_(view) {
    QAbstractItemModel *model = view.model();
    connect(model, &QAbstractItemModel::rowsInserted, this, [this] {
        if (following_)
            view_.scrollToBottom();
    });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { following_ = true; });
    connect(view.selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    following_ = false;
            });
    // Only the user's own scrolling counts: a list that grows, or loses
    // height to its scroll bar, has moved its end, not the user.
    QScrollBar *bar = view.verticalScrollBar();
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar] {
        // The action's new place is the slider's position; the value follows it.
        following_ = bar->sliderPosition() >= bar->maximum();
    });
}
