#include "about/versioninfo.h"

#include "quarrixversion.h"

VersionInfo VersionInfo::program() {
    return {QString::fromLatin1(QuarrixVersion::ProductName),
            QString::fromLatin1(QuarrixVersion::FileDescription),
            QString::fromLatin1(QuarrixVersion::LegalCopyright),
            QuarrixVersion::Major,
            QuarrixVersion::Minor,
            QuarrixVersion::Revision};
}

QString VersionInfo::number() const {
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision, 3, 10, QLatin1Char('0'));
}

QString VersionInfo::versionText() const {
    return QStringLiteral("Version ") + number();
}
