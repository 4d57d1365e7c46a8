#include "about/linkcursor.h"
#include "about/shareware_about.h"
#include "about/shareware_disclaimer.h"
#include "dialogs/dialogtesting.h"

#include <QBuffer>
#include <QImageWriter>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

VersionInfo sample(int revision, const QString &copyright) {
    return {QStringLiteral("Quarrix Pro"),
            QStringLiteral("Finds text in files."),
            copyright,
            1,
            6,
            revision};
}

template <typename T> T *child(QWidget &window, const char *name) {
    T *found = window.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QString textOf(QWidget &window, const char *name) {
    QLabel *label = child<QLabel>(window, name);
    return label ? label->text() : QString();
}

void click(QWidget *widget) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), widget->mapToGlobal(QPointF(3, 3)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3),
                        widget->mapToGlobal(QPointF(3, 3)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

/// A cursor file: a 32 by 32 picture with its hot spot at (5, 3).
QByteArray cursorFile() {
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    QPainter(&picture).fillRect(0, 0, 10, 20, Qt::black);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(QImageWriter(&buffer, "ico").write(picture));
    // An icon file becomes a cursor file: type 2, and the hot spot where an
    // icon keeps its planes and bit count.
    qToLittleEndian<quint16>(2, bytes.data() + 2);
    qToLittleEndian<quint16>(5, bytes.data() + 10);
    qToLittleEndian<quint16>(3, bytes.data() + 12);
    return bytes;
}

} // namespace

TEST(VersionInfo, RevisionHasAtLeastThreeDigits) {
    EXPECT_EQ(sample(0, {}).versionText(), QStringLiteral("Version 1.6.000"));
    EXPECT_EQ(sample(5, {}).versionText(), QStringLiteral("Version 1.6.005"));
    EXPECT_EQ(sample(1234, {}).versionText(), QStringLiteral("Version 1.6.1234"));
    EXPECT_EQ(VersionInfo::program().versionText(), QStringLiteral("Version 1.6.001"));
    EXPECT_EQ(VersionInfo::program().productName, QStringLiteral("Quarrix Pro"));
}

TEST(AboutWindow, ShowsTheVersionInformationInItsControls) {
    shareware_about about(nullptr, sample(1234, QStringLiteral("Copyright (C) 2026 Somebody")));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Quarrix Pro"));
    EXPECT_EQ(about.size(), QSize(409, 401));
    EXPECT_EQ(textOf(about, "lblTitle"), QStringLiteral("Quarrix Pro"));
    EXPECT_EQ(textOf(about, "lblVersion"), QStringLiteral("Version 1.6.1234"));
    EXPECT_EQ(textOf(about, "lblDescription"), QStringLiteral("Finds text in files."));
    EXPECT_EQ(textOf(about, "lblCopyright"), QStringLiteral("Copyright (C) 2026 Somebody"));
    EXPECT_EQ(textOf(about, "Label1"), QStringLiteral("EMail:"));
    EXPECT_EQ(textOf(about, "Label2"), QStringLiteral("Homepage:"));
    EXPECT_EQ(child<QPushButton>(about, "CreditButton")->text(),
              QStringLiteral("Additional &Credits"));
    EXPECT_EQ(child<QPushButton>(about, "Disclaimer")->text(), QStringLiteral("&Disclaimer"));
    EXPECT_EQ(child<QPushButton>(about, "cmdOK")->text(), QStringLiteral("&Close"));
}

TEST(AboutWindow, BlankCopyrightKeepsTheDesignLine) {
    shareware_about about(nullptr, sample(0, QStringLiteral("   ")));
    EXPECT_EQ(textOf(about, "lblCopyright"), AboutTexts::DesignCopyright);
    EXPECT_EQ(textOf(about, "lblVersion"), QStringLiteral("Version 1.6.000"));
}

