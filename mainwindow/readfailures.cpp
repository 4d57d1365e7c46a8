#include "mainwindow/readfailures.h"

#include "mainwindow/formtexts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ReadFailureTexts {

QString summary(qsizetype count) {
    return count == 1 ? QStringLiteral("1 File Or Folder Could Not Be Read")
                      : QStringLiteral("%1 Files Or Folders Could Not Be Read").arg(count);
}

} // namespace ReadFailureTexts

ReadFailures::ReadFailures(QWidget &window)
    : QObject(&window), window_(window), button_(new QPushButton(&window)) {
    button_->setObjectName(QStringLiteral("NotReadButton"));
    button_->setFlat(true);
    button_->setAutoDefault(false);
    button_->hide();
    connect(button_, &QPushButton::clicked, this, &ReadFailures::showList);
}

void ReadFailures::clear() {
    texts_.clear();
    button_->hide();
}

void ReadFailures::runEnded() {
    if (texts_.isEmpty()) {
        button_->hide();
        return;
    }
    const QString summary = ReadFailureTexts::summary(count());
    button_->setText(summary + QStringLiteral("..."));
    button_->setAccessibleName(summary);
    button_->setToolTip(QStringLiteral("List The Files And Folders That Could Not Be Read"));
    button_->show();
}

QStringList ReadFailures::reportLines() const {
    if (texts_.isEmpty())
        return {};
    return {QStringLiteral("** ") + ReadFailureTexts::summary(count()) + QStringLiteral(" **")};
}

void ReadFailures::showList() {
    QDialog list(&window_);
    list.setObjectName(QStringLiteral("NotReadList"));
    list.setWindowTitle(FormTexts::ProductName + ReadFailureTexts::ListTitle);
    auto *text = new QPlainTextEdit(texts_.join(u'\n'), &list);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setAccessibleName(ReadFailureTexts::summary(count()));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, &list);
    connect(buttons, &QDialogButtonBox::rejected, &list, &QDialog::reject);
    auto *layout = new QVBoxLayout(&list);
    layout->addWidget(text);
    layout->addWidget(buttons);
    list.resize(list.fontMetrics().averageCharWidth() * 90, list.fontMetrics().height() * 20);
    list.exec();
}
