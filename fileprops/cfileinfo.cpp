#include "fileprops/cfileinfo.h"

#include "platform/fileentry.h"
#include "platform/fullpath.h"
#include "platform/shellinfo.h"

#include <QLocale>

namespace {

const QString BytesWord = QStringLiteral(" bytes");
const QString KilobyteUnit = QStringLiteral("KB");
const QString MegabyteUnit = QStringLiteral("MB");
const QString GigabyteUnit = QStringLiteral("GB");
const QString TypeNameSuffix = QStringLiteral(" File");

constexpr QChar Separator = platform::pathSeparator;

} // namespace

CFileInfo::CFileInfo()
    : m_CreationTime(zeroDate()), m_LastAccessTime(zeroDate()), m_ModifyTime(zeroDate()) {}

QDateTime CFileInfo::zeroDate() {
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

void CFileInfo::setFullPathName(const QString &path) {
    const std::optional<QString> full = platform::fullPathName(path);
    if (!full)
        return;
    m_FullPathName = *full;
    Refresh();
}

bool CFileInfo::attrReadOnly() const {
    return m_Attributes & platform::FileAttribute::ReadOnly;
}
bool CFileInfo::attrHidden() const {
    return m_Attributes & platform::FileAttribute::Hidden;
}
bool CFileInfo::attrSystem() const {
    return m_Attributes & platform::FileAttribute::System;
}
bool CFileInfo::attrArchive() const {
    return m_Attributes & platform::FileAttribute::Archive;
}
bool CFileInfo::attrTemporary() const {
    return m_Attributes & platform::FileAttribute::Temporary;
}
bool CFileInfo::attrCompressed() const {
    return m_Attributes & platform::FileAttribute::Compressed;
}

void CFileInfo::Refresh() {
    const std::optional<platform::FileEntry> entry = platform::findFirstFile(m_FullPathName);
    if (!entry) {
        m_FileExists = false;
        return;
    }
    m_FileSize = entry->size;
    m_Attributes = entry->attributes;
    m_FileExists = true;
    m_PathExists = true;
    m_CreationTime = FileTimeToDate(entry->creationTime);
    m_LastAccessTime = FileTimeToDate(entry->lastAccessTime);
    m_ModifyTime = FileTimeToDate(entry->lastWriteTime);
    m_FileName = entry->longName;

    // The folder and the name take their stored form; a pattern becomes the
    // name it matched.
    const qsizetype cut = m_FullPathName.lastIndexOf(Separator);
    if (cut >= 0) {
        m_FilePath = ResolveLongPath(m_FullPathName.left(cut + 1));
        if (!m_FilePath.endsWith(Separator))
            m_FilePath += Separator;
    }
    m_FullPathName = m_FilePath + m_FileName;

    const qsizetype dot = m_FileName.lastIndexOf(QLatin1Char('.'));
    m_FileExtension = dot >= 0 ? m_FileName.mid(dot + 1) : QString();

    // Without a stored short name the long name serves as one.
    m_ShortName = entry->shortName.isEmpty() ? m_FileName.toUpper() : entry->shortName;
    if (const std::optional<QString> shortPath = platform::shortPathName(m_FullPathName)) {
        m_ShortPathName = *shortPath;
        m_ShortPath = m_ShortPathName.left(
            std::max<qsizetype>(0, m_ShortPathName.size() - m_ShortName.size()));
    }

    m_CompressedFileSize = platform::onDiskSize(m_FullPathName);

    m_hIcon = QIcon();
    platform::ShellFileInfo shell = platform::shellFileInfo(m_FullPathName);
    m_DisplayName = shell.displayName;
    m_TypeName = shell.typeName;
    m_hIcon = shell.icon;
    if (m_TypeName.trimmed().isEmpty())
        m_TypeName = QString(m_FileExtension.toUpper() + TypeNameSuffix).trimmed();
}

// The folder path with every component as stored on disk; empty when a
// component is missing or is not a folder.
QString CFileInfo::ResolveLongPath(const QString &path) {
    QString folder = path;
    if (folder.endsWith(Separator)) {
        if (platform::isVolumeRoot(folder))
            return folder.toUpper();
        folder.chop(1);
    }
    // A share root (server and share) is taken as given.
    const QString shareStart = QString(2, Separator);
    if (folder.startsWith(shareStart)) {
        const qsizetype share = folder.indexOf(Separator, 2);
        if (share > 0 && folder.indexOf(Separator, share + 1) < 0)
            return folder;
    }
    const qsizetype cut = folder.lastIndexOf(Separator);
    if (cut < 0)
        return folder.toUpper();
    const QString parent = ResolveLongPath(folder.left(cut));
    const std::optional<platform::FileEntry> entry = platform::findFirstFile(folder);
    if (!entry || !(entry->attributes & platform::FileAttribute::Directory))
        return QString();
    return parent + Separator + entry->longName;
}

QDateTime CFileInfo::FileTimeToDate(const QDateTime &stamp) {
    const QDateTime local = stamp.toLocalTime();
    const QTime time = local.time();
    return QDateTime(local.date(), QTime(time.hour(), time.minute(), time.second()));
}

QString CFileInfo::FormatFileDate(const QDateTime &value) {
    // The time is formatted with its date, so that a zone name in the long
    // time format is the one in force on that day.
    const QLocale locale;
    return locale.toString(value.date(), QLocale::LongFormat) + QLatin1Char(' ') +
           locale.toString(value, locale.timeFormat(QLocale::LongFormat));
}

QString CFileInfo::FormatFileSize(qint64 size) {
    QLocale grouped;
    grouped.setNumberOptions(grouped.numberOptions() & ~QLocale::OmitGroupSeparator);
    QLocale plain;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);

    const QString bytes = grouped.toString(size);
    if (size < 1024)
        return bytes + BytesWord;
    const qint64 kb = size / 1024;
    const double kilobytes = double(size) / 1024;
    const double megabytes = double(size) / 1048576;
    QString shown;
    if (kb < 10)
        shown = plain.toString(kilobytes, 'f', 2) + KilobyteUnit;
    else if (kb < 100)
        shown = plain.toString(kilobytes, 'f', 1) + KilobyteUnit;
    else if (kb < 1000)
        shown = plain.toString(kilobytes, 'f', 0) + KilobyteUnit;
    else if (kb < 10000)
        shown = plain.toString(megabytes, 'f', 2) + MegabyteUnit;
    else if (kb < 100000)
        shown = plain.toString(megabytes, 'f', 1) + MegabyteUnit;
    else if (kb < 1000000)
        shown = plain.toString(megabytes, 'f', 0) + MegabyteUnit;
    else
        shown = plain.toString(megabytes / 1024, 'f', 2) + GigabyteUnit;
    return shown + QStringLiteral(" (") + bytes + BytesWord + QLatin1Char(')');
}