TEST(AboutWindow, LinksOpenThePageAndAMailWithTheVersionAsSubject) {
    FakeOpener opener;
    TempDir folder;
    shareware_about about(nullptr, sample(1, {}), folder.path());
    click(child<QLabel>(about, "EMail"));
    ASSERT_TRUE(opener.waitForLaunches(1));
    click(child<QLabel>(about, "HTTPHome"));
    click(child<QLabel>(about, "Logo"));
    ASSERT_TRUE(opener.waitForLaunches(3));
    const QString start = folder.path() + QLatin1Char('|');
    EXPECT_EQ(opener.launches(),
              (QStringList{start + QStringLiteral("mailto:support@quarrix.example.org?Subject="
                                                  "Quarrix Pro Version 1.6.001"),
                           start + AboutTexts::SoftwarePage, start + AboutTexts::SoftwarePage}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(AboutWindow, LinkCursorComesFromTheProgramFolder) {
    TempDir folder;
    {
        shareware_about about(nullptr, sample(1, {}), folder.path());
        EXPECT_EQ(child<QLabel>(about, "EMail")->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(child<QLabel>(about, "lblTitle")->cursor().shape(), Qt::ArrowCursor);
    }
    folder.write(QStringLiteral("url.cur"), cursorFile());
    shareware_about about(nullptr, sample(1, {}), folder.path());
    for (const char *name : {"EMail", "HTTPHome", "Logo"}) {
        const QCursor cursor = child<QLabel>(about, name)->cursor();
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor) << name;
        EXPECT_EQ(cursor.hotSpot(), QPoint(5, 3)) << name;
    }
}

TEST(LinkCursor, PathAndHotSpot) {
    EXPECT_EQ(LinkCursor::cursorPath(QStringLiteral("/")), QStringLiteral("/url.cur"));
    EXPECT_EQ(LinkCursor::cursorPath(QStringLiteral("/opt/q")), QStringLiteral("/opt/q/url.cur"));
    EXPECT_EQ(LinkCursor::hotSpot(cursorFile()), QPoint(5, 3));
    QByteArray icon = cursorFile();
    icon[2] = 1; // an icon, not a cursor
    EXPECT_FALSE(LinkCursor::hotSpot(icon));
    EXPECT_FALSE(LinkCursor::hotSpot(cursorFile().left(21)));
    EXPECT_FALSE(LinkCursor::hotSpot(QByteArray()));
}

TEST(AboutWindow, CreditsThankTheTesters) {
    shareware_about about(nullptr, sample(1, {}));
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    onNextModal<QMessageBox>([&](QMessageBox *box) {
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        box->accept();
    });
    child<QPushButton>(about, "CreditButton")->click();
    EXPECT_EQ(title, QStringLiteral("Quarrix Pro"));
    EXPECT_EQ(icon, QMessageBox::Information);
    const QStringList paragraphs = text.split(QStringLiteral("\r\n\r\n"));
    ASSERT_EQ(paragraphs.size(), 2);
    EXPECT_TRUE(paragraphs[0].contains(QStringLiteral("Quarrix Pro")));
}

TEST(AboutWindow, DisclaimerOpensOverTheAboutWindowAndCloseCloses) {
    shareware_about about;
    about.show();
    bool aboutStillOpen = false;
    QString caption;
    onNextModal<shareware_disclaimer>([&](shareware_disclaimer *disclaimer) {
        aboutStillOpen = about.isVisible();
        caption = disclaimer->windowTitle();
        EXPECT_EQ(disclaimer->parentWidget(), &about);
        child<QPushButton>(*disclaimer, "OK")->click();
    });
    child<QPushButton>(about, "Disclaimer")->click();
    EXPECT_TRUE(aboutStillOpen);
    EXPECT_EQ(caption, QStringLiteral("QL Shareware Disclaimer"));
    EXPECT_TRUE(about.isVisible());
    child<QPushButton>(about, "cmdOK")->click();
    EXPECT_FALSE(about.isVisible());
}
