#include "editor/undohistory.h"

#include <QTextDocument>

void UndoHistory::reset(QTextDocument *document) {
    if (document_)
        disconnect(document_, nullptr, this, nullptr);
    document_ = document;
    floor_ = 0;
    document->setUndoRedoEnabled(false);
    document->setUndoRedoEnabled(true);
    document->setModified(false);
    connect(document, &QTextDocument::undoCommandAdded, this, &UndoHistory::stepAdded);
}

void UndoHistory::stepAdded() {
    if (document_->availableUndoSteps() - floor_ >= MaxStates)
        floor_ = document_->availableUndoSteps() - MaxStates + 1;
}

bool UndoHistory::canUndo() const {
    return document_ && document_->isUndoAvailable() && document_->availableUndoSteps() > floor_;
}

bool UndoHistory::canRedo() const {
    return document_ && document_->isRedoAvailable();
}

void UndoHistory::undo() {
    if (canUndo())
        document_->undo();
}

void UndoHistory::redo() {
    if (canRedo())
        document_->redo();
}

int UndoHistory::count() const {
    if (!document_)
        return 0;
    return document_->availableUndoSteps() - floor_ + document_->availableRedoSteps() + 1;
}

int UndoHistory::position() const {
    return document_ ? document_->availableUndoSteps() - floor_ : 0;
}
