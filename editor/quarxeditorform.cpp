#include "editor/quarxeditorform.h"

#include "controls/richtext/richtextbox.h"
#include "dialogs/messagebox.h"
#include "dialogs/uiutilities.h"
#include "editor/modprinter.h"
#include "platform/pathname.h"
#include "scan/documentpieces.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QToolBar>

#include <algorithm>
#include <climits>

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
    const char *themeIcon;
    QKeySequence::StandardKey keys;
    const char *extraKey;
};

const ToolButton ToolButtons[] = {
    {"EBSave", "Save Changes", "document-save", QKeySequence::Save, "Ctrl+S"},
    {"EBPrint", "Print File", "document-print", QKeySequence::Print, "Ctrl+P"},
    {"EBUndo", "Undo", "edit-undo", QKeySequence::Undo, "Ctrl+Z"},
    {"EBRedo", "Redo", "edit-redo", QKeySequence::Redo, "Ctrl+Y"},
    {"EBCut", "Cut", "edit-cut", QKeySequence::Cut, "Ctrl+X"},
    {"EBCopy", "Copy", "edit-copy", QKeySequence::Copy, "Ctrl+C"},
    {"EBPaste", "Paste", "edit-paste", QKeySequence::Paste, "Ctrl+V"},
};

/// The program's own picture for a theme icon name, for desktops whose theme
/// has none.
QIcon ownPicture(const char *themeIcon) {
    QIcon icon;
    for (const int size : {16, 24, 32, 48})
        icon.addFile(QStringLiteral(":/toolbar/%1/%2.png").arg(size).arg(QLatin1String(themeIcon)),
                     QSize(size, size));
    return icon;
}

QColor colorOf(quint32 colorRef) {
    return QColor(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

MarkOverlay::Finder finderFor(const QString &text, const SearchOptions &options) {
    if (isBlank(text))
        return {};
    return [expression = SearchExpression(text, options)](QStringView paragraph) {
        QList<MarkOverlay::Range> ranges;
        for (const SearchExpression::TermHit &hit : expression.termHits(paragraph))
            ranges.append({hit.start, hit.length});
        return ranges;
    };
}

/// How many of the piece's words the paragraph holds, to tell where a piece
/// of a mail's text stands in its encoded source.
int sharedWords(const QString &paragraph, const QString &piece) {
    int shared = 0;
    for (const QStringView word : QStringView(piece).split(u' ', Qt::SkipEmptyParts))
        shared += word.size() > 2 && paragraph.contains(word, Qt::CaseInsensitive);
    return shared;
}

/// The paragraph a results row names: its line, or the document piece with its text.
QTextBlock blockOf(const QTextDocument &document, const EditorPlace &place,
                   const SearchExpression &search) {
    if (place.line.kind == LineCell::Kind::Line)
        return document.findBlockByNumber(
            static_cast<int>(std::clamp<qint64>(place.line.number - 1, -1, INT_MAX)));
    // Pieces count a document's headers and notes too, and a mail shows its
    // source with the text encoded, so the text decides: the same text nearest
    // the piece's number, else the paragraph with a match that shares most
    // words with the piece.
    const int piece = static_cast<int>(std::clamp<qint64>(place.line.number, -1, INT_MAX));
    QTextBlock same;
    QTextBlock closest;
    int closestShared = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        if (StripControlChars(text) == place.text) {
            if (!same.isValid() ||
                std::abs(block.blockNumber() - piece) < std::abs(same.blockNumber() - piece))
                same = block;
        } else if (!same.isValid() && !search.termHits(text).isEmpty()) {
            const int shared = sharedWords(text, place.text);
            if (shared > closestShared)
                std::tie(closest, closestShared) = std::pair(block, shared);
        }
    }
    if (same.isValid())
        return same;
    return closest.isValid() ? closest : document.findBlockByNumber(piece);
}

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
    rtfText = new RichTextBox(this);
    rtfText->setObjectName(QStringLiteral("rtfText"));
    rtfText->move(0, ToolbarHeight);
    rtfText->installEventFilter(this);
    createToolbar();
    createFindBar();
    history_.reset(rtfText->document());
    resize(DesignSize);
}

void QUARXEditorForm::createToolbar() {
    EditTB = new QToolBar(this);
    EditTB->setObjectName(QStringLiteral("EditTB"));
    EditTB->setFixedHeight(ToolbarHeight);
    for (const ToolButton &button : ToolButtons) {
        const QString key = QString::fromLatin1(button.key);
        const QIcon icon =
            QIcon::fromTheme(QString::fromLatin1(button.themeIcon), ownPicture(button.themeIcon));
        QAction *action = EditTB->addAction(icon, QString::fromLatin1(button.tip));
        action->setObjectName(key);
        action->setToolTip(QString::fromLatin1(button.tip));
        QList<QKeySequence> keys = QKeySequence::keyBindings(button.keys);
        const QKeySequence extra(QString::fromLatin1(button.extraKey));
        if (!keys.contains(extra))
            keys.prepend(extra);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        shortcuts_ += keys;
        connect(action, &QAction::triggered, this, [this, key] { EditTB_ButtonClick(key); });
    }
}

