// Loading and saving the window's settings, each step going on after a
// failing one.

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/quarrixform.h"
#include "mainwindow/searchbox.h"
#include "mainwindow/settingsstore.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>

using namespace SettingsStore;

void QuarrixForm::loadSettings() {
    FTV1->setSelectedFolder(ReadFolderSetting(QStringLiteral("LastPath")));
    File1->setPath(FTV1->selectedFolder());
    FTV2->setSelectedFolder(ReadFolderSetting(QStringLiteral("LastDSPath")));
    if (const auto all =
            booleanForm(ReadSettingValue(QStringLiteral("AllFiles"), QStringLiteral("False"))))
        AllFiles->setChecked(*all);
    if (const auto specified =
            booleanForm(ReadSettingValue(QStringLiteral("SpecifiedFiles"), QStringLiteral("True"))))
        SpecifiedFiles->setChecked(*specified);
    SpecifiedType->setText(
        ReadSettingValue(QStringLiteral("SpecifiedType"), QStringLiteral("TXT")));
    SpecifiedType->setEnabled(SpecifiedFiles->isChecked());
    const QString tab = ReadSettingValue(QStringLiteral("LastTab"), QStringLiteral("1"));
    qsizetype digits = 0;
    while (digits < tab.size() && digits < 9 && tab.at(digits).isDigit())
        ++digits;
    const int leading = tab.first(digits).toInt(); // 0 when there is no leading number
    if (leading == 1 || leading == 2) {
        const QSignalBlocker quiet(ModeTabs);
        ModeTabs->setCurrentIndex(leading - 1);
    }
    ModeTabs_Click();
    for (int n = 1; n <= PastSearchCount; ++n) {
        const QString past = ReadSettingValue(pastSearchKey(n), QString());
        if (!past.isEmpty())
            TextList->addItem(past);
    }
    TextList->setEditText(ReadSettingValue(QStringLiteral("LastScanText"), QString()));
}

void QuarrixForm::saveSettings() {
    SaveSettingValue(QStringLiteral("LastPath"), FTV1->selectedFolder());
    SaveSettingValue(QStringLiteral("LastDSPath"), FTV2->selectedFolder());
    SaveSettingValue(QStringLiteral("AllFiles"), booleanText(AllFiles->isChecked()));
    SaveSettingValue(QStringLiteral("SpecifiedFiles"), booleanText(SpecifiedFiles->isChecked()));
    SaveSettingValue(QStringLiteral("SpecifiedType"), SpecifiedType->text());
    SaveSettingValue(QStringLiteral("LastScanText"), TextList->currentText());
    SaveSettingValue(QStringLiteral("LastTab"),
                     ModeTabs->currentIndex() == 0 ? QStringLiteral("1") : QStringLiteral("2"));
    for (int n = 1; n <= PastSearchCount; ++n)
        SaveSettingValue(pastSearchKey(n),
                         n <= TextList->count() ? TextList->itemText(n - 1) : QString());
}
