#pragma once

#include <QString>

/// The program's own version information, as the About window shows it.
struct VersionInfo {
    QString productName;
    QString fileDescription;
    QString legalCopyright;
    int major = 0;
    int minor = 0;
    int revision = 0;

    /// This build's.
    static VersionInfo program();
    /// "1.6.001": the revision has at least three digits.
    QString number() const;
    /// "Version 1.6.001".
    QString versionText() const;
};
