#include "about/shareware_about.h"

#include "about/linkcursor.h"
#include "about/shareware_disclaimer.h"
#include "dialogs/messagebox.h"
#include "dialogs/readablecolours.h"
#include "dialogs/uiutilities.h"
#include "platform/shellopen.h"
#include "scan/functionmodule.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace AboutTexts {

QString caption(const VersionInfo &info) {
    return QStringLiteral("About ") + info.productName;
}

QString credits(const VersionInfo &info) {
    return QStringLiteral("Thanks to everyone who supported and tested the releases of ") +
           info.productName + QStringLiteral(".\r\n\r\nYour help is greatly appreciated!");
}

QString mailAddress(const QString &email, const VersionInfo &info) {
    return QStringLiteral("mailto:") + email + QStringLiteral("?Subject=") + info.productName +
           QStringLiteral(" Version ") + info.number();
}

} // namespace AboutTexts

namespace {

constexpr QSize ClientSize{409, 401};
constexpr int LogoSide = 67;

/// The maker's logo: a magnifying glass over lines of text.
QPixmap makerLogo() {
    QPixmap logo(LogoSide, LogoSide);
    logo.fill(Qt::transparent);
    QPainter paint(&logo);
    paint.setRenderHint(QPainter::Antialiasing);
    paint.setPen(Qt::NoPen);
    paint.setBrush(QColor(0x1f, 0x4e, 0x79));
    paint.drawRoundedRect(QRectF(1, 1, LogoSide - 2, LogoSide - 2), 10, 10);
    paint.setPen(QPen(QColor(0xd6, 0xe4, 0xf0), 3, Qt::SolidLine, Qt::RoundCap));
    for (int y = 14; y <= 50; y += 9)
        paint.drawLine(10, y, y == 32 ? 30 : 56, y);
    paint.setPen(QPen(QColor(0xf2, 0xb1, 0x34), 5, Qt::SolidLine, Qt::RoundCap));
    paint.setBrush(Qt::NoBrush);
    paint.drawEllipse(QPointF(38, 30), 12, 12);
    paint.drawLine(QPointF(47, 39), QPointF(58, 52));
    return logo;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &geometry) {
    auto *created = new QLabel(text, parent);
    created->setObjectName(QString::fromLatin1(name));
    created->setGeometry(geometry);
    return created;
}

QPushButton *button(QWidget *parent, const char *name, const QString &text, const QRect &geometry) {
    auto *created = new QPushButton(text, parent);
    created->setObjectName(QString::fromLatin1(name));
    created->setGeometry(geometry);
    return created;
}

void styleAsLink(QLabel *link) {
    QFont font = link->font();
    font.setUnderline(true);
    link->setFont(font);
    ReadableColours::setTextColour(link, QPalette::WindowText, QPalette::Window,
                                   link->palette().color(QPalette::Link));
}

} // namespace

shareware_about::shareware_about(QWidget *owner, VersionInfo info, QString folder)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      info_(std::move(info)),
      folder_(folder.isEmpty() ? FunctionModule::programFolder() : std::move(folder)) {
    setObjectName(QStringLiteral("shareware_about"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(ClientSize);
    createControls();
    Form_Load();
}

void shareware_about::createControls() {
    Logo = label(this, "Logo", QString(), QRect(8, 8, LogoSide, LogoSide));
    Logo->setPixmap(makerLogo());
    createTitlePanel();
    createAuthorFrame();
    for (QLabel *link : {EMail, HTTPHome, Logo}) {
        link->installEventFilter(this);
        SetLinkCursor(link);
    }
    styleAsLink(EMail);
    styleAsLink(HTTPHome);
    connect(CreditButton, &QPushButton::clicked, this, &shareware_about::CreditButton_Click);
    connect(Disclaimer, &QPushButton::clicked, this, &shareware_about::Disclaimer_Click);
    connect(cmdOK, &QPushButton::clicked, this, &shareware_about::cmdOK_Click);
    cmdOK->setDefault(true);
}

void shareware_about::createTitlePanel() {
    Frame3 = new QFrame(this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setGeometry(80, 0, 321, 161);
    lblTitle = label(Frame3, "lblTitle", QStringLiteral("Title"), QRect(8, 8, 307, 26));
    lblTitle->setFont(QFont(QStringLiteral("Arial"), 16, QFont::Bold));
    lblVersion = label(Frame3, "lblVersion", QStringLiteral("Version"), QRect(8, 40, 307, 23));
    lblDescription =
        label(Frame3, "lblDescription", QStringLiteral("App Description"), QRect(8, 72, 307, 83));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void shareware_about::createAuthorFrame() {
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    Frame1->setGeometry(8, 256, 393, 137);
    lblCopyright = label(Frame1, "lblCopyright", AboutTexts::DesignCopyright, QRect(8, 8, 376, 17));
    Label1 = label(Frame1, "Label1", QStringLiteral("EMail:"), QRect(8, 32, 124, 16));
    EMail = label(Frame1, "EMail", AboutTexts::EMailAddress, QRect(136, 32, 193, 16));
    Label2 = label(Frame1, "Label2", QStringLiteral("Homepage:"), QRect(8, 48, 124, 16));
    HTTPHome = label(Frame1, "HTTPHome", AboutTexts::HomePageShown, QRect(136, 48, 193, 16));
    for (QLabel *caption : {Label1, Label2})
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    CreditButton =
        button(Frame1, "CreditButton", AboutTexts::CreditsCaption, QRect(8, 104, 169, 28));
    Disclaimer =
        button(Frame1, "Disclaimer", AboutTexts::DisclaimerCaption, QRect(184, 104, 97, 28));
    cmdOK = button(Frame1, "cmdOK", AboutTexts::CloseCaption, QRect(288, 104, 97, 28));
}

void shareware_about::Form_Load() {
    setWindowTitle(AboutTexts::caption(info_));
    lblTitle->setText(info_.productName);
    lblVersion->setText(info_.versionText());
    lblDescription->setText(info_.fileDescription);
    if (!info_.legalCopyright.trimmed().isEmpty())
        lblCopyright->setText(info_.legalCopyright);
}

void shareware_about::SetLinkCursor(QWidget *control) {
    // The widget shows its own cursor only while the mouse is over it.
    control->setCursor(LinkCursor::load(folder_));
}

bool shareware_about::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == HTTPHome)
            HTTPHome_Click();
        else if (watched == Logo)
            Logo_Click();
        else if (watched == EMail)
            EMail_Click();
    }
    return QDialog::eventFilter(watched, event);
}

void shareware_about::openLink(const QString &address) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    platform::openWithAssociatedApplication(address, FunctionModule::AddTrailingBackslash(folder_));
    QApplication::restoreOverrideCursor();
}

void shareware_about::HTTPHome_Click() {
    openLink(AboutTexts::SoftwarePage);
}

void shareware_about::Logo_Click() {
    openLink(AboutTexts::SoftwarePage);
}

void shareware_about::EMail_Click() {
    openLink(AboutTexts::mailAddress(EMail->text(), info_));
}

void shareware_about::CreditButton_Click() {
    FunctionModule::showMessageBox(this, AboutTexts::credits(info_), MessageBoxStyle::Information,
                                   info_.productName);
}

void shareware_about::Disclaimer_Click() {
    shareware_disclaimer disclaimer(this);
    disclaimer.exec();
}

void shareware_about::cmdOK_Click() {
    accept();
}
