#include "fileprops/cfiform.h"
#include "fileprops/cfileinfo.h"
#include "fileprops/fileinfopath.h"
#include "support/tempdir.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QString fixture(const char *name) {
    return QStringLiteral(QUARRIX_FILEPROPS_DATA "/") + QLatin1String(name);
}

QString field(const CFIForm &form, const char *name) {
    const auto *edit = form.findChild<QLineEdit *>(QLatin1String(name));
    EXPECT_NE(edit, nullptr) << name;
    return edit ? edit->text() : QString();
}

std::vector<bool> checks(const CFIForm &form) {
    std::vector<bool> states;
    for (int i = 0; i < 6; ++i)
        states.push_back(form.chkAttr(i)->isChecked());
    return states;
}

QString date(const QDateTime &value) {
    return CFileInfo::FormatFileDate(value);
}

} // namespace

TEST(CFIForm, ShowsAFileWithoutVersionResource) {
    TempDir dir;
    const QString path = dir.write(QStringLiteral(".notes.txt"), QByteArray(12595, 'n'));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    FileInfoShared::FileInfoPath = path;
    // Reading the file (its type, its version resource) moves its access time
    // on file systems mounted strictatime: the window shows one of these two.
    CFileInfo before;
    before.setFullPathName(path);
    const CFIForm form;
    CFileInfo info;
    info.setFullPathName(path);

    EXPECT_EQ(form.windowTitle(), QStringLiteral("Complete File Information"));
    EXPECT_EQ(field(form, "txtFileName"), QStringLiteral(".notes.txt"));
    EXPECT_EQ(field(form, "txtLocation"), dir.path() + QLatin1Char('/'));
    EXPECT_EQ(field(form, "txtType"), QStringLiteral("plain text document"));
    EXPECT_EQ(field(form, "txtSize"), QStringLiteral("12.3KB (12,595 bytes)"));
    EXPECT_EQ(field(form, "txtCompSize"), QStringLiteral("File is not compressed"));
    EXPECT_EQ(field(form, "txtDosPath"), dir.path() + QLatin1Char('/'));
    EXPECT_EQ(field(form, "txtDosName"), QStringLiteral(".NOTES.TXT"));
    EXPECT_EQ(field(form, "txtCreated"), date(info.CreationTime()));
    EXPECT_EQ(field(form, "txtModified"), date(info.ModifyTime()));
    EXPECT_THAT(field(form, "txtAccessed"),
                testing::AnyOf(date(before.LastAccessTime()), date(info.LastAccessTime())));
    EXPECT_EQ(field(form, "txtFileVer"), QStringLiteral("Unknown"));
    EXPECT_EQ(field(form, "txtDescription"), QStringLiteral("Unknown"));
    EXPECT_EQ(field(form, "txtCopyright"), QStringLiteral("Unknown"));
    // Read-only heads the left column, hidden the right.
    EXPECT_EQ(checks(form), (std::vector<bool>{true, false, false, true, false, false}));
    EXPECT_EQ(FileInfoShared::FileInfoPath, path);
}

TEST(CFIForm, ShowsTheVersionTexts) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("app32.exe"));
    ASSERT_TRUE(QFile::copy(fixture("app32.exe"), path));
    FileInfoShared::FileInfoPath = path;
    const CFIForm form;
    EXPECT_EQ(field(form, "txtFileName"), QStringLiteral("app32.exe"));
    EXPECT_EQ(field(form, "txtFileVer"), QStringLiteral("1.2.3.4 (fixture build)"));
    EXPECT_EQ(field(form, "txtDescription"), QStringLiteral("Fixture application"));
    EXPECT_EQ(field(form, "txtCopyright"), QStringLiteral("Copyright (C) 2026 Fixture Works"));
    EXPECT_FALSE(field(form, "txtType").isEmpty());
}

TEST(CFIForm, AResourceWithoutStringsShowsEmptyVersionTexts) {
    FileInfoShared::FileInfoPath = fixture("nostrings.exe");
    const CFIForm form;
    EXPECT_EQ(field(form, "txtFileVer"), QString());
    EXPECT_EQ(field(form, "txtDescription"), QString());
    EXPECT_EQ(field(form, "txtCopyright"), QString());
}

