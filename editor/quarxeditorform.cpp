#include "editor/quarxeditorform.h"

#include "controls/richtext/richtextbox.h"
#include "dialogs/messagebox.h"
#include "dialogs/uiutilities.h"
#include "editor/modprinter.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QStyle>
#include <QToolBar>

namespace {

// The window's measures, in twips at 15 twips to the pixel.
constexpr int TwipsPerPixel = 15;
constexpr int ToolbarHeight = 600 / TwipsPerPixel;
constexpr int WidthAllowance = 150 / TwipsPerPixel;
constexpr int HeightAllowance = 500 / TwipsPerPixel;
constexpr QSize DesignSize(5790 / TwipsPerPixel, 6630 / TwipsPerPixel);
constexpr quint32 Red = 255;

struct ToolButton {
    const char *key;
    const char *tip;
    QStyle::StandardPixmap image;
};

const ToolButton ToolButtons[] = {
    {"EBSave", "Save Changes", QStyle::SP_DialogSaveButton},
    {"EBPrint", "Print File", QStyle::SP_FileDialogDetailedView},
    {"EBUndo", "Undo", QStyle::SP_ArrowBack},
    {"EBRedo", "Redo", QStyle::SP_ArrowForward},
    {"EBCut", "Cut", QStyle::SP_DialogDiscardButton},
    {"EBCopy", "Copy", QStyle::SP_FileDialogNewFolder},
    {"EBPaste", "Paste", QStyle::SP_DialogApplyButton},
};

} // namespace

QUARXEditorForm &QUARXEditorForm::instance() {
    static QUARXEditorForm *editor = [] {
        auto *form = new QUARXEditorForm;
        // The window goes with the application, before Qt's own clean-up.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, form, &QObject::deleteLater);
        return form;
    }();
    return *editor;
}

QUARXEditorForm::QUARXEditorForm(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("QUARXEditorForm"));
    createToolbar();
    rtfText = new RichTextBox(this);
    rtfText->setObjectName(QStringLiteral("rtfText"));
    rtfText->move(0, ToolbarHeight);
    // The toolbar's Undo and Redo keep the history; the box keeps none of its own.
    rtfText->setUndoRedoEnabled(false);
    connect(rtfText, &RichTextBox::Change, this, &QUARXEditorForm::rtfText_Change);
    resize(DesignSize);
}

void QUARXEditorForm::createToolbar() {
    EditTB = new QToolBar(this);
    EditTB->setObjectName(QStringLiteral("EditTB"));
    EditTB->setFixedHeight(ToolbarHeight);
    for (const ToolButton &button : ToolButtons) {
        const QString key = QString::fromLatin1(button.key);
        QAction *action =
            EditTB->addAction(style()->standardIcon(button.image), QString::fromLatin1(button.tip));
        action->setObjectName(key);
        action->setToolTip(QString::fromLatin1(button.tip));
        connect(action, &QAction::triggered, this, [this, key] { EditTB_ButtonClick(key); });
    }
}

void QUARXEditorForm::setSearchTextReader(std::function<QString()> reader) {
    searchText_ = std::move(reader);
}

bool QUARXEditorForm::openFile(const QString &path, QString &error) {
    SuppressChange = true;
    const bool loaded = EditedFile::detectKind(path, kind_, error) && rtfText->setFileName(path);
    SuppressChange = false;
    if (!loaded) {
        if (error.isEmpty())
            error = rtfText->errorString();
        rtfText->setFileName({});
        return false;
    }
    rtfText->setSelStart(0);
    history_.reset(rtfText->TextRTF());
    setWindowTitle(EditorTexts::CaptionPrefix + path);
    FirstActivate = true;
    return true;
}

bool QUARXEditorForm::event(QEvent *event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return handled;
}

void QUARXEditorForm::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    const QSize outer = frameGeometry().size();
    EditTB->setFixedWidth(width());
    rtfText->resize(qMax(0, outer.width() - WidthAllowance),
                    qMax(0, outer.height() - ToolbarHeight - HeightAllowance));
}

void QUARXEditorForm::Form_Activate() {
    if (!FirstActivate || !searchText_)
        return;
    const QString text = searchText_();
    if (text.trimmed().isEmpty())
        return;
    SuppressChange = true;
    HighlightMatches(rtfText, text, Red);
    SuppressChange = false;
    // The colouring is part of what was opened, not a change to undo.
    history_.replaceCurrent(rtfText->TextRTF());
    FirstActivate = false;
}

void QUARXEditorForm::HighlightMatches(RichTextBox *box, const QString &text, quint32 colorRef) {
    if (text.isEmpty())
        return;
    const int selStart = box->SelStart();
    const int selLength = box->SelLength();
    int from = 0;
    for (;;) {
        const int found = box->Find(text, from, RichTextBox::NoHighlight);
        if (found < 0)
            break;
        box->setSelStart(found);
        box->setSelLength(int(text.size()));
        box->setSelColor(colorRef);
        from = found + int(text.size());
    }
    box->setSelStart(selStart);
    box->setSelLength(selLength);
}

void QUARXEditorForm::EditTB_ButtonClick(const QString &key) {
    static const QHash<QString, void (QUARXEditorForm::*)()> commands = {
        {QStringLiteral("EBSave"), &QUARXEditorForm::SaveText},
        {QStringLiteral("EBPrint"), &QUARXEditorForm::PrintText},
        {QStringLiteral("EBUndo"), &QUARXEditorForm::UndoChange},
        {QStringLiteral("EBRedo"), &QUARXEditorForm::RedoChange},
        {QStringLiteral("EBCut"), &QUARXEditorForm::CutText},
        {QStringLiteral("EBCopy"), &QUARXEditorForm::CopyText},
        {QStringLiteral("EBPaste"), &QUARXEditorForm::PasteText},
    };
    if (const auto command = commands.value(key))
        (this->*command)();
}

void QUARXEditorForm::SaveText() {
    const QString path = rtfText->FileName();
    if (FunctionModule::AskYesNo(EditorTexts::SavePrompt + path, this) !=
        MessageBoxStyle::AnswerYes)
        return;
    QString error;
    if (!EditedFile::save(*rtfText, path, kind_, error))
        FunctionModule::showMessageBox(
            this, EditorTexts::SaveFailed + path + QStringLiteral("\r\n\r\n") + error,
            MessageBoxStyle::Exclamation);
}

void QUARXEditorForm::PrintText() {
    modPrinter::PrintRTFControl(rtfText, 80, QStringLiteral("File: ") + rtfText->FileName(),
                                modPrinter::footerText(), modPrinter::headerFont());
}

void QUARXEditorForm::rtfText_Change() {
    if (!SuppressChange)
        history_.record(rtfText->TextRTF());
}

void QUARXEditorForm::restoreState(const QString &state) {
    SuppressChange = true;
    rtfText->setTextRTF(state);
    SuppressChange = false;
}

void QUARXEditorForm::UndoChange() {
    if (history_.canUndo())
        restoreState(history_.undo());
}

void QUARXEditorForm::RedoChange() {
    if (history_.canRedo())
        restoreState(history_.redo());
}

void QUARXEditorForm::CutText() {
    QApplication::clipboard()->setText(rtfText->SelText());
    rtfText->setSelText(QString());
    rtfText->SetFocus();
}

void QUARXEditorForm::CopyText() {
    QApplication::clipboard()->setText(rtfText->SelText());
    rtfText->SetFocus();
}

void QUARXEditorForm::PasteText() {
    rtfText->setSelText(QApplication::clipboard()->text());
    rtfText->SetFocus();
}
