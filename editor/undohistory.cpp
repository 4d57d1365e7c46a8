#include "editor/undohistory.h"

namespace {

QByteArray pack(const QString &state) {
    return qCompress(state.toUtf8(), 1);
}

} // namespace

void UndoHistory::reset(const QString &state) {
    states_.clear();
    bytes_ = 0;
    position_ = -1;
    record(state);
}

void UndoHistory::record(const QString &state) {
    while (states_.size() > position_ + 1) {
        bytes_ -= states_.last().size();
        states_.removeLast();
    }
    states_.append(pack(state));
    bytes_ += states_.last().size();
    position_ = int(states_.size()) - 1;
    while (states_.size() > 1 && (states_.size() > MaxStates || bytes_ > maxBytes_))
        dropOldest();
}

void UndoHistory::replaceCurrent(const QString &state) {
    if (position_ < 0) {
        reset(state);
        return;
    }
    bytes_ -= states_[position_].size();
    states_[position_] = pack(state);
    bytes_ += states_[position_].size();
}

QString UndoHistory::undo() {
    if (!canUndo())
        return {};
    return stateAt(--position_);
}

QString UndoHistory::redo() {
    if (!canRedo())
        return {};
    return stateAt(++position_);
}

QString UndoHistory::stateAt(int index) const {
    return QString::fromUtf8(qUncompress(states_.at(index)));
}

void UndoHistory::dropOldest() {
    bytes_ -= states_.first().size();
    states_.removeFirst();
    --position_;
}
