#pragma once

#include <QString>

namespace FileInfoShared {

/// The path of the file that the "Complete File Information" window shows. Its
/// opener sets it before showing the window; the window only reads it, once,
/// while it loads.
inline QString FileInfoPath;

} // namespace FileInfoShared
