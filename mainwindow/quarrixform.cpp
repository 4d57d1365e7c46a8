#include "mainwindow/quarrixform.h"

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/formcommands.h"
#include "mainwindow/formkeys.h"
#include "mainwindow/formsettings.h"
#include "mainwindow/matchactions.h"
#include "mainwindow/pathbox.h"
#include "mainwindow/previewpane.h"
#include "mainwindow/readfailures.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/runpacer.h"
#include "mainwindow/scancommand.h"
#include "mainwindow/searchbox.h"
#include "mainwindow/taglayout.h"
#include "quarrixversion.h"
#include "scan/resultsmodel.h"
#include "scan/scanrun.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

QuarrixForm::QuarrixForm(QWidget *parent)
    : QWidget(parent), results_(new ResultsModel(this)), controls_(*this, *results_),
      selection_(std::make_unique<FileListSelection>(*controls_.File1)),
      pacer_(new RunPacer(*results_, this)),
      scan_(std::make_unique<ScanCommand>(*this, controls_, *pacer_, *selection_)),
      actions_(std::make_unique<MatchActions>(*this, *pacer_)),
      keys_(new FormKeys(*this, controls_)) {
    wireEvents();
    wireMatchActions();
    Form_Load();
}

QuarrixForm::~QuarrixForm() = default;

ScanRun &QuarrixForm::scanRun() {
    return pacer_->scanRun();
}

bool QuarrixForm::scanning() const {
    return pacer_->running();
}

QString QuarrixForm::titleText() {
    return QStringLiteral("%1 (V%2.%3.%4)")
        .arg(FormTexts::ProductName)
        .arg(QuarrixVersion::Major)
        .arg(QuarrixVersion::Minor)
        .arg(QuarrixVersion::Revision, 3, 10, QLatin1Char('0'));
}

void QuarrixForm::SBar(const QString &text) {
    pacer_->SBar(text);
}

ScanQuery QuarrixForm::currentQuery() const {
    return controls_.query();
}

void QuarrixForm::wireEvents() {
    const FormControls &c = controls_;
    connect(pacer_, &RunPacer::batchReady, this,
            [this](const RunBatch &batch) { scan_->showBatch(batch); });
    connect(pacer_, &RunPacer::phaseEntered, this,
            [this](RunHooks::Phase phase) { scan_->enterPhase(phase); });
    connect(pacer_, &RunPacer::messageRequested, this,
            [this](const QString &text) { scan_->showMessage(text); });
    connect(c.ModeTabs, &QTabWidget::currentChanged, this, &QuarrixForm::ModeTabs_Click);
    connect(c.FTV1, &FolderTreeView::folderChanged, this, &QuarrixForm::FTV1_FolderChanged);
    connect(c.FTV2, &FolderTreeView::folderChanged, this, &QuarrixForm::FTV2_FolderChanged);
    const auto updateSpecifiedType = [this] {
        controls_.SpecifiedType->setEnabled(controls_.SpecifiedFiles->isChecked());
    };
    connect(c.AllFiles, &QRadioButton::toggled, this, updateSpecifiedType);
    connect(c.SpecifiedFiles, &QRadioButton::toggled, this, updateSpecifiedType);
    // The run reads the search box live: an edit is a new revision of its query.
    connect(c.TextList, &QComboBox::editTextChanged, pacer_, &RunPacer::editSearchText);
    connect(c.TextList, &QComboBox::currentTextChanged, pacer_, &RunPacer::editSearchText);
    connect(c.Path, &PathBox::folderChosen, this, &QuarrixForm::goToFolder);
    connect(c.ScanButton, &QPushButton::clicked, this, &QuarrixForm::ScanButton_Click);
    connect(c.SaveButton, &QPushButton::clicked, this, [this] {
        FormCommands::saveResults(*this, controls_, *pacer_, scan_->failures().reportLines());
    });
    connect(c.HelpButton, &QPushButton::clicked, this,
            [this] { FormCommands::showHelp(*this, *pacer_); });
    connect(c.AboutButton, &QPushButton::clicked, this, [this] { FormCommands::showAbout(*this); });
    connect(c.ExitButton, &QPushButton::clicked, this, &QWidget::close);
}

