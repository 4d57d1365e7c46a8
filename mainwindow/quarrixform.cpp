#include "mainwindow/quarrixform.h"

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/programicon.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/runpacer.h"
#include "mainwindow/searchbox.h"
#include "mainwindow/statusbar.h"
#include "mainwindow/taglayout.h"
#include "quarrixversion.h"
#include "scan/resultsmodel.h"
#include "scan/scanrun.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStringListModel>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>

namespace {

/// The window's client area at design time, in twips.
constexpr int DesignWidth = 7695;
constexpr int DesignHeight = 7365;

template <typename Control, typename... Args>
Control *makeControl(QWidget *container, const char *name, QRectF twips, const QString &tag,
                     Args &&...args) {
    auto *control = new Control(std::forward<Args>(args)..., container);
    control->setObjectName(QString::fromLatin1(name));
    TagLayout::setTag(control, tag);
    TagLayout::setTwipsGeometry(control, twips);
    return control;
}

QPushButton *pictureButton(QWidget *container, const char *name, QRectF twips,
                           QStyle::StandardPixmap picture, const QString &tip) {
    auto *button = makeControl<QPushButton>(container, name, twips, QStringLiteral("L"));
    button->setIcon(button->style()->standardIcon(picture));
    button->setIconSize(QSize(24, 24));
    button->setToolTip(tip);
    button->setAutoDefault(false);
    return button;
}

int pixels(double twips) {
    return qRound(twips / TagLayout::TwipsPerPixel);
}

} // namespace

