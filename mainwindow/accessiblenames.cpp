#include "mainwindow/accessiblenames.h"

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/formcontrols.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/searchbox.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace AccessibleNames {

namespace {

const QString FoldersName = QStringLiteral("Folders");

void name(QWidget *control, const QString &text) {
    control->setAccessibleName(text);
    if (!control->toolTip().isEmpty() && control->toolTip() != text)
        control->setAccessibleDescription(control->toolTip());
}

} // namespace

void nameControls(const FormControls &c) {
    for (QPushButton *button : {c.SaveButton, c.HelpButton, c.AboutButton, c.ExitButton})
        name(button, button->toolTip());
    name(c.FTV1, FoldersName);
    name(c.FTV2, FoldersName);
    name(c.File1, c.Label1->text());
    c.Label1->setBuddy(c.File1);
    name(c.TextList, c.Frame1->title());
    name(c.MatchLV, c.ScanFrame->title());
    name(c.SpecifiedType, c.SpecifiedFiles->text());
    name(c.ModeTabs, c.ModeTabs->tabText(0) + QStringLiteral(", ") + c.ModeTabs->tabText(1));
}

} // namespace AccessibleNames
