// The main window's controls: their design places, captions and tooltips,
// their fit to the font in use, and their layout when the window resizes.

#include "mainwindow/formcontrols.h"

#include "mainwindow/searchoptionspanel.h"

#include <QToolButton>

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/accessiblenames.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/pathbox.h"
#include "mainwindow/previewpane.h"
#include "mainwindow/programicon.h"
#include "mainwindow/resultsroom.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/searchbox.h"
#include "mainwindow/statusbar.h"
#include "mainwindow/taglayout.h"
#include "scan/functionmodule.h"
#include "scan/resultsmodel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QItemSelectionModel>
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

FormControls::FormControls(QWidget &form, ResultsModel &results) : results(&results) {
    form.setObjectName(QStringLiteral("QuarrixForm"));
    form.setWindowTitle(FormTexts::ProductName);
    form.setWindowIcon(programIcon());
    form.resize(pixels(DesignWidth), pixels(DesignHeight));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        form.move(screen->availableGeometry().center() - form.rect().center());
    ModeTabs =
        makeControl<QTabWidget>(&form, "ModeTabs", {120, 120, 7455, 3375}, QStringLiteral("W"));
    ModeTabs->addTab(new QWidget, form.style()->standardIcon(QStyle::SP_FileIcon),
                     QStringLiteral("Selected File Scan"));
    ModeTabs->addTab(new QWidget, form.style()->standardIcon(QStyle::SP_DirIcon),
                     QStringLiteral("Directory Tree Scan"));
    ModeTabs->setTabToolTip(0, QStringLiteral("Scan Selected Files For Text"));
    ModeTabs->setTabToolTip(1, QStringLiteral("Scan Files In A Directory Tree For Text"));
    // Beside the tabs, since it holds for both modes.
    SearchArchives = new QCheckBox(QStringLiteral("Look inside archives and attachments"));
    SearchArchives->setObjectName(QStringLiteral("SearchArchives"));
    ModeTabs->setCornerWidget(SearchArchives, Qt::TopRightCorner);
    // At the window's first size both tabs stay in sight, their captions
    // shortened, rather than one scrolled away.
    ModeTabs->setUsesScrollButtons(false);
    ModeTabs->setElideMode(Qt::ElideRight);
    Path = new PathBox(&form);
    Path->setObjectName(QStringLiteral("PathBox"));
    Path->setToolTip(FormTexts::PathTip);
    Path->acceptDropsOn(form);
    createModeFrames(form);
    createSearchFrame(form);
    createResultsFrame(form, results);
    createButtonStrip(form);
    StatBar = makeControl<StatusBar>(&form, "StatBar", {0, 7110, 7695, 255}, QString());
    RTB = makeControl<QWidget>(&form, "RTB", {5160, 360, 2175, 5895}, QString());
    RTB->hide();
    createPopupMenu(form);
    fitTextToFont();
    setTabOrder();
    AccessibleNames::nameControls(*this);
}

void FormControls::createPopupMenu(QWidget &form) {
    mnuFileSub = new QMenu(QStringLiteral("FileSub"), &form);
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
    addItem("mnuSpace3", QString());
    mnuOpenFolder = addItem("mnuOpenFolder", QStringLiteral("Open &Containing Folder"));
    mnuCopyPath = addItem("mnuCopyPath", QStringLiteral("Copy &Path"));
}

