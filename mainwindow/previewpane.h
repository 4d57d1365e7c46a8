#pragma once

#include "mainwindow/previewtext.h"

#include <QFutureWatcher>
#include <QTextEdit>
#include <atomic>
#include <memory>

/// The pane under the results that shows the selected match in its file:
/// the lines around it, numbered, the matched line marked and every term of
/// the search coloured. A small file is read at once; a large one is read
/// off the event loop, and a newer selection drops the older reading.
class PreviewPane : public QTextEdit {
    Q_OBJECT
  public:
    explicit PreviewPane(QWidget *parent = nullptr);
    ~PreviewPane() override;

    /// Shows row's lines, coloured for searchText; a row without a line
    /// (none selected, the end marker) clears the pane.
    void showRow(const MatchRecord &row, const QString &searchText,
                 const SearchOptions &options = {});
    /// The lines shown now, for the keyboard and for tests.
    const PreviewLines &shown() const { return shown_; }

  Q_SIGNALS:
    /// The lines of the latest row are in the pane.
    void rowShown();

  private:
    static MatchRecord readable(MatchRecord row);
    void present(const PreviewLines &lines);
    void cancelReading();

    PreviewLines shown_;
    QString searchText_;
    SearchOptions options_;
    QFutureWatcher<PreviewLines> reading_;
    std::shared_ptr<std::atomic<bool>> stop_;
};
