#pragma once

namespace platform {

/// Confines the calling process for good to what a document reader needs:
/// reading the files it is handed, memory, time, and writing to the files it
/// already has open. Opening any path fails with "Permission denied", as do
/// sockets, starting programs, threads and raising its limits, so a library
/// that tries fails softly. The system's character set converters are
/// loaded first, since they could not be opened after. Files beneath
/// readableFolder stay readable where the system can hold opens to one folder
/// (Landlock); elsewhere no path opens. False when the system refuses the
/// confinement.
bool confineToOpenFiles(const char *readableFolder = nullptr);

} // namespace platform
