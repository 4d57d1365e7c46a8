#include "dialogs/dialogtesting.h"
#include "dialogs/messagebox.h"
#include "dialogs/uiutilities.h"

#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

using namespace FunctionModule;

namespace {

struct SeenBox {
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
};

/// Answers the next box with the button whose text is answer, noting what it showed.
void answerBox(SeenBox &seen, const QString &answer) {
    onNextModal<QMessageBox>([&seen, answer](QMessageBox *box) {
        seen.text = box->text();
        seen.title = box->windowTitle();
        seen.icon = box->icon();
        for (QAbstractButton *button : box->buttons())
            seen.buttons << button->text().remove(QLatin1Char('&'));
        if (box->defaultButton())
            seen.defaultButton = box->defaultButton()->text().remove(QLatin1Char('&'));
        for (QAbstractButton *button : box->buttons())
            if (button->text().remove(QLatin1Char('&')) == answer)
                button->click();
    });
}

} // namespace

TEST(MessageBoxes, StylesGiveTheirIconsButtonsAndAnswers) {
    struct Case {
        int style;
        QMessageBox::Icon icon;
        QStringList buttons;
        QString press;
        int answer;
    };
    const QList<Case> cases = {
        {36, QMessageBox::Question, {"Yes", "No"}, "Yes", MessageBoxStyle::AnswerYes},
        {36, QMessageBox::Question, {"Yes", "No"}, "No", MessageBoxStyle::AnswerNo},
        {48, QMessageBox::Warning, {"OK"}, "OK", MessageBoxStyle::AnswerOk},
        {64, QMessageBox::Information, {"OK"}, "OK", MessageBoxStyle::AnswerOk},
        {0, QMessageBox::NoIcon, {"OK"}, "OK", MessageBoxStyle::AnswerOk},
    };
    for (const Case &c : cases) {
        SeenBox seen;
        answerBox(seen, c.press);
        EXPECT_EQ(showMessageBox(nullptr, QStringLiteral("Text"), c.style), c.answer) << c.style;
        EXPECT_EQ(seen.title, QStringLiteral("Quarrix Pro"));
        EXPECT_EQ(seen.icon, c.icon) << c.style;
        EXPECT_EQ(seen.buttons, c.buttons) << c.style;
    }
}

TEST(MessageBoxes, ClosingAYesNoBoxWithoutAnAnswerIsNo) {
    onNextModal<QMessageBox>([](QMessageBox *box) { box->reject(); });
    EXPECT_EQ(showMessageBox(nullptr, QStringLiteral("Go?"), 36), MessageBoxStyle::AnswerNo);
}

