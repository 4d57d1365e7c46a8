#pragma once

#include "mainwindow/formcontrols.h"
#include "mainwindow/formtexts.h"
#include "scan/scaninterfaces.h"
#include "scan/scanquery.h"

#include <QWidget>
#include <memory>

class FileListSelection;
class FormKeys;
class MatchActions;
class ResultsModel;
class RunPacer;
class ScanCommand;
class ScanRun;

/// The main window: both scanning modes on one tab strip, the search box with
/// its past searches, the Scan command, the results list, the command buttons
/// and the status bar. It wires its controls to the classes that do the work:
/// the scan command and its pacer, the match actions, the bottom strip's
/// commands and the settings.
class QuarrixForm : public QWidget {
    Q_OBJECT
  public:
    explicit QuarrixForm(QWidget *parent = nullptr);
    ~QuarrixForm() override;

    /// The title: product name and version, "Quarrix Pro (V1.6.001)".
    static QString titleText();

    /// The status text: at once outside a run, with the next batch during one.
    void SBar(const QString &text);
    /// The scan the controls describe now.
    ScanQuery currentQuery() const;

    /// "MatchLV", "File1" or empty: which list has the focus. Changed only by
    /// the two lists' focus and popup events.
    QString CurrentControl;
    /// The full path of the file selected in the list that has the focus, or empty.
    QString GetActiveFileName() const;
    /// The row the popup commands act on, by value: the last selected results
    /// row, or the file list's entry with the focus (a path, no line or text);
    /// an empty path when the focused list has none.
    MatchRecord activeRow() const;

    MatchActions &matchActions() { return *actions_; }
    ScanRun &scanRun();
    RunPacer &pacer() { return *pacer_; }
    const ResultsModel &results() const { return *results_; }
    bool scanning() const;

  protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void wireEvents();
    void wireMatchActions();
    void Form_Load();
    void Form_Resize();
    void ModeTabs_Click();
    void FTV1_FolderChanged();
    void FTV2_FolderChanged();
    void resetBothTrees();
    /// A folder from the path box or a drop: the trees go there, and the
    /// file list selects fileName when it is given.
    void goToFolder(const QString &folder, const QString &fileName);
    void ScanButton_Click();
    /// The results row the full-line display shows; none (no path) for a list
    /// of at most one row.
    MatchRecord shownRow(int row) const;
    void showPopup(const QPoint &globalPos);
    /// The selected row in the preview pane, when it shows.
    void showPreview();

    ResultsModel *results_;
    FormControls controls_;
    std::unique_ptr<FileListSelection> selection_;
    RunPacer *pacer_;
    std::unique_ptr<ScanCommand> scan_;
    std::unique_ptr<MatchActions> actions_;
    FormKeys *keys_;
};
