#include "mainwindow/settingsstore.h"

#include "scan/searchexpression.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringTokenizer>
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

/// The store holds the user's past searches and folders: only its owner may
/// read it. A new store is made so before anything is written to it, and an
/// older one is narrowed; the settings writer keeps a file's permissions.
void keepPrivate(const QString &fileName) {
    constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner;
    QFile file(fileName);
    if (!file.exists()) {
        QDir().mkpath(QFileInfo(fileName).path());
        file.open(QIODevice::WriteOnly | QIODevice::NewOnly, OwnerOnly);
    } else if (file.permissions() & ~(OwnerOnly | QFile::ReadUser | QFile::WriteUser)) {
        file.setPermissions(OwnerOnly);
    }
}

} // namespace

void useStoreFile(const QString &path) {
    storeFile() = path;
}

void SaveSettingValue(const QString &key, const QString &value) {
    const auto store = openStore();
    keepPrivate(store->fileName());
    store->setValue(trimSpaces(key), trimSpaces(value));
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

ScanQuery ReadScanQuery() {
    ScanQuery query;
    // Both trees follow one folder; the tree scan's folder, set last at load,
    // wins, the root when it is gone.
    query.folder = ReadFolderSetting(QStringLiteral("LastDSPath"));
    // The type choice is kept twice; SpecifiedFiles decides, and AllFiles
    // where it is missing or no boolean. Neither gives the design's "all files".
    const auto all = booleanForm(ReadSettingValue(QStringLiteral("AllFiles"), QString()));
    const QString specified = ReadSettingValue(QStringLiteral("SpecifiedFiles"), QString());
    if (const auto chosen = booleanForm(specified))
        query.specifiedType = *chosen;
    else if (all)
        query.specifiedType = !*all;
    else
        query.specifiedType = specified.isEmpty(); // a first run: the design's default
    query.type = ReadSettingValue(QStringLiteral("SpecifiedType"), QStringLiteral("TXT"));
    const QString tab = ReadSettingValue(QStringLiteral("LastTab"), QStringLiteral("1"));
    qsizetype digits = 0;
    while (digits < tab.size() && digits < 9 && tab.at(digits).isDigit())
        ++digits;
    if (tab.first(digits).toInt() == 2) // anything but 1 or 2 keeps the first tab
        query.mode = ScanMode::DirectoryTree;
    query.searchText = ReadSettingValue(QStringLiteral("LastScanText"), QString());
    query.binaryAsText =
        booleanForm(ReadSettingValue(QStringLiteral("BinaryAsText"), QString())).value_or(false);
    query.searchArchives =
        booleanForm(ReadSettingValue(QStringLiteral("SearchArchives"), QString())).value_or(false);
    query.options = readSearchOptions();
    return query;
}

// Each option has a key of its own, written only once it was set, so that a
// settings file of a user who never set one stays as it was.
namespace {
const QString MatchCaseKey = QStringLiteral("MatchCase");
const QString WholeWordKey = QStringLiteral("WholeWord");
const QString RegexKey = QStringLiteral("RegularExpression");
const QString ExcludeKey = QStringLiteral("Exclude");
const QString ModifiedWithinKey = QStringLiteral("ModifiedWithinDays");
const QString LargerThanKey = QStringLiteral("LargerThanBytes");
const QString SmallerThanKey = QStringLiteral("SmallerThanBytes");
const QString ModifiedAfterKey = QStringLiteral("ModifiedAfter");
const QString ContextBeforeKey = QStringLiteral("ContextLinesBefore");
const QString ContextAfterKey = QStringLiteral("ContextLinesAfter");

void saveOption(const QString &key, const QString &value, bool set) {
    if (set || !ReadSettingValue(key, QString()).isEmpty())
        SaveSettingValue(key, value);
}

qint64 readLimit(const QString &key) {
    bool ok = false;
    const qint64 value = ReadSettingValue(key, QString()).toLongLong(&ok);
    return ok && value >= 0 ? value : -1;
}
} // namespace

SearchOptions readSearchOptions() {
    SearchOptions options;
    const auto flag = [](const QString &key) {
        return booleanForm(ReadSettingValue(key, QString())).value_or(false);
    };
    options.matchCase = flag(MatchCaseKey);
    options.wholeWord = flag(WholeWordKey);
    options.regex = flag(RegexKey);
    options.excludes = ReadSettingValue(ExcludeKey, QString()).split(u';', Qt::SkipEmptyParts);
    options.changedWithinDays = int(std::clamp<qint64>(readLimit(ModifiedWithinKey), 0, 36500));
    options.largerThan = readLimit(LargerThanKey);
    options.smallerThan = readLimit(SmallerThanKey);
    options.changedAfter =
        QDate::fromString(ReadSettingValue(ModifiedAfterKey, QString()), Qt::ISODate);
    options.contextBefore = int(std::clamp<qint64>(readLimit(ContextBeforeKey), 0, 9));
    options.contextAfter = int(std::clamp<qint64>(readLimit(ContextAfterKey), 0, 9));
    return options;
}

void saveSearchOptions(const SearchOptions &options) {
    saveOption(MatchCaseKey, booleanText(options.matchCase), options.matchCase);
    saveOption(WholeWordKey, booleanText(options.wholeWord), options.wholeWord);
    saveOption(RegexKey, booleanText(options.regex), options.regex);
    saveOption(ExcludeKey, options.excludes.join(u';'), !options.excludes.isEmpty());
    saveOption(ModifiedWithinKey, QString::number(options.changedWithinDays),
               options.changedWithinDays > 0);
    saveOption(LargerThanKey, QString::number(options.largerThan), options.largerThan >= 0);
    saveOption(SmallerThanKey, QString::number(options.smallerThan), options.smallerThan >= 0);
    saveOption(ModifiedAfterKey, options.changedAfter.toString(Qt::ISODate),
               options.changedAfter.isValid());
    saveOption(ContextBeforeKey, QString::number(options.contextBefore), options.contextBefore > 0);
    saveOption(ContextAfterKey, QString::number(options.contextAfter), options.contextAfter > 0);
}

void SaveScanQuery(const ScanQuery &query) {
    SaveSettingValue(QStringLiteral("LastPath"), query.folder);
    SaveSettingValue(QStringLiteral("LastDSPath"), query.folder);
    SaveSettingValue(QStringLiteral("AllFiles"), booleanText(!query.specifiedType));
    SaveSettingValue(QStringLiteral("SpecifiedFiles"), booleanText(query.specifiedType));
    SaveSettingValue(QStringLiteral("SpecifiedType"), query.type);
    SaveSettingValue(QStringLiteral("LastScanText"), query.searchText);
    SaveSettingValue(QStringLiteral("BinaryAsText"), booleanText(query.binaryAsText));
    SaveSettingValue(QStringLiteral("SearchArchives"), booleanText(query.searchArchives));
    SaveSettingValue(QStringLiteral("LastTab"), query.mode == ScanMode::SelectedFiles
                                                    ? QStringLiteral("1")
                                                    : QStringLiteral("2"));
    saveSearchOptions(query.options);
}

QList<int> ReadColumnWidths() {
    QList<int> widths;
    const QString stored = ReadSettingValue(ColumnWidthsKey, QString());
    for (const QStringView part : QStringTokenizer(stored, u','))
        widths << std::max(0, part.toInt());
    return widths;
}

void SaveColumnWidths(const QList<int> &widths) {
    QStringList parts;
    for (const int width : widths)
        parts << QString::number(width);
    SaveSettingValue(ColumnWidthsKey, parts.join(u','));
}

QString pastSearchKey(int n) {
    return QStringLiteral("LastSearch%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString recentFolderKey(int n) {
    return QStringLiteral("RecentFolder%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace SettingsStore
