// Loading and saving the window's settings, each step going on after a
// failing one.

#include "mainwindow/formsettings.h"

#include "mainwindow/searchoptionspanel.h"

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/formcontrols.h"
#include "mainwindow/pathbox.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/searchbox.h"
#include "mainwindow/settingsstore.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>

using namespace SettingsStore;

namespace FormSettings {

void load(FormControls &c, QWidget &window) {
    const ScanQuery query = ReadScanQuery();
    // Each tree from its own key, the tree scan's last: the trees follow
    // each other, so its folder is the one both show.
    c.FTV1->setSelectedFolder(ReadFolderSetting(QStringLiteral("LastPath")));
    c.File1->setPath(c.FTV1->selectedFolder());
    c.FTV2->setSelectedFolder(query.folder);
    c.AllFiles->setChecked(!query.specifiedType);
    c.SpecifiedFiles->setChecked(query.specifiedType);
    c.SpecifiedType->setText(query.type);
    c.SearchArchives->setChecked(query.searchArchives);
    c.SpecifiedType->setEnabled(c.SpecifiedFiles->isChecked());
    c.BinaryAsText->setChecked(query.binaryAsText);
    {
        // The window shows the mode itself once the settings are in.
        const QSignalBlocker quiet(c.ModeTabs);
        c.ModeTabs->setCurrentIndex(query.mode == ScanMode::SelectedFiles ? 0 : 1);
    }
    for (int n = 1; n <= PastSearchCount; ++n) {
        const QString past = ReadSettingValue(pastSearchKey(n), QString());
        if (!past.isEmpty())
            c.TextList->addItem(past);
    }
    c.TextList->setEditText(query.searchText);
    c.Options->setOptions(query.options);
    c.MatchLV->setUserWidths(ReadColumnWidths());
    QStringList recent;
    for (int n = 1; n <= PathBox::RecentCount; ++n)
        recent << ReadSettingValue(recentFolderKey(n), QString());
    c.Path->setRecentFolders(recent);
    c.ShowPreview->setChecked(
        booleanForm(ReadSettingValue(ShowPreviewKey, QString())).value_or(true));
    window.restoreGeometry(
        QByteArray::fromBase64(ReadSettingValue(WindowGeometryKey, QString()).toLatin1()));
}

void save(const FormControls &c, const QWidget &window) {
    ScanQuery query = c.query();
    query.folder = c.FTV2->selectedFolder(); // the trees follow one folder
    SaveScanQuery(query);
    for (int n = 1; n <= PastSearchCount; ++n)
        SaveSettingValue(pastSearchKey(n),
                         n <= c.TextList->count() ? c.TextList->itemText(n - 1) : QString());
    SaveSettingValue(WindowGeometryKey, QString::fromLatin1(window.saveGeometry().toBase64()));
    SaveColumnWidths(c.MatchLV->userWidths());
    const QStringList recent = c.Path->recentFolders();
    for (int n = 1; n <= PathBox::RecentCount; ++n)
        SaveSettingValue(recentFolderKey(n), recent.value(n - 1));
    SaveSettingValue(ShowPreviewKey, booleanText(c.ShowPreview->isChecked()));
}

} // namespace FormSettings
