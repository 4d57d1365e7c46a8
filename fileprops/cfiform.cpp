#include "fileprops/cfiform.h"

#include "dialogs/readablecolours.h"
#include "fileprops/cfileinfo.h"
#include "fileprops/cfileversioninfo.h"
#include "fileprops/fileinfopath.h"
#include "platform/pathname.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

const QString WindowCaption = QStringLiteral("Complete File Information");
const QString UnknownText = QStringLiteral("Unknown");
const QString NotCompressedText = QStringLiteral("File is not compressed");

// Measures in pixels at 96 dots per inch.
constexpr int FirstRowTop = 24;
constexpr int RowStep = 16;
constexpr int LabelLeft = 8;
constexpr int LabelWidth = 101;
constexpr int LabelHeight = 13;
constexpr int FieldLeft = 115;
constexpr int FieldWidth = 373;
constexpr int FieldHeight = 15;
constexpr int IconSize = 32;

// The values' dark blue, lightened where the theme's face is too dark for it.
const QColor FieldTextColour(0, 0, 128);

struct AttributeBox {
    const char *caption;
    int left;
    int top;
};

// In index order: the left column, then the right.
constexpr AttributeBox AttributeBoxes[] = {
    {"&Read-only", 16, 16}, {"Ar&chive", 16, 32}, {"Co&mpressed", 16, 48},
    {"Hi&dden", 144, 16},   {"&System", 144, 32}, {"&Temporary", 144, 48},
};

QGroupBox *addFrame(QWidget *parent, const QString &name, const QString &caption,
                    const QRect &place) {
    auto *frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    frame->setGeometry(place);
    return frame;
}

} // namespace

CFIForm::CFIForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("CFIForm"));
    setWindowTitle(WindowCaption);
    setModal(true);
    setFixedSize(530, 369);
    buildControls();
    Form_Load();
}

void CFIForm::buildControls() {
    QGroupBox *outer = addFrame(this, QStringLiteral("fraFileInfo"),
                                QStringLiteral("File Information"), QRect(8, 8, 513, 353));
    QGroupBox *details = addFrame(outer, QStringLiteral("fraDetails"),
                                  QStringLiteral("File Details"), QRect(8, 24, 497, 241));
    int row = 0;
    txtFileName =
        addField(details, row++, QStringLiteral("txtFileName"), QStringLiteral("File Name:"));
    txtLocation =
        addField(details, row++, QStringLiteral("txtLocation"), QStringLiteral("Location:"));
    txtCompSize =
        addField(details, row++, QStringLiteral("txtCompSize"), QStringLiteral("Compressed Size:"));
    txtFileVer =
        addField(details, row++, QStringLiteral("txtFileVer"), QStringLiteral("File Version:"));
    txtDescription =
        addField(details, row++, QStringLiteral("txtDescription"), QStringLiteral("Description:"));
    txtCopyright =
        addField(details, row++, QStringLiteral("txtCopyright"), QStringLiteral("Copyright:"));
    txtType = addField(details, row++, QStringLiteral("txtType"), QStringLiteral("Type:"));
    txtSize = addField(details, row++, QStringLiteral("txtSize"), QStringLiteral("Size:"));
    txtDosPath =
        addField(details, row++, QStringLiteral("txtDosPath"), QStringLiteral("MS-DOS path:"));
    txtDosName =
        addField(details, row++, QStringLiteral("txtDosName"), QStringLiteral("MS-DOS name:"));
    txtCreated = addField(details, row++, QStringLiteral("txtCreated"), QStringLiteral("Created:"));
    txtModified =
        addField(details, row++, QStringLiteral("txtModified"), QStringLiteral("Modified:"));
    txtAccessed =
        addField(details, row++, QStringLiteral("txtAccessed"), QStringLiteral("Accessed:"));

    QGroupBox *attributes = addFrame(outer, QStringLiteral("fraAttributes"),
                                     QStringLiteral("Attributes"), QRect(8, 272, 249, 73));
    for (int i = 0; i < int(m_chkAttr.size()); ++i) {
        const AttributeBox &box = AttributeBoxes[i];
        auto *check = new QCheckBox(QString::fromLatin1(box.caption), attributes);
        check->setObjectName(QStringLiteral("chkAttr"));
        check->setProperty("Index", i);
        // They show the attributes; a click would suggest it changes them.
        check->setAttribute(Qt::WA_TransparentForMouseEvents);
        check->setFocusPolicy(Qt::NoFocus);
        check->setGeometry(box.left, box.top, box.left < 144 ? 121 : 97, 17);
        m_chkAttr[i] = check;
    }

    QGroupBox *iconFrame =
        addFrame(outer, QStringLiteral("fraIcon"), QStringLiteral("Icon"), QRect(264, 272, 81, 73));
    picIcon = new QLabel(iconFrame);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(24, 24, IconSize, IconSize);

    fitCaptions(details);

    OK = new QPushButton(QStringLiteral("OK"), outer);
    OK->setObjectName(QStringLiteral("OK"));
    OK->setGeometry(352, 280, 153, 65);
    OK->setDefault(true);
    connect(OK, &QPushButton::clicked, this, &CFIForm::OK_Click);
}