void FormControls::createModeFrames(QWidget &form) {
    const QString none;
    FileFrame =
        makeControl<QGroupBox>(&form, "FileFrame", {240, 720, 7215, 2655}, QStringLiteral("W"));
    FTV1 = makeControl<FolderTreeView>(FileFrame, "FTV1", {120, 240, 3015, 2355},
                                       QStringLiteral("W2"));
    Label1 = makeControl<QLabel>(FileFrame, "Label1", {3240, 240, 3855, 255}, QStringLiteral("L"),
                                 QStringLiteral("Select File(s) To Scan..."));
    File1 = makeControl<FileListBox>(FileFrame, "File1", {3240, 480, 3855, 2040},
                                     QStringLiteral("WL2"));
    File1->setToolTip(QStringLiteral("Select File(s) To Scan, Right-Click For File Menu"));

    DSFrame = makeControl<QGroupBox>(&form, "DSFrame", {240, 720, 7215, 2655}, QStringLiteral("W"));
    FTV2 =
        makeControl<FolderTreeView>(DSFrame, "FTV2", {120, 240, 3495, 2340}, QStringLiteral("W"));
    Frame3 = makeControl<QGroupBox>(DSFrame, "Frame3", {3720, 720, 3375, 1215}, QStringLiteral("L"),
                                    QStringLiteral("Specify Files To Include..."));
    AllFiles = makeControl<QRadioButton>(Frame3, "AllFiles", {120, 255, 3135, 255}, none,
                                         QStringLiteral("All Files (No Executables)"));
    AllFiles->setChecked(true);
    SpecifiedFiles = makeControl<QRadioButton>(Frame3, "SpecifiedFiles", {120, 540, 1935, 255},
                                               none, QStringLiteral("Specific Type =>"));
    SpecifiedType = makeControl<QLineEdit>(Frame3, "SpecifiedType", {2040, 525, 1215, 285}, none,
                                           QStringLiteral("txt"));
    BinaryAsText = makeControl<QCheckBox>(Frame3, "BinaryAsText", {120, 825, 3135, 255}, none,
                                          QStringLiteral("Search Binary Files As Text"));
    BinaryAsText->setToolTip(
        QStringLiteral("Search Programs, Libraries And Archives Line By Line"));
    FoundFilesList =
        makeControl<QListView>(DSFrame, "FoundFilesList", {3720, 360, 3375, 2205}, none);
    foundFiles = new QStringListModel(&form);
    FoundFilesList->setModel(foundFiles);
    FoundFilesList->hide();
    DSFrame->hide();
}

void FormControls::createSearchFrame(QWidget &form) {
    Frame1 = makeControl<QGroupBox>(&form, "Frame1", {120, 3600, 7455, 735}, QStringLiteral("W"),
                                    QStringLiteral("Text To Scan For..."));
    TextList =
        makeControl<SearchBox>(Frame1, "TextList", {120, 240, 5895, 315}, QStringLiteral("W"));
    TextList->setToolTip(QStringLiteral("Search Text (Use '|' For 'OR' and '&' For 'AND')"));
    ScanButton = makeControl<QPushButton>(Frame1, "ScanButton", {6120, 240, 1215, 375},
                                          QStringLiteral("L"), FormTexts::ScanCaption);
    ScanButton->setToolTip(FormTexts::ScanTip);
    ScanButton->setDefault(true);
    Options = new SearchOptionsPanel(form, *Frame1);
}

void FormControls::createResultsFrame(QWidget &form, ResultsModel &results) {
    ScanFrame = makeControl<QGroupBox>(&form, "ScanFrame", {120, 4440, 7455, 1935},
                                       QStringLiteral("R"), QStringLiteral("Scan Results"));
    // A table dressed as a report list: it lays out only the rows in sight, so
    // a million rows keep the window live.
    MatchLV =
        makeControl<ResultsView>(ScanFrame, "MatchLV", {120, 240, 7215, 1575}, QStringLiteral("R"));
    MatchLV->setToolTip(QStringLiteral(
        "Results Of Your Last Scan, Double-Click A Line To Display The Entire Line"));
    MatchLV->setResults(&results);
    // Placed under the list, in pixels, by ResultsRoom after each layout.
    Preview = new PreviewPane(ScanFrame);
    Preview->setObjectName(QStringLiteral("PreviewPane"));
    ShowPreview = new QCheckBox(FormTexts::PreviewCaption, ScanFrame);
    ShowPreview->setObjectName(QStringLiteral("ShowPreview"));
    ShowPreview->setToolTip(FormTexts::PreviewTip);
}

