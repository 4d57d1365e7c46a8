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
/// A row is held compactly: the path once per file, the line cell as a number
/// where it is one, and the text as UTF-8 in large shared blocks.
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
    /// How the line cell is kept: a number, "@" and a number, or as text.
    enum class CellKind : quint8 { Empty, Number, Piece, Text };
    struct StoredText {
        quint32 block = 0;
        quint32 offset = 0;
        quint32 size = 0;
    };
    /// For CellKind::Text the cell's bytes come first in the stored text and
    /// number holds their length.
    struct StoredRow {
        quint32 path = 0; ///< index into paths_
        qint32 number = 0;
        StoredText text;
        CellKind cell = CellKind::Empty;
    };

    quint32 pathIndex(const QString &path);
    StoredText store(const QByteArray &bytes);
    QByteArrayView bytes(const StoredText &stored) const;
    QString lineCell(const StoredRow &row) const;
    QString matchText(const StoredRow &row) const;

    std::deque<StoredRow> rows_;
    QStringList paths_;
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
