#include "mainwindow/settingsstore.h"

#include "scan/searchexpression.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <memory>

namespace SettingsStore {

namespace {

QString &storeFile() {
    static QString path;
    return path;
}

std::unique_ptr<QSettings> openStore() {
    auto settings = storeFile().isEmpty()
                        ? std::make_unique<QSettings>(ApplicationName, ApplicationName)
                        : std::make_unique<QSettings>(storeFile(), QSettings::IniFormat);
    settings->beginGroup(Section);
    return settings;
}

} // namespace

void useStoreFile(const QString &path) {
    storeFile() = path;
}

void SaveSettingValue(const QString &key, const QString &value) {
    openStore()->setValue(trimSpaces(key), trimSpaces(value));
}

QString ReadSettingValue(const QString &key, const QString &defaultValue) {
    return trimSpaces(openStore()->value(trimSpaces(key), defaultValue).toString());
}

QString ReadFolderSetting(const QString &key) {
    const QString folder = ReadSettingValue(key, QString());
    return EntryExists(folder) ? folder : QDir::rootPath();
}

bool EntryExists(const QString &path) {
    return !path.isEmpty() && QFileInfo::exists(path);
}

std::optional<bool> booleanForm(const QString &value) {
    const QString text = trimSpaces(value);
    if (text.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    bool numeric = false;
    const double number = text.toDouble(&numeric);
    if (numeric)
        return number != 0;
    return std::nullopt;
}

QString booleanText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString pastSearchKey(int n) {
    return QStringLiteral("LastSearch%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace SettingsStore
