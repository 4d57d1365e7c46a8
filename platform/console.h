#pragma once

#include <QString>
#include <cstdio>
#include <optional>

namespace platform {
/// Whether the stream is a terminal, where a progress line can be redrawn.
bool isTerminal(std::FILE *stream);

/// A command-line text as the user typed it: UTF-8, or else the character set
/// of the user's locale (a Latin-1 terminal). Nothing when neither decodes it.
std::optional<QString> argumentText(const char *argument);

/// The name of the locale's character set, for messages.
QString localeCharacterSet();
} // namespace platform
