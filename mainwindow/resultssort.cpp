#include "mainwindow/resultssort.h"

#include "scan/resultsmodel.h"

ResultsSort::ResultsSort(const ResultsModel &results, QObject *parent)
    : QSortFilterProxyModel(parent), results_(results) {
    setSourceModel(const_cast<ResultsModel *>(&results));
    setDynamicSortFilter(true);
    connect(&results, &QAbstractItemModel::modelAboutToBeReset, this, &ResultsSort::dropKeys);
}

void ResultsSort::dropKeys() {
    std::vector<Key>().swap(keys_);
}

void ResultsSort::clickHeader(int column) {
    if (column != sortColumn()) {
        dropKeys();
        sort(column, Qt::AscendingOrder);
    } else if (sortOrder() == Qt::AscendingOrder) {
        sort(column, Qt::DescendingOrder);
    } else {
        showWalkOrder();
        return;
    }
    Q_EMIT orderChanged(column, sortOrder());
}

void ResultsSort::showWalkOrder() {
    sort(-1);
    dropKeys();
    Q_EMIT orderChanged(-1, Qt::AscendingOrder);
}

int ResultsSort::sourceRow(int viewRow) const {
    if (viewRow < 0 || viewRow >= rowCount())
        return -1;
    return mapToSource(index(viewRow, 0)).row();
}

const ResultsSort::Key &ResultsSort::key(int sourceRow) const {
    // Rows arrive during a run: the keys grow to the rows the model shows.
    const auto rows = static_cast<size_t>(results_.rowCount());
    if (keys_.size() < rows) {
        const size_t from = keys_.size();
        keys_.resize(rows);
        for (size_t i = from; i < rows; ++i) {
            const MatchRecord row = results_.row(static_cast<qsizetype>(i));
            Key &k = keys_[i];
            if (sortColumn() == ResultsModel::LineColumn) {
                k.number = row.line.number;
                k.kind = static_cast<int>(row.line.kind);
            } else {
                k.text = sortColumn() == ResultsModel::PathColumn ? row.path : row.text;
            }
        }
    }
    return keys_[static_cast<size_t>(sourceRow)];
}

bool ResultsSort::lessThan(const QModelIndex &left, const QModelIndex &right) const {
    const Key &a = key(left.row());
    const Key &b = key(right.row());
    if (sortColumn() == ResultsModel::LineColumn) {
        if (a.kind != b.kind)
            return a.kind < b.kind;
        if (a.number != b.number)
            return a.number < b.number;
    } else if (const int order = a.text.compare(b.text, Qt::CaseInsensitive); order != 0) {
        return order < 0;
    }
    return left.row() < right.row(); // equal keys keep walk order
}
