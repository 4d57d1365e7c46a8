#include "mainwindow/settingsstore.h"
#include "support/tempdir.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

using namespace SettingsStore;

class SettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override { useStoreFile(dir.file(QStringLiteral("settings.ini"))); }
    void TearDown() override { useStoreFile(QString()); }
    TempDir dir;
};

TEST_F(SettingsStoreTest, KeysAndValuesAreTrimmedBothWays) {
    SaveSettingValue(QStringLiteral(" SpecifiedType "), QStringLiteral("  cpp  "));
    EXPECT_EQ(ReadSettingValue(QStringLiteral("SpecifiedType"), QStringLiteral("TXT")), u"cpp");
    // The value sits in section "Settings" under the trimmed key.
    QSettings raw(dir.file(QStringLiteral("settings.ini")), QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("Settings/SpecifiedType")).toString(), u"cpp");
}

// The store holds past searches and folders: no one else may read it, whether
// it is new or was left readable by an older version.
TEST_F(SettingsStoreTest, OnlyItsOwnerMayReadTheStore) {
    const QString store = dir.file(QStringLiteral("settings.ini"));
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    const QFile::Permissions others =
        QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    SaveSettingValue(QStringLiteral("LastScanText"), QStringLiteral("secret"));
    EXPECT_EQ(QFile::permissions(store) & (ownerOnly | others), ownerOnly);

    ASSERT_TRUE(QFile::setPermissions(store, ownerOnly | QFile::ReadGroup | QFile::ReadOther));
    SaveSettingValue(QStringLiteral("LastTab"), QStringLiteral("2"));
    EXPECT_EQ(QFile::permissions(store) & (ownerOnly | others), ownerOnly);
    EXPECT_EQ(ReadSettingValue(QStringLiteral("LastScanText"), QString()), u"secret");
}

TEST_F(SettingsStoreTest, MissingKeyGivesTheDefaultTrimmed) {
    EXPECT_EQ(ReadSettingValue(QStringLiteral("LastTab"), QStringLiteral(" 1 ")), u"1");
    EXPECT_EQ(ReadSettingValue(QStringLiteral("LastScanText"), QString()), u"");
}

TEST_F(SettingsStoreTest, FolderSettingFallsBackToTheRootWhenNothingIsThere) {
    const QString gone = dir.mkdir(QStringLiteral("gone"));
    SaveSettingValue(QStringLiteral("LastPath"), gone);
    EXPECT_EQ(ReadFolderSetting(QStringLiteral("LastPath")), gone);
    QDir(gone).removeRecursively();
    EXPECT_EQ(ReadFolderSetting(QStringLiteral("LastPath")), QDir::rootPath());
    EXPECT_EQ(ReadFolderSetting(QStringLiteral("LastDSPath")), QDir::rootPath());
}

TEST_F(SettingsStoreTest, EntryExistsForFilesAndFoldersOnly) {
    EXPECT_TRUE(EntryExists(dir.write(QStringLiteral("a.txt"), "x")));
    EXPECT_TRUE(EntryExists(dir.path()));
    EXPECT_FALSE(EntryExists(dir.file(QStringLiteral("missing"))));
    EXPECT_FALSE(EntryExists(QString()));
}

TEST(BooleanForm, WordsInAnyCaseAndNumbers) {
    EXPECT_EQ(booleanForm(QStringLiteral("True")), true);
    EXPECT_EQ(booleanForm(QStringLiteral("fALSE")), false);
    EXPECT_EQ(booleanForm(QStringLiteral("0")), false);
    EXPECT_EQ(booleanForm(QStringLiteral("-1")), true);
    EXPECT_EQ(booleanForm(QStringLiteral("2.5")), true);
    EXPECT_EQ(booleanForm(QStringLiteral("yes")), std::nullopt);
    EXPECT_EQ(booleanForm(QString()), std::nullopt);
    EXPECT_EQ(booleanText(true), u"True");
    EXPECT_EQ(booleanText(false), u"False");
}

TEST(PastSearchKey, TwoDigitsWithALeadingZero) {
    EXPECT_EQ(pastSearchKey(1), u"LastSearch01");
    EXPECT_EQ(pastSearchKey(15), u"LastSearch15");
}
