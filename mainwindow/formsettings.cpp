// Loading and saving the window's settings, each step going on after a
// failing one.

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/quarrixform.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/searchbox.h"
#include "mainwindow/settingsstore.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>

using namespace SettingsStore;

void QuarrixForm::loadSettings() {
    const ScanQuery query = ReadScanQuery();
    FTV1->setSelectedFolder(query.folder);
    File1->setPath(FTV1->selectedFolder());
    FTV2->setSelectedFolder(query.folder);
    AllFiles->setChecked(!query.specifiedType);
    SpecifiedFiles->setChecked(query.specifiedType);
    SpecifiedType->setText(query.type);
    SpecifiedType->setEnabled(SpecifiedFiles->isChecked());
    {
        const QSignalBlocker quiet(ModeTabs);
        ModeTabs->setCurrentIndex(query.mode == ScanMode::SelectedFiles ? 0 : 1);
    }
    ModeTabs_Click();
    for (int n = 1; n <= PastSearchCount; ++n) {
        const QString past = ReadSettingValue(pastSearchKey(n), QString());
        if (!past.isEmpty())
            TextList->addItem(past);
    }
    TextList->setEditText(query.searchText);
    MatchLV->setUserWidths(ReadColumnWidths());
    restoreGeometry(
        QByteArray::fromBase64(ReadSettingValue(WindowGeometryKey, QString()).toLatin1()));
}

void QuarrixForm::saveSettings() {
    ScanQuery query = currentQuery();
    query.folder = FTV2->selectedFolder(); // the trees follow one folder
    SaveScanQuery(query);
    for (int n = 1; n <= PastSearchCount; ++n)
        SaveSettingValue(pastSearchKey(n),
                         n <= TextList->count() ? TextList->itemText(n - 1) : QString());
    SaveSettingValue(WindowGeometryKey, QString::fromLatin1(saveGeometry().toBase64()));
    SaveColumnWidths(MatchLV->userWidths());
}