void FormControls::createButtonStrip(QWidget &form) {
    const QString none;
    Picture1 = makeControl<QWidget>(&form, "Picture1", {0, 6465, 7695, 645}, QStringLiteral("B"));
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

void FormControls::fitTextToFont() {
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
    for (QWidget *caption : std::initializer_list<QWidget *>{Label1, AllFiles, BinaryAsText})
        widen(caption);
    if (const double grow = widen(SpecifiedFiles); grow > 0)
        shiftRight(SpecifiedType, grow);
    widen(Label2);
    fitCountLabel();
}

void FormControls::fitCountLabel() {
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

void FormControls::setTabOrder() {
    // Top to bottom, left to right, as the controls stand.
    const QList<QWidget *> order{ModeTabs,   FTV1,           File1,         FTV2,
                                 AllFiles,   SpecifiedFiles, SpecifiedType, BinaryAsText,
                                 TextList,   ScanButton,     MatchLV,       ShowPreview,
                                 SaveButton, HelpButton,     AboutButton,   ExitButton};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    // The options toggle comes last, so the chain of the other controls stays
    // as it was; Alt+O reaches it at once.
    QWidget::setTabOrder(ExitButton, Options->toggle);
}

void FormControls::layOut(QWidget &form) {
    const bool firstPass = TagLayout::LayoutWidth == 0;
    const QSize smallest = form.minimumSize();
    if (!firstPass && (form.width() < smallest.width() || form.height() < smallest.height()))
        form.resize(form.size().expandedTo(smallest));
    TagLayout::ResizeByTags(&form);
    // The window manager keeps the first size as the least, but never more
    // than the screen holds: below the design size the controls shrink by
    // the same rule, and the buttons and status bar stay within reach.
    if (firstPass)
        form.setMinimumSize(form.size().boundedTo(largestOnScreen(form)));
    alignBottomStrips(form);
    Options->place();
    ResultsRoom::keepRowsInSight(*this);
    ResultsRoom::placePreview(*this);
    Path->placeBeside(*ModeTabs);
}

void FormControls::ResetResultsList(bool clearRows) {
    if (clearRows)
        results->ResetResultsList(true);
    MatchLV->applyColumnRule(TagLayout::twipsGeometry(MatchLV).width());
}

void FormControls::alignBottomStrips(const QWidget &form) {
    // The status bar and the button strip follow the bottom edge and the width
    // by their alignment, not by a layout code.
    const double width = form.width() * TagLayout::TwipsPerPixel;
    const double height = form.height() * TagLayout::TwipsPerPixel;
    const double statHeight = TagLayout::twipsGeometry(StatBar).height();
    const double stripHeight = TagLayout::twipsGeometry(Picture1).height();
    TagLayout::setTwipsGeometry(StatBar, {0, height - statHeight, width, statHeight});
    TagLayout::setTwipsGeometry(Picture1,
                                {0, height - statHeight - stripHeight, width, stripHeight});
}

ScanQuery FormControls::query() const {
    ScanQuery query;
    query.mode = selectedFileMode() ? ScanMode::SelectedFiles : ScanMode::DirectoryTree;
    query.folder = query.mode == ScanMode::SelectedFiles ? File1->path() : FTV2->selectedFolder();
    for (int i = 0; i < File1->count(); ++i)
        if (File1->item(i)->isSelected())
            query.selectedFiles << File1->item(i)->text();
    query.specifiedType = SpecifiedFiles->isChecked();
    query.type = SpecifiedType->text();
    query.searchText = TextList->currentText();
    query.binaryAsText = BinaryAsText->isChecked();
    query.searchArchives = SearchArchives->isChecked();
    query.options = Options->options();
    return query;
}

bool FormControls::selectedFileMode() const {
    return ModeTabs->currentIndex() == 0;
}

QString FormControls::shownFolder() const {
    return (selectedFileMode() ? FTV1 : FTV2)->selectedFolder();
}

QString FormControls::fileListEntryPath() const {
    const QListWidgetItem *current = File1->currentItem();
    if (!current)
        return {};
    return FunctionModule::AddTrailingBackslash(File1->path()) + current->text();
}

int FormControls::shownMatchRow() const {
    const QItemSelectionModel *selection = MatchLV->selectionModel();
    const QModelIndex current = MatchLV->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row()))
        return MatchLV->sourceRow(current.row());
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? -1 : MatchLV->sourceRow(rows.first().row());
}

int FormControls::lastSelectedMatchRow() const {
    int last = -1;
    for (const QModelIndex &index : MatchLV->selectionModel()->selectedRows())
        last = std::max(last, index.row());
    return MatchLV->sourceRow(last);
}

QSize largestOnScreen(const QWidget &window) {
    const QScreen *shown = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!shown)
        return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    // The window manager's frame: known once shown, else a title bar's worth.
    QSize frame = window.frameGeometry().size() - window.size();
    if (frame.isEmpty())
        frame = QSize(8, window.style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8);
    return shown->availableGeometry().size() - frame;
}

void fitToScreen(QWidget &window) {
    const QSize largest = largestOnScreen(window);
    if (window.width() <= largest.width() && window.height() <= largest.height())
        return;
    window.resize(window.size().boundedTo(largest));
    if (const QScreen *shown = window.screen())
        window.move(shown->availableGeometry().topLeft());
}
