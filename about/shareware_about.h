#pragma once

#include "about/versioninfo.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

/// The About window's own words and the maker's addresses.
namespace AboutTexts {
inline const QString DesignCopyright = QStringLiteral("Copyright (C) Quarrix Labs");
inline const QString EMailAddress = QStringLiteral("support@quarrix.example.org");
inline const QString HomePageShown = QStringLiteral("https://quarrix.example.org");
/// Where the home page link and the logo lead.
inline const QString SoftwarePage = QStringLiteral("https://quarrix.example.org/software/");
inline const QString CreditsCaption = QStringLiteral("Additional &Credits");
inline const QString DisclaimerCaption = QStringLiteral("&Disclaimer");
inline const QString CloseCaption = QStringLiteral("&Close");
/// "About " and the product name.
QString caption(const VersionInfo &info);
/// The thanks to the product's supporters and testers.
QString credits(const VersionInfo &info);
/// "mailto:" the address, with the product and version as the subject.
QString mailAddress(const QString &email, const VersionInfo &info);
} // namespace AboutTexts

/// The About window: title, version and description from the program's
/// version information, the maker's links, the credits and the disclaimer.
class shareware_about : public QDialog {
    Q_OBJECT
  public:
    /// folder is where the link cursor is looked for and links start.
    explicit shareware_about(QWidget *owner = nullptr, VersionInfo info = VersionInfo::program(),
                             QString folder = {});

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void createControls();
    void createTitlePanel();
    void createAuthorFrame();
    void Form_Load();
    void SetLinkCursor(QWidget *control);
    void openLink(const QString &address);

    void HTTPHome_Click();
    void Logo_Click();
    void EMail_Click();
    void CreditButton_Click();
    void Disclaimer_Click();
    void cmdOK_Click();

    VersionInfo info_;
    QString folder_;

    QLabel *Logo = nullptr;
    QFrame *Frame3 = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QFrame *Frame1 = nullptr;
    QLabel *lblCopyright = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *EMail = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *HTTPHome = nullptr;
    QPushButton *CreditButton = nullptr;
    QPushButton *Disclaimer = nullptr;
    QPushButton *cmdOK = nullptr;
};