void QUARXEditorForm::createFindBar() {
    findBar = new FindBar(this);
    connect(findBar, &FindBar::nextWanted, this, &QUARXEditorForm::FindNext);
    connect(findBar, &FindBar::previousWanted, this, &QUARXEditorForm::FindPrevious);
    connect(findBar, &FindBar::closed, this, [this] {
        layoutControls();
        rtfText->SetFocus();
    });
    const std::pair<QKeySequence::StandardKey, void (QUARXEditorForm::*)()> commands[] = {
        {QKeySequence::Find, &QUARXEditorForm::Find},
        {QKeySequence::FindNext, &QUARXEditorForm::FindNext},
        {QKeySequence::FindPrevious, &QUARXEditorForm::FindPrevious},
    };
    for (const auto &[keys, command] : commands) {
        auto *action = new QAction(this);
        action->setShortcuts(QKeySequence::keyBindings(keys));
        shortcuts_ += action->shortcuts();
        addAction(action);
        connect(action, &QAction::triggered, this, command);
    }
}

void QUARXEditorForm::setSearchTextReader(std::function<QString()> reader) {
    searchText_ = std::move(reader);
}

bool QUARXEditorForm::openFile(const QString &path, QString &error) {
    QByteArray bytes;
    if (!EditedFile::read(path, bytes, error))
        return false;
    openBytes(path, bytes);
    return true;
}

void QUARXEditorForm::openBytes(const QString &path, const QByteArray &bytes) {
    rtfText->marks().setFinder({}, QColor());
    kind_ = EditedFile::load(bytes, *rtfText);
    kind_.stamp = platform::fileStamp(path);
    original_ = bytes;
    rtfText->setShownFileName(path);
    rtfText->setSelStart(0);
    history_.reset(rtfText->document());
    setWindowTitle(EditorTexts::CaptionPrefix + platform::displayPath(path));
    // A new file starts without the last one's find bar and its note.
    findBar->hide();
    layoutControls();
    FirstActivate = true;
    if (kind_.rtfDropsParts)
        FunctionModule::showMessageBox(this, EditorTexts::DroppedPartsNotice,
                                       MessageBoxStyle::Information);
}

void QUARXEditorForm::goTo(const EditorPlace &place) {
    if (place.line.isNone())
        return;
    const SearchExpression expression(searchText_ ? searchText_() : QString(), searchOptions_);
    const QTextBlock block = blockOf(*rtfText->document(), place, expression);
    if (!block.isValid())
        return;
    QTextCursor cursor(block);
    const QList<SearchExpression::TermHit> hits = expression.termHits(block.text());
    if (!hits.isEmpty()) {
        cursor.setPosition(block.position() + int(hits.first().start));
        cursor.setPosition(block.position() + int(hits.first().start + hits.first().length),
                           QTextCursor::KeepAnchor);
    }
    rtfText->setTextCursor(cursor);
    rtfText->centerCursor();
}

bool QUARXEditorForm::event(QEvent *event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return handled;
}

bool QUARXEditorForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched != rtfText)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // The window's commands take these keys, not the box's own handling.
        const auto *key = static_cast<QKeyEvent *>(event);
        return shortcuts_.contains(QKeySequence(key->keyCombination()));
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const QString text = key->text();
    const bool typing = !text.isEmpty() && text.front().isPrint() &&
                        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (!typing) {
        lastTypedEnd_ = -1;
        return false;
    }
    // A word of typing, with the spaces after it, is one undo step.
    QTextCursor cursor = rtfText->textCursor();
    const bool startsWord = lastTypedSpace_ && !text.front().isSpace();
    const bool join = cursor.position() == lastTypedEnd_ && !cursor.hasSelection() && !startsWord;
    join ? cursor.joinPreviousEditBlock() : cursor.beginEditBlock();
    cursor.insertText(text);
    cursor.endEditBlock();
    rtfText->setTextCursor(cursor);
    rtfText->ensureCursorVisible();
    lastTypedEnd_ = cursor.position();
    lastTypedSpace_ = text.back().isSpace();
    return true;
}

void QUARXEditorForm::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    layoutControls();
}

void QUARXEditorForm::layoutControls() {
    const QSize outer = frameGeometry().size();
    EditTB->setFixedWidth(width());
    int boxHeight = outer.height() - ToolbarHeight - HeightAllowance;
    if (findBar->isVisible()) {
        const int barHeight = findBar->sizeHint().height();
        findBar->setGeometry(0, height() - barHeight, width(), barHeight);
        boxHeight = qMin(boxHeight, findBar->y() - ToolbarHeight);
    }
    rtfText->resize(qMax(0, outer.width() - WidthAllowance), qMax(0, boxHeight));
}

