#pragma once

#include <QString>

namespace platform {

/// The English name of a Windows language identifier, as the version interface
/// gives it: "English (United States)" for 0x0409, "English" for the neutral
/// 0x0009. Empty for an identifier Windows does not define.
QString languageName(quint16 languageId);

} // namespace platform