void QuarrixForm::wireMatchActions() {
    const FormControls &c = controls_;
    connect(c.MatchLV, &QTableView::doubleClicked, this,
            [this] { actions_->showFullLine(shownRow(controls_.shownMatchRow())); });
    connect(c.MatchLV, &ResultsView::rowShowRequested, this,
            [this](int row) { actions_->showFullLine(shownRow(row)); });
    connect(c.MatchLV, &ResultsView::popupRequested, this, [this](const QPoint &at) {
        CurrentControl = QStringLiteral("MatchLV"); // the keys reached the list: it has the focus
        showPopup(at);
    });
    connect(c.File1, &FileListBox::itemDoubleClicked, this, [this] {
        if (const QString path = controls_.fileListEntryPath(); !path.isEmpty())
            actions_->ShowFileInfo(path);
    });
    connect(c.mnuFileInfo, &QAction::triggered, this,
            [this] { actions_->fileInformation(activeRow()); });
    connect(c.mnuLaunch, &QAction::triggered, this, [this] { actions_->launch(activeRow()); });
    connect(c.mnuEdit, &QAction::triggered, this, [this] {
        const ScanQuery query = currentQuery();
        actions_->edit(activeRow(), query.searchText, query.options);
    });
    connect(c.mnuOpenFolder, &QAction::triggered, this,
            [this] { actions_->openContainingFolder(activeRow()); });
    connect(c.mnuCopyPath, &QAction::triggered, this, [this] { actions_->copyPath(activeRow()); });
    connect(c.MatchLV->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &QuarrixForm::showPreview);
    // A new scan empties the list without a selection change: the preview
    // must not go on showing a row of the last one.
    connect(c.MatchLV->model(), &QAbstractItemModel::modelReset, this, &QuarrixForm::showPreview);
    connect(c.ShowPreview, &QCheckBox::toggled, this, [this] {
        Form_Resize();
        showPreview();
    });
    for (QWidget *watched : {static_cast<QWidget *>(c.File1), c.File1->viewport(),
                             static_cast<QWidget *>(c.MatchLV), c.MatchLV->viewport()})
        watched->installEventFilter(this);
}

void QuarrixForm::Form_Load() {
    SBar(FormTexts::Initializing);
    TagLayout::LayoutWidth = 0;
    Form_Resize(); // the design size is the layout's first size, whatever size is restored
    controls_.ResetResultsList(true);
    FormSettings::load(controls_, *this);
    ModeTabs_Click();
    fitToScreen(*this);
    controls_.TextList->setFocus(); // typing at start goes to the search
    SBar(FormTexts::Ready);
}

void QuarrixForm::ModeTabs_Click() {
    const FormControls &c = controls_;
    const bool fileMode = c.selectedFileMode();
    c.FileFrame->setVisible(fileMode);
    c.DSFrame->setVisible(!fileMode);
    SBar(fileMode ? FormTexts::FileScanning : FormTexts::DirectoryScanning);
    c.FileFrame->setTitle(c.FTV1->selectedFolder());
    c.DSFrame->setTitle(c.FTV2->selectedFolder());
    c.Path->showFolder(c.shownFolder());
}

void QuarrixForm::FTV1_FolderChanged() {
    const FormControls &c = controls_;
    c.Path->showFolder(c.FTV1->selectedFolder());
    c.FileFrame->setTitle(c.FTV1->selectedFolder());
    if (!c.File1->setPath(c.FTV1->selectedFolder()) ||
        !c.FTV2->setSelectedFolder(c.FTV1->selectedFolder())) {
        resetBothTrees();
        return;
    }
    c.DSFrame->setTitle(c.FTV2->selectedFolder());
}

void QuarrixForm::FTV2_FolderChanged() {
    const FormControls &c = controls_;
    c.Path->showFolder(c.FTV2->selectedFolder());
    c.DSFrame->setTitle(c.FTV2->selectedFolder());
    if (!c.FTV1->setSelectedFolder(c.FTV2->selectedFolder())) {
        resetBothTrees();
        return;
    }
    c.FileFrame->setTitle(c.FTV1->selectedFolder());
}

void QuarrixForm::resetBothTrees() {
    controls_.FTV1->setSelectedFolder(QDir::rootPath());
    controls_.FTV2->setSelectedFolder(QDir::rootPath());
}

