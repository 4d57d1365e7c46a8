#pragma once

#include "scan/scaninterfaces.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QStringList>
#include <deque>
#include <vector>

/// The rows of the results list: path, line cell, match text. Rows arrive
/// through AddMatch and reach views in batches at flush(), one insert per
/// batch, so a scan that records a million rows keeps its window live.
///
/// A row is held compactly: the path once per file, the line cell as its
/// number, and the text as UTF-8 in large shared blocks.
class ResultsModel : public QAbstractTableModel, public MatchSink {
    Q_OBJECT
  public:
    enum Column { PathColumn, LineColumn, MatchColumn, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    bool AddMatch(const MatchRecord &row) override;
    void clearMatches() override { ResetResultsList(true); }
    /// Removes every row when clearRows; the view rebuilds its columns.
    void ResetResultsList(bool clearRows);
    /// Hands the rows added since the last flush to the views.
    void flush();

    /// All rows, those not yet flushed included.
    qsizetype totalRows() const { return static_cast<qsizetype>(rows_.size()); }
    MatchRecord row(qsizetype index) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  Q_SIGNALS:
    /// Rows were flushed; the view may scroll to the last one.
    void rowsFlushed();

  private:
    struct StoredText {
        quint32 block = 0;
        quint32 offset = 0;
        quint32 size = 0;
    };
    /// The line cell's number is kept in 48 bits, in two parts, so that a row
    /// stays small.
    struct StoredRow {
        quint32 path = 0; ///< index into paths_
        quint32 numberLow = 0;
        StoredText text;
        quint16 numberHigh = 0;
        LineCell::Kind cell = LineCell::Kind::None;
    };

    quint32 pathIndex(const QString &path, const QStringList &inner);
    StoredText store(const QByteArray &bytes);
    QByteArrayView bytes(const StoredText &stored) const;
    static LineCell lineCell(const StoredRow &row);
    QString matchText(const StoredRow &row) const;

    std::deque<StoredRow> rows_;
    QStringList paths_;
    QList<QStringList> inner_;       ///< the member names of each of paths_
    std::vector<QByteArray> blocks_; ///< UTF-8 text of the rows, appended in order
    qsizetype shown_ = 0;            ///< rows the views know of
};

/// Column widths of the results list, in twips.
namespace ResultsColumns {
inline constexpr int PathWidth = 2000;
inline constexpr int LineWidth = 1000;
/// The Match column takes the list's width less this.
inline constexpr int MatchWidthAllowance = 3050;
} // namespace ResultsColumns
