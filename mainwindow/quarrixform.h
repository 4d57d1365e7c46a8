#pragma once

#include "quarrixversion.h"
#include "scan/scaninterfaces.h"
#include "scan/scanquery.h"

#include <QWidget>
#include <memory>

class FileListBox;
class FolderTreeView;
class QAction;
class QGroupBox;
class QLabel;
class QListView;
class QMenu;
class QPushButton;
class QRadioButton;
class QLineEdit;
class QStringListModel;
class QTabWidget;
class QTableView;
class ResultsModel;
class ResultsView;
class RunPacer;
struct RunBatch;
class ScanRun;
class SearchBox;
class StatusBar;
class FileListSelection;

/// The window's own words.
namespace FormTexts {
inline const QString ProductName = QString::fromLatin1(QuarrixVersion::ProductName);
inline const QString Initializing = QStringLiteral("Initializing...");
inline const QString Ready = QStringLiteral("Ready");
inline const QString SavingSettings = QStringLiteral("Saving Settings");
inline const QString FileScanning = QStringLiteral("File Scanning");
inline const QString DirectoryScanning = QStringLiteral("Directory Scanning");
inline const QString ScanCaption = QStringLiteral("&Scan");
inline const QString CancelCaption = QStringLiteral("&Cancel");
inline const QString ScanAgainCaption = QStringLiteral("S&can");
inline const QString ScanTip = QStringLiteral("Scan For The Entered Text String");
inline const QString CancelTip = QStringLiteral("Cancel The Current Scan");
} // namespace FormTexts

/// The main window: both scanning modes on one tab strip, the search box with
/// its past searches, the Scan command, the results list, the command buttons
/// and the status bar. It drives the scan engine through the engine's
/// interfaces and keeps itself live while a run works.
class QuarrixForm : public QWidget {
    Q_OBJECT
  public:
    explicit QuarrixForm(QWidget *parent = nullptr);
    ~QuarrixForm() override;

    /// The title: product name and version, "Quarrix Pro (V1.6.001)".
    static QString titleText();

    /// The status text: at once outside a run, with the next batch during one.
    void SBar(const QString &text);
    /// The scan the controls describe now: what Scan runs, the settings keep
    /// and the report's header names.
    ScanQuery currentQuery() const;

    void ScanButton_Click();
    /// Rebuilds the results columns for the list's width; clears the rows when clearRows.
    void ResetResultsList(bool clearRows);
    /// "MatchLV", "File1" or empty: which list has the focus.
    QString CurrentControl;

    /// The full path of the file selected in the list that has the focus
    /// (the last selected row of the results, the entry with the focus in the
    /// file list), or empty.
    QString GetActiveFileName() const;
    /// The row the popup commands act on, by value: the last selected results
    /// row, or the file list's entry with the focus (a path, no line or text);
    /// an empty path when the focused list has none.
    MatchRecord activeRow() const;
    /// Asks, then starts the file with its associated application.
    void LaunchFile(const QString &path);
    /// Shows the file information window for path and waits until it closes.
    void ShowFileInfo(const QString &path);

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
    void createControls();
    void createModeFrames();
    void createSearchFrame();
    void createResultsFrame();
    void createButtonStrip();
    void fitTextToFont();
    void fitCountLabel();
    void setTabOrder();
    void wireEvents();

    void Form_Load();
    void Form_Resize();
    void ModeTabs_Click();
    void FTV1_FolderChanged();
    void FTV2_FolderChanged();
    void resetBothTrees();
    void alignBottomStrips();
    /// The largest window, frame included, that the screen's free area holds.
    QSize largestOnScreen() const;
    void fitToScreen();
    void showPopup(const QPoint &globalPos);
    void updateSpecifiedType();

    void MatchLV_DblClick();
    /// The full-line display of a results row (Enter or a double-click).
    void showFullLineOf(int row);
    void showFullLine(const MatchRecord &row);
    void File1_DblClick();
    void mnuFileInfo_Click();
    void mnuLaunch_Click();
    void mnuEdit_Click();
    void SaveButton_Click();
    void HelpButton_Click();
    void AboutButton_Click();
    /// The file list's folder and the entry with the focus; empty without one.
    QString File1EntryPath() const;
    /// The results row the full-line display shows, or -1.
    int selectedMatchRow() const;

    void loadSettings();
    void saveSettings();

    void cancelScan();
    void setIdleCaption();
    void enterPhase(RunHooks::Phase phase);
    void showBatch(const RunBatch &batch);
    void showMessage(const QString &text);

    // Controls, named as their objectName().
    QTabWidget *ModeTabs = nullptr;
    QGroupBox *FileFrame = nullptr;
    FolderTreeView *FTV1 = nullptr;
    QLabel *Label1 = nullptr;
    FileListBox *File1 = nullptr;
    QGroupBox *DSFrame = nullptr;
    FolderTreeView *FTV2 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QRadioButton *AllFiles = nullptr;
    QRadioButton *SpecifiedFiles = nullptr;
    QLineEdit *SpecifiedType = nullptr;
    QListView *FoundFilesList = nullptr;
    QGroupBox *Frame1 = nullptr;
    SearchBox *TextList = nullptr;
    QPushButton *ScanButton = nullptr;
    QGroupBox *ScanFrame = nullptr;
    ResultsView *MatchLV = nullptr;
    QWidget *Picture1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *MatchCountLabel = nullptr;
    QPushButton *SaveButton = nullptr;
    QPushButton *HelpButton = nullptr;
    QPushButton *AboutButton = nullptr;
    QPushButton *ExitButton = nullptr;
    StatusBar *StatBar = nullptr;
    QWidget *RTB = nullptr;
    QMenu *mnuFileSub = nullptr;
    QAction *mnuFileInfo = nullptr;
    QAction *mnuLaunch = nullptr;
    QAction *mnuEdit = nullptr;

    ResultsModel *results_ = nullptr;
    QStringListModel *foundFiles_ = nullptr;
    std::unique_ptr<FileListSelection> selection_;
    RunPacer *pacer_ = nullptr;
};
