#pragma once

#include <QString>

namespace FileInfoShared {

/// The path of the file that the "Complete File Information" window shows. Its
/// opener sets it before showing the window; the window only reads it, once,
/// while it loads.
inline QString FileInfoPath;
/// For a row inside FileInfoPath (an archive, a mail, a document): the
/// member's name, size and time, shown with the container's properties.
/// Empty for a file of its own.
inline QString FileInfoMember;

} // namespace FileInfoShared
