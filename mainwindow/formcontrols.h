#pragma once

#include "mainwindow/formtexts.h"
#include "scan/scanquery.h"

#include <QSize>

class FileListBox;
class FolderTreeView;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QCheckBox;
class QRadioButton;
class QStringListModel;
class QTabWidget;
class QWidget;
class PathBox;
class PreviewPane;
class ResultsModel;
class ResultsView;
class SearchBox;
class SearchOptionsPanel;
class StatusBar;

/// The main window's controls, each named as its objectName(): made at their
/// design place in twips with their layout codes, captions and tooltips,
/// fitted to the font in use, and laid out again when the window resizes.
/// The window owns the widgets; this is the way to them and to what they hold.
struct FormControls {
    /// Builds the controls on form and gives form its design size, centred.
    FormControls(QWidget &form, ResultsModel &results);

    /// The scan the controls describe now: what Scan runs, the settings keep
    /// and the report's header names.
    ScanQuery query() const;
    /// The selected-file mode is shown (tab 1), not the directory-tree mode.
    bool selectedFileMode() const;
    /// The folder of the mode shown.
    QString shownFolder() const;
    /// The file list's folder and the entry with the focus, which need not be
    /// a selected one; empty without one.
    QString fileListEntryPath() const;
    /// The results row the full-line display shows (the current row when it
    /// is selected, else the first selected), as the results model's row, or -1.
    int shownMatchRow() const;
    /// The last selected results row in list order, as the results model's row, or -1.
    int lastSelectedMatchRow() const;

    /// The tag layout over every control after a resize, the least size kept;
    /// the first pass after LayoutWidth is cleared makes the size the least.
    void layOut(QWidget &form);
    /// Rebuilds the results columns for the list's width; clears the rows
    /// first when clearRows.
    void ResetResultsList(bool clearRows);
    /// Room for the match count shown, right after its caption; the buttons
    /// give way to it.
    void fitCountLabel();

    QTabWidget *ModeTabs = nullptr;
    PathBox *Path = nullptr; ///< the folder the trees show, typed or dropped
    QGroupBox *FileFrame = nullptr;
    FolderTreeView *FTV1 = nullptr;
    QLabel *Label1 = nullptr;
    FileListBox *File1 = nullptr;
    QGroupBox *DSFrame = nullptr;
    FolderTreeView *FTV2 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QCheckBox *SearchArchives = nullptr; ///< look inside archives: off by default
    QRadioButton *AllFiles = nullptr;
    QRadioButton *SpecifiedFiles = nullptr;
    QLineEdit *SpecifiedType = nullptr;
    QCheckBox *BinaryAsText = nullptr;
    QListView *FoundFilesList = nullptr;
    QStringListModel *foundFiles = nullptr; ///< the walk's file list, shown by FoundFilesList
    QGroupBox *Frame1 = nullptr;
    SearchBox *TextList = nullptr;
    QPushButton *ScanButton = nullptr;
    SearchOptionsPanel *Options = nullptr; ///< its toggle sits in Frame1's title row
    QGroupBox *ScanFrame = nullptr;
    ResultsView *MatchLV = nullptr;
    QCheckBox *ShowPreview = nullptr; ///< shows PreviewPane under the results
    PreviewPane *Preview = nullptr;
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
    QAction *mnuOpenFolder = nullptr;
    QAction *mnuCopyPath = nullptr;
    ResultsModel *results = nullptr; ///< the rows MatchLV shows

  private:
    void createModeFrames(QWidget &form);
    void createSearchFrame(QWidget &form);
    void createResultsFrame(QWidget &form, ResultsModel &results);
    void createButtonStrip(QWidget &form);
    void createPopupMenu(QWidget &form);
    void fitTextToFont();
    void setTabOrder();
    void alignBottomStrips(const QWidget &form);
};

/// The largest window, frame included, that the screen's free area holds.
QSize largestOnScreen(const QWidget &window);
/// Shrinks a window that the screen cannot hold and moves it into sight.
void fitToScreen(QWidget &window);
