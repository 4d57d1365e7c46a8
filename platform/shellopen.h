#pragma once

#include <QString>

namespace platform {

/// Opens a file, a folder or an address ("http:", "https:", "mailto:") with
/// the desktop's associated application, as the shell would on a double-click.
/// workingFolder is where the application starts; empty keeps ours.
/// True when the opener could be started; whether the application then shows
/// the item is up to the desktop.
bool openWithAssociatedApplication(const QString &target, const QString &workingFolder = {});

/// Whether target names an address rather than a file: a scheme of two or more
/// letters before a colon ("C:" is a drive, not a scheme).
bool isAddress(const QString &target);

} // namespace platform