TEST(CFIForm, AMissingFileShowsWhatANewObjectHolds) {
    TempDir dir;
    FileInfoShared::FileInfoPath = dir.file(QStringLiteral("missing.txt"));
    const CFIForm form;
    EXPECT_EQ(field(form, "txtFileName"), QString());
    EXPECT_EQ(field(form, "txtLocation"), QString());
    EXPECT_EQ(field(form, "txtType"), QString());
    EXPECT_EQ(field(form, "txtSize"), QStringLiteral("0 bytes"));
    EXPECT_EQ(field(form, "txtCompSize"), QStringLiteral("File is not compressed"));
    EXPECT_EQ(field(form, "txtCreated"), date(CFileInfo::zeroDate()));
    EXPECT_EQ(field(form, "txtFileVer"), QStringLiteral("Unknown"));
    EXPECT_EQ(checks(form), std::vector<bool>(6, false));
}

TEST(CFIForm, LaysOutItsControls) {
    FileInfoShared::FileInfoPath = fixture("app32.rc");
    CFIForm form;
    EXPECT_EQ(form.size(), QSize(530, 369));
    EXPECT_TRUE(form.isModal());
    EXPECT_EQ(form.findChild<QGroupBox *>(QStringLiteral("fraFileInfo"))->title(),
              QStringLiteral("File Information"));
    EXPECT_EQ(form.findChild<QGroupBox *>(QStringLiteral("fraDetails"))->geometry(),
              QRect(8, 24, 497, 241));

    const char *rows[] = {"txtFileName",    "txtLocation",  "txtCompSize", "txtFileVer",
                          "txtDescription", "txtCopyright", "txtType",     "txtSize",
                          "txtDosPath",     "txtDosName",   "txtCreated",  "txtModified",
                          "txtAccessed"};
    for (int row = 0; row < int(std::size(rows)); ++row) {
        const auto *edit = form.findChild<QLineEdit *>(QLatin1String(rows[row]));
        ASSERT_NE(edit, nullptr);
        // The fields start at 115 px, or further right where the font's
        // captions need more room; they end where the design ends them.
        const QRect g = edit->geometry();
        EXPECT_EQ(QRect(0, g.top(), g.right(), g.height()), QRect(0, 24 + 16 * row, 487, 15))
            << rows[row];
        EXPECT_GE(g.left(), 115) << rows[row];
        EXPECT_TRUE(edit->isReadOnly());
        EXPECT_FALSE(edit->hasFrame());
        EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(0, 0, 128));
    }
    EXPECT_EQ(form.findChild<QLabel *>(QStringLiteral("lblCompSize"))->text(),
              QStringLiteral("Compressed Size:"));
    EXPECT_EQ(form.findChild<QLabel *>(QStringLiteral("lblDosName"))->text(),
              QStringLiteral("MS-DOS name:"));

    const char *captions[] = {"&Read-only", "Ar&chive", "Co&mpressed",
                              "Hi&dden",    "&System",  "&Temporary"};
    const QPoint places[] = {{16, 16}, {16, 32}, {16, 48}, {144, 16}, {144, 32}, {144, 48}};
    const QList<QCheckBox *> boxes = form.findChildren<QCheckBox *>(QStringLiteral("chkAttr"));
    ASSERT_EQ(boxes.size(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(form.chkAttr(i)->text(), QLatin1String(captions[i]));
        EXPECT_EQ(form.chkAttr(i)->pos(), places[i]);
        EXPECT_EQ(form.chkAttr(i)->property("Index").toInt(), i);
    }
    // Clicks do not change what the boxes show.
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QPoint box = form.chkAttr(0)->mapTo(&form, QPoint(6, 8));
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, box);
    EXPECT_FALSE(form.chkAttr(0)->isChecked());
    const auto *icon = form.findChild<QLabel *>(QStringLiteral("picIcon"));
    EXPECT_EQ(icon->geometry(), QRect(24, 24, 32, 32));
    ASSERT_FALSE(icon->pixmap().isNull());
    EXPECT_EQ(icon->pixmap().size(), QSize(32, 32));
    const auto *ok = form.findChild<QPushButton *>(QStringLiteral("OK"));
    EXPECT_EQ(ok->geometry(), QRect(352, 280, 153, 65));
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
}

TEST(CFIForm, OkClosesTheModalWindow) {
    FileInfoShared::FileInfoPath = fixture("app32.rc");
    CFIForm form;
    QTimer::singleShot(0, &form,
                       [&form] { form.findChild<QPushButton *>(QStringLiteral("OK"))->click(); });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());
}