void CFIForm::fitCaptions(QWidget *frame) {
    // The captions were sized for another font: the column takes the widest
    // caption's width in the font in use, and the fields give way to it.
    const QList<QLabel *> captions = frame->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    int widest = LabelWidth;
    for (const QLabel *caption : captions)
        widest = std::max(widest, caption->sizeHint().width());
    const int shift = widest - LabelWidth;
    for (QLabel *caption : captions) {
        QRect g = caption->geometry();
        const int height = std::max(g.height(), caption->sizeHint().height());
        caption->setGeometry(g.left(), g.top() - (height - g.height()) / 2, widest, height);
        if (QWidget *field = caption->buddy())
            field->setGeometry(field->geometry().adjusted(shift, 0, 0, 0));
    }
}

QLineEdit *CFIForm::addField(QWidget *frame, int row, const QString &name, const QString &label) {
    const int top = FirstRowTop + row * RowStep;
    auto *caption = new QLabel(label, frame);
    caption->setObjectName(QStringLiteral("lbl") + name.mid(3));
    caption->setGeometry(LabelLeft, top, LabelWidth, LabelHeight);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *field = new QLineEdit(UnknownText, frame);
    field->setObjectName(name);
    field->setGeometry(FieldLeft, top, FieldWidth, FieldHeight);
    field->setReadOnly(true);
    field->setFrame(false);
    QPalette colours = field->palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Window));
    field->setPalette(colours);
    ReadableColours::setTextColour(field, QPalette::Text, QPalette::Base, FieldTextColour);
    caption->setBuddy(field);
    return field;
}

void CFIForm::Form_Load() {
    CFileInfo info;
    info.setFullPathName(FileInfoShared::FileInfoPath);
    if (!FileInfoShared::FileInfoMember.isEmpty())
        setWindowTitle(WindowCaption + QStringLiteral(" - ") + FileInfoShared::FileInfoMember);
    txtFileName->setText(platform::displayPath(info.DisplayName()));
    txtType->setText(info.TypeName());
    txtLocation->setText(platform::displayPath(info.FilePath()));
    txtSize->setText(CFileInfo::FormatFileSize(info.FileSize()));
    txtCompSize->setText(info.attrCompressed()
                             ? CFileInfo::FormatFileSize(info.CompressedFileSize())
                             : NotCompressedText);
    txtDosPath->setText(platform::displayPath(info.ShortPath()));
    txtDosName->setText(platform::displayPath(info.ShortName()));
    txtCreated->setText(CFileInfo::FormatFileDate(info.CreationTime()));
    txtModified->setText(CFileInfo::FormatFileDate(info.ModifyTime()));
    txtAccessed->setText(CFileInfo::FormatFileDate(info.LastAccessTime()));

    const bool attributes[] = {info.attrReadOnly(), info.attrArchive(), info.attrCompressed(),
                               info.attrHidden(),   info.attrSystem(),  info.attrTemporary()};
    for (int i = 0; i < int(m_chkAttr.size()); ++i)
        m_chkAttr[i]->setChecked(attributes[i]);

    drawIcon(info.hIcon());

    CFileVersionInfo version;
    version.setFullPathName(info.FullPathName());
    if (version.Available()) {
        txtFileVer->setText(version.FileVersion());
        txtDescription->setText(version.FileDescription());
        txtCopyright->setText(version.LegalCopyright());
    }
    update();
}

// The icon is drawn once into an image the picture box keeps, so it stays
// after the file information object that lent it is gone.
void CFIForm::drawIcon(const QIcon &icon) {
    QPixmap image(IconSize, IconSize);
    image.fill(picIcon->palette().color(QPalette::Window));
    if (!icon.isNull()) {
        QPainter painter(&image);
        icon.paint(&painter, QRect(0, 0, IconSize, IconSize));
    }
    picIcon->setPixmap(image);
}

void CFIForm::OK_Click() {
    accept();
}