bool QUARXEditorForm::mayClose() {
    if (!rtfText->document()->isModified())
        return true;
    switch (FunctionModule::showMessageBox(
        this, EditorTexts::UnsavedQuestion + rtfText->FileName() + QLatin1Char('?'),
        MessageBoxStyle::YesNoCancel | MessageBoxStyle::Question)) {
    case MessageBoxStyle::AnswerYes:
        return writeFile();
    case MessageBoxStyle::AnswerNo:
        return true;
    default:
        return false;
    }
}

void QUARXEditorForm::closeEvent(QCloseEvent *event) {
    if (mayClose())
        event->accept();
    else
        event->ignore();
}

void QUARXEditorForm::reject() {
    if (mayClose())
        QDialog::reject();
}

void QUARXEditorForm::Form_Activate() {
    if (!FirstActivate || !searchText_)
        return;
    const QString text = searchText_();
    if (text.trimmed().isEmpty())
        return;
    HighlightMatches(rtfText, text, Red, searchOptions_);
    FirstActivate = false;
}

void QUARXEditorForm::HighlightMatches(RichTextBox *box, const QString &text, quint32 colorRef,
                                       const SearchOptions &options) {
    box->marks().setFinder(finderFor(text, options), colorOf(colorRef));
    box->viewport()->update();
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
    const QString question = (kind_.rtfDropsParts && rtfText->document()->isModified()
                                  ? EditorTexts::DroppedPartsQuestion
                                  : EditorTexts::SavePrompt) +
                             path;
    if (FunctionModule::AskYesNo(question, this) == MessageBoxStyle::AnswerYes)
        writeFile();
}

bool QUARXEditorForm::writeFile() {
    const QString path = rtfText->FileName();
    const std::optional<platform::FileStamp> now = platform::fileStamp(path);
    if (kind_.stamp && now && now != kind_.stamp &&
        FunctionModule::AskYesNo(EditorTexts::ChangedOnDisk, this) != MessageBoxStyle::AnswerYes)
        return false;
    // Unchanged content is written back as it was read, every part of it kept.
    const QByteArray bytes =
        rtfText->document()->isModified() ? EditedFile::contentBytes(*rtfText, kind_) : original_;
    platform::SaveWay way = platform::SaveWay::Replaced;
    QString error;
    if (!platform::replaceFileContent(path, bytes, way, error)) {
        FunctionModule::showMessageBox(this,
                                       EditorTexts::SaveFailed + platform::displayPath(path) +
                                           QStringLiteral("\r\n\r\n") + error,
                                       MessageBoxStyle::Exclamation);
        return false;
    }
    if (way == platform::SaveWay::InPlaceNoFolder)
        FunctionModule::showMessageBox(this,
                                       EditorTexts::FolderReadOnly + platform::displayPath(path),
                                       MessageBoxStyle::Information);
    original_ = bytes;
    kind_.stamp = platform::fileStamp(path);
    rtfText->document()->setModified(false);
    return true;
}

void QUARXEditorForm::PrintText() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(platform::displayPath(rtfText->FileName()));
    QPrintDialog choice(&printer, this);
    choice.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintShowPageSize);
    if (choice.exec() != QDialog::Accepted)
        return;
    modPrinter::PrintRTFControl(rtfText, 80, QStringLiteral("File: ") + rtfText->FileName(),
                                modPrinter::footerText(), modPrinter::headerFont(), &printer);
}

void QUARXEditorForm::UndoChange() {
    lastTypedEnd_ = -1;
    history_.undo();
}

void QUARXEditorForm::RedoChange() {
    lastTypedEnd_ = -1;
    history_.redo();
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

void QUARXEditorForm::Find() {
    const QString selected = rtfText->textCursor().selectedText();
    const bool oneLine = !selected.contains(QChar::ParagraphSeparator);
    QString text = oneLine ? selected : QString();
    if (text.isEmpty() && findBar->text().isEmpty() && searchText_)
        text = searchText_();
    findBar->open(text);
    layoutControls();
}

void QUARXEditorForm::FindNext() {
    find(true);
}

void QUARXEditorForm::FindPrevious() {
    find(false);
}

void QUARXEditorForm::find(bool forward) {
    QString text = findBar->text();
    if (isBlank(text) && searchText_)
        text = searchText_();
    if (isBlank(text)) {
        Find();
        return;
    }
    if (findBar->isHidden()) {
        findBar->open(text);
        layoutControls();
    }
    const QTextCursor caret = rtfText->textCursor();
    const std::optional<FindHit> hit =
        findHit(*rtfText->document(), SearchExpression(text, searchOptions_),
                forward ? caret.selectionEnd() : caret.selectionStart(), forward);
    if (!hit) {
        findBar->showNote(EditorTexts::FindNotFound);
        return;
    }
    QTextCursor found(rtfText->document());
    found.setPosition(hit->start);
    found.setPosition(hit->start + hit->length, QTextCursor::KeepAnchor);
    rtfText->setTextCursor(found);
    rtfText->centerCursor();
    findBar->showNote(hit->wrapped ? EditorTexts::FindWrapped : QString());
}
