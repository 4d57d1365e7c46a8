#include "scan/resultsmodel.h"

#include "platform/bidicontrols.h"
#include "platform/pathname.h"
#include "scan/rowpath.h"

#include <limits>

namespace {

/// Text blocks are filled up to this size; a longer text gets a block of its own.
constexpr qsizetype BlockSize = 1 << 20;

} // namespace

quint32 ResultsModel::pathIndex(const QString &path, const QStringList &inner) {
    // Rows come file by file, so the last path is nearly always the one.
    if (!paths_.isEmpty() && paths_.constLast() == path && inner_.constLast() == inner)
        return static_cast<quint32>(paths_.size() - 1);
    paths_.append(path);
    inner_.append(inner);
    return static_cast<quint32>(paths_.size() - 1);
}

ResultsModel::StoredText ResultsModel::store(const QByteArray &bytes) {
    if (blocks_.empty() || blocks_.back().size() + bytes.size() > BlockSize) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(BlockSize, bytes.size()));
    }
    QByteArray &block = blocks_.back();
    const StoredText stored{static_cast<quint32>(blocks_.size() - 1),
                            static_cast<quint32>(block.size()), static_cast<quint32>(bytes.size())};
    block.append(bytes);
    return stored;
}

QByteArrayView ResultsModel::bytes(const StoredText &stored) const {
    return QByteArrayView(blocks_[stored.block]).sliced(stored.offset, stored.size);
}

bool ResultsModel::AddMatch(const MatchRecord &row) {
    StoredRow stored;
    stored.path = pathIndex(row.path, row.inner);
    stored.cell = row.line.kind;
    const auto number = static_cast<quint64>(row.line.number);
    stored.numberLow = static_cast<quint32>(number);
    stored.numberHigh = static_cast<quint16>(number >> 32);
    stored.text = store(row.text.toUtf8());
    rows_.push_back(stored);
    return true;
}

LineCell ResultsModel::lineCell(const StoredRow &row) {
    const quint64 number = quint64{row.numberHigh} << 32 | row.numberLow;
    return {row.cell, static_cast<qint64>(number)};
}

QString ResultsModel::matchText(const StoredRow &row) const {
    return QString::fromUtf8(bytes(row.text));
}

MatchRecord ResultsModel::row(qsizetype index) const {
    const StoredRow &r = rows_[static_cast<size_t>(index)];
    return {paths_.at(r.path), lineCell(r), matchText(r), inner_.at(r.path)};
}

void ResultsModel::ResetResultsList(bool clearRows) {
    if (!clearRows)
        return;
    beginResetModel();
    std::deque<StoredRow>().swap(rows_);
    paths_ = QStringList();
    inner_ = QList<QStringList>();
    std::vector<QByteArray>().swap(blocks_);
    shown_ = 0;
    endResetModel();
}

void ResultsModel::flush() {
    const qsizetype total = std::min<qsizetype>(totalRows(), std::numeric_limits<int>::max());
    if (total == shown_)
        return;
    beginInsertRows({}, static_cast<int>(shown_), static_cast<int>(total - 1));
    shown_ = total;
    endInsertRows();
    Q_EMIT rowsFlushed();
}

int ResultsModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_);
}

int ResultsModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ResultsModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= shown_ ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const StoredRow &r = rows_[static_cast<size_t>(index.row())];
    switch (index.column()) {
    case PathColumn: {
        // The tooltip shows direction controls as markers, as the cell does.
        const QString path = RowPath::shown(paths_.at(r.path), inner_.at(r.path));
        return role == Qt::ToolTipRole ? platform::markBidiControls(path) : path;
    }
    case LineColumn:
        return lineCell(r).text();
    case MatchColumn:
        return matchText(r);
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
