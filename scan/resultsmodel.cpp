#include "scan/resultsmodel.h"

#include <limits>

void ResultsModel::AddMatch(const MatchRecord &row) {
    rows_.push_back(row);
}

void ResultsModel::ResetResultsList(bool clearRows) {
    if (!clearRows)
        return;
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    shown_ = 0;
    endResetModel();
}

void ResultsModel::flush() {
    const qsizetype total = totalRows();
    if (total == shown_)
        return;
    beginInsertRows({}, static_cast<int>(shown_), static_cast<int>(total - 1));
    shown_ = total;
    endInsertRows();
    Q_EMIT rowsFlushed();
}

int ResultsModel::rowCount(const QModelIndex &parent) const {
    if (parent.isValid())
        return 0;
    return static_cast<int>(std::min<qsizetype>(shown_, std::numeric_limits<int>::max()));
}

int ResultsModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ResultsModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= shown_ ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const MatchRecord &r = rows_[static_cast<size_t>(index.row())];
    switch (index.column()) {
    case PathColumn:
        return r.path;
    case LineColumn:
        return r.line;
    case MatchColumn:
        return r.text;
    default:
        return {};
    }
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case PathColumn:
        return QStringLiteral("Full Path");
    case LineColumn:
        return QStringLiteral("Line #");
    case MatchColumn:
        return QStringLiteral("Match");
    default:
        return {};
    }
}
