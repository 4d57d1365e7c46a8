#pragma once

#include "scan/scaninterfaces.h"

#include <QAbstractTableModel>
#include <vector>

/// The rows of the results list: path, line cell, match text. Rows arrive
/// through AddMatch and reach views in batches at flush(), one insert per
/// batch, so a scan that records a million rows keeps its window live.
class ResultsModel : public QAbstractTableModel, public MatchSink {
    Q_OBJECT
  public:
    enum Column { PathColumn, LineColumn, MatchColumn, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void AddMatch(const MatchRecord &row) override;
    void clearMatches() override { ResetResultsList(true); }
    /// Removes every row when clearRows; the view rebuilds its columns.
    void ResetResultsList(bool clearRows);
    /// Hands the rows added since the last flush to the views.
    void flush();

    /// All rows, those not yet flushed included.
    qsizetype totalRows() const { return static_cast<qsizetype>(rows_.size()); }
    const MatchRecord &row(qsizetype index) const { return rows_[static_cast<size_t>(index)]; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  Q_SIGNALS:
    /// Rows were flushed; the view may scroll to the last one.
    void rowsFlushed();

  private:
    std::vector<MatchRecord> rows_;
    qsizetype shown_ = 0; ///< rows the views know of
};

/// Column widths of the results list, in twips.
namespace ResultsColumns {
inline constexpr int PathWidth = 2000;
inline constexpr int LineWidth = 1000;
/// The Match column takes the list's width less this.
inline constexpr int MatchWidthAllowance = 3050;
} // namespace ResultsColumns
