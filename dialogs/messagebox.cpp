#include "dialogs/messagebox.h"

#include <QMessageBox>

namespace FunctionModule {
namespace {

using namespace MessageBoxStyle;

QMessageBox::Icon iconOf(int style) {
    switch (style & 0x70) {
    case Critical:
        return QMessageBox::Critical;
    case Question:
        return QMessageBox::Question;
    case Exclamation:
        return QMessageBox::Warning;
    case Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QList<QMessageBox::StandardButton> buttonsOf(int style) {
    switch (style & 0x7) {
    case OkCancel:
        return {QMessageBox::Ok, QMessageBox::Cancel};
    case YesNoCancel:
        return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case YesNo:
        return {QMessageBox::Yes, QMessageBox::No};
    default:
        return {QMessageBox::Ok};
    }
}

int answerOf(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return AnswerOk;
    case QMessageBox::Yes:
        return AnswerYes;
    case QMessageBox::No:
        return AnswerNo;
    default:
        return AnswerCancel;
    }
}

} // namespace

int showMessageBox(QWidget *owner, const QString &text, int style, const QString &title) {
    QMessageBox box(iconOf(style), title, text, QMessageBox::NoButton, owner);
    const QList<QMessageBox::StandardButton> buttons = buttonsOf(style);
    for (QMessageBox::StandardButton button : buttons)
        box.addButton(button);
    const qsizetype defaultIndex = (style & DefaultButton2) ? 1 : 0;
    box.setDefaultButton(buttons.value(defaultIndex, buttons.first()));
    const bool hasCancel = buttons.contains(QMessageBox::Cancel);
    box.setEscapeButton(hasCancel            ? QMessageBox::Cancel
                        : buttons.size() > 1 ? QMessageBox::No
                                             : QMessageBox::Ok);
    box.exec();
    QAbstractButton *clicked = box.clickedButton();
    if (!clicked)
        return hasCancel ? AnswerCancel : buttons.size() > 1 ? AnswerNo : AnswerOk;
    return answerOf(box.standardButton(clicked));
}

} // namespace FunctionModule