void QuarrixForm::goToFolder(const QString &folder, const QString &fileName) {
    const FormControls &c = controls_;
    if (!(c.selectedFileMode() ? c.FTV1 : c.FTV2)->setSelectedFolder(folder))
        return;
    const QList<QListWidgetItem *> named = c.File1->findItems(fileName, Qt::MatchExactly);
    if (fileName.isEmpty() || named.isEmpty())
        return;
    c.File1->clearSelection();
    c.File1->setCurrentItem(named.first());
    named.first()->setSelected(true);
}

void QuarrixForm::ScanButton_Click() {
    if (!scanning())
        controls_.Path->noteRecent(controls_.shownFolder());
    scan_->click();
    if (pacer_->takeClosePending())
        close();
}

void QuarrixForm::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void QuarrixForm::Form_Resize() {
    if (isMinimized())
        return;
    controls_.layOut(*this);
    controls_.ResetResultsList(false);
}

void QuarrixForm::closeEvent(QCloseEvent *event) {
    if (scan_->holdClose()) {
        event->ignore(); // the window closes when the run has ended
        return;
    }
    SBar(FormTexts::SavingSettings);
    FormSettings::save(controls_, *this);
    event->accept();
}

void QuarrixForm::keyPressEvent(QKeyEvent *event) {
    // The Scan button is the default button: Enter anywhere it is not taken clicks it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        keys_->pressDefaultButton();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool QuarrixForm::eventFilter(QObject *watched, QEvent *event) {
    FileListBox *File1 = controls_.File1;
    ResultsView *MatchLV = controls_.MatchLV;
    const bool file1 = watched == File1 || watched == File1->viewport();
    if (event->type() == QEvent::FocusIn && (watched == File1 || watched == MatchLV))
        CurrentControl = file1 ? QStringLiteral("File1") : QStringLiteral("MatchLV");
    else if (event->type() == QEvent::FocusOut && (watched == File1 || watched == MatchLV) &&
             static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
        CurrentControl.clear(); // the popup menu acts on the list it opened over
    else if (event->type() == QEvent::KeyPress && watched == File1 &&
             isMenuKey(static_cast<QKeyEvent *>(event))) {
        CurrentControl = QStringLiteral("File1");
        if (ScanRun::CountSelectedFiles(*selection_) > 0)
            showPopup(File1->viewport()->mapToGlobal(
                File1->visualItemRect(File1->currentItem()).center()));
        return true;
    } else if (event->type() == QEvent::MouseButtonPress &&
               static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
        // A click gives the list the focus first, so the menu acts on the list
        // clicked, even where the window has not got its focus back yet.
        (file1 ? static_cast<QWidget *>(File1) : MatchLV)->setFocus(Qt::MouseFocusReason);
        CurrentControl = file1 ? QStringLiteral("File1") : QStringLiteral("MatchLV");
        if (!file1 || ScanRun::CountSelectedFiles(*selection_) > 0)
            showPopup(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
        // The file list keeps its selection: the menu acts on the entry with the focus.
        return file1;
    }
    return QWidget::eventFilter(watched, event);
}

void QuarrixForm::showPopup(const QPoint &globalPos) {
    // The platform may report the Menu key both as a key and as a menu request.
    if (!controls_.mnuFileSub->isVisible())
        controls_.mnuFileSub->popup(globalPos);
}

MatchRecord QuarrixForm::activeRow() const {
    if (CurrentControl == QLatin1String("MatchLV")) {
        // The last selected row in list order wins.
        if (const int last = controls_.lastSelectedMatchRow(); last >= 0)
            return results_->row(last);
    } else if (CurrentControl == QLatin1String("File1") &&
               ScanRun::CountSelectedFiles(*selection_) > 0) {
        return {controls_.fileListEntryPath(), LineCell(), QString()};
    }
    return {};
}

QString QuarrixForm::GetActiveFileName() const {
    return activeRow().path;
}

MatchRecord QuarrixForm::shownRow(int row) const {
    if (results_->rowCount() <= 1 || row < 0 || row >= results_->rowCount())
        return {};
    return results_->row(row);
}

void QuarrixForm::showPreview() {
    if (!controls_.Preview->isVisible())
        return;
    const int row = controls_.shownMatchRow();
    const ScanQuery query = currentQuery();
    controls_.Preview->showRow(row >= 0 ? results_->row(row) : MatchRecord(), query.searchText,
                               query.options);
}