QuarrixForm::QuarrixForm(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QuarrixForm"));
    setWindowTitle(FormTexts::ProductName);
    setWindowIcon(programIcon());
    resize(pixels(DesignWidth), pixels(DesignHeight));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    results_ = new ResultsModel(this);
    createControls();
    selection_ = std::make_unique<FileListSelection>(*File1);
    pacer_ = new RunPacer(*results_, *TextList, this);
    wireEvents();
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

void QuarrixForm::createControls() {
    ModeTabs =
        makeControl<QTabWidget>(this, "ModeTabs", {120, 120, 7455, 3375}, QStringLiteral("W"));
    ModeTabs->addTab(new QWidget, style()->standardIcon(QStyle::SP_FileIcon),
                     QStringLiteral("Selected File Scan"));
    ModeTabs->addTab(new QWidget, style()->standardIcon(QStyle::SP_DirIcon),
                     QStringLiteral("Directory Tree Scan"));
    ModeTabs->setTabToolTip(0, QStringLiteral("Scan Selected Files For Text"));
    ModeTabs->setTabToolTip(1, QStringLiteral("Scan Files In A Directory Tree For Text"));
    createModeFrames();
    createSearchFrame();
    createResultsFrame();
    createButtonStrip();
    StatBar = makeControl<StatusBar>(this, "StatBar", {0, 7110, 7695, 255}, QString());
    RTB = makeControl<QWidget>(this, "RTB", {5160, 360, 2175, 5895}, QString());
    RTB->hide();
    mnuFileSub = new QMenu(QStringLiteral("FileSub"), this);
    mnuFileSub->setObjectName(QStringLiteral("mnuFileSub"));
    const auto addItem = [this](const char *name, const QString &caption) {
        QAction *item =
            caption.isEmpty() ? mnuFileSub->addSeparator() : mnuFileSub->addAction(caption);
        item->setObjectName(QString::fromLatin1(name));
        return item;
    };
    mnuFileInfo = addItem("mnuFileInfo", QStringLiteral("&File Information"));
    addItem("mnuSpace1", QString());
    mnuLaunch = addItem("mnuLaunch", QStringLiteral("&Launch File"));
    addItem("mnuSpace2", QString());
    mnuEdit = addItem("mnuEdit", QStringLiteral("&Edit File"));
    fitTextToFont();
    setTabOrder();
}

void QuarrixForm::createModeFrames() {
    const QString none;
    FileFrame =
        makeControl<QGroupBox>(this, "FileFrame", {240, 720, 7215, 2655}, QStringLiteral("W"));
    FTV1 = makeControl<FolderTreeView>(FileFrame, "FTV1", {120, 240, 3015, 2355},
                                       QStringLiteral("W2"));
    Label1 = makeControl<QLabel>(FileFrame, "Label1", {3240, 240, 3855, 255}, QStringLiteral("L"),
                                 QStringLiteral("Select File(s) To Scan..."));
    File1 = makeControl<FileListBox>(FileFrame, "File1", {3240, 480, 3855, 2040},
                                     QStringLiteral("WL2"));
    File1->setToolTip(QStringLiteral("Select File(s) To Scan, Right-Click For File Menu"));

    DSFrame = makeControl<QGroupBox>(this, "DSFrame", {240, 720, 7215, 2655}, QStringLiteral("W"));
    FTV2 =
        makeControl<FolderTreeView>(DSFrame, "FTV2", {120, 240, 3495, 2340}, QStringLiteral("W"));
    Frame3 = makeControl<QGroupBox>(DSFrame, "Frame3", {3720, 720, 3375, 1215}, QStringLiteral("L"),
                                    QStringLiteral("Specify Files To Include..."));
    AllFiles = makeControl<QRadioButton>(Frame3, "AllFiles", {120, 360, 3135, 255}, none,
                                         QStringLiteral("All Files (No Executables)"));
    AllFiles->setChecked(true);
    SpecifiedFiles = makeControl<QRadioButton>(Frame3, "SpecifiedFiles", {120, 720, 1935, 255},
                                               none, QStringLiteral("Specific Type =>"));
    SpecifiedType = makeControl<QLineEdit>(Frame3, "SpecifiedType", {2040, 720, 1215, 285}, none,
                                           QStringLiteral("txt"));
    FoundFilesList =
        makeControl<QListView>(DSFrame, "FoundFilesList", {3720, 360, 3375, 2205}, none);
    foundFiles_ = new QStringListModel(this);
    FoundFilesList->setModel(foundFiles_);
    FoundFilesList->hide();
    DSFrame->hide();
}

void QuarrixForm::createSearchFrame() {
    Frame1 = makeControl<QGroupBox>(this, "Frame1", {120, 3600, 7455, 735}, QStringLiteral("W"),
                                    QStringLiteral("Text To Scan For..."));
    TextList =
        makeControl<SearchBox>(Frame1, "TextList", {120, 240, 5895, 315}, QStringLiteral("W"));
    TextList->setToolTip(QStringLiteral("Search Text (Use '|' For 'OR' and '&' For 'AND')"));
    ScanButton = makeControl<QPushButton>(Frame1, "ScanButton", {6120, 240, 1215, 375},
                                          QStringLiteral("L"), FormTexts::ScanCaption);
    ScanButton->setToolTip(FormTexts::ScanTip);
    ScanButton->setDefault(true);
}

void QuarrixForm::createResultsFrame() {
    ScanFrame = makeControl<QGroupBox>(this, "ScanFrame", {120, 4440, 7455, 1935},
                                       QStringLiteral("R"), QStringLiteral("Scan Results"));
    // A table dressed as a report list: it lays out only the rows in sight, so
    // a million rows keep the window live.
    MatchLV =
        makeControl<ResultsView>(ScanFrame, "MatchLV", {120, 240, 7215, 1575}, QStringLiteral("R"));
    MatchLV->setToolTip(QStringLiteral(
        "Results Of Your Last Scan, Double-Click A Line To Display The Entire Line"));
    MatchLV->setResults(results_);
}

void QuarrixForm::createButtonStrip() {
    const QString none;
    Picture1 = makeControl<QWidget>(this, "Picture1", {0, 6465, 7695, 645}, QStringLiteral("B"));
    Label2 = makeControl<QLabel>(Picture1, "Label2", {120, 120, 1815, 255}, none,
                                 QStringLiteral("Matches Found:"));
    MatchCountLabel = makeControl<QLabel>(Picture1, "MatchCountLabel", {1920, 120, 615, 255}, none,
                                          QStringLiteral("0"));
    SaveButton =
        pictureButton(Picture1, "SaveButton", {2880, 0, 735, 615}, QStyle::SP_DialogSaveButton,
                      QStringLiteral("Save The Results To File"));
    SaveButton->setEnabled(false);
    HelpButton = pictureButton(Picture1, "HelpButton", {3720, 0, 735, 615},
                               QStyle::SP_MessageBoxQuestion, QStringLiteral("View the Help File"));
    AboutButton =
        pictureButton(Picture1, "AboutButton", {4560, 0, 1455, 615},
                      QStyle::SP_MessageBoxInformation, QStringLiteral("About This Application"));
    ExitButton =
        pictureButton(Picture1, "ExitButton", {6120, 0, 1455, 615}, QStyle::SP_DialogCloseButton,
                      QStringLiteral("Exit This Application"));
}

void QuarrixForm::fitTextToFont() {
    // The design's sizes were made for another font: every caption gets the
    // width its text needs in the font in use, pushing its right-hand
    // neighbour along where they share a row.
    const auto widen = [](QWidget *control) {
        QRectF g = TagLayout::twipsGeometry(control);
        const double needed = control->sizeHint().width() * TagLayout::TwipsPerPixel;
        const double grow = std::max(0.0, needed - g.width());
        g.setWidth(g.width() + grow);
        TagLayout::setTwipsGeometry(control, g);
        return grow;
    };
    const auto shiftRight = [](QWidget *control, double by) {
        QRectF g = TagLayout::twipsGeometry(control);
        g.moveLeft(g.left() + by);
        g.setWidth(std::max(g.width() - by, g.width() / 2));
        TagLayout::setTwipsGeometry(control, g);
    };
    for (QWidget *caption : std::initializer_list<QWidget *>{Label1, AllFiles})
        widen(caption);
    if (const double grow = widen(SpecifiedFiles); grow > 0)
        shiftRight(SpecifiedType, grow);
    widen(Label2);
    fitCountLabel();
}

void QuarrixForm::fitCountLabel() {
    // The count sits right after its caption, with room for eight digits or
    // for the count shown, whichever is wider; the buttons give way to it.
    const QFontMetrics metrics(MatchCountLabel->font());
    const auto twips = [](int px) { return px * TagLayout::TwipsPerPixel; };
    const int digits = std::max(metrics.horizontalAdvance(QStringLiteral("00000000")),
                                metrics.horizontalAdvance(MatchCountLabel->text()));
    const QRectF label = TagLayout::twipsGeometry(Label2);
    QRectF count = TagLayout::twipsGeometry(MatchCountLabel);
    count.moveLeft(label.left() + twips(Label2->sizeHint().width()));
    count.setWidth(std::max(count.width(), twips(digits + 2 * metrics.averageCharWidth())));
    TagLayout::setTwipsGeometry(MatchCountLabel, count);
    const double overflow = count.right() + 60 - TagLayout::twipsGeometry(SaveButton).left();
    if (overflow <= 0)
        return;
    for (QWidget *button :
         std::initializer_list<QWidget *>{SaveButton, HelpButton, AboutButton, ExitButton}) {
        QRectF g = TagLayout::twipsGeometry(button);
        g.moveLeft(g.left() + overflow);
        TagLayout::setTwipsGeometry(button, g);
    }
}

void QuarrixForm::setTabOrder() {
    const QList<QWidget *> order{TextList,   ScanButton, AllFiles,   SpecifiedFiles, SpecifiedType,
                                 ModeTabs,   FTV1,       FTV2,       File1,          MatchLV,
                                 SaveButton, HelpButton, ExitButton, AboutButton};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void QuarrixForm::wireEvents() {
    connect(pacer_, &RunPacer::batchReady, this, &QuarrixForm::showBatch);
    connect(pacer_, &RunPacer::phaseEntered, this, &QuarrixForm::enterPhase);
    connect(pacer_, &RunPacer::messageRequested, this, &QuarrixForm::showMessage);
    connect(ModeTabs, &QTabWidget::currentChanged, this, &QuarrixForm::ModeTabs_Click);
    connect(FTV1, &FolderTreeView::folderChanged, this, &QuarrixForm::FTV1_FolderChanged);
    connect(FTV2, &FolderTreeView::folderChanged, this, &QuarrixForm::FTV2_FolderChanged);
    connect(AllFiles, &QRadioButton::toggled, this, &QuarrixForm::updateSpecifiedType);
    connect(SpecifiedFiles, &QRadioButton::toggled, this, &QuarrixForm::updateSpecifiedType);
    connect(ScanButton, &QPushButton::clicked, this, &QuarrixForm::ScanButton_Click);
    connect(SaveButton, &QPushButton::clicked, this, &QuarrixForm::SaveButton_Click);
    connect(HelpButton, &QPushButton::clicked, this, &QuarrixForm::HelpButton_Click);
    connect(AboutButton, &QPushButton::clicked, this, &QuarrixForm::AboutButton_Click);
    connect(ExitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(MatchLV, &QTableView::doubleClicked, this, &QuarrixForm::MatchLV_DblClick);
    connect(MatchLV, &ResultsView::rowShowRequested, this, &QuarrixForm::showFullLineOf);
    connect(MatchLV, &ResultsView::popupRequested, this, [this](const QPoint &at) {
        CurrentControl = QStringLiteral("MatchLV"); // the keys reached the list: it has the focus
        showPopup(at);
    });
    connect(File1, &FileListBox::itemDoubleClicked, this, &QuarrixForm::File1_DblClick);
    connect(mnuFileInfo, &QAction::triggered, this, &QuarrixForm::mnuFileInfo_Click);
    connect(mnuLaunch, &QAction::triggered, this, &QuarrixForm::mnuLaunch_Click);
    connect(mnuEdit, &QAction::triggered, this, &QuarrixForm::mnuEdit_Click);
    for (QWidget *watched : {static_cast<QWidget *>(File1), File1->viewport(),
                             static_cast<QWidget *>(MatchLV), MatchLV->viewport()})
        watched->installEventFilter(this);
}

void QuarrixForm::Form_Load() {
    SBar(FormTexts::Initializing);
    TagLayout::LayoutWidth = 0;
    Form_Resize(); // the design size is the layout's first size, whatever size is restored
    ResetResultsList(true);
    loadSettings();
    fitToScreen();
    ScanButton->setFocus();
    SBar(FormTexts::Ready);
}

void QuarrixForm::ModeTabs_Click() {
    const bool fileMode = ModeTabs->currentIndex() == 0;
    FileFrame->setVisible(fileMode);
    DSFrame->setVisible(!fileMode);
    SBar(fileMode ? FormTexts::FileScanning : FormTexts::DirectoryScanning);
    FileFrame->setTitle(FTV1->selectedFolder());
    DSFrame->setTitle(FTV2->selectedFolder());
}

void QuarrixForm::FTV1_FolderChanged() {
    FileFrame->setTitle(FTV1->selectedFolder());
    if (!File1->setPath(FTV1->selectedFolder()) ||
        !FTV2->setSelectedFolder(FTV1->selectedFolder())) {
        resetBothTrees();
        return;
    }
    DSFrame->setTitle(FTV2->selectedFolder());
}

void QuarrixForm::FTV2_FolderChanged() {
    DSFrame->setTitle(FTV2->selectedFolder());
    if (!FTV1->setSelectedFolder(FTV2->selectedFolder())) {
        resetBothTrees();
        return;
    }
    FileFrame->setTitle(FTV1->selectedFolder());
}

void QuarrixForm::resetBothTrees() {
    FTV1->setSelectedFolder(QDir::rootPath());
    FTV2->setSelectedFolder(QDir::rootPath());
}

void QuarrixForm::updateSpecifiedType() {
    SpecifiedType->setEnabled(SpecifiedFiles->isChecked());
}

void QuarrixForm::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void QuarrixForm::Form_Resize() {
    if (isMinimized())
        return;
    const bool firstPass = TagLayout::LayoutWidth == 0;
    const QSize smallest = minimumSize();
    if (!firstPass && (width() < smallest.width() || height() < smallest.height()))
        resize(size().expandedTo(smallest));
    TagLayout::ResizeByTags(this);
    // The window manager keeps the first size as the least, but never more
    // than the screen holds: below the design size the controls shrink by
    // the same rule, and the buttons and status bar stay within reach.
    if (firstPass)
        setMinimumSize(size().boundedTo(largestOnScreen()));
    alignBottomStrips();
    ResetResultsList(false);
}

QSize QuarrixForm::largestOnScreen() const {
    const QScreen *shown = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!shown)
        return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    // The window manager's frame: known once shown, else a title bar's worth.
    QSize frame = frameGeometry().size() - size();
    if (frame.isEmpty())
        frame = QSize(8, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8);
    return shown->availableGeometry().size() - frame;
}

void QuarrixForm::fitToScreen() {
    const QSize largest = largestOnScreen();
    if (width() <= largest.width() && height() <= largest.height())
        return;
    resize(size().boundedTo(largest));
    if (const QScreen *shown = screen())
        move(shown->availableGeometry().topLeft());
}

void QuarrixForm::alignBottomStrips() {
    // The status bar and the button strip follow the bottom edge and the width
    // by their alignment, not by a layout code.
    const double width = this->width() * TagLayout::TwipsPerPixel;
    const double height = this->height() * TagLayout::TwipsPerPixel;
    const double statHeight = TagLayout::twipsGeometry(StatBar).height();
    const double stripHeight = TagLayout::twipsGeometry(Picture1).height();
    TagLayout::setTwipsGeometry(StatBar, {0, height - statHeight, width, statHeight});
    TagLayout::setTwipsGeometry(Picture1,
                                {0, height - statHeight - stripHeight, width, stripHeight});
}

void QuarrixForm::ResetResultsList(bool clearRows) {
    if (clearRows)
        results_->ResetResultsList(true);
    MatchLV->applyColumnRule(TagLayout::twipsGeometry(MatchLV).width());
}

void QuarrixForm::closeEvent(QCloseEvent *event) {
    if (pacer_->running()) {
        // The run ends first, as Cancel does; the window closes when it has.
        pacer_->requestClose();
        if (ScanButton->text() == FormTexts::CancelCaption)
            cancelScan();
        event->ignore();
        return;
    }
    SBar(FormTexts::SavingSettings);
    saveSettings();
    event->accept();
}

void QuarrixForm::keyPressEvent(QKeyEvent *event) {
    // The Scan button is the default button: Enter anywhere it is not taken clicks it.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        ScanButton->isEnabled()) {
        ScanButton->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool QuarrixForm::eventFilter(QObject *watched, QEvent *event) {
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
    if (!mnuFileSub->isVisible())
        mnuFileSub->popup(globalPos);
}
