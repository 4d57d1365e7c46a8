#include "mainwindow/formkeys.h"

#include "mainwindow/formcontrols.h"
#include "mainwindow/searchbox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

FormKeys::FormKeys(QWidget &form, const FormControls &controls) : QObject(&form), c_(controls) {
    c_.SaveButton->setShortcut(QKeySequence::Save);
    c_.HelpButton->setShortcut(QKeySequence(Qt::Key_F1));
    c_.ExitButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    auto *cancel = new QShortcut(QKeySequence(Qt::Key_Escape), &form);
    connect(cancel, &QShortcut::activated, this, [this] {
        if (c_.ScanButton->text() == FormTexts::CancelCaption)
            c_.ScanButton->click();
    });
    connect(c_.TextList, &SearchBox::entered, this, &FormKeys::pressDefaultButton);
    for (QLineEdit *box : form.findChildren<QLineEdit *>())
        box->installEventFilter(this);
}

void FormKeys::pressDefaultButton() {
    if (c_.ScanButton->isEnabled())
        c_.ScanButton->click();
}

bool FormKeys::eventFilter(QObject *watched, QEvent *event) {
    // Alt with a letter is a command's key; one that has no command now
    // (Alt+S during a run) is dropped, not typed. AltGr comes as Ctrl+Alt on
    // some systems and types its character.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = key->modifiers();
        if ((mods & Qt::AltModifier) && !(mods & Qt::ControlModifier) && !key->text().isEmpty() &&
            key->text().at(0).isPrint())
            return true;
    }
    return QObject::eventFilter(watched, event);
}