TEST(AskYesNo, TrimsTheQuestionAndDefaultsToYes) {
    SeenBox seen;
    answerBox(seen, QStringLiteral("No"));
    EXPECT_EQ(AskYesNo(QStringLiteral("   Save The Changes  ")), 7);
    EXPECT_EQ(seen.text, QStringLiteral("Save The Changes?"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.defaultButton, QStringLiteral("Yes"));

    answerBox(seen, QStringLiteral("Yes"));
    EXPECT_EQ(AskYesNo(QStringLiteral("Go")), 6);
}

TEST(Centring, ArithmeticOnScreenAndOwner) {
    EXPECT_EQ(centreOnScreenPosition({400, 300}, {0, 0, 1024, 768}), QPoint(312, 234));
    // Halves round to the nearest pixel.
    EXPECT_EQ(centreOnScreenPosition({401, 301}, {0, 0, 1024, 768}), QPoint(312, 234));
    EXPECT_EQ(centreOnScreenPosition({1200, 900}, {0, 0, 1024, 768}), QPoint(-88, -66));
    EXPECT_EQ(centreOnOwnerPosition({200, 100}, {100, 50, 600, 400}), QPoint(300, 200));
    EXPECT_EQ(centreOnOwnerPosition({201, 101}, {101, 51, 600, 400}), QPoint(301, 201));
    // A dialog larger than its owner overhangs it evenly.
    EXPECT_EQ(centreOnOwnerPosition({800, 600}, {100, 100, 400, 300}), QPoint(-100, -50));
}

TEST(Centring, OwnerHookMovesTheNextWindowOnceAndGoes) {
    QWidget owner;
    owner.setGeometry(100, 80, 600, 400);
    owner.show();
    installCentreHook(CentreMode::Owner, &owner);
    EXPECT_FALSE(CentreHookHandle.isNull());

    QDialog dialog(&owner);
    dialog.setFixedSize(200, 100);
    dialog.move(0, 0);
    onNextModal<QDialog>([](QDialog *shown) { shown->reject(); });
    dialog.exec();
    const QRect ownerFrame = owner.frameGeometry();
    EXPECT_EQ(dialog.frameGeometry().topLeft(),
              centreOnOwnerPosition(dialog.frameGeometry().size(), ownerFrame));
    EXPECT_EQ(dialog.size(), QSize(200, 100));
    EXPECT_TRUE(CentreHookHandle.isNull());

    QDialog later(&owner);
    later.setFixedSize(50, 50);
    later.move(7, 9);
    later.show();
    EXPECT_EQ(later.pos(), QPoint(7, 9));
}

TEST(Centring, ScreenHookIgnoresMenusAndToolTips) {
    installCentreHook(CentreMode::Screen);
    QWidget popup(nullptr, Qt::Popup);
    popup.setGeometry(5, 5, 40, 40);
    popup.show();
    EXPECT_EQ(popup.pos(), QPoint(5, 5));
    popup.hide();

    QWidget window;
    window.resize(400, 300);
    window.show();
    const QRect screen = window.screen()->geometry();
    EXPECT_EQ(window.frameGeometry().topLeft(),
              centreOnScreenPosition(window.frameGeometry().size(), screen));
    EXPECT_TRUE(CentreHookHandle.isNull());
}

TEST(Centring, RemovingAnUnusedHookLeavesLaterWindowsAlone) {
    installCentreHook(CentreMode::Screen);
    removeCentreHook();
    QWidget window;
    window.setGeometry(3, 4, 100, 100);
    window.show();
    EXPECT_EQ(window.geometry().topLeft(), QPoint(3, 4));
}

TEST(ShowHelpFile, PrefersTheHelpFileToTheManualAndSaysWhenThereIsNeither) {
    FakeOpener opener;
    TempDir prefix;
    const QString bin = prefix.mkdir(QStringLiteral("bin"));
    EXPECT_EQ(ShowHelpFile(nullptr, bin), HelpOutcome::NotFound);
    QCoreApplication::processEvents();
    EXPECT_TRUE(opener.launches().isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The manual as installed: share/ beside bin/.
    const QString manual =
        prefix.write(QStringLiteral("share/quarrix-pro/manual/index.html"), "<html></html>");
    EXPECT_EQ(ShowHelpFile(nullptr, bin), HelpOutcome::Opened);
    ASSERT_TRUE(opener.waitForLaunches(1));
    EXPECT_EQ(opener.launches().value(0), bin + QLatin1Char('|') + manual);

    const QString help = prefix.write(QStringLiteral("bin/Quarx.chm"), "help");
    EXPECT_EQ(ShowHelpFile(nullptr, bin), HelpOutcome::Opened);
    ASSERT_TRUE(opener.waitForLaunches(2));
    EXPECT_EQ(opener.launches().value(1), bin + QLatin1Char('|') + help);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(ShowHelpFile, FoldersNamedLikeTheHelpAreNoHelp) {
    TempDir prefix;
    const QString bin = prefix.mkdir(QStringLiteral("bin"));
    prefix.mkdir(QStringLiteral("bin/Quarx.chm"));
    prefix.mkdir(QStringLiteral("share/quarrix-pro/manual/index.html"));
    EXPECT_TRUE(helpDocument(bin).isEmpty());
}

TEST(ShowHelpFile, SaysWhenNoOpenerCanBeStarted) {
    TempDir prefix;
    const QString bin = prefix.mkdir(QStringLiteral("bin"));
    prefix.write(QStringLiteral("share/quarrix-pro/manual/index.html"), "<html></html>");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin)); // no xdg-open there
    const HelpOutcome outcome = ShowHelpFile(nullptr, bin);
    qputenv("PATH", path);
    EXPECT_EQ(outcome, HelpOutcome::NoViewer);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
